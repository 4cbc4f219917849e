#pragma once

#include "app/DevicePanel.h"
#include "app/Frames.h"
#include "ui/Dialogs.h"

#include <QByteArrayList>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Stands in for the main window: records what a panel sends, logs and says.
class FakeHost final : public TPanelHost {
public:
    void SendRequest(const QByteArray& request) override
    {
        if (OnSend)
            OnSend(request);
        if (PollActive)
            Sent.append(request);
    }
    void LogLine(const QByteArray& text) override { Log.append(text); }
    void SetStatusLine(const QString& text) override { Status = text; }
    QString StatusLine() const override { return Status; }
    bool PortSelected() const override { return PortChosen; }

    QByteArrayList Sent;
    QByteArrayList Log;
    QString Status;
    bool PortChosen = true;
    // Called before a request is recorded; may throw, as a failing port does.
    std::function<void(const QByteArray&)> OnSend;
};

// Sets the globals as a successful "Старт" with the given number leaves them.
inline void StartGlobals(const QByteArray& number = "001")
{
    DeviceNumber = number;
    PollActive = true;
}

// A panel of one model with its fake main window, after a successful "Старт"
// of device 001; the globals are put back afterwards. Fixtures that poll from
// the start call StartPoll in their own SetUp.
template <class TPanel> class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartGlobals("001");
        Panel = std::make_unique<TPanel>(Host);
    }
    void TearDown() override
    {
        Panel.reset();
        PollActive = false;
        DeviceNumber.clear();
    }
    FakeHost Host;
    std::unique_ptr<TPanel> Panel;
};

// The same after "Старт": the panel polls, and a test's clock is put back.
template <class TPanel> class PollingPanelTest : public PanelTest<TPanel> {
protected:
    void SetUp() override
    {
        PanelTest<TPanel>::SetUp();
        this->Panel->StartPoll();
    }
    void TearDown() override
    {
        ui::SetClock({});
        PanelTest<TPanel>::TearDown();
    }
    void Respond(const QByteArray& frame) { this->Panel->HandleResponse(frame); }
};
