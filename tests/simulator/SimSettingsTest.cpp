#include "simulator/SimSettings.h"

#include <gtest/gtest.h>

namespace pixora {
namespace {

SimSettings Parse(std::string_view text) {
    SimSettings settings;
    std::string error;
    EXPECT_TRUE(ParseSimSettings(text, settings, error)) << text << ": " << error;
    return settings;
}

bool Refused(std::string_view text) {
    SimSettings settings;
    settings.fps = 42;
    std::string error;
    const bool ok = ParseSimSettings(text, settings, error);
    EXPECT_EQ(settings.fps, 42) << "a failed parse must leave the settings alone";
    if (!ok) {
        EXPECT_FALSE(error.empty());
    }
    return !ok;
}

TEST(SimSettings, ReadsEveryKey) {
    const SimSettings s =
        Parse("cameras=0,3 fps=7.5 scene=moving timeout=250 maxwait=40 fault=stall:3");
    EXPECT_EQ(s.cameraMask, 0b1001u);
    EXPECT_DOUBLE_EQ(*s.fps, 7.5);
    EXPECT_EQ(s.scene, SceneKind::Moving);
    EXPECT_EQ(s.timeoutMs, 250u);
    EXPECT_EQ(s.maxWaitMs, 40u);
    ASSERT_EQ(s.faults.size(), 1u);
    EXPECT_EQ(s.faults[0].kind, FaultKind::Stall);
    EXPECT_EQ(s.faults[0].index, 3);
    EXPECT_EQ(s.faults[0].argument, 0);
}

TEST(SimSettings, NamesOnlyWhatTheTextSays) {
    const SimSettings s = Parse("fps=0");
    EXPECT_EQ(s.fps, 0.0);
    EXPECT_FALSE(s.cameraMask);
    EXPECT_FALSE(s.scene);
    EXPECT_TRUE(Parse("").faults.empty());
    EXPECT_FALSE(Parse("  ; \t").fps);
}

TEST(SimSettings, AcceptsSemicolonsAndRepeatedFaults) {
    const SimSettings s = Parse("cameras=none;fault=open:1:2;fault=command-number:0:9");
    EXPECT_EQ(s.cameraMask, 0u);
    ASSERT_EQ(s.faults.size(), 2u);
    EXPECT_EQ(s.faults[0].kind, FaultKind::OpenFailure);
    EXPECT_EQ(s.faults[0].argument, 2);
    EXPECT_EQ(s.faults[1].kind, FaultKind::CommandNumber);
    EXPECT_EQ(s.faults[1].argument, 9);
    EXPECT_EQ(Parse("cameras=").cameraMask, 0u);
    EXPECT_EQ(Parse("cameras=7,0,7").cameraMask, 0x81u);
    EXPECT_EQ(Parse("fault=vanish:2:-1").faults.at(0).argument, -1);
}

TEST(SimSettings, RefusesBadItems) {
    EXPECT_TRUE(Refused("cameras=8"));
    EXPECT_TRUE(Refused("cameras=0,"));
    EXPECT_TRUE(Refused("cameras=-1"));
    EXPECT_TRUE(Refused("fps=-1"));
    EXPECT_TRUE(Refused("fps=fast"));
    EXPECT_TRUE(Refused("fps=nan"));
    EXPECT_TRUE(Refused("fps=20000"));
    EXPECT_TRUE(Refused("scene=snow"));
    EXPECT_TRUE(Refused("timeout=0"));
    EXPECT_TRUE(Refused("maxwait=x"));
    EXPECT_TRUE(Refused("fault=stall"));
    EXPECT_TRUE(Refused("fault=melt:0"));
    EXPECT_TRUE(Refused("fault=stall:9"));
    EXPECT_TRUE(Refused("fault=command-number:0:300"));
    EXPECT_TRUE(Refused("fps"));
    EXPECT_TRUE(Refused("colour=red"));
    EXPECT_TRUE(Refused("fps=30 bogus=1"));
}

}  // namespace
}  // namespace pixora
