#include "platform/MessageQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/MessageWindow.h"

namespace pixora {
namespace {

PixoraMessage Numbered(intptr_t number) {
    return PixoraMessage{nullptr, PIXORA_WM_FRAME, 0, number};
}

// The two-step post the Windows message windows use: a place is reserved when the message
// is posted and filled when the window's thread takes the message from the system.
TEST(MessageQueue, ReservedMessagesCountAndFillTheirPlaces) {
    MessageQueue queue;
    ASSERT_TRUE(queue.Reserve());
    EXPECT_EQ(queue.Pending(), 1);
    queue.Deliver(Numbered(7));
    EXPECT_EQ(queue.Pending(), 1);
    PixoraMessage msg{};
    ASSERT_EQ(queue.Get(&msg, 0), 1);
    EXPECT_EQ(msg.lParam, 7);
    EXPECT_EQ(queue.Pending(), 0);

    // A reservation whose message never comes gives its place back.
    ASSERT_TRUE(queue.Reserve());
    queue.CancelReservation();
    EXPECT_EQ(queue.Pending(), 0);
    EXPECT_EQ(queue.Get(&msg, 0), 0);
}

TEST(MessageQueue, ReservationsTakePlacesOfTheLimit) {
    MessageQueue queue;
    for (int i = 0; i < kMessageQueueLimit - 1; ++i)
        ASSERT_TRUE(queue.Post(Numbered(i)));
    ASSERT_TRUE(queue.Reserve());
    EXPECT_FALSE(queue.Reserve());
    EXPECT_FALSE(queue.Post(Numbered(-1)));
    queue.Deliver(Numbered(-2));
    EXPECT_EQ(queue.Pending(), kMessageQueueLimit);
}

TEST(MessageQueue, AReaderWhoseWaitEndsStillGetsAMessageOnItsWay) {
    MessageQueue queue;
    ASSERT_TRUE(queue.Reserve());
    std::thread pump([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        queue.Deliver(Numbered(5));
    });
    PixoraMessage msg{};
    EXPECT_EQ(queue.Get(&msg, 0), 1);
    EXPECT_EQ(msg.lParam, 5);
    pump.join();
}

TEST(MessageQueue, ACancelledReservationEndsTheReadersExtraWait) {
    MessageQueue queue;
    ASSERT_TRUE(queue.Reserve());
    std::atomic<bool> cancelled{false};
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        cancelled = true;
        queue.CancelReservation();
    });
    PixoraMessage msg{};
    EXPECT_EQ(queue.Get(&msg, 0), 0);
    EXPECT_TRUE(cancelled.load());
    poster.join();
}

TEST(MessageQueue, CloseWakesReadersAndRefusesEveryPost) {
    MessageQueue queue;
    std::atomic<int> result{99};
    std::thread reader([&] {
        PixoraMessage msg{};
        result = queue.Get(&msg, -1);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    queue.Close();
    reader.join();
    EXPECT_EQ(result.load(), -1);
    EXPECT_FALSE(queue.Post(Numbered(2)));
    EXPECT_FALSE(queue.Reserve());
    queue.Deliver(Numbered(3));
    EXPECT_EQ(queue.Pending(), 0);
    PixoraMessage msg{};
    EXPECT_EQ(queue.Get(&msg, 0), -1);
}

}  // namespace
}  // namespace pixora
