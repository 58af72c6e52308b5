// The raw frame copy through the device object: a frame geometry (valid or not), a sample
// width, one captured or streamed frame, and a destination of any size, stride and depth.
// The device takes a destination only when the window fits it and then writes exactly the
// window's samples; the row unpackers agree with each other and with the plain formula.
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "FuzzInput.h"
#include "FuzzTargets.h"
#include "device/DeviceResult.h"
#include "device/PixoraDevice.h"
#include "device/RawFrameCopy.h"
#include "driver/ControlDriverPort.h"
#include "driver/WireProtocol.h"

namespace pixora::fuzz {

namespace {

// Frames are cut from one fixed pattern, starting at an offset the input chooses.
constexpr size_t kPatternPeriod = 4093;
constexpr size_t kLargestFrame = size_t{1859584} * 2;  // the full window in 10-bit samples

const uint8_t* Pattern() {
    static const uint8_t* pattern = [] {
        auto* bytes = new uint8_t[kLargestFrame + kPatternPeriod];
        for (size_t i = 0; i < kLargestFrame + kPatternPeriod; ++i)
            bytes[i] = static_cast<uint8_t>((i * 2654435761u) >> 24);
        return bytes;
    }();
    return pattern;
}

// The byte at `offset` of every frame the port delivers.
uint8_t FrameByte(uint32_t seed, uint64_t offset) {
    return Pattern()[offset + seed % kPatternPeriod];
}

// A driver with one camera at index 0 that accepts every command and answers every frame
// read at once with the pattern above, whole or `shortBy` bytes short.
class PatternPort : public ControlDriver {
public:
    DriverHandle Open(const char* path) override {
        const size_t n = std::strlen(path);
        return n > 2 && path[n - 2] == '-' && path[n - 1] == '0' ? reinterpret_cast<DriverHandle>(1)
                                                                 : nullptr;
    }

    bool Control(DriverHandle, uint32_t code, const void* in, uint32_t inSize, void* out,
                 uint32_t outSize, uint32_t* bytesReturned, TransferStatus*) override {
        uint32_t moved = 0;
        bool ok = true;
        if (code == wire::kCodeSetTimeout) {
            moved = 0;
        } else if (in == nullptr || inSize != 4 || out == nullptr) {
            ok = false;
        } else {
            uint32_t pipe = 0;
            std::memcpy(&pipe, in, 4);
            if (pipe == wire::kPipeImage) {
                const uint32_t shortBy = shortBy_.load();
                moved = outSize > shortBy ? outSize - shortBy : 0;
                if (moved > kLargestFrame) {
                    ok = false;
                } else {
                    std::memcpy(out, Pattern() + seed_.load() % kPatternPeriod, moved);
                }
            } else if (pipe == wire::kPipeReply) {
                std::memset(out, 0, outSize);
                moved = outSize;
            } else {
                moved = outSize;
            }
        }
        if (bytesReturned != nullptr)
            *bytesReturned = ok ? moved : 0;
        return ok;
    }

    void Close(DriverHandle) override {}

