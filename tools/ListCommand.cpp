// pixora list: the cameras found, with their index and name.
#include <cstdio>

#include "Camera.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "PixoraExtensions.h"

namespace pixora::cli {

namespace {

int RunList(const Arguments& args) {
    if (!args.Operands().empty())
        throw UsageError("list takes no operands");
    std::unique_ptr<Camera> camera = Camera::Open(0, false);
    if (!camera)
        return kExitFailure;
    int found = 0;
    for (int32_t index = 0; index < 8; ++index) {
        char name[PIXORA_DEVICE_NAME_ENTRY] = {};
        if (Pixora_GetDeviceName(camera->Handle(), index, name, sizeof name) != 1)
            continue;
        if (found == 0)
            std::printf("index  name\n");
        std::printf("%-5d  %s\n", index, name);
        ++found;
    }
    // Absent indexes record "device not found"; that is the answer, not a failure.
    camera->DiscardErrors();
    if (found == 0) {
        // The library says why there is none (for the USB driver: nothing configured, or
        // the configured camera not attached).
        char names[PIXORA_DEVICE_NAME_COUNT * PIXORA_DEVICE_NAME_ENTRY] = {};
        Pixora_EnumDevice(camera->Handle(), names);
        camera->DiscardErrors();
        char why[1024] = {};
        if (PixoraEx_GetFailureDetail(camera->Handle(), why, sizeof why) == 1)
            std::printf("no camera found: %s\n", why);
        else
            std::printf("no camera found\n");
    }
    return camera->Release() ? kExitSuccess : kExitFailure;
}

}  // namespace

Command ListCommand() {
    return {"list",
            "the cameras found, with index and name",
            "usage: pixora list\n\n"
            "Lists the cameras found, one line each: the index to give as --device and the\n"
            "camera's name. Prints 'no camera found' when there is none (exit status 0).\n",
            {},
            RunList};
}

}  // namespace pixora::cli
