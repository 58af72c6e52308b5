#include "ProcessorFeatures.h"

namespace pixora::cli {

ProcessorFeatures DetectProcessorFeatures() {
    ProcessorFeatures features;
#if defined(__x86_64__) || defined(__i386__)
    // The compiler's query also checks that the system saves the wide registers, as the
    // library's own identification does before it uses AVX2.
    __builtin_cpu_init();
    const struct {
        const char* name;
        bool present;
    } extensions[] = {
        {"mmx", __builtin_cpu_supports("mmx") != 0},
        {"sse", __builtin_cpu_supports("sse") != 0},
        {"sse2", __builtin_cpu_supports("sse2") != 0},
        {"sse3", __builtin_cpu_supports("sse3") != 0},
        {"avx2", __builtin_cpu_supports("avx2") != 0},
    };
    for (const auto& extension : extensions) {
        if (!extension.present)
            continue;
        if (!features.available.empty())
            features.available += ' ';
        features.available += extension.name;
    }
    features.interpolation = extensions[4].present   ? "avx2"
                             : extensions[2].present ? "sse2"
                                                     : "plain";
#else
    features.interpolation = "plain";
#endif
    if (features.available.empty())
        features.available = "none";
    return features;
}

}  // namespace pixora::cli
