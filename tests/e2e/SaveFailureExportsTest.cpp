// A failed save through the exports: it never hangs the session, and the reason is there
// to read with PixoraEx_GetFailureDetail.
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>

#include "CameraFixture.h"
#include "PixoraExtensions.h"

namespace pixora::test {
namespace {

class SaveFailureExports : public CameraTest {
protected:
    std::string Detail() {
        char text[512];
        std::memset(text, 'x', sizeof text);
        if (PixoraEx_GetFailureDetail(camera_, text, sizeof text) == 0)
            return text[0] == '\0' ? std::string() : std::string("<not emptied>");
        return text;
    }
    TempDir dir_;
};

TEST_F(SaveFailureExports, AFifoIsRefusedAtOnceAndTheSessionStaysUsable) {
    ASSERT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    const std::string fifo = dir_.File("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    for (int32_t index = 0; index < PixoraEx_GetSaveFormatCount(); ++index) {
        PixoraSaveFormatInfo info{};
        info.size = sizeof info;
        ASSERT_EQ(PixoraEx_GetSaveFormatInfo(index, &info), 1);
        const int32_t format = info.code;
        EXPECT_EQ(Pixora_SaveImage(camera_, fifo.c_str(), format), 0) << format;
        EXPECT_NE(Detail().find("not a regular file"), std::string::npos) << Detail();
    }
    // A blocking open would wait for a reader for ever; the bound only has to be finite.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(Pixora_GetColorMode(camera_), 24);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

TEST_F(SaveFailureExports, TheReasonNamesTheSystemsErrorAndAGoodSaveClearsIt) {
    ASSERT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1);
    EXPECT_EQ(Detail(), "");
    const std::string missing = dir_.File("no/such/a.png");
    EXPECT_EQ(Pixora_SaveImage(camera_, missing.c_str(), PIXORA_SAVE_PNG), 0);
    EXPECT_NE(Detail().find(std::strerror(ENOENT)), std::string::npos) << Detail();
    EXPECT_NE(Detail().find(missing), std::string::npos) << Detail();
    // The reason is not an error code: the stack is as the save left it.
    EXPECT_TRUE(DrainErrors().empty());

    char tiny[8];
    EXPECT_EQ(PixoraEx_GetFailureDetail(camera_, tiny, sizeof tiny), 1);
    EXPECT_EQ(std::strlen(tiny), sizeof tiny - 1);

    const std::string good = dir_.File("a.png");
    EXPECT_EQ(Pixora_SaveImage(camera_, good.c_str(), PIXORA_SAVE_PNG), 1);
    EXPECT_EQ(Detail(), "");
}

TEST_F(SaveFailureExports, UnknownHandlesAndBadBuffersGetNothing) {
    char text[16] = "unchanged";
    EXPECT_EQ(PixoraEx_GetFailureDetail(reinterpret_cast<PIXORA_HANDLE>(uintptr_t{77}), text,
                                        sizeof text),
              0);
    EXPECT_EQ(PixoraEx_GetFailureDetail(camera_, nullptr, 16), 0);
    EXPECT_EQ(PixoraEx_GetFailureDetail(camera_, text, 0), 0);
    EXPECT_STREQ(PixoraEx_ErrorText(PIXORA_ERR_DEVICE_NOT_FOUND),
                 "device not found: no camera at the chosen index");
    EXPECT_STREQ(PixoraEx_ErrorText(0), "no error");
    EXPECT_STREQ(PixoraEx_ErrorText(12), "unknown error");
    EXPECT_STREQ(PixoraEx_ErrorText(-5), "unknown error");
}

}  // namespace
}  // namespace pixora::test
