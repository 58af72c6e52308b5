#include "platform/RegistryFile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace pixora {
namespace {

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Mendal\\Pixora530TZSdk\\Size_00";

TEST(RegistryText, FormatsSectionsWithEightLowerCaseHexDigits) {
    RegistryContents contents;
    contents.keys[kKey]["TH"] = 1360;
    contents.keys[kKey]["EVS"] = 0xABCDEF01u;
    const std::string text = FormatRegistryText(contents);
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\n[" + kKey + "]\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"TH\"=dword:00000550\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"EVS\"=dword:abcdef01\r\n"), std::string::npos);
}

TEST(RegistryText, RoundTripsWhatItFormats) {
    RegistryContents contents;
    contents.keys[kKey]["TH"] = 1360;
    contents.keys[kKey]["Buf"] = 10;
    contents.keys["HKEY_CURRENT_USER\\Software"];
    const ParsedRegistry parsed = ParseRegistryText(FormatRegistryText(contents));
    EXPECT_FALSE(parsed.damaged);
    EXPECT_EQ(FormatRegistryText(parsed.contents), FormatRegistryText(contents));
}

TEST(RegistryText, AcceptsLfLineEndsUpperCaseHexAndComments) {
    const ParsedRegistry parsed =
        ParseRegistryText("Windows Registry Editor Version 5.00\n\n; written by hand\n[" + kKey +
                          "]\n\"TV\"=dword:000004FF\n");
    EXPECT_FALSE(parsed.damaged);
    EXPECT_EQ(parsed.contents.keys.at(kKey).at("TV"), 0x4FFu);
}

TEST(RegistryText, NamesCompareWithoutCase) {
    const ParsedRegistry parsed = ParseRegistryText("Windows Registry Editor Version 5.00\r\n[" +
                                                    kKey + "]\r\n\"th\"=dword:00000001\r\n");
    const auto& values = parsed.contents.keys.at(
        "hkey_current_user\\software\\mendal\\"
        "pixora530tzsdk\\size_00");
    EXPECT_EQ(values.at("TH"), 1u);
}

TEST(RegistryText, DamagedTextKeepsWhatPrecedesTheFirstBadLine) {
    const std::string good =
        "Windows Registry Editor Version 5.00\r\n[" + kKey + "]\r\n\"TH\"=dword:00000550\r\n";
    const char* tails[] = {
        "\"TV\"=dword:0000040\r\n",          // seven digits
        "\"TV\"=dword:0000040g\r\n",         // not hex
        "\"TV\"=hex:01,02\r\n",              // another value type
        "[HKEY_CURRENT_USER\\Software\r\n",  // unclosed section
        "garbage\r\n",
        "\"TV\"=dword:00000400\x01\r\n",  // control byte
    };
    for (const char* tail : tails) {
        const ParsedRegistry parsed = ParseRegistryText(good + tail + "\"EV\"=dword:00000001\r\n");
        EXPECT_TRUE(parsed.damaged) << tail;
        const auto& values = parsed.contents.keys.at(kKey);
        EXPECT_EQ(values.at("TH"), 0x550u) << tail;
        EXPECT_EQ(values.count("EV"), 0u) << tail;
    }
}

TEST(RegistryText, MissingHeaderYieldsNothing) {
    const ParsedRegistry parsed = ParseRegistryText("[" + kKey + "]\r\n\"TH\"=dword:00000550\r\n");
    EXPECT_TRUE(parsed.damaged);
    EXPECT_TRUE(parsed.contents.keys.empty());
    EXPECT_FALSE(ParseRegistryText("").damaged);
}

TEST(RegistryText, RandomBytesNeverBreakTheReader) {
    std::mt19937 random(7);
    const std::string header = "Windows Registry Editor Version 5.00\r\n[" + kKey + "]\r\n";
    for (int round = 0; round < 500; ++round) {
        std::string text = round % 2 ? header : std::string();
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i)
            text += static_cast<char>(random() & 0xFF);
        const ParsedRegistry parsed = ParseRegistryText(text);
        // Whatever was accepted formats back to text that reads the same.
        const ParsedRegistry again = ParseRegistryText(FormatRegistryText(parsed.contents));
        EXPECT_FALSE(again.damaged);
        EXPECT_EQ(FormatRegistryText(again.contents), FormatRegistryText(parsed.contents));
    }
}

}  // namespace
}  // namespace pixora
