// Entry points of the three property dialogs, and what a camera session hands them.
//
// Each Run* call shows one modal dialog on the calling thread and returns when the user
// closed it. The dialog is drawn by the dialog host of the process: a test host when one is
// installed (dialogs/host/DialogHosts.h), else real windows when a display is present. Without
// any host, or when the host fails to show the dialog, nothing is changed and the call
// returns kDialogNoHost (the session then records its "no dialog" error).
//
// Threads: the context's operations are called on the thread that called Run*, never on
// another. The refresh target a dialog publishes (DialogRefresh) may be called from any
// thread, at any time, also after the dialog closed (the calls then do nothing): the
// processing chain calls it from the streaming thread, and it forwards the request to the
// dialog's own thread without waiting.
#pragma once

#include <cstdint>
#include <memory>

#include "PixoraSdk_530TZ.h"
#include "imaging/DialogRefresh.h"
#include "settings/SettingsRecords.h"

namespace pixora {

// End codes of a dialog run.
inline constexpr int32_t kDialogOk = 1;
inline constexpr int32_t kDialogCancel = 2;
inline constexpr int32_t kDialogNoHost = -1;  // nothing shown, nothing changed

// True when a dialog can be shown now (test host installed, or a display is reachable).
// The session checks it before it pauses streaming for the camera dialog.
bool PropertyDialogsAvailable();

// The camera property dialog: edits the capture-format values in the registry and writes
// them on OK or Apply. It does not touch any session; the caller stops streaming before
// and reloads the format after kDialogOk.
int32_t RunCameraPropertyDialog(PIXORA_HWND parent);

// What the image filter dialog needs of a session.
class ImageDialogContext {
public:
    virtual ~ImageDialogContext() = default;
    // The record the dialog writes live; the processing chain reads it meanwhile.
    virtual FilterSettings& Filter() = 0;
    // The session's colour mode index; 0 and 1 (monochrome) add the gray filter tab.
    virtual int32_t ColorModeIndex() const = 0;
    // Called with the open dialog's refresh target when the dialog opens, and with null
    // when it closes. The session keeps it (thread-safely) and forwards the processing
    // chain's RefreshImageSettings to it.
    virtual void PublishImageDialog(std::shared_ptr<DialogRefresh> dialog) = 0;
};

// Shows the image filter dialog (with the gray filter page in colour modes 0 and 1). Cancel
// and a closed window put the 30 entries back as they were when the dialog opened.
int32_t RunImageFilterDialog(ImageDialogContext& context, PIXORA_HWND parent);

// What the analog gain dialog needs of a session and its camera.
class AnalogDialogContext {
public:
    virtual ~AnalogDialogContext() = default;
    virtual AnalogSettings& Analog() = 0;
    // Its Bayer mode entry changes with the vertical mirror.
    virtual FilterSettings& Filter() = 0;
    // Camera limits and setters; results of the setters are ignored.
    virtual int32_t GainMin() const = 0;
    virtual int32_t GainMax() const = 0;
    virtual int32_t ExposureMin() const = 0;
    virtual int32_t ExposureMax() const = 0;
    virtual void SetGain(int32_t gain) = 0;
    virtual void SetExposure(int32_t exposure) = 0;
    // As PublishImageDialog, for the processing chain's ShowAnalogValue (automatic iris).
    virtual void PublishAnalogDialog(std::shared_ptr<DialogRefresh> dialog) = 0;
};

// Shows the analog gain dialog. Gain and exposure reach the camera as they change; Cancel
// and a closed window put back the eight analog entries and the Bayer mode and send the
// old gain and exposure to the camera again.
int32_t RunAnalogGainDialog(AnalogDialogContext& context, PIXORA_HWND parent);

}  // namespace pixora
