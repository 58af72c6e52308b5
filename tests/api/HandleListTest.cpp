#include "api/PixoraHandleList.h"

#include <gtest/gtest.h>

#include <thread>

#include "session/CameraSession.h"

namespace pixora {
namespace {

std::shared_ptr<CameraSession> NewSession() {
    return std::make_shared<CameraSession>();
}

TEST(HandleRing, NewestNodeBecomesTheHead) {
    PixoraHandleList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Lookup(1), nullptr);
    list.Insert(10, NewSession());
    list.Insert(20, NewSession());
    list.Insert(30, NewSession());
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.HeadHandle(), 30u);
}

TEST(HandleRing, LookupMovesTheHeadToTheFoundNode) {
    PixoraHandleList list;
    auto first = NewSession();
    list.Insert(10, first);
    list.Insert(20, NewSession());
    list.Insert(30, NewSession());
    // Ring order from the head: 30, 20, 10 (each new node went in between tail and head).
    EXPECT_EQ(list.Lookup(10), first);
    EXPECT_EQ(list.HeadHandle(), 10u);
    EXPECT_EQ(list.Lookup(10), first);
    EXPECT_EQ(list.HeadHandle(), 10u);
    // An unknown handle walks the ring once and leaves the head at the former tail,
    // the node before 10.
    EXPECT_EQ(list.Lookup(99), nullptr);
    EXPECT_EQ(list.HeadHandle(), 20u);
    EXPECT_NE(list.Lookup(30), nullptr);
    EXPECT_EQ(list.HeadHandle(), 30u);
}

TEST(HandleRing, RemoveUnlinksOnceAndHandsTheSessionBack) {
    PixoraHandleList list;
    auto session = NewSession();
    list.Insert(10, NewSession());
    list.Insert(20, session);
    list.Insert(30, NewSession());
    EXPECT_EQ(list.Remove(20), session);
    EXPECT_EQ(list.Remove(20), nullptr);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_NE(list.Lookup(10), nullptr);
    EXPECT_NE(list.Lookup(30), nullptr);
    EXPECT_NE(list.Remove(10), nullptr);
    EXPECT_NE(list.Remove(30), nullptr);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.HeadHandle(), 0u);
    EXPECT_EQ(list.Lookup(30), nullptr);
}

TEST(HandleGenerator, FollowsTheRuntimeSequenceFromOnePerThread) {
    std::thread([] {
        // state 1 -> 2745024 -> bits 16..30 = 41; then 18467, 6334.
        EXPECT_EQ(RuntimeRand(), 41u);
        EXPECT_EQ(RuntimeRand(), 18467u);
        EXPECT_EQ(RuntimeRand(), 6334u);
    }).join();
    std::thread([] {
        PixoraHandleList list;
        EXPECT_EQ(list.InsertNew(1000, NewSession()), 41u + 1000u);
        // 18467 + 1000 + count 1: free, so used as it is.
        EXPECT_EQ(list.InsertNew(1000, NewSession()), 18467u + 1000u + 1u);
        EXPECT_EQ(list.Count(), 2);
        EXPECT_EQ(list.HeadHandle(), 18467u + 1000u + 1u);
    }).join();
}

TEST(HandleGenerator, StepsPastTakenValuesAndZero) {
    std::thread([] {
        PixoraHandleList list;
        list.Insert(41u + 5u, NewSession());
        list.Insert(41u + 5u + 2u, NewSession());
        // 41 + 5 + count 2 = 48 is taken; 49 is free.
        EXPECT_EQ(list.InsertNew(5, NewSession()), 49u);
    }).join();
    std::thread([] {
        PixoraHandleList list;
        // A tick count that wraps the sum to exactly 0 must not yield the null handle.
        EXPECT_EQ(list.InsertNew(0u - 41u, NewSession()), 1u);
    }).join();
}

}  // namespace
}  // namespace pixora
