// pixora info: library version, camera information record, processor features, settings
// file and the current settings.
#include <cstdio>
#include <filesystem>

#include "Camera.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "NamedSettings.h"
#include "ProcessorFeatures.h"
#include "SettingsFile.h"
#include "Version.h"

namespace pixora::cli {

namespace {

bool PrintCameraInfo(Camera& camera) {
    char name[PIXORA_DEVICE_NAME_ENTRY] = {};
    if (Pixora_GetDeviceName(camera.Handle(), camera.Index(), name, sizeof name) != 1) {
        camera.ReportFailure("naming camera " + std::to_string(camera.Index()));
        return false;
    }
    std::printf("camera            %d %s\n", camera.Index(), name);
    PixoraCameraInfo info{};
    info.size = sizeof info;
    if (Pixora_GetCameraInfo(camera.Handle(), &info) != 1) {
        camera.ReportFailure("reading the camera information");
        return false;
    }
    std::printf("sensor            %d x %d\n", info.sensorWidth, info.sensorHeight);
    std::printf("gain range        %d..%d\n", info.gainMin, info.gainMax);
    std::printf("exposure range    %d..%d\n", info.exposureMin, info.exposureMax);
    return true;
}

void PrintSettings(Camera& camera) {
    const std::string path = SettingsFilePath();
    std::error_code error;
    const bool exists = std::filesystem::exists(path, error);
    std::printf("settings file     %s%s\n", path.c_str(), exists ? "" : " (not written yet)");
    PIXORA_HANDLE handle = camera.Handle();
    std::printf("colour mode       %d bits per pixel\n", Pixora_GetColorMode(handle));
    std::printf("capture size      %d x %d\n", Pixora_Width(handle), Pixora_Height(handle));
    std::printf("wait time         %d ms\n", Pixora_GetWaitTime(handle));
    for (const NamedSetting& setting : AllSettings()) {
        const std::optional<int32_t> value = ReadSetting(handle, setting);
        if (value)
            std::printf("%-17s %d\n", setting.name, *value);
    }
    // The colour gains are refused by this camera; their refusals are expected here.
    camera.DiscardErrors();
}

int RunInfo(const Arguments& args) {
    if (!args.Operands().empty())
        throw UsageError("info takes no operands");
    const int32_t device = DeviceOption(args);
    std::printf("library version   %s\n", LibraryVersion().c_str());
    const ProcessorFeatures features = DetectProcessorFeatures();
    std::printf("processor         %s\n", features.available.c_str());
    std::printf("interpolation     %s\n", features.interpolation.c_str());
    std::unique_ptr<Camera> camera = Camera::Open(device, false);
    if (!camera)
        return kExitFailure;
    const bool cameraOk = PrintCameraInfo(*camera);
    PrintSettings(*camera);
    const bool released = camera->Release();
    return cameraOk && released ? kExitSuccess : kExitFailure;
}

}  // namespace

Command InfoCommand() {
    return {"info",
            "library version, camera information, processor, settings",
            "usage: pixora info [--device N]\n\n"
            "Prints the library version, the camera's name and information record (sensor\n"
            "size, gain and exposure ranges), the processor extensions and the colour\n"
            "interpolation the library uses with them, the settings file in use and every\n"
            "current setting. Exit status 1 when there is no camera at the index.\n\n"
            "options:\n"
            "  --device N        camera index 0..7 (default 0)\n",
            {{"device", true}},
            RunInfo};
}

}  // namespace pixora::cli
