// pixora snapshot: one frame, saved to one or more files.
#include <cstdio>
#include <string>
#include <vector>

#include "Camera.h"
#include "CaptureOptions.h"
#include "CaptureWindow.h"
#include "Commands.h"
#include "ExitStatus.h"
#include "Interrupt.h"
#include "SaveFormats.h"
#include "ShotSettings.h"

namespace pixora::cli {

namespace {

struct Output {
    std::string path;
    SaveFormat format;
};

std::vector<Output> Outputs(const Arguments& args) {
    const std::string* formatName = args.Value("format");
    std::vector<Output> outputs;
    if (args.Operands().empty()) {
        const SaveFormat format = formatName ? FormatByName(*formatName) : FormatByName("bmp");
        outputs.push_back({std::string("snapshot") + format.extension, format});
        return outputs;
    }
    for (const std::string& path : args.Operands()) {
        if (path.empty())
            throw UsageError("an output file name is empty");
        outputs.push_back({path, formatName ? FormatByName(*formatName) : FormatForPath(path)});
    }
    return outputs;
}

int RunSnapshot(const Arguments& args) {
    // Everything the command line can get wrong is found before the camera is touched.
    const std::vector<Output> outputs = Outputs(args);
    const std::optional<int32_t> bits = BitsOption(args);
    const int32_t device = DeviceOption(args);
    const ShotRequest shot = ParseShotOptions(args);
    std::optional<WindowRequest> window;
    if (const std::string* roi = args.Value("roi"))
        window = ParseWindow(*roi, "--roi");

    std::unique_ptr<Camera> camera = Camera::Open(device, true);
    if (!camera)
        return kExitFailure;
    int status = kExitSuccess;
    {
        // The window is put back after the settings, before the camera is released.
        TemporaryWindow temporaryWindow(*camera);
        TemporarySettings settings(*camera);
        if (!ApplyColorMode(*camera, bits) || !settings.Apply(shot) ||
            (window && !temporaryWindow.Apply(*window))) {
            status = kExitFailure;
        } else if (Pixora_SnapShot(camera->Handle(), nullptr, 0, 1) != 1) {
            camera->ReportFailure("taking the snapshot");
            status = kExitFailure;
        } else if (Interrupted()) {
            status = InterruptedStatus();
        } else {
            const int32_t mode = Pixora_GetColorMode(camera->Handle());
            for (const Output& output : outputs) {
                if (Pixora_SaveImage(camera->Handle(), output.path.c_str(), output.format.code) !=
                    1) {
                    camera->ReportFailure("writing '" + output.path + "' as " + output.format.name);
                    status = kExitFailure;
                    continue;
                }
                std::printf("saved %s (%s, %d x %d, %d bits per pixel)\n", output.path.c_str(),
                            output.format.name, Pixora_Width(camera->Handle()),
                            Pixora_Height(camera->Handle()), mode);
            }
        }
    }
    if (!camera->Release() && status == kExitSuccess)
        status = kExitFailure;
    return status;
}

std::vector<OptionInfo> SnapshotOptions() {
    std::vector<OptionInfo> options = {
        {"bits", true}, {"device", true}, {"format", true}, {"roi", true}};
    for (const OptionInfo& option : ShotOptionList())
        options.push_back(option);
    return options;
}

std::string SnapshotHelp() {
    return std::string(
               "usage: pixora snapshot [options] [FILE...]\n\n"
               "Takes one frame and saves it to every FILE given (default: snapshot.bmp, or\n"
               "snapshot with the extension of --format). The format comes from --format or\n"
               "else from each file's extension: ") +
           ExtensionList() + ".\n\noptions:\n" + kBitsHelp + kDeviceHelp + "  --format F        " +
           FormatNames() + "\n" + WindowOptionHelp() +
           "                    for this shot only; the stored window is put back\n" +
           ShotOptionsHelp();
}

}  // namespace

Command SnapshotCommand() {
    static const std::string help = SnapshotHelp();
    return {"snapshot", "one frame in any colour mode, saved in any format", help.c_str(),
            SnapshotOptions(), RunSnapshot};
}

}  // namespace pixora::cli
