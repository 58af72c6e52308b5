// The library's PIXORA_* variables come from the process environment, as a host sets it at
// run time (SetEnvironmentVariable, which Python's os.environ calls), not from the C
// runtime's copy taken when the process started.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Environment.h"
#include "platform/SettingsStore.h"

namespace pixora {
namespace {

TEST(ProcessEnvironment, AVariableSetAtRunTimeIsHeard) {
    ASSERT_TRUE(SetEnvironmentVariableA("PIXORA_PROBE_LATE", "late value"));
    // The runtime's copy does not know it; the library does.
    EXPECT_EQ(std::getenv("PIXORA_PROBE_LATE"), nullptr);
    EXPECT_EQ(EnvironmentValue("PIXORA_PROBE_LATE"), std::optional<std::string>("late value"));
    ASSERT_TRUE(SetEnvironmentVariableA("PIXORA_PROBE_LATE", nullptr));
    EXPECT_EQ(EnvironmentValue("PIXORA_PROBE_LATE"), std::nullopt);
    ASSERT_TRUE(SetEnvironmentVariableA("PIXORA_PROBE_EMPTY", ""));
    EXPECT_EQ(EnvironmentValue("PIXORA_PROBE_EMPTY"), std::optional<std::string>(""));
    const std::string longValue(5000, 'v');
    ASSERT_TRUE(SetEnvironmentVariableA("PIXORA_PROBE_LONG", longValue.c_str()));
    EXPECT_EQ(EnvironmentValue("PIXORA_PROBE_LONG"), std::optional<std::string>(longValue));
}

TEST(ProcessEnvironment, TheSettingsRedirectionSetAtRunTimeIsUsed) {
    char saved[1024] = {};
    const DWORD had = GetEnvironmentVariableA("PIXORA_REGISTRY", saved, sizeof saved);
    ASSERT_TRUE(SetEnvironmentVariableA("PIXORA_REGISTRY", "Software\\PixoraLateTest"));
    EXPECT_EQ(SettingsStore::DefaultPath(), "Software\\PixoraLateTest");
    SetEnvironmentVariableA("PIXORA_REGISTRY", had != 0 ? saved : nullptr);
}

}  // namespace
}  // namespace pixora
