// On Windows too a save replaces its file whole or not at all: a save over a file puts the
// new picture in its place and leaves no temporary beside it; a save that fails (a file
// marked read-only, a folder in the way) leaves the file that was there as it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "ImagePattern.h"
#include "image/ImageBuffer.h"
#include "image/SaveFormatTable.h"
#include "image/SaveImageFile.h"

namespace pixora::test {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

const std::vector<uint8_t> kOld(1000, 0x5A);

void WriteOld(const fs::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(kOld.data()),
              static_cast<std::streamsize>(kOld.size()));
}

class FileReplacement : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() / ("pixora-replace-" + std::to_string(GetCurrentProcessId()));
        fs::create_directories(dir_);
        ASSERT_TRUE(FillPattern(image_, 24));
    }
    void TearDown() override {
        for (const auto& entry : fs::directory_iterator(dir_))
            SetFileAttributesA(entry.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::set<std::string> Entries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path dir_;
    ImageBuffer image_;
};

TEST_F(FileReplacement, ASaveOverAFileReplacesItAndLeavesNoTemporary) {
    const fs::path target = dir_ / "picture";
    for (const SaveFormatRow& row : SaveFormats()) {
        const uint32_t format = row.code;
        SCOPED_TRACE(format);
        WriteOld(target);
        ASSERT_EQ(SaveImageFile(target.string().c_str(), &image_, format), 1);
        const std::vector<uint8_t> written = ReadFile(target);
        EXPECT_FALSE(written.empty());
        EXPECT_NE(written, kOld);
        EXPECT_EQ(Entries(), std::set<std::string>{"picture"});
    }
}

TEST_F(FileReplacement, AReadOnlyFileIsRefusedAndKept) {
    const fs::path target = dir_ / "locked";
    WriteOld(target);
    ASSERT_TRUE(SetFileAttributesA(target.string().c_str(), FILE_ATTRIBUTE_READONLY));
    for (const SaveFormatRow& row : SaveFormats()) {
        const uint32_t format = row.code;
        SCOPED_TRACE(format);
        std::string why;
        EXPECT_EQ(SaveImageFile(target.string().c_str(), &image_, format, &why), 0);
        EXPECT_EQ(ReadFile(target), kOld);
        EXPECT_EQ(Entries(), std::set<std::string>{"locked"});
    }
}

TEST_F(FileReplacement, AFolderAtThePathIsRefusedAndLeftAlone) {
    const fs::path folder = dir_ / "folder";
    fs::create_directory(folder);
    for (const SaveFormatRow& row : SaveFormats()) {
        const uint32_t format = row.code;
        SCOPED_TRACE(format);
        EXPECT_EQ(SaveImageFile(folder.string().c_str(), &image_, format), 0);
        EXPECT_TRUE(fs::is_directory(folder));
        EXPECT_EQ(Entries(), std::set<std::string>{"folder"});
    }
}

}  // namespace
}  // namespace pixora::test
