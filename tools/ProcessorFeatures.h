// The processor extensions this machine offers and which colour interpolation the library
// picks from them (AVX2, else SSE2, else plain code).
#pragma once

#include <string>

namespace pixora::cli {

struct ProcessorFeatures {
    std::string available;      // "mmx sse sse2 sse3 avx2", or "none"
    std::string interpolation;  // "avx2", "sse2" or "plain"
};

ProcessorFeatures DetectProcessorFeatures();

}  // namespace pixora::cli
