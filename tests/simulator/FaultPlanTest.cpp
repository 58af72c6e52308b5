#include "simulator/FaultPlan.h"

#include <gtest/gtest.h>

namespace pixora {
namespace {

TEST(FaultPlan, ZeroArgumentFailsEveryTime) {
    FaultPlan plan;
    ASSERT_TRUE(plan.Set(FaultKind::OpenFailure, 0));
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(plan.TakeOpenFailure());
    }
    EXPECT_TRUE(plan.Active(FaultKind::OpenFailure));
}

TEST(FaultPlan, CountdownFiresOnTheNthEventOnce) {
    FaultPlan plan;
    ASSERT_TRUE(plan.Set(FaultKind::CommandFailure, 3));
    EXPECT_FALSE(plan.TakeCommandFailure(4));
    EXPECT_FALSE(plan.TakeCommandFailure(4));
    EXPECT_TRUE(plan.TakeCommandFailure(4));
    EXPECT_FALSE(plan.TakeCommandFailure(4));
    EXPECT_FALSE(plan.Active(FaultKind::CommandFailure));
}

TEST(FaultPlan, CommandNumberFailsOnlyThatCommand) {
    FaultPlan plan;
    ASSERT_TRUE(plan.Set(FaultKind::CommandNumber, 36));
    EXPECT_FALSE(plan.TakeCommandFailure(4));
    EXPECT_TRUE(plan.TakeCommandFailure(36));
    EXPECT_TRUE(plan.TakeCommandFailure(36));
    EXPECT_FALSE(plan.Set(FaultKind::CommandNumber, 256));
    EXPECT_EQ(plan.Argument(FaultKind::CommandNumber), 36);
}

TEST(FaultPlan, NegativeArgumentClearsOneNoneClearsAll) {
    FaultPlan plan;
    plan.Set(FaultKind::Stall, 0);
    plan.Set(FaultKind::ShortReply, 10);
    EXPECT_EQ(plan.ActiveMask(), (1u << 7) | (1u << 5));
    plan.Set(FaultKind::Stall, -1);
    EXPECT_FALSE(plan.Stalled());
    EXPECT_EQ(plan.ShortReplyBytes(), 10u);
    plan.Set(FaultKind::None, 0);
    EXPECT_EQ(plan.ActiveMask(), 0u);
    EXPECT_FALSE(plan.ShortReplyBytes());
}

TEST(FaultPlan, ShortReplyNeverReachesAWholeBlock) {
    FaultPlan plan;
    plan.Set(FaultKind::ShortReply, 1000);
    EXPECT_EQ(plan.ShortReplyBytes(), 63u);
}

TEST(FaultPlan, VanishCountsWholeFramesAndStaysGone) {
    FaultPlan plan;
    plan.Set(FaultKind::Vanish, 2);
    EXPECT_FALSE(plan.VanishNow());
    EXPECT_FALSE(plan.TakeVanishAfterFrame());
    EXPECT_TRUE(plan.TakeVanishAfterFrame());
    EXPECT_TRUE(plan.VanishNow());
    EXPECT_FALSE(plan.TakeVanishAfterFrame());
    EXPECT_TRUE(plan.VanishNow());
    plan.Set(FaultKind::Vanish, -1);
    EXPECT_FALSE(plan.VanishNow());
    plan.Set(FaultKind::Vanish, 0);
    EXPECT_TRUE(plan.VanishNow());
}

}  // namespace
}  // namespace pixora
