#pragma once

#include "port/ComTypes.h"

#include <QThread>

class TBComPort;

// The event thread: waits on the device and on the component's wake-up
// descriptor and hands each batch of events over by the SyncMethod.
class TComThread final : public QThread {
    Q_OBJECT
public:
    explicit TComThread(TBComPort* port) : FPort(port) {}
    // Asks the loop to end; the caller then waits for the thread.
    void SignalClose();

protected:
    void run() override;

private:
    void Deliver(TComEvents events);
    void ReportDeviceLost();

    TBComPort* FPort;
    // A batch handed over and perhaps not yet served (smThreadSync).
    bool FInFlight = false;
};
