#pragma once

#include "app/DevicePanel.h"
#include "app/Frames.h"

#include <QByteArrayList>
#include <QStringList>

// Stands in for the main window: records what a panel sends, logs and says.
class FakeHost final : public TPanelHost {
public:
    void SendRequest(const QByteArray& request) override
    {
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
};

// Sets the globals as a successful "Старт" with the given number leaves them.
inline void StartGlobals(const QByteArray& number = "001")
{
    DeviceNumber = number;
    PollActive = true;
}
