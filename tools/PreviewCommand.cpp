// pixora preview: the camera's picture in a window until Escape, q, the window's close
// button, Ctrl-C or --seconds.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "Camera.h"
#include "CaptureOptions.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "ViewerWindow.h"

namespace pixora::cli {

namespace {

// "pixora preview: camera 0 Pixora530TZ_01, 1360 x 1024, 24 bits per pixel".
std::string ViewerTitle(const Camera& camera) {
    char name[PIXORA_DEVICE_NAME_ENTRY] = {};
    PIXORA_HANDLE handle = camera.Handle();
    Pixora_GetDeviceName(handle, camera.Index(), name, sizeof name);
    return "pixora preview: camera " + std::to_string(camera.Index()) + " " + name + ", " +
           std::to_string(Pixora_Width(handle)) + " x " + std::to_string(Pixora_Height(handle)) +
           ", " + std::to_string(Pixora_GetColorMode(handle)) + " bits per pixel";
}

bool DisplayNamed() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

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
    std::unique_ptr<ViewerWindow> viewer;
    if (!parent && DisplayNamed())
        viewer =
            ViewerWindow::Open(ViewerTitle(*camera), Pixora_Width(handle), Pixora_Height(handle));
    int32_t placed = 1;
    if (parent) {
        const auto window = reinterpret_cast<PIXORA_HWND>(static_cast<uintptr_t>(*parent));
        placed = Pixora_SetPreviewWindow(handle, window, x, y, width.value_or(Pixora_Width(handle)),
                                         height.value_or(Pixora_Height(handle)));
    } else if (viewer) {
        placed = Pixora_SetPreviewWindow(handle, viewer->Handle(), 0, 0, viewer->Width(),
                                         viewer->Height());
    }
    if (placed != 1) {
        camera->ReportFailure("placing the preview window");
        return kExitFailure;
    }
    if (Pixora_Preview(handle) != 1) {
        camera->ReportFailure("opening the preview");
        return kExitFailure;
    }
    std::string where;
    if (viewer) {
        char id[32];
        std::snprintf(id, sizeof id, " in window 0x%lx", viewer->Id());
        where = id;
    }
    std::printf("previewing camera %d: %d x %d, %d bits per pixel%s (%sCtrl-C stops)\n", device,
                Pixora_Width(handle), Pixora_Height(handle), Pixora_GetColorMode(handle),
                where.c_str(), viewer ? "Escape, q, closing the window or " : "");

    int status = kExitSuccess;
    bool reachedEnd = false;
    const auto start = std::chrono::steady_clock::now();
    while (!Interrupted()) {
        if (seconds &&
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >=
                *seconds) {
            reachedEnd = true;
            break;
        }
        // The user closing the viewer ends the preview as asked: no interruption.
        if (viewer && viewer->CloseRequested()) {
            reachedEnd = true;
            break;
        }
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
    // The library's window goes before the viewer that holds it.
    if (Pixora_Close(handle) != 1) {
        camera->ReportFailure("closing the preview");
        status = kExitFailure;
    }
    viewer.reset();
    std::printf("preview closed\n");
    if (status == kExitSuccess && seconds && !reachedEnd && Interrupted())
        status = InterruptedStatus();
    if (!camera->Release() && status == kExitSuccess)
        status = kExitFailure;
    return status;
}

}  // namespace

Command PreviewCommand() {
    static const std::string help =
        std::string(
            "usage: pixora preview [options]\n\n"
            "Shows the camera's picture until Escape, q, closing the window, Ctrl-C or\n"
            "--seconds. With a display the picture is shown in a window titled with the\n"
            "camera and the format, scaled down when the screen is smaller than the frame;\n"
            "with --parent, in the library's preview window placed inside that window.\n"
            "Without a display the preview runs in memory. Stopping closes the window and\n"
            "releases the camera; Ctrl-C or SIGTERM before --seconds ran out gives exit\n"
            "status 130 or 143, otherwise 0.\n\n"
            "options:\n") +
        kBitsHelp + kDeviceHelp +
        "  --seconds S       stop after S seconds\n"
        "  --parent ID       X11 window id to show the preview in (decimal or 0x...)\n"
        "  --x X --y Y       position inside the parent (default 0, 0)\n"
        "  --width W --height H  size inside the parent (default the capture size)\n";
    return {"preview",
            "the camera's picture in a window until closed, Ctrl-C or --seconds",
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
