#pragma once

#include "app/DevicePanel.h"
#include "app/Frames.h"

#include <QByteArrayList>

// A panel of the "Ольвин 4э" kind for engine and window tests: it polls, answers
// every response and lost link with SendNext as the models do, and remembers
// what the engine and the window called.
class RecordingPanel final : public TDevicePanel {
public:
    using TDevicePanel::TDevicePanel;
    void StartPoll() override
    {
        ++Starts;
        FPendingRequest.clear();
        FPollRequest = MakeFrame("#1" + DeviceNumber + "T");
        SendNext();
    }
    void StopPoll() override { ++Stops; }
    void HandleResponse(const QByteArray& frame) override
    {
        Frames.append(frame);
        SendNext();
    }
    void LinkLost() override
    {
        ++Losses;
        SendNext();
    }
    QByteArrayList Frames;
    int Losses = 0;
    int Starts = 0;
    int Stops = 0;
};
