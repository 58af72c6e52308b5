// Two processes using one settings file at once: each opens and releases sessions (which
// store the picture and analog settings) while also storing values of its own. Nothing
// either of them wrote is lost, and the file never reads as damaged.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "PixoraSdk_530TZ.h"
#include "ScopedRegistry.h"
#include "SoakSupport.h"
#include "platform/SettingsStore.h"

namespace pixora::test {
namespace {

constexpr const char* kKey = "Software\\Mendal\\Pixora530TZSdk";
constexpr const char* kOwnKey = "Software\\Mendal\\Pixora530TZSdk\\Soak";

std::string OwnName(int process, int round) {
    return "P" + std::to_string(process) + "_" + std::to_string(round);
}

// Brightness that process `p` sets in round `r`: tells who wrote the value that survived.
int32_t Brightness(int process, int round) {
    return process == 0 ? -(round % 255) - 1 : (round % 255) + 1;
}

// One child's work; its exit status is the number of failed steps (0 when all went well).
int WriterProcess(int process, int rounds, const std::string& file) {
    int failures = 0;
    SettingsStore store(file);
    for (int round = 0; round < rounds; ++round) {
        PIXORA_HANDLE camera = Pixora_Initialize(nullptr);
        if (camera == nullptr) {
            ++failures;
            continue;
        }
        failures += Pixora_SetBrightness(camera, Brightness(process, round)) == 1 ? 0 : 1;
        failures += Pixora_SetGamma(camera, process == 0 ? 50 : 150) == 1 ? 0 : 1;
        failures += Pixora_Release(camera) == 1 ? 0 : 1;  // stores Filter, Gray and Gain
        failures += store.WriteValue(kOwnKey, OwnName(process, round), static_cast<uint32_t>(round))
                        ? 0
                        : 1;
    }
    return failures > 255 ? 255 : failures;
}

TEST(SettingsProcesses, TwoProcessesStoringAtOnceLoseNothing) {
    ScopedRegistry registry;
    const int rounds = SoakCount(10, 300);
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        children[p] = fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0)
            _exit(WriterProcess(p, rounds, registry.File()));
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "failed steps in a writer";
    }

    SettingsStore store(registry.File());
    const ParsedRegistry parsed = store.Load();
    EXPECT_FALSE(parsed.damaged);
    EXPECT_FALSE(std::filesystem::exists(registry.File() + ".bad"));
    for (int p = 0; p < 2; ++p) {
        for (int round = 0; round < rounds; ++round) {
            uint32_t value = 0xFFFFFFFF;
            EXPECT_TRUE(store.ReadValue(kOwnKey, OwnName(p, round), &value)) << OwnName(p, round);
            EXPECT_EQ(value, static_cast<uint32_t>(round));
        }
    }
    // The format the first session created and the records the sessions stored are all there.
    uint32_t width = 0;
    EXPECT_TRUE(store.ReadValue(std::string(kKey) + "\\Size_00", "EH", &width));
    EXPECT_EQ(width, 1360u);
    uint32_t color = 0;
    EXPECT_TRUE(store.ReadValue(kKey, "Color", &color));
    EXPECT_EQ(color, 2u);
    for (const char* sub : {"Gain", "Filter", "Gray"})
        EXPECT_TRUE(store.KeyExists(std::string(kKey) + "\\" + sub)) << sub;
    // The surviving picture settings are one process's last ones, never a mixture or a reset.
    uint32_t brightness = 0;
    uint32_t gamma = 0;
    ASSERT_TRUE(store.ReadValue(std::string(kKey) + "\\Filter", "Brightness", &brightness));
    ASSERT_TRUE(store.ReadValue(std::string(kKey) + "\\Filter", "Gamma", &gamma));
    const auto last0 = static_cast<uint32_t>(Brightness(0, rounds - 1));
    const auto last1 = static_cast<uint32_t>(Brightness(1, rounds - 1));
    EXPECT_TRUE((brightness == last0 && gamma == 50) || (brightness == last1 && gamma == 150))
        << "brightness " << static_cast<int32_t>(brightness) << " gamma " << gamma;
    Report("settings writers", "processes 2, rounds " + std::to_string(rounds) + " each");
}

}  // namespace
}  // namespace pixora::test
