// libFuzzer's entry point for one fuzz program; PIXORA_FUZZ_TARGET names the target
// function it runs (see FuzzTargets.h).
#include <cstddef>
#include <cstdint>

#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return pixora::fuzz::PIXORA_FUZZ_TARGET(data, size);
}
