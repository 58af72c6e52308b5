// Processor identification: vendor, family, model, stepping, a model name, and which
// instruction-set extensions the processor reports and which of them can be executed.
// Filled once per camera session; the colour interpolation picks its member from it.
#pragma once

#include <cstdint>

namespace pixora {

enum ProcessorFeature : uint32_t {
    kFeatureMmx = 0x01,
    kFeatureSse = 0x02,
    kFeatureSse2 = 0x04,
    kFeature3DNow = 0x08,
    kFeatureSse3 = 0x10,
    kFeatureLeaf1EcxBit8 = 0x20,
};
inline constexpr uint32_t kKnownProcessorFeatures = 0x3F;

struct ProcessorInfo {
    char vendor[13] = {};
    char modelName[32] = {};
    uint32_t family = 0;
    uint32_t model = 0;
    uint32_t stepping = 0;
    uint32_t reportedFeatures = 0;
    uint32_t usableFeatures = 0;
    uint32_t knownFeatures = 0;  // 63 once identified
    // Beyond the six bits above: AVX2 reported by the processor with the 256-bit register
    // state enabled by the operating system.
    bool avx2Usable = false;

    bool Usable(uint32_t feature) const {
        return (reportedFeatures & feature) != 0 && (usableFeatures & feature) != 0;
    }
};

// The raw CPUID words the record is made from.
struct CpuidSnapshot {
    uint32_t maxLeaf = 0;
    uint32_t vendorEbx = 0;
    uint32_t vendorEdx = 0;
    uint32_t vendorEcx = 0;
    uint32_t signature = 0;  // leaf 1 EAX
    uint32_t leaf1Ecx = 0;
    uint32_t leaf1Edx = 0;
    uint32_t maxExtendedLeaf = 0;       // leaf 0x80000000 EAX
    uint32_t extended1Edx = 0;          // leaf 0x80000001 EDX
    uint32_t leaf7Ebx = 0;              // leaf 7 subleaf 0 EBX
    uint64_t enabledRegisterState = 0;  // XCR0 when the operating system exposes it
};

// Whether the instructions of one feature bit can be executed here.
using ExtensionProbe = bool (*)(uint32_t feature);

// Fills the record (when not null) from a snapshot: features in the order MMX, 3DNow!, SSE,
// SSE2, SSE3, bit 0x20, each probed when reported. Returns the reported features.
uint32_t DecodeProcessor(const CpuidSnapshot& cpuid, ExtensionProbe probe, ProcessorInfo* record);

// Identifies this processor. Returns the reported features; 0 with an empty record where
// there is no CPUID (every architecture other than x86-64).
uint32_t IdentifyProcessor(ProcessorInfo* record);

// 1 when the extension of `feature` can be executed, 0 when it cannot; bits without a
// probe give 1.
int32_t ProbeExtension(uint32_t feature);

// The name for a vendor string, family and model; "Unknown" when no row matches.
const char* ProcessorModelName(const char* vendor, uint32_t family, uint32_t model);

}  // namespace pixora
