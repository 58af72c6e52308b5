// pixora get and pixora set: settings by name, kept in the settings file between runs,
// refused values reported with their error code.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "PixoraRun.h"

namespace pixora::test {
namespace {

std::string Get(const PixoraFixture& pixora, const std::string& name) {
    const PixoraResult result = pixora.Run({"get", name});
    EXPECT_EQ(result.exitStatus, 0) << name << ": " << result.err;
    return result.out;
}

struct Assignment {
    const char* name;
    const char* value;
    const char* readBack;
};

TEST(PixoraSettings, EachSettingKeepsItsValueForTheNextRun) {
    PixoraFixture pixora;
    const Assignment assignments[] = {
        {"brightness", "-255", "-255\n"},
        {"contrast", "127", "127\n"},
        {"hue", "360", "360\n"},
        {"saturation", "-17", "-17\n"},
        {"sharpness", "30", "30\n"},
        {"bayer-gain-red", "400", "400\n"},
        {"bayer-gain-green", "0", "0\n"},
        {"bayer-gain-blue", "150", "150\n"},
        {"gamma", "200", "200\n"},
        {"bayer-mode", "1", "1\n"},
        {"global-gain", "1023", "1023\n"},
        {"exposure-time", "500", "500\n"},
        {"gray-mode", "2", "2\n"},
        {"gray-gain-r", "255", "255\n"},
        {"gray-gain-g1", "1", "1\n"},
        {"gray-gain-g2", "64", "64\n"},
        {"gray-gain-b", "200", "200\n"},
        {"gray-offset-r", "-255", "-255\n"},
        {"gray-offset-g1", "255", "255\n"},
        {"gray-offset-g2", "-1", "-1\n"},
        {"gray-offset-b", "9", "9\n"},
        {"mirror-v", "1", "1\n"},
        {"auto-iris", "2", "2\n"},
    };
    for (const Assignment& assignment : assignments) {
        const PixoraResult set = pixora.Run({"set", assignment.name, assignment.value});
        EXPECT_EQ(set.exitStatus, 0) << assignment.name << ": " << set.err;
    }
    for (const Assignment& assignment : assignments)
        EXPECT_EQ(Get(pixora, assignment.name), assignment.readBack) << assignment.name;
}

TEST(PixoraSettings, PackedWhiteBalanceGainsAreEnteredAndShownAsHexadecimal) {
    PixoraFixture pixora;
    const PixoraResult set = pixora.Run({"set", "bayer-gain-rgb", "0xC86432"});
    ASSERT_EQ(set.exitStatus, 0) << set.err;
    EXPECT_EQ(set.out, "bayer-gain-rgb = 0xC86432\n");
    EXPECT_EQ(Get(pixora, "bayer-gain-red"), "50\n");
    EXPECT_EQ(Get(pixora, "bayer-gain-green"), "100\n");
    EXPECT_EQ(Get(pixora, "bayer-gain-blue"), "200\n");
    EXPECT_EQ(Get(pixora, "bayer-gain-rgb"), "0xC86432\n");
    EXPECT_TRUE(HasLineWithWords(pixora.Run({"get"}).out, {"bayer-gain-rgb", "0xC86432"}));
    // Bits above the three bytes would be dropped by the library: refused instead.
    EXPECT_EQ(pixora.Run({"set", "bayer-gain-rgb", "0x1C86432"}).exitStatus, 2);
}

TEST(PixoraSettings, ShortNamesReachGainAndExposure) {
    PixoraFixture pixora;
    ASSERT_EQ(pixora.Run({"set", "gain", "300"}).exitStatus, 0);
    ASSERT_EQ(pixora.Run({"set", "exposure", "200"}).exitStatus, 0);
    EXPECT_EQ(Get(pixora, "global-gain"), "300\n");
    EXPECT_EQ(Get(pixora, "exposure-time"), "200\n");
}

TEST(PixoraSettings, OutOfRangeValueIsAUsageErrorNamingTheRealRange) {
    PixoraFixture pixora;
    ASSERT_EQ(pixora.Run({"set", "brightness", "12"}).exitStatus, 0);
    for (const char* value : {"256", "-256", "300", "abc"}) {
        const PixoraResult refused = pixora.Run({"set", "brightness", value});
        EXPECT_EQ(refused.exitStatus, 2) << value;
        EXPECT_NE(refused.err.find("from -255 to 255"), std::string::npos) << refused.err;
        EXPECT_TRUE(refused.out.empty()) << refused.out;
    }
    EXPECT_EQ(Get(pixora, "brightness"), "12\n");
}

TEST(PixoraSettings, SetPrintsWhatWasStoredAndWhatTheCameraKept) {
    PixoraFixture pixora;
    const PixoraResult top = pixora.Run({"set", "exposure", "1067"});
    EXPECT_EQ(top.exitStatus, 0) << top.err;
    EXPECT_EQ(top.out, "exposure-time = 1067\n");
    // The library takes 5; the camera keeps 8 and says so.
    const PixoraResult low = pixora.Run({"set", "exposure", "5"});
    EXPECT_EQ(low.exitStatus, 0) << low.err;
    EXPECT_EQ(low.out, "exposure-time = 8 (asked for 5; the camera keeps 8..1068)\n");
    EXPECT_EQ(Get(pixora, "exposure"), "8\n");
    EXPECT_EQ(pixora.Run({"set", "mirror-v", "7"}).out, "mirror-v = 1 (asked for 7)\n");
}

// "NAME VALUE A..B" lines of the settings table of `pixora info`.
std::vector<std::vector<std::string>> InfoSettingRows(const std::string& info) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(info.substr(info.find("\nsetting ")));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> row;
        for (std::string word; words >> word;)
            row.push_back(word);
        if (row.size() == 3 && row[2].find("..") != std::string::npos)
            rows.push_back(row);
    }
    return rows;
}

