#include "port/HandOver.h"

#include <gtest/gtest.h>

#include <atomic>
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
            handOver.PostAndWait(batch, [&] { ++announced; });
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
        handOver.PostAndWait(TComEvents{}, [] {});
        handOver.PostAndWait(TComEvents{}, [&] { ++announced; });
        handOver.End();
    });
    handOver.RequestStop();
    handOver.WaitForEnd(false, {});
    blocked.join();
    EXPECT_TRUE(handOver.StopRequested());
    EXPECT_EQ(announced, 3);
}
