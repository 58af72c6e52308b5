#include "platform/SettingsStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "ScopedRegistry.h"
#include "TempDir.h"
#include "platform/Log.h"

namespace pixora {
namespace {

using test::ScopedRegistry;

const std::string kKey = "Software\\Mendal\\Pixora530TZSdk";

// What the store tells the application, through the log handler, while this lives.
class LogCapture {
public:
    LogCapture() { SetLogHandler(Keep, this); }
    ~LogCapture() { SetLogHandler(nullptr, nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    const std::string& Text() const { return text_; }

private:
    static void Keep(int32_t level, const char* text, void* context) {
        auto* capture = static_cast<LogCapture*>(context);
        capture->text_ += (level == PIXORA_LOG_WARNING ? "warning: " : "other: ");
        capture->text_ += text;
        capture->text_ += '\n';
    }
    std::string text_;
};

TEST(SettingsStorePath, FollowsTheEnvironment) {
    ScopedRegistry registry;
    EXPECT_EQ(SettingsStore::DefaultPath(), registry.File());
    unsetenv("PIXORA_REGISTRY");
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string oldXdg = xdg ? xdg : "";
    setenv("XDG_CONFIG_HOME", "/tmp/xdg-test", 1);
    EXPECT_EQ(SettingsStore::DefaultPath(), "/tmp/xdg-test/pixora/registry.reg");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", std::getenv("HOME") ? std::getenv("HOME") : "/root", 1);
    EXPECT_EQ(SettingsStore::DefaultPath(),
              std::string(std::getenv("HOME")) + "/.config/pixora/registry.reg");
    if (xdg)
        setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
}

TEST(RegistryKeys, OpenFailsUntilCreatedAndCreateMakesParents) {
    ScopedRegistry registry;
    EXPECT_EQ(RegistryKey::Open(kKey), nullptr);
    auto key = RegistryKey::Create(kKey + "\\Size_00");
    ASSERT_NE(key, nullptr);
    EXPECT_NE(RegistryKey::Open("Software"), nullptr);
    EXPECT_NE(RegistryKey::Open("Software\\Mendal"), nullptr);
    EXPECT_NE(RegistryKey::Open(kKey), nullptr);
    EXPECT_NE(RegistryKey::Open(kKey)->OpenSubKey("Size_00"), nullptr);
    EXPECT_EQ(RegistryKey::Open(kKey)->OpenSubKey("Size_01"), nullptr);
    EXPECT_EQ(RegistryKey::Open("SOFTWARE\\MENDAL\\PIXORA530TZSDK")->Path(),
              "SOFTWARE\\MENDAL\\PIXORA530TZSDK");
}

TEST(RegistryKeys, MissingValueLeavesTheFieldUnchanged) {
    ScopedRegistry registry;
    auto key = RegistryKey::Create(kKey);
    ASSERT_NE(key, nullptr);
    int32_t value = 77;
    EXPECT_FALSE(key->Read("Color", &value));
    EXPECT_EQ(value, 77);
    EXPECT_TRUE(key->Write("Color", -5));
    EXPECT_TRUE(key->Read("Color", &value));
    EXPECT_EQ(value, -5);
    EXPECT_NE(registry.Text().find("\"Color\"=dword:fffffffb\r\n"), std::string::npos);
    EXPECT_FALSE(key->Read("Color", nullptr));
}

TEST(RegistryKeys, RejectsNamesTheFileCannotHold) {
    ScopedRegistry registry;
    EXPECT_EQ(RegistryKey::Create(""), nullptr);
    EXPECT_EQ(RegistryKey::Create("a\\\\b"), nullptr);
    EXPECT_EQ(RegistryKey::Create("a]b"), nullptr);
    auto key = RegistryKey::Create(kKey);
    EXPECT_FALSE(key->Write("bad\"name", 1));
    EXPECT_FALSE(key->Write("bad\nname", 1));
}

TEST(RegistryKeys, DamagedFileReadsItsValidPartAndIsKeptBesideTheNewOne) {
    ScopedRegistry registry;
    std::string damaged = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" +
                          kKey + "]\r\n\"Color\"=dword:00000003\r\n\"Size\"=dwo";
    damaged += std::string("\0\xFF\r\n", 4);
    registry.Write(damaged);
    auto key = RegistryKey::Open(kKey);
    ASSERT_NE(key, nullptr);
    int32_t color = 0;
    EXPECT_TRUE(key->Read("Color", &color));
    EXPECT_EQ(color, 3);
    int32_t size = 9;
    EXPECT_FALSE(key->Read("Size", &size));
    EXPECT_EQ(size, 9);

    EXPECT_TRUE(key->Write("Size", 1));
    ASSERT_TRUE(std::filesystem::exists(registry.File() + ".bad"));
    EXPECT_EQ(std::filesystem::file_size(registry.File() + ".bad"), damaged.size());
    EXPECT_TRUE(key->Read("Color", &color));
    EXPECT_EQ(color, 3);
    EXPECT_TRUE(key->Read("Size", &size));
    EXPECT_EQ(size, 1);
    EXPECT_FALSE(SettingsStore(registry.File()).Load().damaged);
}

TEST(RegistryKeys, ADirectoryInPlaceOfTheFileFailsWithoutHanging) {
    ScopedRegistry registry;
    std::filesystem::create_directories(registry.File());
    EXPECT_EQ(RegistryKey::Open(kKey), nullptr);
    EXPECT_EQ(RegistryKey::Create(kKey), nullptr);
}

// How often `text` occurs in `haystack`.
int Occurrences(const std::string& haystack, const std::string& text) {
    int count = 0;
    for (size_t at = haystack.find(text); at != std::string::npos; at = haystack.find(text, at + 1))
        ++count;
    return count;
}

TEST(SettingsFiles, ALinkIsWrittenThroughToItsTargetAndStaysALink) {
    ScopedRegistry registry;
    test::TempDir elsewhere;
    const std::string target = elsewhere.File("real.reg");
    std::filesystem::create_symlink(target, registry.File());  // the target does not exist yet
    auto key = RegistryKey::Create(kKey);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->Write("Color", 4));
    EXPECT_TRUE(std::filesystem::is_symlink(registry.File()));
    ASSERT_TRUE(std::filesystem::is_regular_file(target));
    ASSERT_TRUE(key->Write("Clock", 1));
    EXPECT_TRUE(std::filesystem::is_symlink(registry.File()));
    int32_t value = 0;
    ASSERT_NE(RegistryKey::Open(kKey), nullptr);
    EXPECT_TRUE(RegistryKey::Open(kKey)->Read("Color", &value));
    EXPECT_EQ(value, 4);
    // Both writes reached the one file the link names.
    uint32_t clock = 0;
    EXPECT_TRUE(SettingsStore(target).ReadValue(kKey, "Clock", &clock));
    EXPECT_EQ(clock, 1u);
    EXPECT_FALSE(std::filesystem::exists(registry.File() + ".tmp"));
}

TEST(SettingsFiles, AFifoIsNeitherReadNorReplacedAndIsReportedOnce) {
    ScopedRegistry registry;
    ASSERT_EQ(mkfifo(registry.File().c_str(), 0600), 0);
    std::string told;
    testing::internal::CaptureStderr();
    {
        LogCapture log;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(RegistryKey::Open(kKey), nullptr);
            EXPECT_EQ(RegistryKey::Create(kKey), nullptr);
        }
        told = log.Text();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(std::filesystem::is_fifo(registry.File()));
    EXPECT_EQ(Occurrences(told, "warning: settings file"), 1) << told;
    EXPECT_EQ(Occurrences(told, "is not a regular file"), 1) << told;
    EXPECT_NE(told.find(registry.File()), std::string::npos) << told;
}

// A file beyond the read cap is read up to it; rewriting it would drop every value stored
// after that point, so it is never rewritten.
TEST(SettingsFiles, AFileLargerThanTheCapIsKeptAsItIs) {
    ScopedRegistry registry;
    {
        std::ofstream out(registry.File(), std::ios::binary);
        out << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\" << kKey
            << "]\r\n\"Early\"=dword:00000007\r\n";
        const std::string filler = "; " + std::string(1021, 'x') + "\r\n";
        for (int i = 0; i < 16 * 1024 + 64; ++i)
            out << filler;
        out << "[HKEY_CURRENT_USER\\Software\\Late]\r\n\"Late\"=dword:00000009\r\n";
    }
    const auto sizeBefore = std::filesystem::file_size(registry.File());
    std::string told;
    testing::internal::CaptureStderr();
    {
        LogCapture log;
        int32_t value = 0;
        ASSERT_NE(RegistryKey::Open(kKey), nullptr);
        EXPECT_TRUE(RegistryKey::Open(kKey)->Read("Early", &value));
        EXPECT_EQ(value, 7);
        EXPECT_FALSE(RegistryKey::Open(kKey)->Write("Color", 2));
        EXPECT_FALSE(RegistryKey::Open(kKey)->Write("Clock", 1));
        told = log.Text();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(std::filesystem::file_size(registry.File()), sizeBefore);
    EXPECT_EQ(Occurrences(told, "warning: settings file"), 1) << told;
    EXPECT_EQ(Occurrences(told, "larger than 16 MiB"), 1) << told;
}

// The file is replaced whole on every write, with nothing left beside it but its lock; a
// new file is the user's alone, an existing one keeps the permissions it was given.
TEST(SettingsFiles, EachWriteReplacesTheFileKeepingItsPermissionsAndLeavesNoTemporary) {
    ScopedRegistry registry;
    auto key = RegistryKey::Create(kKey);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(std::filesystem::status(registry.File()).permissions(), std::filesystem::perms(0600));
    ASSERT_EQ(chmod(registry.File().c_str(), 0640), 0);
    ASSERT_TRUE(key->Write("Color", 3));
    EXPECT_EQ(std::filesystem::status(registry.File()).permissions(), std::filesystem::perms(0640));
    const std::filesystem::path folder = std::filesystem::path(registry.File()).parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(entry.path().string() == registry.File() ||
                    entry.path().string() == registry.File() + ".lock")
            << name;
    }
}

TEST(RegistryKeys, TwoProcessesWritingAtOnceLoseNothing) {
    ScopedRegistry registry;
    ASSERT_NE(RegistryKey::Create(kKey), nullptr);
    constexpr int kWrites = 40;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            SettingsStore store(registry.File());
            bool ok = true;
            for (int i = 0; i < kWrites; ++i) {
                ok = store.WriteValue(kKey, "P" + std::to_string(c) + "_" + std::to_string(i),
                                      static_cast<uint32_t>(i)) &&
                     ok;
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SettingsStore store(registry.File());
    for (int c = 0; c < 2; ++c) {
        for (int i = 0; i < kWrites; ++i) {
            uint32_t value = 999;
            EXPECT_TRUE(
                store.ReadValue(kKey, "P" + std::to_string(c) + "_" + std::to_string(i), &value));
            EXPECT_EQ(value, static_cast<uint32_t>(i));
        }
    }
    EXPECT_FALSE(std::filesystem::exists(registry.File() + ".tmp"));
}

}  // namespace
}  // namespace pixora
