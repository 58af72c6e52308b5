// What the virtual sensor sees and how it turns into samples: the scenes, the brightness
// response to gain and exposure, and the Bayer mosaic encoded as it goes on the wire.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace pixora {

enum class SceneKind {
    Bars = 0,      // eight vertical colour bars over a grey ramp in the bottom quarter
    Gradient = 1,  // grey ramp from black at the top left to white at the bottom right
    Moving = 2,    // the bars, moving right by kMovingStep columns every frame
};

inline constexpr uint32_t kMovingStep = 16;  // even, so the colour sites stay in phase

bool ParseSceneName(std::string_view name, SceneKind& scene);
const char* SceneName(SceneKind scene);

// Reflectance 0..255 of the colour channel c (0 red, 1 green, 2 blue) at sensor column x,
// row y.
uint32_t SceneReflectance(SceneKind scene, uint32_t x, uint32_t y, int channel);

// Colour channel of a sensor site: green on a red row first, so row 0 reads G R G R ... and
// row 1 reads B G B G ...
int BayerChannel(uint32_t x, uint32_t y);

// 10-bit level (0..1023) of a surface of reflectance 0..255 at analog gain 0..1023 and
// exposure value 0..4095. Rises with gain and with exposure; white at gain 656 and exposure
// 64 gives 800, that is 200 in 8-bit samples.
uint32_t SensorLevel(uint32_t reflectance, uint32_t gain, uint32_t exposure);

// The reflectance (0..255) that each sensor site sees through its own colour filter: the
// scene without gain or exposure, built once per scene.
class SceneMosaic {
public:
    explicit SceneMosaic(SceneKind scene);

    SceneKind Scene() const { return scene_; }
    const uint8_t* Row(uint32_t y) const;

private:
    SceneKind scene_;
    std::vector<uint8_t> sites_;
};

struct PatternKey {
    SceneKind scene = SceneKind::Bars;
    uint32_t bytesPerSample = 1;  // 1: 8-bit samples; 2: 10-bit samples in two bytes
    uint32_t gain = 0;
    uint32_t exposure = 0;
    bool operator==(const PatternKey&) const = default;
};

// The whole sensor image, kSensorWidth x kSensorHeight samples, encoded for the wire: one
// byte per 8-bit sample; for 10-bit samples byte 0 = bits 9..2 and byte 1 = bits 1..0.
// Built once per key and shared read-only by every frame that uses it.
class ScenePattern {
public:
    // key.scene is taken from the mosaic.
    ScenePattern(const SceneMosaic& mosaic, const PatternKey& key);
    explicit ScenePattern(const PatternKey& key) : ScenePattern(SceneMosaic(key.scene), key) {}

    const PatternKey& Key() const { return key_; }
    uint32_t BytesPerSample() const { return key_.bytesPerSample; }
    size_t RowBytes() const;
    const uint8_t* Row(uint32_t y) const;
    // The 10-bit level of the sample at (x, y).
    uint32_t Level(uint32_t x, uint32_t y) const;

private:
    PatternKey key_;
    std::vector<uint8_t> bytes_;
};

// Columns the scene is moved right by in frame `sequence` (1, 2, ...).
uint32_t SceneShift(SceneKind scene, uint64_t sequence);

// The sensor site a frame's read-out starts at: the window start the host programmed.
struct ReadoutStart {
    uint32_t column = 0;
    uint32_t row = 0;
};

// Writes the first `bytes` bytes of one frame: lines of kLinePitch samples, zero outside the
// image; the image is the sensor from `start` on (to the sensor's right and bottom edges),
// its scene shifted right by `shift` columns (wrapping); the low 32 bits of `sequence` go
// into the first four bytes of line 0, least significant first.
void WriteFrame(const ScenePattern& pattern, uint32_t shift, ReadoutStart start, uint64_t sequence,
                uint8_t* dest, size_t bytes);

// The sequence number that WriteFrame stamped into a frame of at least four bytes.
uint32_t FrameStamp(const uint8_t* frame);

}  // namespace pixora