TEST(PixoraSettings, TheRangesInfoReportsAreExactlyWhatSetTakes) {
    PixoraFixture pixora;
    const PixoraResult info = pixora.Run({"info"});
    ASSERT_EQ(info.exitStatus, 0) << info.err;
    EXPECT_TRUE(HasLineWithWords(info.out, {"exposure-time", "0..1067"})) << info.out;
    const auto rows = InfoSettingRows(info.out);
    EXPECT_GE(rows.size(), 20u) << info.out;
    for (const std::vector<std::string>& row : rows) {
        const std::string& range = row[2];
        const long long low = std::stoll(range.substr(0, range.find("..")));
        const long long high = std::stoll(range.substr(range.find("..") + 2));
        EXPECT_EQ(pixora.Run({"set", row[0], std::to_string(high)}).exitStatus, 0) << row[0];
        EXPECT_EQ(pixora.Run({"set", row[0], std::to_string(high + 1)}).exitStatus, 2) << row[0];
        EXPECT_EQ(pixora.Run({"set", row[0], std::to_string(low - 1)}).exitStatus, 2) << row[0];
    }
}

TEST(PixoraSettings, ColourGainsAreRefusedOnGetAndSet) {
    PixoraFixture pixora;
    // The library reports no range for them: no value can be set.
    const PixoraResult set = pixora.Run({"set", "color-gain-red", "10"});
    EXPECT_EQ(set.exitStatus, 2);
    EXPECT_NE(set.err.find("refuses"), std::string::npos) << set.err;
    const PixoraResult get = pixora.Run({"get", "color-gain-blue"});
    EXPECT_EQ(get.exitStatus, 1);
    EXPECT_NE(get.err.find("error 9"), std::string::npos) << get.err;
    EXPECT_TRUE(get.out.empty());
}

TEST(PixoraSettings, GetWithoutNameListsEverySettingThatHasAValue) {
    PixoraFixture pixora;
    ASSERT_EQ(pixora.Run({"set", "gray-offset-b", "-7"}).exitStatus, 0);
    const PixoraResult all = pixora.Run({"get"});
    ASSERT_EQ(all.exitStatus, 0) << all.err;
    EXPECT_TRUE(HasLineWithWords(all.out, {"gray-offset-b", "-7"})) << all.out;
    for (const char* name : {"brightness", "contrast", "hue", "saturation", "sharpness", "gamma",
                             "bayer-mode", "global-gain", "exposure-time", "gray-mode",
                             "gray-gain-r", "gray-offset-g2", "mirror-v", "auto-iris"})
        EXPECT_NE(all.out.find(name), std::string::npos) << name;
    EXPECT_EQ(all.out.find("color-gain-red"), std::string::npos);
}

TEST(PixoraRegisters, ReadsWhatTheCameraWasProgrammedWith) {
    PixoraFixture pixora;
    const PixoraResult result = pixora.Run({"reg", "read", "17"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out, "30\n");
    EXPECT_EQ(pixora.Run({"reg", "read", "0x20"}).out, "11\n");
}

TEST(PixoraRegisters, WritesReachTheCamera) {
    PixoraFixture pixora;
    const PixoraResult result = pixora.Run({"reg", "write", "0x28", "63"});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
    // Confirmed by reading the register back.
    EXPECT_EQ(result.out, "register 40 = 63\n");
}

TEST(PixoraRegisters, MissingRegistersFailWithErrorSix) {
    PixoraFixture pixora;
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"reg", "read", "200"},
          std::vector<std::string>{"reg", "write", "192", "1"}}) {
        const PixoraResult result = pixora.Run(args);
        EXPECT_EQ(result.exitStatus, 1) << args[1];
        EXPECT_NE(result.err.find("error 6"), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace pixora::test
