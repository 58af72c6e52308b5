// Picture settings given for one snapshot or stream (--gain, --exposure, --white-balance,
// --bayer-mode and the adjustments): applied before capture and put back afterwards, so
// the camera's stored settings stay as they were.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Camera.h"
#include "CommandLine.h"
#include "NamedSettings.h"

namespace pixora::cli {

// The options this file reads, and their help text with the ranges the library takes.
std::vector<OptionInfo> ShotOptionList();
std::string ShotOptionsHelp();

// The shot options of a command line, checked before any camera is opened.
struct ShotRequest {
    std::vector<std::pair<const NamedSetting*, int32_t>> values;
    bool whiteBalance = false;
};
ShotRequest ParseShotOptions(const Arguments& args);

class TemporarySettings {
public:
    explicit TemporarySettings(Camera& camera) : camera_(camera) {}
    ~TemporarySettings() { Restore(); }
    TemporarySettings(const TemporarySettings&) = delete;
    TemporarySettings& operator=(const TemporarySettings&) = delete;

    // Applies the request; on a refused value reports it and returns false.
    bool Apply(const ShotRequest& request);
    // Ends the white-balance measurement asked for with --white-balance, keeping the gains
    // it measured for the rest of the run.
    void EndWhiteBalance();
    // Puts every changed setting back, newest first.
    void Restore();

private:
    bool Change(const NamedSetting& setting, int32_t value);

    struct Saved {
        const NamedSetting* setting;
        int32_t value;
    };
    Camera& camera_;
    std::vector<Saved> saved_;
};

}  // namespace pixora::cli
