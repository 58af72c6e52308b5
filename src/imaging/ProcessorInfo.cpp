#include "imaging/ProcessorInfo.h"

#include <cstring>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace pixora {
namespace {

struct ModelRow {
    const char* vendor;
    uint32_t family;  // kAny matches every family
    uint32_t firstModel;
    uint32_t lastModel;
    const char* name;
};

constexpr uint32_t kAny = 0xFFFFFFFF;

constexpr ModelRow kModelRows[] = {
    {"GenuineIntel", 4, 0, 1, "INTEL 486DX"},
    {"GenuineIntel", 4, 2, 2, "INTEL 486SX"},
    {"GenuineIntel", 4, 3, 3, "INTEL 486DX2"},
    {"GenuineIntel", 4, 4, 4, "INTEL 486SL"},
    {"GenuineIntel", 4, 5, 5, "INTEL 486SX2"},
    {"GenuineIntel", 4, 7, 7, "INTEL 486DX2E"},
    {"GenuineIntel", 4, 8, 8, "INTEL 486DX4"},
    {"GenuineIntel", 5, 1, 3, "INTEL Pentium"},
    {"GenuineIntel", 5, 4, 4, "INTEL Pentium-MMX"},
    {"GenuineIntel", 6, 1, 1, "INTEL Pentium-Pro"},
    {"GenuineIntel", 6, 3, 3, "INTEL Pentium-II"},
    {"GenuineIntel", 6, 5, 5, "INTEL Pentium-II"},
    {"GenuineIntel", 6, 6, 6, "INTEL Celeron"},
    {"GenuineIntel", 6, 7, 8, "INTEL Pentium-III"},
    {"GenuineIntel", 6, 10, 10, "INTEL Pentium-III"},
    {"GenuineIntel", 15, 0, 0, "INTEL Pentium-4"},
    {"AuthenticAMD", 4, 0, kAny, "AMD Am486"},
    {"AuthenticAMD", 5, 0, 3, "AMD K5"},
    {"AuthenticAMD", 5, 6, 7, "AMD K6"},
    {"AuthenticAMD", 5, 8, 8, "AMD K6-2"},
    {"AuthenticAMD", 5, 9, 15, "AMD K6-3"},
    {"AuthenticAMD", 6, 0, kAny, "AMD ATHLON"},
    {"CyrixInstead", kAny, 0, kAny, "Cyrix"},
    {"CentaurHauls", kAny, 0, kAny, "Centaur"},
};

void StoreRegister(char* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// YMM state (bit 2) together with XMM state (bit 1) in XCR0.
constexpr uint64_t kVectorState = 0x6;

}  // namespace

const char* ProcessorModelName(const char* vendor, uint32_t family, uint32_t model) {
    if (vendor == nullptr) {
        return "Unknown";
    }
    for (const ModelRow& row : kModelRows) {
        if (std::strcmp(row.vendor, vendor) != 0) {
            continue;
        }
        if (row.family != kAny && row.family != family) {
            continue;
        }
        if (model >= row.firstModel && (row.lastModel == kAny || model <= row.lastModel)) {
            return row.name;
        }
    }
    return "Unknown";
}

uint32_t DecodeProcessor(const CpuidSnapshot& cpuid, ExtensionProbe probe, ProcessorInfo* record) {
    struct Candidate {
        uint32_t bit;
        bool reported;
    };
    const bool extended = cpuid.maxExtendedLeaf >= 0x80000000u;
    const Candidate candidates[] = {
        {kFeatureMmx, ((cpuid.leaf1Edx >> 23) & 1) != 0},
        {kFeature3DNow, extended && ((cpuid.extended1Edx >> 31) & 1) != 0},
        {kFeatureSse, ((cpuid.leaf1Edx >> 25) & 1) != 0},
        {kFeatureSse2, ((cpuid.leaf1Edx >> 26) & 1) != 0},
        {kFeatureSse3, (cpuid.leaf1Ecx & 1) != 0},
        {kFeatureLeaf1EcxBit8, ((cpuid.leaf1Ecx >> 8) & 1) != 0},
    };
    uint32_t reported = 0;
    uint32_t usable = 0;
    for (const Candidate& candidate : candidates) {
        if (!candidate.reported) {
            continue;
        }
        reported |= candidate.bit;
        if (probe == nullptr || probe(candidate.bit)) {
            usable |= candidate.bit;
        }
    }
    if (record == nullptr) {
        return reported;
    }

    *record = ProcessorInfo{};
    record->reportedFeatures = reported;
    record->usableFeatures = usable;
    const uint32_t baseFamily = (cpuid.signature >> 8) & 0xF;
    // The extended family counts on top of 15 (family 15 + extended 0 stays 15).
    record->family = baseFamily == 15 ? ((cpuid.signature >> 20) & 0xFF) + 15 : baseFamily;
    record->model = (cpuid.signature >> 4) & 0xF;
    record->stepping = cpuid.signature & 0xF;
    StoreRegister(record->vendor, cpuid.vendorEbx);
    StoreRegister(record->vendor + 4, cpuid.vendorEdx);
    StoreRegister(record->vendor + 8, cpuid.vendorEcx);
    record->vendor[12] = '\0';
    const char* name = ProcessorModelName(record->vendor, record->family, record->model);
    std::strncpy(record->modelName, name, sizeof(record->modelName) - 1);
    record->knownFeatures = kKnownProcessorFeatures;

    const bool osSavesVectors = ((cpuid.leaf1Ecx >> 27) & 1) != 0 &&
                                (cpuid.enabledRegisterState & kVectorState) == kVectorState;
    const bool avxReported = ((cpuid.leaf1Ecx >> 28) & 1) != 0;
    const bool avx2Reported = cpuid.maxLeaf >= 7 && ((cpuid.leaf7Ebx >> 5) & 1) != 0;
    record->avx2Usable = osSavesVectors && avxReported && avx2Reported;
    return reported;
}

#if defined(__x86_64__)

int32_t ProbeExtension(uint32_t) {
    // The operating system's answer: in 64-bit mode it must keep the x87/MMX and SSE
    // register state enabled (the calling convention passes floating point in XMM
    // registers), so MMX, 3DNow! (MMX registers), SSE and SSE2 cannot fault once the
    // processor reports them, and the remaining bits have no probe. The AVX2 state, which
    // the operating system may leave disabled, is checked through XCR0 instead.
    return 1;
}

namespace {

bool ProbeForDecode(uint32_t feature) {
    return ProbeExtension(feature) != 0;
}

uint64_t ReadEnabledRegisterState() {
    uint32_t low = 0;
    uint32_t high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (uint64_t{high} << 32) | low;
}

}  // namespace

uint32_t IdentifyProcessor(ProcessorInfo* record) {
    CpuidSnapshot cpuid;
    uint32_t eax = 0;
    uint32_t ebx = 0;
    uint32_t ecx = 0;
    uint32_t edx = 0;
    if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) == 0) {
        return 0;
    }
    cpuid.maxLeaf = eax;
    cpuid.vendorEbx = ebx;
    cpuid.vendorEdx = edx;
    cpuid.vendorEcx = ecx;
    if (cpuid.maxLeaf >= 1 && __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0) {
        cpuid.signature = eax;
        cpuid.leaf1Ecx = ecx;
        cpuid.leaf1Edx = edx;
    }
    if (cpuid.maxLeaf >= 7 && __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0) {
        cpuid.leaf7Ebx = ebx;
    }
    cpuid.maxExtendedLeaf = __get_cpuid_max(0x80000000u, nullptr);
    if (cpuid.maxExtendedLeaf >= 0x80000001u &&
        __get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx) != 0) {
        cpuid.extended1Edx = edx;
    }
    if ((cpuid.leaf1Ecx >> 27) & 1) {  // OSXSAVE: XGETBV may be executed
        cpuid.enabledRegisterState = ReadEnabledRegisterState();
    }
    return DecodeProcessor(cpuid, &ProbeForDecode, record);
}

#else

int32_t ProbeExtension(uint32_t) {
    return 0;
}

// No CPUID: an empty record, so every kernel takes its reference member.
uint32_t IdentifyProcessor(ProcessorInfo* record) {
    if (record != nullptr) {
        *record = ProcessorInfo{};
    }
    return 0;
}

#endif

}  // namespace pixora
