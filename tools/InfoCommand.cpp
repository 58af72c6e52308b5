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
    // What set takes comes from the library's table, what the camera keeps from its record.
    std::printf("gain range        %s accepted, the camera keeps %d..%d\n",
                RangeText(*SettingOfFilter(PIXORA_FILTER_GLOBAL_GAIN)).c_str(), info.gainMin,
                info.gainMax);
    std::printf("exposure range    %s accepted, the camera keeps %d..%d\n",
                RangeText(*SettingOfFilter(PIXORA_FILTER_EXPOSURE_TIME)).c_str(), info.exposureMin,
                info.exposureMax);
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
    std::printf("\n%-17s %-10s %s\n", "setting", "value", "accepted");
    for (const NamedSetting& setting : AllSettings()) {
        if (IsRefused(setting))
            continue;
        const std::optional<int32_t> value = ReadSetting(handle, setting);
        if (value)
            std::printf("%-17s %-10s %s\n", setting.name, FormatValue(setting, *value).c_str(),
                        RangeText(setting).c_str());
    }
    // A setting that cannot be read here is left out; its failure is no failure of info.
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
            "size; the gain and exposure the library accepts and what the camera keeps of\n"
            "them), the processor extensions and the colour interpolation the library uses\n"
            "with them, the settings file in use and every current setting with the values\n"
            "it accepts. Exit status 1 when there is no camera at the index.\n\n"
            "options:\n"
            "  --device N        camera index 0..7 (default 0)\n",
            {{"device", true}},
            RunInfo};
}

}  // namespace pixora::cli
