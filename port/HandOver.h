#pragma once

#include "port/ComTypes.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

// The synchronous hand-over of event batches from the port's event thread to
// its owner's thread. The event thread posts a batch and waits until the owner
// has served it; an owner that waits for the thread to end keeps serving, so a
// Close on the owner's thread never deadlocks with a batch in flight.
class THandOver {
public:
    using TDispatch = std::function<void(TComEvents)>;

    // A new event thread: nothing posted, no stop asked, the thread running.
    void Begin();

    // Event thread. Posts events and has announce ask the owner to Serve
    // (called without the lock held); WaitServed then waits until they are
    // served or a stop is asked. Two steps, so that the thread can wait for the
    // line while the owner serves; it acts on nothing it saw until then.
    void Post(TComEvents events, const std::function<void()>& announce);
    void WaitServed();
    bool StopRequested() const;
    // The thread's last act.
    void End();

    // Owner. Dispatches the waiting batch, if one is there and not yet served.
    void Serve(const TDispatch& dispatch);
    // A batch is being dispatched: the thread waits and looks at the port
    // afresh once it is done.
    bool InService() const;
    // Wakes a waiting event thread and tells it to end.
    void RequestStop();
    // Returns once End was called; on the owner's thread, serves batches meanwhile.
    void WaitForEnd(bool serveMeanwhile, const TDispatch& dispatch);

private:
    mutable std::mutex FMutex;
    std::condition_variable FChanged;
    std::uint64_t FPostedId = 0;
    std::uint64_t FServedId = 0;
    std::uint64_t FDoneId = 0;
    TComEvents FPendingEvents;
    bool FStopRequested = false;
    bool FThreadEnded = true;
};