    std::atomic<uint32_t> seed_{0};
    std::atomic<uint32_t> shortBy_{0};
};

PatternPort& Port() {
    static PatternPort* port = new PatternPort;
    return *port;
}

// Starts with a small window, so that inputs whose geometry is refused stay quick.
PixoraDevice& Device() {
    static PixoraDevice* device = [] {
        static ControlDriverPort* port = new ControlDriverPort(Port());
        auto* d = new PixoraDevice(*port);
        d->SetFrameGeometry(100, 10, 64, 40, 4, 32, 3);
        return d;
    }();
    return *device;
}

int32_t GeometryCheck(int32_t pitch, int32_t column, int32_t width, int32_t lines, int32_t line,
                      int32_t height, int32_t slots) {
    const int64_t p = pitch;
    if (pitch <= 0 || width <= 0 || column < 0 || p < int64_t{column} + width)
        return kDevBadHorizontal;
    if (lines <= 0 || height <= 0 || line < 0 || int64_t{lines} < int64_t{line} + height)
        return kDevBadVertical;
    return slots < 2 ? kDevTooFewSlots : kDevOk;
}

int32_t PickDimension(FuzzInput& in) {
    static constexpr int32_t kSmall[] = {-1, 0, 1, 2, 3, 4, 5, 7, 8, 15, 16, 17, 31, 33, 64, 100};
    switch (in.Byte() % 4) {
        case 0:
            return in.Pick(kSmall);
        case 1:
            return in.Range(0, 300);
        case 2:
            return in.Range(0, 2000);
        default:
            return in.Interesting();
    }
}

// Checks one conversion into a destination made from the input; `frameWhole` says whether
// the frame converted is the port's pattern in full.
void CheckConversion(FuzzInput& in, bool fromStream, bool frameWhole) {
    PixoraDevice& device = Device();
    const FrameGeometry g = device.Geometry();
    const uint32_t wide = device.SampleWidth();
    const size_t bytesPerPixel = wide != 0 ? 2 : 1;
    const size_t rowBytes = static_cast<size_t>(g.activeWidth) * bytesPerPixel;

    RawDestination dest;
    static constexpr size_t kBppChoices[] = {0, 1, 2};
    dest.bytesPerPixel = in.Pick(kBppChoices);
    switch (in.Byte() % 4) {
        case 0:
            dest.stride = 0;
            break;
        case 1:
            dest.stride = rowBytes;
            break;
        case 2:
            dest.stride = rowBytes + in.Range(0, 8);
            break;
        default:
            dest.stride = rowBytes > 0 ? rowBytes - 1 : 0;
            break;
    }
    const size_t stride = dest.stride != 0 ? dest.stride : rowBytes;
    const size_t fits = g.activeHeight > 0 ? (g.activeHeight - 1) * stride + rowBytes : 0;
    switch (in.Byte() % 4) {
        case 0:
            dest.capacity = fits;
            break;
        case 1:
            dest.capacity = fits > 0 ? fits - 1 : 0;
            break;
        case 2:
            dest.capacity = fits + in.Range(0, 64);
            break;
        default:
            dest.capacity = in.Range(0, 4096);
            break;
    }
    // Exactly the capacity claimed: a write past it is the sanitizer's to see.
    std::unique_ptr<uint8_t[]> memory(new uint8_t[dest.capacity > 0 ? dest.capacity : 1]);
    const bool nullPixels = in.Byte() % 8 == 0;
    dest.pixels = nullPixels ? nullptr : memory.get();
    const uint8_t fill = in.Byte();
    std::memset(memory.get(), fill, dest.capacity > 0 ? dest.capacity : 1);

    const int32_t result = fromStream ? device.ConvertLatest(dest) : device.ConvertFrame(dest);
    const bool windowFits =
        WindowFitsFrame(g, static_cast<int64_t>(g.transferSamples)) && g.transferSamples > 0;
    const bool accepts = !nullPixels && windowFits &&
                         (dest.bytesPerPixel == 0 || dest.bytesPerPixel == bytesPerPixel) &&
                         stride >= rowBytes && dest.capacity >= fits;
    PIXORA_FUZZ_REQUIRE((result == kDevOk) == accepts,
                        "conversion returned %d; window %dx%d at (%d, %d), pitch %d, %zu bytes "
                        "per pixel, stride %zu, capacity %zu of %zu",
                        result, g.activeWidth, g.activeHeight, g.activeColumn, g.activeLine,
                        g.pitch, dest.bytesPerPixel, dest.stride, dest.capacity, fits);
    if (result != kDevOk)
        return;

    const uint32_t seed = Port().seed_.load();
    for (int32_t row = 0; row < g.activeHeight; ++row) {
        const uint8_t* out = memory.get() + row * stride;
        if (frameWhole) {
            const uint64_t first = static_cast<uint64_t>(g.activeLine + row) * g.pitch +
                                   static_cast<uint64_t>(g.activeColumn);
            for (int32_t col = 0; col < g.activeWidth; ++col) {
                const uint64_t sample = first + static_cast<uint64_t>(col);
                if (wide == 0) {
                    PIXORA_FUZZ_REQUIRE(out[col] == FrameByte(seed, sample),
                                        "8-bit sample %d of row %d", col, row);
                } else {
                    const uint32_t want =
                        FrameByte(seed, 2 * sample) * 4u + (FrameByte(seed, 2 * sample + 1) & 3u);
                    const uint32_t got = out[2 * col] | (out[2 * col + 1] << 8);
                    PIXORA_FUZZ_REQUIRE(got == want, "10-bit sample %d of row %d: %u, not %u", col,
                                        row, got, want);
                }
            }
        }
        // Row padding is the caller's: never written.
        for (size_t k = rowBytes; k < stride && row + 1 < g.activeHeight; ++k)
            PIXORA_FUZZ_REQUIRE(out[k] == fill, "padding byte %zu of row %d written", k, row);
    }
    for (size_t k = fits; k < dest.capacity; ++k)
        PIXORA_FUZZ_REQUIRE(memory[k] == fill, "byte %zu past the last row written", k);
}

// The unpackers against the formula, on exact-size buffers.
void CheckRowUnpack(FuzzInput& in) {
    const int32_t width = in.Range(0, 97);
    const size_t rowBytes = 2 * static_cast<size_t>(width);
    // Exact sizes (an empty row still has an address of its own).
    std::unique_ptr<uint8_t[]> source(new uint8_t[rowBytes]);
    for (size_t i = 0; i < rowBytes; ++i)
        source[i] = in.Byte();
    std::unique_ptr<uint8_t[]> fast(new uint8_t[rowBytes]);
    std::unique_ptr<uint8_t[]> portable(new uint8_t[rowBytes]);
    UnpackRow10(source.get(), fast.get(), width);
    UnpackRow10Portable(source.get(), portable.get(), width);
    for (int32_t i = 0; i < width; ++i) {
        const uint32_t want = source[2 * i] * 4u + (source[2 * i + 1] & 3u);
        const uint32_t a = fast[2 * i] | (fast[2 * i + 1] << 8);
        const uint32_t b = portable[2 * i] | (portable[2 * i + 1] << 8);
        PIXORA_FUZZ_REQUIRE(a == want && b == want, "sample %d: %u and %u, not %u", i, a, b, want);
    }
    std::unique_ptr<uint8_t[]> copy(new uint8_t[rowBytes]);
    CopyRow8(source.get(), copy.get(), 2 * width);
    PIXORA_FUZZ_REQUIRE(std::memcmp(copy.get(), source.get(), rowBytes) == 0,
                        "8-bit row copy differs");
}

}  // namespace

int FuzzRawCopy(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    PixoraDevice& device = Device();
    CheckRowUnpack(in);

    device.SetSampleWidth(in.Byte() & 1);
    Port().seed_.store(in.U32());
    const int32_t pitch = PickDimension(in);
    const int32_t column = PickDimension(in);
    const int32_t width = PickDimension(in);
    const int32_t lines = PickDimension(in);
    const int32_t line = PickDimension(in);
    const int32_t height = PickDimension(in);
    static constexpr int32_t kSlots[] = {-1, 0, 1, 2, 3, 10};
    const int32_t slots = in.Pick(kSlots);
    const int32_t expected = GeometryCheck(pitch, column, width, lines, line, height, slots);
    // Geometries the device would take are kept to a few megabytes per buffer.
    if (expected == kDevOk && static_cast<int64_t>(pitch) * (int64_t{line} + height) > (1 << 20))
        return 0;
    const FrameGeometry before = device.Geometry();
    const int32_t result =
        device.SetFrameGeometry(pitch, column, width, lines, line, height, slots);
    PIXORA_FUZZ_REQUIRE(result == expected, "geometry (%d, %d, %d, %d, %d, %d, %d): %d, not %d",
                        pitch, column, width, lines, line, height, slots, result, expected);
    if (result != kDevOk) {
        const FrameGeometry after = device.Geometry();
        PIXORA_FUZZ_REQUIRE(std::memcmp(&before, &after, sizeof before) == 0,
                            "a refused geometry changed the device");
    }

    const uint32_t shortBy = in.Byte() % 4 == 0 ? in.Range(1, 5000) : 0;
    Port().shortBy_.store(shortBy);
    if (in.Flag()) {
        const int32_t captured = device.CaptureFrame();
        const bool hasFrame = device.Geometry().transferSamples > 0;
        PIXORA_FUZZ_REQUIRE(captured == (shortBy == 0 && hasFrame ? kDevOk : kDevTransferFailed),
                            "capture returned %d", captured);
        CheckConversion(in, false, captured == kDevOk);
        return 0;
    }

    if (device.StartStream() != kDevOk)
        return 0;
    // The first frame takes as long as the port needs to fill it.
    int32_t polled = 2;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (polled == 2 && std::chrono::steady_clock::now() < deadline) {
        polled = device.PollFrame();
        if (polled == 2)
            std::this_thread::yield();
    }
    if (polled == 3) {
        CheckConversion(in, true, true);
    } else {
        PIXORA_FUZZ_REQUIRE(polled == 1 && shortBy != 0, "stream polled %d", polled);
    }
    const int32_t stopped = device.StopStream();
    PIXORA_FUZZ_REQUIRE(stopped == (shortBy == 0 ? kDevOk : kDevTransferFailed),
                        "stream ended with %d", stopped);
    return 0;
}

}  // namespace pixora::fuzz
