// Everything a session keeps of its settings: the capture format and the picture and analog
// records, with the colour mode, sub-sampling, wait time and clock the format stores. The
// session changes them on the application's thread; the capture machinery reads them, its
// worker through the atomics and the records' atomic entries.
#pragma once

#include <atomic>
#include <cstdint>

#include "settings/CaptureFormat.h"
#include "settings/SettingsRecords.h"

namespace pixora {

struct SessionSettings {
    FormatSettings format;  // application thread only
    FilterSettings filter;
    AnalogSettings analog;
    std::atomic<int32_t> colorModeIndex{0};
    std::atomic<int32_t> subSampleIndex{0};
    std::atomic<int32_t> waitTimeMs{10};
    std::atomic<int32_t> clock{0};

    bool GeometryValid() const { return pixora::GeometryValid(format, subSampleIndex.load()); }
};

}  // namespace pixora
