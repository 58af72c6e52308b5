// pixora reg read ADDR / pixora reg write ADDR VALUE: the camera's registers.
#include <cstdio>
#include <string>

#include "Camera.h"
#include "Commands.h"
#include "ExitStatus.h"

namespace pixora::cli {

namespace {

// The library uses only the low 8 bits of an address: a larger one would reach another
// register, so it is refused here. Registers hold 6-bit values.
constexpr int64_t kLastAddress = 255;
constexpr int64_t kLargestValue = 63;

int RunRegister(const Arguments& args) {
    const std::vector<std::string>& words = args.Operands();
    if (words.empty())
        throw UsageError("reg needs 'read ADDR' or 'write ADDR VALUE'");
    const bool write = words[0] == "write";
    if (!write && words[0] != "read")
        throw UsageError("unknown reg action '" + words[0] + "' (read or write)");
    if (words.size() != (write ? 3u : 2u))
        throw UsageError(write ? "reg write needs ADDR and VALUE" : "reg read needs ADDR");
    const int32_t address = CheckedInteger(words[1], 0, kLastAddress, "ADDR");
    const int32_t value = write ? CheckedInteger(words[2], 0, kLargestValue, "VALUE") : 0;

    std::unique_ptr<Camera> camera = Camera::Open(DeviceOption(args), true);
    if (!camera)
        return kExitFailure;
    int status = kExitSuccess;
    if (write && Pixora_WriteRegister(camera->Handle(), address, value) != 1) {
        camera->ReportFailure("writing register " + std::to_string(address));
        status = kExitFailure;
    } else {
        // A write is confirmed by reading back what the register now holds.
        int32_t ok = 0;
        const int32_t read = Pixora_ReadRegister(camera->Handle(), address, &ok);
        if (ok != 1) {
            camera->ReportFailure("reading register " + std::to_string(address));
            status = kExitFailure;
        } else if (write) {
            std::printf("register %d = %d\n", address, read);
        } else {
            std::printf("%d\n", read);
        }
    }
    if (!camera->Release() && status == kExitSuccess)
        status = kExitFailure;
    return status;
}

}  // namespace

Command RegisterCommand() {
    return {"reg",
            "read or write a camera register",
            "usage: pixora reg read ADDR [--device N]\n"
            "       pixora reg write ADDR VALUE [--device N]\n\n"
            "Reads or writes one register of the camera. ADDR is 0..255 (registers 0..191\n"
            "exist; others fail with error 6), VALUE is 0..63 (registers hold 6 bits);\n"
            "both decimal or hexadecimal with 0x. A write prints what the register holds\n"
            "afterwards ('register ADDR = VALUE'). A read returns the value last written to\n"
            "the register in this run: the camera is programmed afresh each time it is\n"
            "opened, so a value written by an earlier run is not kept.\n\n"
            "options:\n"
            "  --device N        camera index 0..7 (default 0)\n",
            {{"device", true}},
            RunRegister};
}

}  // namespace pixora::cli
