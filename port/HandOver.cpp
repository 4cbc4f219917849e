#include "port/HandOver.h"

#include <algorithm>

void THandOver::Begin()
{
    std::lock_guard lock(FMutex);
    FStopRequested = false;
    FThreadEnded = false;
    FServedId = FDoneId = FPostedId;
}

void THandOver::Post(TComEvents events, const std::function<void()>& announce)
{
    std::unique_lock lock(FMutex);
    if (FStopRequested)
        return;
    ++FPostedId;
    FPendingEvents = events;
    FChanged.notify_all(); // an owner waiting in WaitForEnd serves it
    lock.unlock();
    announce();
}

void THandOver::WaitServed()
{
    std::unique_lock lock(FMutex);
    const std::uint64_t id = FPostedId;
    FChanged.wait(lock, [&] { return FDoneId >= id || FStopRequested; });
}

bool THandOver::StopRequested() const
{
    std::lock_guard lock(FMutex);
    return FStopRequested;
}

void THandOver::End()
{
    std::lock_guard lock(FMutex);
    FThreadEnded = true;
    FChanged.notify_all();
}

void THandOver::Serve(const TDispatch& dispatch)
{
    std::unique_lock lock(FMutex);
    if (FServedId >= FPostedId)
        return;
    const std::uint64_t id = FPostedId;
    FServedId = id;
    const TComEvents events = FPendingEvents;
    lock.unlock();
    dispatch(events);
    lock.lock();
    FDoneId = std::max(FDoneId, id);
    // Told once the lock is free: woken under it, the thread would at once
    // sleep again on the lock.
    lock.unlock();
    FChanged.notify_all();
}

bool THandOver::InService() const
{
    std::lock_guard lock(FMutex);
    return FServedId > FDoneId;
}

void THandOver::RequestStop()
{
    {
        std::lock_guard lock(FMutex);
        FStopRequested = true;
    }
    FChanged.notify_all();
}

void THandOver::WaitForEnd(bool serveMeanwhile, const TDispatch& dispatch)
{
    std::unique_lock lock(FMutex);
    while (!FThreadEnded) {
        if (serveMeanwhile && FServedId < FPostedId) {
            // The thread waits for this thread: serve the hand-over here.
            lock.unlock();
            Serve(dispatch);
            lock.lock();
            continue;
        }
        FChanged.wait(lock);
    }
}
