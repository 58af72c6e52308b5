// pixora usb: configuring a camera on USB and the udev rule that opens it to the desktop's
// user, and pixora list naming the way forward when the USB driver has no camera configured.
// No USB device is attached here; tests/usb runs the library against one.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "PixoraRun.h"

namespace pixora::test {
namespace {

class PixoraUsb : public ::testing::Test {
protected:
    PixoraResult Run(const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& extra = {}) {
        std::map<std::string, std::string> environment = {
            {"PIXORA_REGISTRY", scratch_.File("registry.reg")},
            {"PIXORA_SIM", "cameras=0 fps=0"},
            {"PIXORA_USB_CONFIG", Config()},
            {"HOME", scratch_.Path().string()}};
        for (const auto& [name, value] : extra)
            environment[name] = value;
        PixoraProcess process(args, environment, scratch_);
        return process.Wait();
    }
    std::string Config() const { return scratch_.File("usb.conf"); }

    TempDir scratch_;
};

TEST_F(PixoraUsb, UseWritesTheModelAndPrintsTheUdevRule) {
    PixoraResult used = Run({"usb", "use", "FFF0:530a", "--endpoints", "0x02,81,83"});
    ASSERT_EQ(used.exitStatus, 0) << used.err;
    EXPECT_NE(used.out.find(Config()), std::string::npos) << used.out;
    EXPECT_NE(used.out.find("ATTR{idVendor}==\"fff0\", ATTR{idProduct}==\"530a\", "
                            "TAG+=\"uaccess\""),
              std::string::npos)
        << used.out;
    EXPECT_TRUE(
        HasLineWithWords(ReadFile(Config()), {"camera", "fff0:530a", "endpoints", "02,81,83"}));
    // A second model joins the first; the same model again replaces its line.
    ASSERT_EQ(Run({"usb", "use", "fff0:530b"}).exitStatus, 0);
    ASSERT_EQ(Run({"usb", "use", "fff0:530a"}).exitStatus, 0);
    const std::string config = ReadFile(Config());
    EXPECT_TRUE(HasLineWithWords(config, {"camera", "fff0:530a"}));
    EXPECT_TRUE(HasLineWithWords(config, {"camera", "fff0:530b"}));
    EXPECT_EQ(config.find("endpoints 02,81,83"), std::string::npos) << config;
    const PixoraResult rule = Run({"usb", "rule"});
    EXPECT_EQ(rule.exitStatus, 0);
    EXPECT_NE(rule.out.find("\"530a\""), std::string::npos);
    EXPECT_NE(rule.out.find("\"530b\""), std::string::npos);
}

TEST_F(PixoraUsb, BadIdsAndEndpointMapsAreRefusedWithTheReason) {
    const PixoraResult ids = Run({"usb", "use", "camera"});
    EXPECT_EQ(ids.exitStatus, 1);
    EXPECT_NE(ids.err.find("no vendor:product pair"), std::string::npos) << ids.err;
    const PixoraResult map = Run({"usb", "use", "fff0:530a", "--endpoints", "81,82,83"});
    EXPECT_EQ(map.exitStatus, 1);
    EXPECT_NE(map.err.find("pipe 0 needs an OUT endpoint"), std::string::npos) << map.err;
    EXPECT_EQ(Run({"usb", "rule"}).exitStatus, 1);  // nothing configured
    for (const std::vector<std::string>& args : {std::vector<std::string>{"usb"},
                                                 {"usb", "frob"},
                                                 {"usb", "use"},
                                                 {"usb", "use", "fff0:530a", "--user", "--system"},
                                                 {"usb", "list", "now"}}) {
        EXPECT_EQ(Run(args).exitStatus, 2) << args.back();
    }
}

TEST_F(PixoraUsb, ListWithTheUsbDriverAndNothingConfiguredNamesTheCommands) {
    const PixoraResult list = Run({"list"}, {{"PIXORA_DRIVER", "usb"}});
    EXPECT_EQ(list.exitStatus, 0) << list.err;
    EXPECT_NE(list.out.find("no camera found"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("pixora usb list"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("pixora usb use"), std::string::npos) << list.out;
    // The virtual camera is not asked instead.
    EXPECT_EQ(list.out.find("Pixora530TZ_01"), std::string::npos) << list.out;
}

}  // namespace
}  // namespace pixora::test
