// What a failed save leaves and says: paths that are not plain files are refused without
// blocking or being touched, every failure gives the system's reason, and none of the
// image libraries writes to the application's streams.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ImageTestSupport.h"
#include "image/SaveImageFile.h"

namespace pixora {
namespace {

class SaveFailure : public test::ScratchDir {
protected:
    void SetUp() override {
        test::ScratchDir::SetUp();
        ASSERT_EQ(image_.Create(256, 64, 24), 1);
        test::FillPattern(image_);
    }
    ImageBuffer image_;
};

TEST_F(SaveFailure, PathsThatAreNotPlainFilesAreRefusedForEveryFormat) {
    const std::string fifo = PathOf("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = PathOf("folder");
    std::filesystem::create_directory(folder);
    for (uint32_t format : test::SaveFormatCodes()) {
        for (const std::string& path : {fifo, folder, std::string("/dev/null")}) {
            std::string why;
            // A FIFO without a reader would block an ordinary open for ever.
            EXPECT_EQ(SaveImageFile(path.c_str(), &image_, format, &why), 0) << path << format;
            const std::string reason =
                path == folder ? std::strerror(EISDIR) : "not a regular file";
            EXPECT_NE(why.find(reason), std::string::npos) << path << ": " << why;
        }
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
}

TEST_F(SaveFailure, AFifoWithAReaderReceivesNothing) {
    const std::string fifo = PathOf("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    for (uint32_t format : test::SaveFormatCodes()) {
        std::string why;
        EXPECT_EQ(SaveImageFile(fifo.c_str(), &image_, format, &why), 0) << format;
        EXPECT_NE(why.find("not a regular file"), std::string::npos) << why;
    }
    char byte = 0;
    EXPECT_LE(read(reader, &byte, 1), 0);
    close(reader);
}

TEST_F(SaveFailure, ASymbolicLinkToAFileIsWrittenThrough) {
    const std::string target = PathOf("target.png");
    const std::string link = PathOf("link.png");
    std::filesystem::create_symlink(target, link);
    std::string why;
    ASSERT_EQ(SaveImageFile(link.c_str(), &image_, kSavePng, &why), 1) << why;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_GT(std::filesystem::file_size(target), 0u);
}

TEST_F(SaveFailure, AMissingFolderIsNamedAsTheReason) {
    const std::string path = PathOf("no/such/file");
    for (uint32_t format : test::SaveFormatCodes()) {
        std::string why;
        EXPECT_EQ(SaveImageFile(path.c_str(), &image_, format, &why), 0) << format;
        EXPECT_NE(why.find(std::strerror(ENOENT)), std::string::npos) << format << ": " << why;
        EXPECT_NE(why.find(path), std::string::npos) << why;
    }
}

TEST_F(SaveFailure, AFolderWithoutWritePermissionIsNamedAsTheReason) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const std::string folder = PathOf("locked");
    std::filesystem::create_directory(folder);
    chmod(folder.c_str(), 0500);
    const std::string path = folder + "/a";
    for (uint32_t format : test::SaveFormatCodes()) {
        std::string why;
        EXPECT_EQ(SaveImageFile(path.c_str(), &image_, format, &why), 0) << format;
        EXPECT_NE(why.find(std::strerror(EACCES)), std::string::npos) << format << ": " << why;
    }
    chmod(folder.c_str(), 0700);
}

// A file that cannot grow, as on a full disk, in a child process whose file-size limit is
// a few bytes: every format fails with the system's reason, the file that was there is as
// it was, no temporary remains, and stderr stays empty.
TEST_F(SaveFailure, AWriteThatCannotCompleteGivesTheSystemsReasonAndPrintsNothing) {
    const std::string old = "yesterday's good picture";
    for (uint32_t format : test::SaveFormatCodes()) {
        const std::string path = PathOf("small" + std::to_string(format));
        {
            std::ofstream out(path, std::ios::binary);
            out << old;
        }
        const std::string errors = PathOf("stderr" + std::to_string(format));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{100, 100};
            setrlimit(RLIMIT_FSIZE, &limit);
            const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, STDERR_FILENO);
            std::string why;
            const int32_t saved = SaveImageFile(path.c_str(), &image_, format, &why);
            const bool explained = why.find(std::strerror(EFBIG)) != std::string::npos;
            _exit(saved == 0 && explained ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "format " << format;
        EXPECT_EQ(std::filesystem::file_size(errors), 0u) << "format " << format;
        const std::vector<uint8_t> kept = test::ReadFileBytes(path);
        EXPECT_EQ(std::string(kept.begin(), kept.end()), old) << "format " << format;
    }
    // The folder holds what the test made: a target and a stderr file per format.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_))
        ++entries;
    EXPECT_EQ(entries, 2 * test::SaveFormatCodes().size());
}

}  // namespace
}  // namespace pixora
