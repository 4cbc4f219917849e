#pragma once

#include "app/DevicePanel.h"
#include "app/Frames.h"
#include "app/Unit1.h"
#include "ui/ComboBox.h"
#include "ui/MaskEdit.h"

#include <QByteArrayList>

// A panel of the "Ольвин 4э" kind for engine and window tests: it polls, answers
// every response and lost link with SendNext as the models do, and remembers
// what the engine and the window called.
class RecordingPanel final : public TDevicePanel {
public:
    explicit RecordingPanel(TPanelHost& host) : TDevicePanel(devices::TDeviceKind::Olvin4, host) {}
    void StartPoll() override
    {
        ++Starts;
        BeginPolling();
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
    void HandleLetter(char, const QByteArray&) override {}
    QByteArrayList Frames;
    int Losses = 0;
    int Starts = 0;
    int Stops = 0;
};

// Makes the window's next "Старт" poll device 001 through a recording panel of
// the given model index, on whatever line the window was built with.
inline void ReadyToPollWithRecordingPanel(TForm1& form, int kind = 2)
{
    form.SetPanelFactory([](devices::TDeviceKind, TPanelHost& host) { return std::make_unique<RecordingPanel>(host); });
    form.ComboBox1->addItem(QStringLiteral("ttyFAKE0"));
    form.ComboBox1->setCurrentIndex(0);
    form.ComboBox3->setCurrentIndex(kind);
    form.MaskEdit1->SetText(QStringLiteral("001"));
}
