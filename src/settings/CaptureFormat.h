// The capture format of a session: geometry and the values persisted beside it under the
// library's settings key.
#pragma once

#include <cstdint>
#include <string>

#include "settings/SensorSize.h"

namespace pixora {

class RegistryKey;

inline constexpr const char* kSettingsKey = "Software\\Mendal\\Pixora530TZSdk";

// The stored names of the values that are controls (settings/ControlRows.h).
extern const char* const kColorName;
extern const char* const kWaitTimeName;
extern const char* const kClockName;
extern const char* const kWidthName;
extern const char* const kHeightName;
extern const char* const kColumnName;
extern const char* const kRowName;

struct FormatSettings {
    int32_t totalWidth = kSensorWidth;
    int32_t totalHeight = kSensorHeight;
    int32_t captureWidth = kSensorWidth;
    int32_t captureHeight = kSensorHeight;
    int32_t startColumn = 0;
    int32_t startRow = 0;
    int32_t bufferCount = 10;
};

// Values stored beside the geometry: colour mode index, sub-sample index, wait time, clock.
struct FormatValues {
    int32_t colorModeIndex = 0;
    int32_t subSampleIndex = 0;
    int32_t waitTimeMs = 10;
    int32_t clock = 0;
};

// A size subkey of the settings key: "Size_00", "Size_01", ... for `number`.
std::string SizeKeyName(int32_t number);
// Reads the values of a size subkey ("TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"); a missing
// value leaves its field unchanged.
void ReadSize(const RegistryKey& size, FormatSettings& format);
// Writes them in one replacement of the settings file; false when that fails.
bool WriteSize(RegistryKey& size, const FormatSettings& format);

// True when the window lies inside the sensor and the sub-sample index is 0, 1 or 2.
bool GeometryValid(const FormatSettings& format, int32_t subSampleIndex);

// Reads "Size" and the "Size_%02d" subkey it names into `format` (a missing value leaves
// its field unchanged). On a first run writes the defaults instead. 1 when read, else 0.
int32_t LoadGeometry(FormatSettings& format);

// Writes the geometry into the size subkey "Size" names (its number read again now; 0 when
// it is missing). 1 when written, 0 when the key could not be created.
int32_t SaveGeometry(const FormatSettings& format);

// Reads "Color", "SubSample", "WaitTime" and "Clock" as stored. 1 when the key opened.
int32_t LoadFormat(FormatValues& values);

}  // namespace pixora
