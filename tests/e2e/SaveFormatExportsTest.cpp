// The save-format extension: every format Pixora_SaveImage writes described completely, an
// extension chooses the first format that lists it, and each format saves a snapshot of
// every colour mode as its record says it takes.
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "CameraFixture.h"
#include "PixoraExtensions.h"
#include "TempDir.h"

namespace pixora::test {
namespace {

PixoraSaveFormatInfo FormatAt(int32_t index) {
    PixoraSaveFormatInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(PixoraEx_GetSaveFormatInfo(index, &info), 1) << index;
    return info;
}

TEST(SaveFormatExports, EveryFormatIsDescribedWithItsCodeNamesExtensionsAndDepths) {
    const int32_t count = PixoraEx_GetSaveFormatCount();
    ASSERT_GE(count, 7);
    std::set<int32_t> codes;
    std::set<std::string> names;
    for (int32_t index = 0; index < count; ++index) {
        const PixoraSaveFormatInfo info = FormatAt(index);
        EXPECT_EQ(info.size, static_cast<int32_t>(sizeof info));
        EXPECT_TRUE(codes.insert(info.code).second) << info.code;
        ASSERT_NE(info.name, nullptr);
        EXPECT_TRUE(names.insert(info.name).second) << info.name;
        ASSERT_NE(info.label, nullptr);
        ASSERT_NE(info.description, nullptr);
        EXPECT_GT(std::strlen(info.label), 0u) << info.name;
        EXPECT_GT(std::strlen(info.description), 0u) << info.name;
        ASSERT_NE(info.extensions, nullptr) << info.name;
        ASSERT_NE(info.extensions[0], nullptr) << info.name;
        ASSERT_GT(info.depthCount, 0) << info.name;
        ASSERT_NE(info.depths, nullptr) << info.name;
        for (int32_t d = 0; d < info.depthCount; ++d) {
            ASSERT_NE(info.depths[d].conversion, nullptr) << info.name;
            EXPECT_GT(info.depths[d].fileBitsPerPixel, 0) << info.name;
        }
    }
    // The header's codes are all in the table.
    for (int32_t code : {PIXORA_SAVE_BMP, PIXORA_SAVE_RAW, PIXORA_SAVE_JPEG, PIXORA_SAVE_JPEG_70,
                         PIXORA_SAVE_JPEG_20, PIXORA_SAVE_PNG, PIXORA_SAVE_TIFF}) {
        EXPECT_EQ(codes.count(code), 1u) << code;
    }
    const PixoraSaveFormatInfo jpeg70 = FormatAt(PIXORA_SAVE_JPEG_70);
    EXPECT_STREQ(jpeg70.name, "jpeg70");
    EXPECT_EQ(jpeg70.quality, 70);
    EXPECT_EQ(FormatAt(PIXORA_SAVE_PNG).quality, 0);
}

TEST(SaveFormatExports, BadArgumentsFillNothing) {
    PixoraSaveFormatInfo info{};
    info.size = sizeof info;
    EXPECT_EQ(PixoraEx_GetSaveFormatInfo(-1, &info), 0);
    EXPECT_EQ(PixoraEx_GetSaveFormatInfo(PixoraEx_GetSaveFormatCount(), &info), 0);
    EXPECT_EQ(PixoraEx_GetSaveFormatInfo(0, nullptr), 0);
    info.size = sizeof info - 1;
    EXPECT_EQ(PixoraEx_GetSaveFormatInfo(0, &info), 0);
    EXPECT_EQ(info.name, nullptr);
}

TEST(SaveFormatExports, AnExtensionChoosesTheFirstFormatThatListsIt) {
    std::map<std::string, int32_t> chosen;
    for (int32_t index = 0; index < PixoraEx_GetSaveFormatCount(); ++index) {
        const PixoraSaveFormatInfo info = FormatAt(index);
        for (const char* const* extension = info.extensions; *extension != nullptr; ++extension)
            chosen.emplace(*extension, info.code);
    }
    EXPECT_EQ(chosen.at(".bmp"), PIXORA_SAVE_BMP);
    EXPECT_EQ(chosen.at(".raw"), PIXORA_SAVE_RAW);
    EXPECT_EQ(chosen.at(".jpg"), PIXORA_SAVE_JPEG);
    EXPECT_EQ(chosen.at(".jpeg"), PIXORA_SAVE_JPEG);
    EXPECT_EQ(chosen.at(".png"), PIXORA_SAVE_PNG);
    EXPECT_EQ(chosen.at(".tif"), PIXORA_SAVE_TIFF);
    EXPECT_EQ(chosen.at(".tiff"), PIXORA_SAVE_TIFF);
}

class SaveFormatSnapshots : public CameraTest {
protected:
    TempDir dir_;
};

TEST_F(SaveFormatSnapshots, EveryFormatSavesEveryColourModeItTakes) {
    // A small window keeps the 42 saves quick (the suite also runs under Valgrind).
    ASSERT_EQ(PixoraEx_SetControl(camera_, PixoraEx_FindControl("width"), 64), 1);
    ASSERT_EQ(PixoraEx_SetControl(camera_, PixoraEx_FindControl("height"), 48), 1);
    for (int32_t mode : {8, 16, 24, 32, 48, 64}) {
        ASSERT_EQ(Pixora_SetColorMode(camera_, mode), 1) << mode;
        ASSERT_EQ(Pixora_SnapShot(camera_, nullptr, 0, 1), 1) << mode;
        for (int32_t index = 0; index < PixoraEx_GetSaveFormatCount(); ++index) {
            const PixoraSaveFormatInfo info = FormatAt(index);
            bool takes = false;
            for (int32_t d = 0; d < info.depthCount; ++d)
                takes = takes || info.depths[d].bitsPerPixel == mode;
            const std::string path =
                dir_.File(std::string(info.name) + std::to_string(mode) + info.extensions[0]);
            EXPECT_EQ(Pixora_SaveImage(camera_, path.c_str(), info.code), takes ? 1 : 0)
                << info.name << " " << mode;
            EXPECT_EQ(std::filesystem::exists(path), takes) << info.name << " " << mode;
        }
    }
}

}  // namespace
}  // namespace pixora::test
