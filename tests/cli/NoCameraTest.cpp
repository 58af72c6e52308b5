// Every command that needs a camera fails with status 1 and the library's error 2 (no camera)
// when the chosen index holds none, and a command that writes a file writes none.
#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PixoraRun.h"

namespace pixora::test {
namespace {

// "{file}" in the arguments stands for a file in the run's scratch folder.
constexpr const char* kFile = "{file}";

struct NoCameraCase {
    const char* name;
    const char* simulator;  // PIXORA_SIM, or nullptr for the fixture's default (camera 0)
    std::vector<std::string> args;
    const char* out = nullptr;  // what the output still shows before the failure
    // A run on an index that holds a camera, which then works: the failure was the index's.
    std::vector<std::string> presentArgs = {};
};

std::vector<std::string> WithFile(const std::vector<std::string>& args, const std::string& file) {
    std::vector<std::string> out;
    for (const std::string& arg : args) {
        out.push_back(arg == kFile ? file : arg);
    }
    return out;
}

class PixoraNoCamera : public ::testing::TestWithParam<NoCameraCase> {};

TEST_P(PixoraNoCamera, FailsWithErrorTwo) {
    const NoCameraCase& c = GetParam();
    PixoraFixture pixora;
    if (c.simulator != nullptr) {
        pixora.Simulate(c.simulator);
    }
    const std::string file = pixora.File("frame.bmp");
    const PixoraResult result = pixora.Run(WithFile(c.args, file));
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find("error 2"), std::string::npos) << result.err;
    if (c.out != nullptr) {
        EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
    }
    if (std::find(c.args.begin(), c.args.end(), kFile) != c.args.end()) {
        EXPECT_FALSE(std::filesystem::exists(file));
    }
    if (!c.presentArgs.empty()) {
        const PixoraResult present = pixora.Run(WithFile(c.presentArgs, file));
        EXPECT_EQ(present.exitStatus, 0) << present.err;
    }
}

const NoCameraCase kCases[] = {
    {"PreviewWithTheCameraElsewhere", "cameras=1", {"preview", "--seconds", "1"}},
    {"InfoAtTheDefaultIndex", "cameras=3 fps=0", {"info"}, "25.5.2"},
    {"InfoAtAChosenIndex", "cameras=3 fps=0", {"info", "--device", "5"}},
    {"GetAtAChosenIndex", nullptr, {"get", "brightness", "--device", "4"}},
    {"RegisterReadWithNoCameraAtAll", "cameras=none", {"reg", "read", "17"}},
    {"SnapshotBetweenTwoCameras",
     "cameras=0,2 fps=0",
     {"snapshot", "--device", "5", kFile},
     nullptr,
     {"snapshot", "--device", "2", kFile}},
    {"StreamAtAChosenIndex", nullptr, {"stream", "--frames", "1", "--device", "6"}},
};

// A failure names its case rather than dumping its bytes.
void PrintTo(const NoCameraCase& c, std::ostream* os) {
    *os << c.name;
}

std::string CaseName(const ::testing::TestParamInfo<NoCameraCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Commands, PixoraNoCamera, ::testing::ValuesIn(kCases), CaseName);

}  // namespace
}  // namespace pixora::test
