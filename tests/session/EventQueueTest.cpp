// SPDX-License-Identifier: MIT
// The event loop that stands in for the user-interface thread in hosts without Qt.

#include "net/EventQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace rv {
namespace {

using namespace std::chrono_literals;

TEST(EventQueueTest, RunsCallsInPostingOrderIncludingThoseTheyPost)
{
    EventQueue queue;
    std::vector<int> order;
    queue.post([&] {
        order.push_back(1);
        queue.post([&] { order.push_back(3); });
    });
    queue.post([&] { order.push_back(2); });

    EXPECT_EQ(queue.runUntilIdle(), 3U);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(queue.size(), 0U);
}

TEST(EventQueueTest, RunUntilWaitsForCallsFromOtherThreads)
{
    EventQueue queue;
    int received = 0;
    std::thread producer([&] {
        for (int i = 0; i < 100; ++i) {
            queue.post([&received, i] { received = received == i ? i + 1 : -1; }); // detects reordering
        }
    });
    EXPECT_TRUE(queue.runUntil([&] { return received == 100; }, 30s));
    producer.join();

    // Nothing more comes: the deadline ends the wait.
    EXPECT_FALSE(queue.runUntil([] { return false; }, 5ms));
}

TEST(EventQueueTest, WakeAndQuitEndWaitsForStateChangedWithoutAPost)
{
    EventQueue queue;
    std::atomic<bool> flag{false};
    std::thread setter([&] {
        flag = true;
        queue.wake();
    });
    EXPECT_TRUE(queue.runUntil([&] { return flag.load(); }, 30s));
    setter.join();

    std::thread stopper([&] { queue.post([&] { queue.quit(); }); });
    queue.run(); // returns once the posted quit has run
    stopper.join();
}

} // namespace
} // namespace rv
