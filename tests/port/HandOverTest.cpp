#include "port/HandOver.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

// The owner ends the thread while batches are still being handed over: every
// posted batch is served on the owner's thread, in order, and nothing hangs.
TEST(HandOver, OwnerWaitingForTheEndServesWhatIsPosted)
{
    THandOver handOver;
    handOver.Begin();
    std::atomic<int> announced{0};
    std::thread events([&] {
        for (TComEvent event : {evRxChar, evTxEmpty, evRing}) {
            TComEvents batch;
            batch.Include(event);
            handOver.Post(batch, [&] { ++announced; });
            handOver.WaitServed();
        }
        handOver.End();
    });
    std::vector<TComEvents> served;
    handOver.WaitForEnd(true, [&](TComEvents batch) { served.push_back(batch); });
    events.join();
    ASSERT_EQ(served.size(), 3u);
    EXPECT_TRUE(served[0].Contains(evRxChar));
    EXPECT_TRUE(served[1].Contains(evTxEmpty));
    EXPECT_TRUE(served[2].Contains(evRing));
    EXPECT_EQ(announced, 3);

    // A stop releases a thread that waits for an owner who never serves, and
    // later posts go nowhere.
    handOver.Begin();
    std::thread blocked([&] {
        handOver.Post(TComEvents{}, [] {});
        handOver.WaitServed();
        handOver.Post(TComEvents{}, [&] { ++announced; });
        handOver.WaitServed();
        handOver.End();
    });
    handOver.RequestStop();
    handOver.WaitForEnd(false, {});
    blocked.join();
    EXPECT_TRUE(handOver.StopRequested());
    EXPECT_EQ(announced, 3);
}

// The owner is in service only while it dispatches, and the event thread goes
// on only once the dispatch is over: what a handler wrote is looked at then.
TEST(HandOver, InServiceOnlyWhileDispatching)
{
    THandOver handOver;
    handOver.Begin();
    std::atomic<bool> announced{false};
    std::atomic<bool> returned{false};
    std::thread events([&] {
        handOver.Post(TComEvents{}, [&] { announced = true; });
        handOver.WaitServed();
        returned = true;
        handOver.End();
    });
    while (!announced)
        std::this_thread::yield();
    EXPECT_FALSE(handOver.InService()) << "posted, not yet served";
    bool inService = false;
    bool returnedDuring = true;
    handOver.Serve([&](TComEvents) {
        inService = handOver.InService();
        returnedDuring = returned;
    });
    EXPECT_TRUE(inService);
    EXPECT_FALSE(returnedDuring);
    EXPECT_FALSE(handOver.InService()) << "served";
    handOver.WaitForEnd(false, {});
    events.join();
    EXPECT_TRUE(returned);
}

// Posted without waiting, the thread goes on (to wait for the line) and only
// its WaitServed holds it until the owner has served, or a stop is asked.
TEST(HandOver, PostReturnsAtOnceAndWaitServedHoldsUntilServed)
{
    for (const bool stop : {false, true}) {
        THandOver handOver;
        handOver.Begin();
        std::atomic<bool> posted{false};
        std::atomic<bool> released{false};
        std::thread events([&] {
            handOver.Post(TComEvents{}, [] {});
            posted = true;
            handOver.WaitServed();
            released = true;
            handOver.End();
        });
        while (!posted)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(released) << stop;
        int served = 0;
        if (stop)
            handOver.RequestStop();
        else
            handOver.Serve([&](TComEvents) { ++served; });
        handOver.WaitForEnd(false, {});
        events.join();
        EXPECT_TRUE(released) << stop;
        EXPECT_EQ(served, stop ? 0 : 1);
    }
}
