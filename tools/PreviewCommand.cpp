// pixora preview: the library's preview window until Ctrl-C or --seconds.
#include <chrono>
#include <cstdio>
#include <thread>

#include "Camera.h"
#include "CaptureOptions.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "Interrupt.h"

namespace pixora::cli {

namespace {

int RunPreview(const Arguments& args) {
    if (!args.Operands().empty())
        throw UsageError("preview takes no operands");
    const std::optional<int32_t> bits = BitsOption(args);
    const int32_t device = DeviceOption(args);
    const std::optional<double> seconds = args.Seconds("seconds");
    const std::string* parentText = args.Value("parent");
    std::optional<int64_t> parent;
    if (parentText != nullptr) {
        parent = ParseInteger(*parentText);
        if (!parent || *parent <= 0 || *parent > 0xFFFFFFFFLL)
            throw UsageError("--parent must be a window id such as 0x2a00007, not '" + *parentText +
                             "'");
    }
    const int32_t x = args.Integer("x", -32768, 32767, 0);
    const int32_t y = args.Integer("y", -32768, 32767, 0);
    const std::optional<int32_t> width = args.OptionalInteger("width", 1, 32767);
    const std::optional<int32_t> height = args.OptionalInteger("height", 1, 32767);
    if (!parent && (args.Has("x") || args.Has("y") || width || height))
        throw UsageError("--x, --y, --width and --height place the window inside --parent");

    std::unique_ptr<Camera> camera = Camera::Open(device, true);
    if (!camera)
        return kExitFailure;
    PIXORA_HANDLE handle = camera->Handle();
    if (!ApplyColorMode(*camera, bits))
        return kExitFailure;
    if (parent) {
        const auto window = reinterpret_cast<PIXORA_HWND>(static_cast<uintptr_t>(*parent));
        if (Pixora_SetPreviewWindow(handle, window, x, y, width.value_or(Pixora_Width(handle)),
                                    height.value_or(Pixora_Height(handle))) != 1) {
            camera->ReportFailure("placing the preview window");
            return kExitFailure;
        }
    }
    if (Pixora_Preview(handle) != 1) {
        camera->ReportFailure("opening the preview");
        return kExitFailure;
    }
    std::printf("previewing camera %d: %d x %d, %d bits per pixel (Ctrl-C stops)\n", device,
                Pixora_Width(handle), Pixora_Height(handle), Pixora_GetColorMode(handle));

    int status = kExitSuccess;
    const auto start = std::chrono::steady_clock::now();
    while (!Interrupted()) {
        if (seconds &&
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >=
                *seconds)
            break;
        const std::map<int32_t, int> errors = camera->TakeAnnouncedErrors();
        camera->DiscardErrors();
        if (errors.count(PIXORA_ERR_STREAM_FAILED) != 0) {
            std::fprintf(stderr, "pixora: preview: the stream stopped with error %d\n",
                         PIXORA_ERR_STREAM_FAILED);
            status = kExitFailure;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (Pixora_Close(handle) != 1) {
        camera->ReportFailure("closing the preview");
        status = kExitFailure;
    }
    std::printf("preview closed\n");
    if (!camera->Release() && status == kExitSuccess)
        status = kExitFailure;
    return status;
}

}  // namespace

Command PreviewCommand() {
    static const std::string help =
        std::string(
            "usage: pixora preview [options]\n\n"
            "Shows the camera's picture in the preview window, a window of its own or one\n"
            "placed inside --parent, until Ctrl-C or --seconds. Without a display the\n"
            "preview runs in memory. Ctrl-C stops streaming, closes the window and releases\n"
            "the camera (exit status 0).\n\n"
            "options:\n") +
        kBitsHelp + kDeviceHelp +
        "  --seconds S       stop after S seconds\n"
        "  --parent ID       X11 window id to show the preview in (decimal or 0x...)\n"
        "  --x X --y Y       position inside the parent (default 0, 0)\n"
        "  --width W --height H  size inside the parent (default the capture size)\n";
    return {"preview",
            "the preview window until Ctrl-C or --seconds",
            help.c_str(),
            {{"bits", true},
             {"device", true},
             {"seconds", true},
             {"parent", true},
             {"x", true},
             {"y", true},
             {"width", true},
             {"height", true}},
            RunPreview};
}

}  // namespace pixora::cli
