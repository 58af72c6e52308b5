// The command line as the user types it: help for every command, and everything that is
// wrong with a command line refused with status 2 before any camera is opened.
#include <filesystem>
#include <ostream>

#include <gtest/gtest.h>

#include "PixoraRun.h"

namespace pixora::test {
namespace {

const char* const kCommands[] = {"list",   "info", "snapshot", "stream", "preview", "trigger",
                                 "dialog", "get",  "set",      "reg",    "usb"};

TEST(PixoraHelp, EveryCommandHasHelpAndTheOverviewNamesThemAll) {
    PixoraFixture pixora;
    const PixoraResult overview = pixora.Run({"help"});
    EXPECT_EQ(overview.exitStatus, 0);
    for (const char* command : kCommands) {
        EXPECT_NE(overview.out.find(command), std::string::npos) << command;
        const PixoraResult help = pixora.Run({command, "--help"});
        EXPECT_EQ(help.exitStatus, 0) << command;
        EXPECT_NE(help.out.find(std::string("pixora ") + command), std::string::npos) << command;
        EXPECT_EQ(pixora.Run({"help", command}).out, help.out) << command;
    }
    // Asking for help touches no camera and so writes no settings.
    EXPECT_FALSE(std::filesystem::exists(pixora.SettingsFile()));
}

TEST(PixoraHelp, VersionsAndHelpOfHelp) {
    PixoraFixture pixora;
    const PixoraResult version = pixora.Run({"--version"});
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.out, "pixora 25.5.2\nlibrary 25.5.2 (0x00190502)\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"help", "--help"}, std::vector<std::string>{"help", "help"}}) {
        const PixoraResult help = pixora.Run(args);
        EXPECT_EQ(help.exitStatus, 0);
        EXPECT_EQ(help.out.rfind("usage: pixora help [COMMAND]", 0), 0u) << help.out;
    }
}

TEST(PixoraHelp, NoCommandIsAUsageError) {
    PixoraFixture pixora;
    const PixoraResult result = pixora.Run({});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_FALSE(result.err.empty());
}

struct BadLine {
    const char* name;
    std::vector<std::string> args;
};

void PrintTo(const BadLine& line, std::ostream* out) {
    *out << line.name;
}

class PixoraBadCommandLine : public ::testing::TestWithParam<BadLine> {};

TEST_P(PixoraBadCommandLine, IsRefusedWithStatus2BeforeTheCameraIsOpened) {
    PixoraFixture pixora;
    const PixoraResult result = pixora.Run(GetParam().args);
    EXPECT_EQ(result.exitStatus, 2) << result.err;
    // One line, with one hint at the help.
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    const size_t hint = result.err.find("help");
    EXPECT_EQ(result.err.find("help", hint + 1), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty());
    // Opening a camera writes the settings file's defaults; none may have been written.
    EXPECT_FALSE(std::filesystem::exists(pixora.SettingsFile()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PixoraBadCommandLine,
    ::testing::Values(BadLine{"UnknownCommand", {"explode"}},
                      BadLine{"UnknownOption", {"list", "--colour"}},
                      BadLine{"OptionWithoutValue", {"snapshot", "--bits"}},
                      BadLine{"FlagWithValue", {"snapshot", "--white-balance=1", "a.bmp"}},
                      BadLine{"BitsNotAMode", {"snapshot", "--bits", "12", "a.bmp"}},
                      BadLine{"BitsNotANumber", {"snapshot", "--bits", "lots", "a.bmp"}},
                      BadLine{"DeviceTooHigh", {"snapshot", "--device", "8", "a.bmp"}},
                      BadLine{"DeviceNegative", {"info", "--device", "-1"}},
                      BadLine{"UnknownFormat", {"snapshot", "--format", "gif", "a.gif"}},
                      BadLine{"ExtensionNamesNoFormat", {"snapshot", "picture.gif"}},
                      BadLine{"GainNotANumber", {"snapshot", "--gain", "high", "a.bmp"}},
                      BadLine{"SecondsZero", {"stream", "--seconds", "0"}},
                      BadLine{"SecondsNotANumber", {"stream", "--seconds", "soon"}},
                      BadLine{"FramesZero", {"stream", "--frames", "0"}},
                      BadLine{"FolderWithoutSaveEvery", {"stream", "--folder", "x"}},
                      BadLine{"StreamFormatUnknown",
                              {"stream", "--save-every", "2", "--format", "gif"}},
                      BadLine{"RawStreamWithAFormat",
                              {"stream", "--raw", "--save-every", "2", "--format", "png"}},
                      BadLine{"StreamBuffersTooMany", {"stream", "--buffers", "65"}},
                      BadLine{"UnknownSetting", {"get", "loudness"}},
                      BadLine{"SetWithoutValue", {"set", "brightness"}},
                      BadLine{"SetValueNotANumber", {"set", "brightness", "bright"}},
                      BadLine{"SetValueOutOf32Bits", {"set", "brightness", "4294967296"}},
                      BadLine{"SetValueOutOfRange", {"set", "brightness", "300"}},
                      BadLine{"SetExposureBeyondTheLibrarysRange", {"set", "exposure", "1068"}},
                      BadLine{"SetColourGainThisCameraRefuses", {"set", "color-gain-blue", "1"}},
                      BadLine{"ShotOptionOutOfRange", {"stream", "--gain", "1024"}},
                      BadLine{"RegUnknownAction", {"reg", "poke", "1"}},
                      BadLine{"RegAddressBeyond8Bits", {"reg", "read", "0x120"}},
                      BadLine{"RegValueBeyond6Bits", {"reg", "write", "40", "64"}},
                      BadLine{"DialogUnknown", {"dialog", "colour"}},
                      BadLine{"PreviewParentNotAWindow", {"preview", "--parent", "window"}},
                      BadLine{"PreviewPlacementWithoutParent", {"preview", "--width", "100"}},
                      BadLine{"TriggerPulsesNegative", {"trigger", "--pulses", "-2"}}),
    [](const ::testing::TestParamInfo<BadLine>& line) { return line.param.name; });

}  // namespace
}  // namespace pixora::test
