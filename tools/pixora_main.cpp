// pixora: drives a 530TZ camera (or the virtual one) from the command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "PixoraPlatform.h"
#include "PixoraSdk_530TZ.h"

namespace {

const char* ErrorName(int32_t code) {
    switch (code) {
        case 1:
            return "no device";
        case 2:
            return "device not found";
        case 3:
            return "thread failed";
        case 4:
            return "window failed";
        case 5:
            return "buffer error";
        case 6:
            return "device I/O failed";
        case 7:
            return "bad geometry";
        case 8:
            return "transfer failed";
        case 9:
            return "bad argument";
        case 11:
            return "not supported";
        case 13:
            return "stream failed";
        default:
            return "unknown error";
    }
}

void PrintErrors(PIXORA_HANDLE camera) {
    for (int32_t code = Pixora_GetLastError(camera); code != 0;
         code = Pixora_GetLastError(camera)) {
        std::fprintf(stderr, "pixora: error %d (%s)\n", code, ErrorName(code));
    }
}

int Info() {
    const int32_t version = Pixora_GetDllVersion();
    std::printf("library version  %d.%d.%d (0x%08x)\n", (version >> 16) & 0xFF,
                (version >> 8) & 0xFF, version & 0xFF, static_cast<unsigned>(version));
    PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
    if (camera == nullptr) {
        std::fprintf(stderr, "pixora: cannot open a camera handle\n");
        return 1;
    }
    std::printf("camera handle    %p\n", camera);
    std::printf("capture size     %d x %d\n", Pixora_Width(camera), Pixora_Height(camera));
    std::printf("colour mode      %d bits per pixel\n", Pixora_GetColorMode(camera));
    std::printf("wait time        %d ms\n", Pixora_GetWaitTime(camera));
    PixoraCameraInfo info{};
    info.size = sizeof info;
    int status = 0;
    if (Pixora_GetCameraInfo(camera, &info)) {
        std::printf("sensor           %d x %d\n", info.sensorWidth, info.sensorHeight);
        std::printf("gain range       %d..%d\n", info.gainMin, info.gainMax);
        std::printf("exposure range   %d..%d\n", info.exposureMin, info.exposureMax);
    } else {
        status = 1;
    }
    PrintErrors(camera);
    Pixora_Release(camera);
    return status;
}

void Usage(FILE* out) {
    std::fprintf(out,
                 "usage: pixora COMMAND [options]\n\n"
                 "commands:\n"
                 "  info     library version, camera information and current settings\n"
                 "  help     this text\n");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        Usage(stderr);
        return 2;
    }
    const std::string command = argv[1];
    if (command == "help" || command == "--help" || command == "-h") {
        Usage(stdout);
        return 0;
    }
    if (command == "info")
        return Info();
    std::fprintf(stderr, "pixora: unknown command '%s'\n", argv[1]);
    Usage(stderr);
    return 2;
}
