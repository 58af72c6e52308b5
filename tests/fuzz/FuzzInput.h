// Reads a fuzzer's byte string as a stream of choices. When the bytes run out every read
// gives 0, so any input, however short, decodes to something.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace pixora::fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

    bool Empty() const { return pos_ >= size_; }
    size_t Remaining() const { return size_ - pos_; }

    uint8_t Byte() { return Empty() ? 0 : data_[pos_++]; }
    bool Flag() { return (Byte() & 1) != 0; }
    uint32_t U32() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(Byte()) << (8 * i);
        return v;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    // 0 .. n - 1 (0 when n is 0).
    uint32_t Below(uint32_t n) {
        if (n <= 1)
            return 0;
        return n <= 256 ? Byte() % n : U32() % n;
    }
    // lo .. hi inclusive.
    int32_t Range(int32_t lo, int32_t hi) {
        const auto span = static_cast<uint32_t>(static_cast<int64_t>(hi) - lo + 1);
        return static_cast<int32_t>(lo + static_cast<int64_t>(Below(span)));
    }
    template <typename T, size_t N>
    T Pick(const T (&values)[N]) {
        return values[Below(N)];
    }
    // A boundary value most of the time, any 32-bit value otherwise.
    int32_t Interesting() {
        static constexpr int32_t kValues[] = {0,
                                              1,
                                              -1,
                                              2,
                                              3,
                                              4,
                                              7,
                                              8,
                                              16,
                                              30,
                                              31,
                                              100,
                                              127,
                                              128,
                                              200,
                                              255,
                                              256,
                                              -255,
                                              -256,
                                              360,
                                              -360,
                                              400,
                                              1023,
                                              1024,
                                              1067,
                                              1068,
                                              1360,
                                              65535,
                                              65536,
                                              std::numeric_limits<int32_t>::max(),
                                              std::numeric_limits<int32_t>::min()};
        const uint8_t choice = Byte();
        if (choice < 224)
            return kValues[choice % (sizeof kValues / sizeof kValues[0])];
        return I32();
    }
    // Up to `n` bytes straight from the input.
    const uint8_t* Take(size_t n, size_t* taken) {
        *taken = n < Remaining() ? n : Remaining();
        const uint8_t* p = data_ + pos_;
        pos_ += *taken;
        return p;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A property the library must keep; a broken one ends the run the way a crash does, so
// libFuzzer keeps the input and the replay suite fails on it.
#define PIXORA_FUZZ_REQUIRE(condition, ...)                                                   \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "fuzz property broken at %s:%d: %s\n  ", __FILE__, __LINE__, \
                         #condition);                                                         \
            std::fprintf(stderr, __VA_ARGS__);                                                \
            std::fprintf(stderr, "\n");                                                       \
            std::abort();                                                                     \
        }                                                                                     \
    } while (false)

}  // namespace pixora::fuzz
