#include "platform/SettingsKeyPath.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/SettingsStore.h"

namespace pixora {
namespace {

TEST(SettingsKeyPath, KeyPathsAreNamesJoinedByOneBackslash) {
    EXPECT_TRUE(ValidKeyPath("Software"));
    EXPECT_TRUE(ValidKeyPath("Software\\Mendal\\Pixora530TZSdk\\Size_00"));
    EXPECT_TRUE(ValidKeyPath("with space\\and-dash"));
    for (const char* bad : {"", "\\Software", "Software\\", "Software\\\\Mendal", "a[b", "a]b",
                            "tab\there", "del\x7F"}) {
        EXPECT_FALSE(ValidKeyPath(bad)) << bad;
    }
}

TEST(SettingsKeyPath, ValueNamesHoldNoQuoteBackslashOrControlCharacter) {
    EXPECT_TRUE(ValidValueName(""));  // the key's default value
    EXPECT_TRUE(ValidValueName("EHS"));
    for (const char* bad : {"bad\"name", "bad\\name", "bad\nname", "del\x7F"})
        EXPECT_FALSE(ValidValueName(bad)) << bad;
    EXPECT_TRUE(ValidValueNames({{"TH", 1}, {"TV", 2}}));
    EXPECT_FALSE(ValidValueNames({{"TH", 1}, {"T\"V", 2}}));
}

TEST(SettingsKeyPath, FullPathsStartAtTheCurrentUserRoot) {
    EXPECT_EQ(FullKeyPath("Software\\Mendal"), "HKEY_CURRENT_USER\\Software\\Mendal");
    EXPECT_EQ(FullKeyPath(""), "HKEY_CURRENT_USER");
    EXPECT_TRUE(IsSubKeyPath("HKEY_CURRENT_USER", "hkey_current_user\\Software"));
    EXPECT_TRUE(IsSubKeyPath("Software\\Mendal", "SOFTWARE\\mendal\\Size_00"));
    EXPECT_FALSE(IsSubKeyPath("Software\\Mendal", "Software\\Mendal"));
    EXPECT_FALSE(IsSubKeyPath("Software\\Mendal", "Software\\MendalOther"));
    EXPECT_FALSE(IsSubKeyPath("HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE\\Software"));
}

}  // namespace
}  // namespace pixora
