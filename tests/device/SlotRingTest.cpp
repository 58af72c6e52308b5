// The slot ring between the stream worker and the consumer.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "device/SlotRing.h"

namespace pixora {
namespace {

// Publishes until the writer stands on `slot`.
void PublishUntilWriting(SlotRing& ring, int32_t slot) {
    for (int i = 0; i < 100 && ring.WriteIndex() != slot; ++i) {
        ring.Publish();
    }
    ASSERT_EQ(ring.WriteIndex(), slot);
}

TEST(SlotRing, WriterAtFourConsumerAtSevenOfTenTakesThree) {
    SlotRing ring;
    ring.Reset(10);
    PublishUntilWriting(ring, 8);
    ASSERT_EQ(ring.Take(), 7);
    PublishUntilWriting(ring, 4);
    EXPECT_EQ(ring.ReadIndex(), 7);
    EXPECT_EQ(ring.Take(), 3);
    EXPECT_EQ(ring.ReadIndex(), 3);
}

TEST(SlotRing, NothingToTakeUntilAFrameIsComplete) {
    SlotRing ring;
    ring.Reset(10);
    EXPECT_EQ(ring.Take(), -1);
    EXPECT_EQ(ring.WriteIndex(), 0);
    ring.Publish();
    EXPECT_EQ(ring.Take(), 0);
    EXPECT_EQ(ring.Take(), -1);  // the same frame is not handed out twice
}

TEST(SlotRing, TheWriterStepsOverTheHeldSlot) {
    SlotRing ring;
    ring.Reset(10);
    PublishUntilWriting(ring, 4);
    ASSERT_EQ(ring.Take(), 3);
    PublishUntilWriting(ring, 2);
    ring.Publish();
    EXPECT_EQ(ring.WriteIndex(), 4);
}

TEST(SlotRing, AConsumerSlowerThanAWholeTurnStillGetsTheNewest) {
    SlotRing ring;
    ring.Reset(10);
    ring.Publish();
    ASSERT_EQ(ring.Take(), 0);
    int32_t last = -1;
    for (int i = 0; i < 25; ++i) {
        last = ring.WriteIndex();
        ring.Publish();
        EXPECT_NE(ring.WriteIndex(), 0);
    }
    EXPECT_EQ(ring.Take(), last);
}

TEST(SlotRing, WithTwoSlotsTheWriterRefillsTheOtherSlotWhileOneIsHeld) {
    SlotRing ring;
    ring.Reset(2);
    ring.Publish();
    ASSERT_EQ(ring.Take(), 0);
    for (int i = 0; i < 5; ++i) {
        ring.Publish();
        EXPECT_EQ(ring.WriteIndex(), 1);
        EXPECT_EQ(ring.Take(), -1);  // slot 1 is being written again
    }
    ring.Release();
    ring.Publish();
    EXPECT_EQ(ring.WriteIndex(), 0);
    EXPECT_EQ(ring.Take(), 1);
}

TEST(SlotRing, RandomInterleavingsNeverHandOutAStaleOrBusySlot) {
    std::mt19937 random(12345);
    for (int32_t count : {2, 3, 4, 10}) {
        SlotRing ring;
        ring.Reset(count);
        std::vector<int64_t> frameIn(static_cast<std::size_t>(count), -1);
        int64_t published = 0;
        for (int step = 0; step < 20000; ++step) {
            const unsigned op = random() % 4;
            if (op <= 1) {
                const int32_t slot = ring.WriteIndex();
                ASSERT_NE(slot, ring.ReadIndex());
                frameIn[static_cast<std::size_t>(slot)] = ++published;
                ring.Publish();
                ASSERT_NE(ring.WriteIndex(), ring.ReadIndex());
            } else if (op == 2) {
                const int32_t taken = ring.Take();
                if (taken >= 0) {
                    ASSERT_NE(taken, ring.WriteIndex());
                    // Always the newest frame published so far.
                    ASSERT_EQ(frameIn[static_cast<std::size_t>(taken)], published) << count;
                } else if (count > 2) {
                    // With three slots or more the only reason is that nothing is new.
                    ASSERT_EQ(ring.Take(), -1);
                }
            } else {
                ring.Release();
            }
        }
    }
}

// Every published frame is either taken once or counted as skipped, whatever the order of
// publishing, taking and releasing, and whatever the number of slots.
TEST(SlotRingTest, EveryPublishedFrameIsTakenOrSkipped) {
    std::mt19937 random(11);
    for (int32_t count : {2, 3, 10}) {
        SlotRing ring;
        ring.Reset(count);
        uint64_t published = 0;
        uint64_t taken = 0;
        for (int step = 0; step < 20000; ++step) {
            const unsigned op = random() % 4;
            if (op <= 1) {
                ring.Publish();
                ++published;
            } else if (op == 2) {
                taken += ring.Take() >= 0 ? 1 : 0;
            } else {
                ring.Release();
            }
        }
        ring.Discard();
        EXPECT_EQ(taken + ring.Skipped(), published) << count << " slots";
        EXPECT_EQ(ring.TakeSkipped(), published - taken);
        EXPECT_EQ(ring.Skipped(), 0u);
        EXPECT_EQ(ring.Take(), -1);
    }
}

// --- Oldest first (the frame queue's ring) -----------------------------------------------

TEST(SlotRingInOrder, HandsOutEveryFrameInTheOrderItWasWritten) {
    SlotRing ring;
    ring.Reset(4, RingOrder::OldestFirst);
    std::vector<int32_t> written;
    for (int i = 0; i < 3; ++i) {
        written.push_back(ring.WriteIndex());
        ring.Publish();
    }
    EXPECT_TRUE(ring.HasFrame());
    EXPECT_EQ(ring.NewestIndex(), written.back());
    for (const int32_t slot : written) {
        EXPECT_EQ(ring.Take(), slot);
        ring.Release();
    }
    EXPECT_FALSE(ring.HasFrame());
    EXPECT_EQ(ring.Take(), -1);
    EXPECT_EQ(ring.Skipped(), 0u);
}

TEST(SlotRingInOrder, AFullRingGivesUpTheNewestOrTheOldestFrame) {
    for (const bool dropOldest : {false, true}) {
        SlotRing ring;
        ring.Reset(3, RingOrder::OldestFirst, dropOldest);
        // Frames 1..5 into three slots nobody takes: two wait, the writer keeps one.
        std::vector<int> frameIn(3, 0);
        for (int frame = 1; frame <= 5; ++frame) {
            frameIn[static_cast<std::size_t>(ring.WriteIndex())] = frame;
            ring.Publish();
        }
        EXPECT_EQ(ring.Skipped(), 3u);
        const int32_t first = ring.Take();
        ring.Release();
        const int32_t second = ring.Take();
        ASSERT_GE(first, 0);
        ASSERT_GE(second, 0);
        if (dropOldest) {
            EXPECT_EQ(frameIn[static_cast<std::size_t>(first)], 4);
            EXPECT_EQ(frameIn[static_cast<std::size_t>(second)], 5);
        } else {
            EXPECT_EQ(frameIn[static_cast<std::size_t>(first)], 1);
            EXPECT_EQ(frameIn[static_cast<std::size_t>(second)], 2);
        }
    }
}

TEST(SlotRingInOrder, RandomInterleavingsKeepOrderNeverTouchTheHeldSlotAndCountEveryFrame) {
    std::mt19937 random(77);
    for (const int32_t count : {2, 3, 4, 10}) {
        for (const bool dropOldest : {false, true}) {
            SlotRing ring;
            ring.Reset(count, RingOrder::OldestFirst, dropOldest);
            std::vector<int64_t> frameIn(static_cast<std::size_t>(count), -1);
            int64_t published = 0;
            int64_t lastTaken = 0;
            uint64_t taken = 0;
            for (int step = 0; step < 20000; ++step) {
                const unsigned op = random() % 4;
                if (op <= 1) {
                    const int32_t slot = ring.WriteIndex();
                    ASSERT_NE(slot, ring.ReadIndex());
                    frameIn[static_cast<std::size_t>(slot)] = ++published;
                    ring.Publish();
                    ASSERT_NE(ring.WriteIndex(), ring.ReadIndex());
                } else if (op == 2) {
                    const int32_t slot = ring.Take();
                    if (slot >= 0) {
                        ASSERT_NE(slot, ring.WriteIndex());
                        const int64_t frame = frameIn[static_cast<std::size_t>(slot)];
                        ASSERT_GT(frame, lastTaken) << count;  // in order, never twice
                        lastTaken = frame;
                        ++taken;
                    }
                } else {
                    ring.Release();
                }
            }
            ring.Discard();
            EXPECT_EQ(taken + ring.Skipped(), static_cast<uint64_t>(published)) << count;
        }
    }
}

}  // namespace
}  // namespace pixora
