// The buffers of a frame-queue stream, their queue and the leases on them, without a camera:
// claiming by policy, order, ends, held buffers that outlive everything, and the rate.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "session/ArrivalRate.h"
#include "session/FrameLeases.h"
#include "session/FrameQueue.h"

namespace pixora {
namespace {

StreamShape Shape(int32_t buffers, DropPolicy policy = DropPolicy::Newest) {
    StreamShape shape;
    shape.buffers = buffers;
    shape.width = 5;
    shape.height = 3;
    shape.bitsPerPixel = 24;
    shape.stride = 16;
    shape.colorModeBits = 24;
    shape.policy = policy;
    return shape;
}

// Claims a buffer, fills it with the low byte of `sequence` and publishes it.
int32_t Fill(FrameQueue& queue, uint64_t sequence) {
    const int32_t index = queue.Claim();
    if (index >= 0) {
        std::memset(queue.Pixels(index), static_cast<int>(sequence), queue.Shape().Bytes());
        QueuedMeta meta;
        meta.sequence = sequence;
        queue.Publish(index, meta);
    }
    return index;
}

TakenFrame TakeNow(FrameQueue& queue) {
    TakenFrame frame;
    StreamEnd why = StreamEnd::Running;
    EXPECT_EQ(queue.TakeOldest(0, &frame, &why), FrameQueue::Take::Frame);
    return frame;
}

TEST(FrameQueueBuffers, AreAlignedAndHandedOutOldestFirstWithTheGapsAsDropped) {
    const auto queue = FrameQueue::Create(Shape(4), 10);
    ASSERT_NE(queue, nullptr);
    for (const uint64_t sequence : {11u, 12u, 15u}) {
        const int32_t index = Fill(*queue, sequence);
        ASSERT_GE(index, 0);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(queue->Pixels(index)) % FrameQueue::kAlignment, 0u);
    }
    EXPECT_EQ(queue->Counts().queued, 3);
    const TakenFrame a = TakeNow(*queue);
    const TakenFrame b = TakeNow(*queue);
    const TakenFrame c = TakeNow(*queue);
    EXPECT_EQ(a.meta.sequence, 11u);
    EXPECT_EQ(a.dropped, 0);
    EXPECT_EQ(b.dropped, 0);
    EXPECT_EQ(c.meta.sequence, 15u);
    EXPECT_EQ(c.dropped, 2);
    EXPECT_EQ(c.pixels[0], 15);
    EXPECT_EQ(queue->Counts().held, 3);
    TakenFrame none;
    StreamEnd why = StreamEnd::Running;
    EXPECT_EQ(queue->TakeOldest(0, &none, &why), FrameQueue::Take::TimedOut);
}

TEST(FrameQueueBuffers, AHeldBufferIsNeverClaimedAndEachPolicyDropsItsFrame) {
    for (const DropPolicy policy : {DropPolicy::Newest, DropPolicy::Oldest}) {
        const auto queue = FrameQueue::Create(Shape(2, policy), 0);
        ASSERT_NE(queue, nullptr);
        Fill(*queue, 1);
        const TakenFrame held = TakeNow(*queue);
        Fill(*queue, 2);
        // The held buffer and the one queued: frame 3 takes frame 2's place or is dropped.
        const int32_t third = Fill(*queue, 3);
        EXPECT_NE(third, held.index);
        EXPECT_EQ(held.pixels[0], 1);  // untouched
        EXPECT_EQ(queue->Counts().dropped, 1u);
        const TakenFrame next = TakeNow(*queue);
        EXPECT_EQ(next.meta.sequence, policy == DropPolicy::Newest ? 2u : 3u);
        EXPECT_EQ(next.dropped, policy == DropPolicy::Newest ? 0 : 1);
        // Both held: nothing can be claimed, whatever the policy.
        EXPECT_EQ(queue->Claim(), -1);
        EXPECT_EQ(queue->Counts().dropped, 2u);
        EXPECT_TRUE(queue->GiveBack(held.index));
        EXPECT_FALSE(queue->GiveBack(held.index));
        EXPECT_EQ(queue->Claim(), held.index);
    }
}

TEST(FrameQueueBuffers, AStopDropsTheQueuedFramesAFailureLeavesThemToTake) {
    const auto stopped = FrameQueue::Create(Shape(3), 0);
    ASSERT_NE(stopped, nullptr);
    Fill(*stopped, 1);
    Fill(*stopped, 2);
    stopped->End(StreamEnd::Stopped);
    EXPECT_EQ(stopped->Counts().dropped, 2u);
    TakenFrame frame;
    StreamEnd why = StreamEnd::Running;
    EXPECT_EQ(stopped->TakeOldest(-1, &frame, &why), FrameQueue::Take::Ended);
    EXPECT_EQ(why, StreamEnd::Stopped);
    EXPECT_EQ(stopped->Claim(), -1);
    EXPECT_EQ(stopped->Counts().dropped, 3u);

    // A frame being filled as the stream stops is dropped when it is published.
    const auto late = FrameQueue::Create(Shape(2), 0);
    ASSERT_NE(late, nullptr);
    const int32_t filling = late->Claim();
    late->End(StreamEnd::Stopped);
    late->Publish(filling, QueuedMeta{});
    EXPECT_EQ(late->Counts().dropped, 1u);
    EXPECT_EQ(late->Counts().queued, 0);

    const auto failed = FrameQueue::Create(Shape(3), 0);
    ASSERT_NE(failed, nullptr);
    Fill(*failed, 1);
    Fill(*failed, 2);
    failed->End(StreamEnd::Failed);
    failed->End(StreamEnd::Stopped);  // the first reason stays; the queued frames go now
    EXPECT_EQ(failed->Ended(), StreamEnd::Failed);
    EXPECT_EQ(failed->Counts().dropped, 2u);

    const auto draining = FrameQueue::Create(Shape(3), 0);
    ASSERT_NE(draining, nullptr);
    Fill(*draining, 1);
    Fill(*draining, 2);
    draining->End(StreamEnd::Failed);
    EXPECT_EQ(TakeNow(*draining).meta.sequence, 1u);
    EXPECT_EQ(TakeNow(*draining).meta.sequence, 2u);
    EXPECT_EQ(draining->TakeOldest(-1, &frame, &why), FrameQueue::Take::Ended);
    EXPECT_EQ(why, StreamEnd::Failed);
}

TEST(FrameQueueBuffers, AWaitingTakeIsWokenByAFrameAndByTheEnd) {
    const auto queue = FrameQueue::Create(Shape(2), 0);
    ASSERT_NE(queue, nullptr);
    std::atomic<int> outcome{-1};
    std::thread taker([&] {
        TakenFrame frame;
        StreamEnd why = StreamEnd::Running;
        outcome = static_cast<int>(queue->TakeOldest(-1, &frame, &why));
    });
    Fill(*queue, 1);
    taker.join();
    EXPECT_EQ(outcome.load(), static_cast<int>(FrameQueue::Take::Frame));
    std::thread waiter([&] {
        TakenFrame frame;
        StreamEnd why = StreamEnd::Running;
        outcome = static_cast<int>(queue->TakeOldest(-1, &frame, &why));
    });
    queue->End(StreamEnd::Released);
    waiter.join();
    EXPECT_EQ(outcome.load(), static_cast<int>(FrameQueue::Take::Ended));
}

// A lent buffer keeps its queue alive: readable after the end and after every other hold
// went, freed with the last return (AddressSanitizer reports a read of freed memory).
TEST(FrameQueueBuffers, LeasesKeepTheBufferUntilItComesBackAndRefuseAnythingElse) {
    FrameLeases& leases = FrameLeases::Process();
    const std::size_t outstanding = leases.Outstanding();
    uint64_t lease = 0;
    const uint8_t* pixels = nullptr;
    {
        auto queue = FrameQueue::Create(Shape(2), 0);
        ASSERT_NE(queue, nullptr);
        Fill(*queue, 7);
        const TakenFrame frame = TakeNow(*queue);
        lease = leases.Lend(queue, frame.index, frame.pixels);
        pixels = frame.pixels;
        queue->End(StreamEnd::Stopped);
    }
    EXPECT_EQ(leases.Outstanding(), outstanding + 1);
    for (std::size_t i = 0; i < Shape(2).Bytes(); ++i)
        ASSERT_EQ(pixels[i], 7);
    EXPECT_FALSE(leases.GiveBack(lease + 1, pixels));
    EXPECT_FALSE(leases.GiveBack(lease, pixels + 1));
    EXPECT_FALSE(leases.GiveBack(0, nullptr));
    EXPECT_TRUE(leases.GiveBack(lease, pixels));
    EXPECT_FALSE(leases.GiveBack(lease, pixels));
    EXPECT_EQ(leases.Outstanding(), outstanding);
}

TEST(ArrivalRateTest, CountsTheCamerasFramesOverTheLastSecond) {
    ArrivalRate rate;
    EXPECT_EQ(rate.FramesPerSecondMilli(), 0);
    rate.Arrived(1, 1000000);
    EXPECT_EQ(rate.FramesPerSecondMilli(), 0);
    // Every fourth frame of a 100 fps camera reaches the stream: the camera's rate counts.
    for (uint64_t n = 2; n <= 40; ++n)
        rate.Arrived(1 + 4 * (n - 1), 1000000 + 40000 * (n - 1));
    EXPECT_EQ(rate.FramesPerSecondMilli(), 100000);
    // The camera slows to 10 fps: a second later only the new pace is measured.
    uint64_t sequence = 1 + 4 * 39;
    uint64_t time = 1000000 + 40000 * 39;
    for (int n = 0; n < 12; ++n)
        rate.Arrived(++sequence, time += 100000);
    EXPECT_EQ(rate.FramesPerSecondMilli(), 10000);
    // Two frames three seconds apart still give a rate.
    ArrivalRate slow;
    slow.Arrived(5, 0);
    slow.Arrived(6, 3000000);
    EXPECT_EQ(slow.FramesPerSecondMilli(), 333);
}

}  // namespace
}  // namespace pixora
