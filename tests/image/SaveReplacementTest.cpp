// A save replaces its file whole or not at all: on a full disk the file that was there is
// byte for byte as it was and no temporary is left, for every format; a save that succeeds
// keeps the file's permissions and writes through a symbolic link; a file its owner made
// read-only is refused. The full disk is a small tmpfs mounted for the test (superuser
// only; skipped otherwise); SaveFailure covers a failing write without one.
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "ImageTestSupport.h"
#include "image/SaveImageFile.h"

namespace pixora {
namespace {

namespace fs = std::filesystem;

// The names in `folder`.
std::set<std::string> Entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> OldContents() {
    std::vector<uint8_t> bytes(20000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

// A picture too large for what is left of the disk in every format: noise compresses badly.
void FillNoise(ImageBuffer& image) {
    uint32_t state = 12345;
    for (size_t i = 0; i < image.SizeBytes(); ++i) {
        state = state * 1103515245u + 12345u;
        image.Bits()[i] = static_cast<uint8_t>(state >> 16);
    }
}

class SaveReplacement : public test::ScratchDir {
protected:
    void SetUp() override {
        test::ScratchDir::SetUp();
        ASSERT_EQ(image_.Create(640, 480, 24), 1);
        FillNoise(image_);
    }
    ImageBuffer image_;
};

// A tmpfs of two megabytes at dir_/disk, unmounted at the end of the test.
class FullDisk : public SaveReplacement {
protected:
    void SetUp() override {
        SaveReplacement::SetUp();
        disk_ = dir_ / "disk";
        fs::create_directory(disk_);
        if (geteuid() != 0 || mount("tmpfs", disk_.c_str(), "tmpfs", 0, "size=2m") != 0)
            GTEST_SKIP() << "a tmpfs can be mounted only by the superuser";
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_)
            umount2(disk_.c_str(), MNT_DETACH);
        SaveReplacement::TearDown();
    }

    // Fills what is left of the disk with one file.
    void FillDisk() {
        const fs::path filler = disk_ / "filler";
        std::FILE* file = std::fopen(filler.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::vector<char> block(4096, 'x');
        while (std::fwrite(block.data(), 1, block.size(), file) == block.size()) {
        }
        std::fclose(file);
        // Whatever a partial block left.
        file = std::fopen(filler.c_str(), "ab");
        while (file != nullptr && std::fputc('x', file) != EOF && std::fflush(file) == 0) {
        }
        if (file != nullptr)
            std::fclose(file);
    }

    fs::path disk_;
    bool mounted_ = false;
};

TEST_F(FullDisk, EveryFormatLeavesTheOldFileAsItWasAndNoTemporary) {
    const std::string target = (disk_ / "picture").string();
    const std::vector<uint8_t> old = OldContents();
    WriteBytes(target, old);
    FillDisk();
    const std::set<std::string> before = Entries(disk_);
    for (uint32_t format : test::SaveFormatCodes()) {
        std::string why;
        EXPECT_EQ(SaveImageFile(target.c_str(), &image_, format, &why), 0) << "format " << format;
        EXPECT_NE(why.find(std::strerror(ENOSPC)), std::string::npos) << format << ": " << why;
        EXPECT_EQ(test::ReadFileBytes(target), old) << "format " << format;
        EXPECT_EQ(Entries(disk_), before) << "format " << format;
    }
    // With room again the same saves replace the file.
    fs::remove(disk_ / "filler");
    for (uint32_t format : test::SaveFormatCodes()) {
        std::string why;
        ASSERT_EQ(SaveImageFile(target.c_str(), &image_, format, &why), 1) << format << ": " << why;
        EXPECT_NE(test::ReadFileBytes(target), old) << "format " << format;
        EXPECT_EQ(Entries(disk_), std::set<std::string>{"picture"}) << "format " << format;
    }
}

TEST_F(FullDisk, ANewFileIsNotCreatedHalfWritten) {
    FillDisk();
    const std::string target = (disk_ / "new").string();
    for (uint32_t format : test::SaveFormatCodes()) {
        EXPECT_EQ(SaveImageFile(target.c_str(), &image_, format), 0) << "format " << format;
        EXPECT_FALSE(fs::exists(target)) << "format " << format;
        EXPECT_EQ(Entries(disk_), std::set<std::string>{"filler"}) << "format " << format;
    }
}

TEST_F(SaveReplacement, TheFilesPermissionsAreKeptAndANewFileGetsTheUsualOnes) {
    const mode_t mask = umask(022);
    umask(mask);
    for (uint32_t format : test::SaveFormatCodes()) {
        const std::string kept = PathOf("kept" + std::to_string(format));
        WriteBytes(kept, OldContents());
        ASSERT_EQ(chmod(kept.c_str(), 0640), 0);
        ASSERT_EQ(SaveImageFile(kept.c_str(), &image_, format), 1) << format;
        EXPECT_EQ(fs::status(kept).permissions(), fs::perms(0640)) << "format " << format;

        const std::string fresh = PathOf("fresh" + std::to_string(format));
        ASSERT_EQ(SaveImageFile(fresh.c_str(), &image_, format), 1) << format;
        EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0666 & ~mask)) << "format " << format;
    }
}

TEST_F(SaveReplacement, ALinkedFileIsReplacedAtItsDestinationAndTheLinkStays) {
    const std::string target = PathOf("target");
    const std::string link = PathOf("link");
    WriteBytes(target, OldContents());
    ASSERT_EQ(chmod(target.c_str(), 0600), 0);
    fs::create_symlink("target", link);
    for (uint32_t format : test::SaveFormatCodes()) {
        std::string why;
        ASSERT_EQ(SaveImageFile(link.c_str(), &image_, format, &why), 1) << format << ": " << why;
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(fs::read_symlink(link), fs::path("target"));
        EXPECT_NE(test::ReadFileBytes(target), OldContents());
        EXPECT_EQ(fs::status(target).permissions(), fs::perms(0600));
        EXPECT_EQ(Entries(dir_), (std::set<std::string>{"link", "target"})) << format;
    }
}

// In a folder open to everyone, where a rename alone would replace any file. The saves run
// in a child process as an ordinary user (the superuser's child drops to "nobody").
TEST_F(SaveReplacement, AFileItsOwnerMadeReadOnlyIsRefusedAndKept) {
    const std::string target = PathOf("locked");
    WriteBytes(target, OldContents());
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(77);
        for (uint32_t format : test::SaveFormatCodes()) {
            std::string why;
            if (SaveImageFile(target.c_str(), &image_, format, &why) != 0 ||
                why.find(std::strerror(EACCES)) == std::string::npos)
                _exit(static_cast<int>(1 + format));
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no ordinary user to save as";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "format " << WEXITSTATUS(status) - 1 << " was not refused";
    EXPECT_EQ(test::ReadFileBytes(target), OldContents());
    EXPECT_EQ(Entries(dir_), std::set<std::string>{"locked"});
}

}  // namespace
}  // namespace pixora
