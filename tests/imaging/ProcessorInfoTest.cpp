#include <gtest/gtest.h>

#include <cstring>

#include "imaging/ProcessorInfo.h"

namespace pixora {
namespace {

// "GenuineIntel" as CPUID leaf 0 returns it in EBX, EDX, ECX.
CpuidSnapshot Intel(uint32_t signature) {
    CpuidSnapshot cpuid;
    cpuid.maxLeaf = 1;
    cpuid.vendorEbx = 0x756E6547;  // "Genu"
    cpuid.vendorEdx = 0x49656E69;  // "ineI"
    cpuid.vendorEcx = 0x6C65746E;  // "ntel"
    cpuid.signature = signature;
    return cpuid;
}

CpuidSnapshot Amd(uint32_t signature) {
    CpuidSnapshot cpuid = Intel(signature);
    cpuid.vendorEbx = 0x68747541;  // "Auth"
    cpuid.vendorEdx = 0x69746E65;  // "enti"
    cpuid.vendorEcx = 0x444D4163;  // "cAMD"
    return cpuid;
}

uint32_t Signature(uint32_t family, uint32_t model, uint32_t stepping,
                   uint32_t extendedFamily = 0) {
    return (extendedFamily << 20) | (family << 8) | (model << 4) | stepping;
}

bool AllUsable(uint32_t) {
    return true;
}

bool Sse2Faults(uint32_t feature) {
    return feature != kFeatureSse2;
}

TEST(ProcessorInfo, DecodesVendorSignatureAndName) {
    ProcessorInfo record;
    DecodeProcessor(Intel(Signature(6, 8, 3)), AllUsable, &record);
    EXPECT_STREQ(record.vendor, "GenuineIntel");
    EXPECT_STREQ(record.modelName, "INTEL Pentium-III");
    EXPECT_EQ(record.family, 6u);
    EXPECT_EQ(record.model, 8u);
    EXPECT_EQ(record.stepping, 3u);
    EXPECT_EQ(record.knownFeatures, 63u);
}

TEST(ProcessorInfo, ModelNameTable) {
    EXPECT_STREQ(ProcessorModelName("GenuineIntel", 6, 9), "Unknown");
    EXPECT_STREQ(ProcessorModelName("GenuineIntel", 4, 1), "INTEL 486DX");
    EXPECT_STREQ(ProcessorModelName("GenuineIntel", 4, 6), "Unknown");
    EXPECT_STREQ(ProcessorModelName("GenuineIntel", 5, 2), "INTEL Pentium");
    EXPECT_STREQ(ProcessorModelName("GenuineIntel", 6, 5), "INTEL Pentium-II");
    EXPECT_STREQ(ProcessorModelName("GenuineIntel", 6, 10), "INTEL Pentium-III");
    EXPECT_STREQ(ProcessorModelName("AuthenticAMD", 4, 13), "AMD Am486");
    EXPECT_STREQ(ProcessorModelName("AuthenticAMD", 5, 4), "Unknown");
    EXPECT_STREQ(ProcessorModelName("AuthenticAMD", 5, 8), "AMD K6-2");
    EXPECT_STREQ(ProcessorModelName("AuthenticAMD", 5, 12), "AMD K6-3");
    EXPECT_STREQ(ProcessorModelName("AuthenticAMD", 6, 2), "AMD ATHLON");
    EXPECT_STREQ(ProcessorModelName("AuthenticAMD", 7, 2), "Unknown");
    EXPECT_STREQ(ProcessorModelName("CyrixInstead", 99, 3), "Cyrix");
    EXPECT_STREQ(ProcessorModelName("CentaurHauls", 6, 0), "Centaur");
    EXPECT_STREQ(ProcessorModelName("SomethingNew", 6, 0), "Unknown");
    EXPECT_STREQ(ProcessorModelName(nullptr, 6, 0), "Unknown");
}

TEST(ProcessorInfo, FamilyFifteenAddsTheExtendedFamily) {
    ProcessorInfo record;
    DecodeProcessor(Intel(Signature(15, 0, 7)), AllUsable, &record);
    EXPECT_EQ(record.family, 15u);
    EXPECT_STREQ(record.modelName, "INTEL Pentium-4");

    DecodeProcessor(Amd(Signature(15, 1, 0, 8)), AllUsable, &record);
    EXPECT_EQ(record.family, 23u);
    EXPECT_STREQ(record.modelName, "Unknown");
    EXPECT_STREQ(record.vendor, "AuthenticAMD");

    // The extended family counts only with a base family of 15.
    DecodeProcessor(Intel(Signature(6, 7, 0, 3)), AllUsable, &record);
    EXPECT_EQ(record.family, 6u);
}

TEST(ProcessorInfo, ReportedAndUsableFeatures) {
    CpuidSnapshot cpuid = Intel(Signature(6, 7, 1));
    cpuid.leaf1Edx = (1u << 23) | (1u << 25) | (1u << 26);
    cpuid.leaf1Ecx = 1u | (1u << 8);
    cpuid.maxExtendedLeaf = 0x80000001u;
    cpuid.extended1Edx = 1u << 31;
    ProcessorInfo record;
    EXPECT_EQ(DecodeProcessor(cpuid, AllUsable, &record), 63u);
    EXPECT_EQ(record.reportedFeatures, 63u);
    EXPECT_EQ(record.usableFeatures, 63u);

    // Extended leaves below 0x80000000 mean there is no 3DNow! word to read.
    cpuid.maxExtendedLeaf = 0x7FFFFFFFu;
    EXPECT_EQ(DecodeProcessor(cpuid, AllUsable, nullptr), 63u & ~kFeature3DNow);
}

TEST(ProcessorInfo, FaultingProbeClearsOnlyTheUsableBit) {
    CpuidSnapshot cpuid = Intel(Signature(15, 2, 9));
    cpuid.leaf1Edx = (1u << 23) | (1u << 25) | (1u << 26);
    ProcessorInfo record;
    DecodeProcessor(cpuid, Sse2Faults, &record);
    EXPECT_TRUE(record.reportedFeatures & kFeatureSse2);
    EXPECT_FALSE(record.usableFeatures & kFeatureSse2);
    EXPECT_FALSE(record.Usable(kFeatureSse2));
    EXPECT_TRUE(record.Usable(kFeatureMmx));
}

TEST(ProcessorInfo, Avx2NeedsTheOperatingSystemsRegisterState) {
    CpuidSnapshot cpuid = Intel(Signature(6, 14, 0));
    cpuid.maxLeaf = 7;
    cpuid.leaf7Ebx = 1u << 5;
    cpuid.leaf1Ecx = (1u << 27) | (1u << 28);
    cpuid.enabledRegisterState = 0x7;
    ProcessorInfo record;
    DecodeProcessor(cpuid, AllUsable, &record);
    EXPECT_TRUE(record.avx2Usable);

    cpuid.enabledRegisterState = 0x3;  // the OS does not save the upper halves
    DecodeProcessor(cpuid, AllUsable, &record);
    EXPECT_FALSE(record.avx2Usable);

    cpuid.enabledRegisterState = 0x7;
    cpuid.maxLeaf = 6;  // leaf 7 not there
    DecodeProcessor(cpuid, AllUsable, &record);
    EXPECT_FALSE(record.avx2Usable);
}

TEST(ProcessorInfo, ThisProcessor) {
    ProcessorInfo record;
    const uint32_t reported = IdentifyProcessor(&record);
#if defined(__x86_64__)
    EXPECT_EQ(reported, record.reportedFeatures);
    EXPECT_EQ(std::strlen(record.vendor), 12u);
    EXPECT_TRUE(record.Usable(kFeatureSse2));  // every 64-bit x86 has it
    EXPECT_EQ(record.knownFeatures, 63u);
    EXPECT_NE(record.modelName[0], '\0');
    EXPECT_EQ(IdentifyProcessor(nullptr), reported);
#else
    EXPECT_EQ(reported, 0u);
    EXPECT_EQ(record.usableFeatures, 0u);
#endif
}

}  // namespace
}  // namespace pixora
