#include "simulator/ScenePattern.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "driver/WireProtocol.h"

namespace pixora {

namespace {

using wire::kSensorHeight;
using wire::kSensorWidth;

constexpr uint32_t kBarCount = 8;
constexpr uint32_t kBarsHeight = kSensorHeight * 3 / 4;
// Red, green, blue of white, yellow, cyan, green, magenta, red, blue, black.
constexpr std::array<std::array<uint8_t, 3>, kBarCount> kBarColors = {{
    {255, 255, 255},
    {255, 255, 0},
    {0, 255, 255},
    {0, 255, 0},
    {255, 0, 255},
    {255, 0, 0},
    {0, 0, 255},
    {0, 0, 0},
}};

constexpr double kWhiteLevel = 800.0;  // white at the reference gain and exposure
constexpr double kReferenceExposure = 64.0;
constexpr double kGainOffset = 256.0;  // a gain of 0 still passes a quarter of the reference
constexpr double kReferenceGain = 656.0;

uint32_t GreyRamp(uint32_t x) {
    return x * 255 / (kSensorWidth - 1);
}

}  // namespace

bool ParseSceneName(std::string_view name, SceneKind& scene) {
    if (name == "bars") {
        scene = SceneKind::Bars;
    } else if (name == "gradient") {
        scene = SceneKind::Gradient;
    } else if (name == "moving") {
        scene = SceneKind::Moving;
    } else {
        return false;
    }
    return true;
}

const char* SceneName(SceneKind scene) {
    switch (scene) {
        case SceneKind::Bars:
            return "bars";
        case SceneKind::Gradient:
            return "gradient";
        case SceneKind::Moving:
            return "moving";
    }
    return "bars";
}

uint32_t SceneReflectance(SceneKind scene, uint32_t x, uint32_t y, int channel) {
    x = std::min(x, kSensorWidth - 1);
    y = std::min(y, kSensorHeight - 1);
    if (scene == SceneKind::Gradient) {
        return (GreyRamp(x) + y * 255 / (kSensorHeight - 1)) / 2;
    }
    if (y >= kBarsHeight) {
        return GreyRamp(x);
    }
    const uint32_t bar = x * kBarCount / kSensorWidth;
    return kBarColors[bar][static_cast<size_t>(channel)];
}

int BayerChannel(uint32_t x, uint32_t y) {
    if ((y & 1) == 0) {
        return (x & 1) == 0 ? 1 : 0;
    }
    return (x & 1) == 0 ? 2 : 1;
}

uint32_t SensorLevel(uint32_t reflectance, uint32_t gain, uint32_t exposure) {
    const double level =
        static_cast<double>(std::min(reflectance, 255u)) / 255.0 * kWhiteLevel *
        (static_cast<double>(exposure) / kReferenceExposure) *
        ((kGainOffset + static_cast<double>(gain)) / (kGainOffset + kReferenceGain));
    return static_cast<uint32_t>(std::min(1023.0, std::floor(level + 0.5)));
}

SceneMosaic::SceneMosaic(SceneKind scene) : scene_(scene) {
    sites_.resize(static_cast<size_t>(kSensorWidth) * kSensorHeight);
    uint8_t* out = sites_.data();
    for (uint32_t y = 0; y < kSensorHeight; ++y) {
        for (uint32_t x = 0; x < kSensorWidth; ++x) {
            *out++ = static_cast<uint8_t>(SceneReflectance(scene, x, y, BayerChannel(x, y)));
        }
    }
}

const uint8_t* SceneMosaic::Row(uint32_t y) const {
    return sites_.data() + static_cast<size_t>(kSensorWidth) * std::min(y, kSensorHeight - 1);
}

ScenePattern::ScenePattern(const SceneMosaic& mosaic, const PatternKey& key) : key_(key) {
    key_.scene = mosaic.Scene();
    key_.bytesPerSample = key.bytesPerSample == 2 ? 2 : 1;
    // Gain and exposure change often under automatic exposure: one table lookup per sample.
    std::array<uint8_t, 256> high{};
    std::array<uint8_t, 256> low{};
    for (uint32_t r = 0; r < high.size(); ++r) {
        const uint32_t level = SensorLevel(r, key_.gain, key_.exposure);
        high[r] = static_cast<uint8_t>(level >> 2);
        low[r] = static_cast<uint8_t>(level & 3);
    }
    bytes_.resize(RowBytes() * kSensorHeight);
    uint8_t* out = bytes_.data();
    for (uint32_t y = 0; y < kSensorHeight; ++y) {
        const uint8_t* sites = mosaic.Row(y);
        if (key_.bytesPerSample == 1) {
            for (uint32_t x = 0; x < kSensorWidth; ++x) {
                out[x] = high[sites[x]];
            }
        } else {
            for (uint32_t x = 0; x < kSensorWidth; ++x) {
                out[2 * x] = high[sites[x]];
                out[2 * x + 1] = low[sites[x]];
            }
        }
        out += RowBytes();
    }
}

size_t ScenePattern::RowBytes() const {
    return static_cast<size_t>(kSensorWidth) * key_.bytesPerSample;
}

const uint8_t* ScenePattern::Row(uint32_t y) const {
    return bytes_.data() + RowBytes() * std::min(y, kSensorHeight - 1);
}

uint32_t ScenePattern::Level(uint32_t x, uint32_t y) const {
    const uint8_t* sample =
        Row(y) + static_cast<size_t>(std::min(x, kSensorWidth - 1)) * key_.bytesPerSample;
    if (key_.bytesPerSample == 1) {
        return static_cast<uint32_t>(sample[0]) << 2;
    }
    return (static_cast<uint32_t>(sample[0]) << 2) | (sample[1] & 3u);
}

uint32_t SceneShift(SceneKind scene, uint64_t sequence) {
    if (scene != SceneKind::Moving) {
        return 0;
    }
    return static_cast<uint32_t>((sequence * kMovingStep) % kSensorWidth);
}

void WriteFrame(const ScenePattern& pattern, uint32_t shift, ReadoutStart start, uint64_t sequence,
                uint8_t* dest, size_t bytes) {
    if (dest == nullptr || bytes == 0) {
        return;
    }
    start.column = std::min(start.column, kSensorWidth - 1);
    start.row = std::min(start.row, kSensorHeight - 1);
    const size_t bps = pattern.BytesPerSample();
    const size_t lineBytes = wire::kLinePitch * bps;
    const size_t headBytes = wire::kActiveColumn * bps;
    // Each line carries the sensor row from the start column to the sensor's edge; the scene
    // moved right by `shift` puts pattern column `first` under the start column.
    const uint32_t samples = kSensorWidth - start.column;
    const uint32_t first = (start.column + kSensorWidth - shift % kSensorWidth) % kSensorWidth;
    const size_t firstRun = static_cast<size_t>(std::min(samples, kSensorWidth - first)) * bps;
    const size_t wrapRun = static_cast<size_t>(samples) * bps - firstRun;
    const size_t tailBytes = lineBytes - headBytes - firstRun - wrapRun;

    // Each piece is clipped to what is left of the request, so a transfer may end anywhere.
    size_t pos = 0;
    auto zero = [&](size_t n) {
        n = std::min(n, bytes - pos);
        std::memset(dest + pos, 0, n);
        pos += n;
    };
    auto copy = [&](const uint8_t* src, size_t n) {
        n = std::min(n, bytes - pos);
        std::memcpy(dest + pos, src, n);
        pos += n;
    };

    zero(wire::kActiveLine * lineBytes);
    for (uint32_t y = start.row; y < kSensorHeight && pos < bytes; ++y) {
        const uint8_t* row = pattern.Row(y);
        zero(headBytes);
        copy(row + static_cast<size_t>(first) * bps, firstRun);
        copy(row, wrapRun);
        zero(tailBytes);
    }
    zero(bytes - pos);

    for (size_t i = 0; i < 4 && i < bytes; ++i) {
        dest[i] = static_cast<uint8_t>((sequence >> (8 * i)) & 0xFF);
    }
}

uint32_t FrameStamp(const uint8_t* frame) {
    if (frame == nullptr) {
        return 0;
    }
    return static_cast<uint32_t>(frame[0]) | (static_cast<uint32_t>(frame[1]) << 8) |
           (static_cast<uint32_t>(frame[2]) << 16) | (static_cast<uint32_t>(frame[3]) << 24);
}

}  // namespace pixora
