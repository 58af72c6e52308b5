// pixora list and pixora info against the virtual camera.
#include <gtest/gtest.h>

#include "PixoraRun.h"

namespace pixora::test {
namespace {

TEST(PixoraList, NamesEveryCameraWithItsIndex) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0,3,7 fps=0");
    const PixoraResult result = pixora.Run({"list"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    // The name of an index carries the index + 1.
    EXPECT_TRUE(HasLineWithWords(result.out, {"0", "Pixora530TZ_01"})) << result.out;
    EXPECT_TRUE(HasLineWithWords(result.out, {"3", "Pixora530TZ_04"})) << result.out;
    EXPECT_TRUE(HasLineWithWords(result.out, {"7", "Pixora530TZ_08"})) << result.out;
    EXPECT_EQ(result.out.find("Pixora530TZ_02"), std::string::npos) << result.out;
    EXPECT_TRUE(result.err.empty()) << result.err;
}

// The library prints nothing itself: its warning reaches pixora's log handler, which
// prints it with pixora's own prefix, once.
TEST(PixoraList, TheLibrarysWarningsArePrintedWithPixorasPrefix) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0 fps=quick");
    const PixoraResult result = pixora.Run({"list"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err.rfind("pixora: warning: PIXORA_SIM ignored: ", 0), 0u) << result.err;
    EXPECT_EQ(result.err.find("PIXORA_SIM", 20), std::string::npos) << result.err;
}

TEST(PixoraList, FindingNoCameraIsNoFailure) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=none");
    const PixoraResult result = pixora.Run({"list"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out.find("Pixora530TZ"), std::string::npos);
}

TEST(PixoraInfo, ShowsVersionCameraRecordSettingsFileAndSettings) {
    PixoraFixture pixora;
    ASSERT_EQ(pixora.Run({"set", "contrast", "17"}).exitStatus, 0);
    const PixoraResult result = pixora.Run({"info"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("25.5.2"), std::string::npos);
    EXPECT_NE(result.out.find("Pixora530TZ_01"), std::string::npos);
    EXPECT_TRUE(HasLineWithWords(result.out, {"1360", "1024"})) << result.out;
    // What the library accepts and what the camera keeps of it, told apart.
    EXPECT_TRUE(HasLineWithWords(result.out, {"exposure", "range", "0..1067", "8..1068"}))
        << result.out;
    EXPECT_TRUE(HasLineWithWords(result.out, {"gain", "range", "0..1023"})) << result.out;
    EXPECT_TRUE(HasLineWithWords(result.out, {pixora.SettingsFile()})) << result.out;
    EXPECT_TRUE(HasLineWithWords(result.out, {"contrast", "17"})) << result.out;
}

TEST(PixoraInfo, ReportsTheCameraOfTheChosenIndex) {
    PixoraFixture pixora;
    pixora.Simulate("cameras=0,3 fps=0");
    const PixoraResult result = pixora.Run({"info", "--device", "3"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_NE(result.out.find("Pixora530TZ_04"), std::string::npos) << result.out;
}

}  // namespace
}  // namespace pixora::test
