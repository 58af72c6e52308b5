// pixora dialog camera|image|analog: one of the library's property dialogs.
#include <cstdio>
#include <string>

#include "Camera.h"
#include "Commands.h"
#include "DialogCloser.h"
#include "ExitStatus.h"
#include "Interrupt.h"

namespace pixora::cli {

namespace {

int RunDialog(const Arguments& args) {
    if (args.Operands().size() != 1)
        throw UsageError("dialog needs one of: camera, image, analog");
    const std::string& which = args.Operands()[0];
    int32_t (*show)(PIXORA_HANDLE, PIXORA_HWND) = nullptr;
    if (which == "camera")
        show = Pixora_SetCameraDlg;
    else if (which == "image")
        show = Pixora_SetImageDlg;
    else if (which == "analog")
        show = Pixora_SetAnalogDlg;
    else
        throw UsageError("unknown dialog '" + which + "' (camera, image or analog)");
    PIXORA_HWND parent = nullptr;
    if (const std::string* text = args.Value("parent")) {
        const std::optional<int64_t> id = ParseInteger(*text);
        if (!id || *id <= 0 || *id > 0xFFFFFFFFLL)
            throw UsageError("--parent must be a window id such as 0x2a00007, not '" + *text + "'");
        parent = reinterpret_cast<PIXORA_HWND>(static_cast<uintptr_t>(*id));
    }
    const int32_t device = DeviceOption(args);

    std::unique_ptr<Camera> camera = Camera::Open(device, false);
    if (!camera)
        return kExitFailure;
    int32_t shown = 0;
    if (!Interrupted()) {
        const DialogCloser closer;
        shown = show(camera->Handle(), parent);
    }
    int status = kExitSuccess;
    if (Interrupted()) {
        // Closed on the stop request the way its close button closes it: as Cancel.
        status = InterruptedStatus();
    } else if (shown != 1) {
        camera->ReportFailure("showing the " + which + " dialog");
        status = kExitFailure;
    }
    if (!camera->Release() && status == kExitSuccess)
        status = kExitFailure;
    return status;
}

}  // namespace

Command DialogCommand() {
    return {"dialog",
            "the camera, image or analog property dialog",
            "usage: pixora dialog camera|image|analog [--parent ID] [--device N]\n\n"
            "Opens a property dialog and waits until it is closed:\n"
            "  camera   colour mode and wait time of the capture format\n"
            "  image    picture adjustments, white balance and gray settings\n"
            "  analog   gain, exposure, vertical mirror and automatic exposure\n"
            "What the dialog keeps is stored in the settings file. A dialog needs a display;\n"
            "without one the library reports error 4. Ctrl-C or SIGTERM closes the dialog as\n"
            "Cancel does and releases the camera (exit status 130 or 143).\n\n"
            "options:\n"
            "  --parent ID       X11 window id of the owner window (decimal or 0x...)\n"
            "  --device N        camera index 0..7 (default 0)\n",
            {{"parent", true}, {"device", true}},
            RunDialog};
}

}  // namespace pixora::cli
