#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace ui {

// Runs an action once for all the requests made within a turn of the event
// loop, at the end of that turn, and then at most once per period. What
// changes many times a turn, or faster than an eye can follow, is shown once;
// and what changes together in a turn lands in the same repaint, since the
// action runs before the window's pending repaint.
class TThrottle {
public:
    TThrottle(int periodMs, std::function<void()> action);

    void Request();
    bool Pending() const { return FPending; }
    // Forgets a request: its action has been done another way.
    void Cancel();

private:
    void Run();

    int FPeriodMs;
    std::function<void()> FAction;
    QTimer FTimer; // also the context of the end-of-turn call, so it dies with us
    QElapsedTimer FLastRun;
    bool FPending = false;
};

} // namespace ui
