// Every seed of every fuzz target's corpus, and every input that once broke a target, run
// through the target in the normal suites (and so under the sanitizer builds too). A broken
// property aborts the program, which fails the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "FuzzTargets.h"

namespace pixora::fuzz {
namespace {

struct Target {
    const char* corpus;
    int (*run)(const uint8_t*, size_t);
};

const Target kTargets[] = {
    {"api_sequence", FuzzApiSequence}, {"registry_text", FuzzRegistryText},
    {"raw_copy", FuzzRawCopy},         {"image_kernels", FuzzImageKernels},
    {"sim_settings", FuzzSimSettings}, {"image_writers", FuzzImageWriters},
};

std::vector<std::filesystem::path> CorpusFiles(const char* corpus) {
    const std::filesystem::path dir =
        std::filesystem::path(PIXORA_TEST_SOURCE_DIR) / "fuzz" / "corpus" / corpus;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (entry.is_regular_file())
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

class CorpusReplay : public ::testing::TestWithParam<Target> {};

TEST_P(CorpusReplay, EverySeedKeepsTheTargetsProperties) {
    const std::vector<std::filesystem::path> files = CorpusFiles(GetParam().corpus);
    ASSERT_FALSE(files.empty());
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::ifstream in(file, std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
        EXPECT_EQ(GetParam().run(bytes.data(), bytes.size()), 0);
    }
}

TEST_P(CorpusReplay, EmptyAndOneByteInputsRun) {
    EXPECT_EQ(GetParam().run(nullptr, 0), 0);
    for (int b = 0; b < 256; b += 51) {
        const auto byte = static_cast<uint8_t>(b);
        EXPECT_EQ(GetParam().run(&byte, 1), 0);
    }
}

std::string TargetName(const ::testing::TestParamInfo<Target>& param) {
    return param.param.corpus;
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplay, ::testing::ValuesIn(kTargets), TargetName);

}  // namespace
}  // namespace pixora::fuzz
