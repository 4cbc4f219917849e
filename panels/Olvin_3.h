#pragma once

#include "app/DevicePanel.h"
#include "devices/Olvin3M.h"

#include <QByteArray>

#include <array>
#include <cstdint>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTabWidget;

namespace ui {
class TMaskEdit;
}

// Panel of the pump controller "Ольвин 3М": status and commands, the
// identification, 23 settings written step by step, and statistics.
class TOlvin_3m final : public TDevicePanel {
    Q_OBJECT
public:
    explicit TOlvin_3m(TPanelHost& host, QWidget* parent = nullptr);

    void StartPoll() override;
    void StopPoll() override;
    // The identification answer is taken whatever its checksum, and one that
    // ends an identification from idle sends nothing more.
    void HandleResponse(const QByteArray& frame) override;
    void LinkLost() override;

    void ClearStatus();
    void ClearSettings();
    void DecodeStatus(const QByteArray& frame);
    void DecodeSettings(const QByteArray& frame);
    void DecodeStatistics(const QByteArray& frame);
    void QueueNextSetting();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();

    // Status side.
    QFrame* Panel1 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr;
    QLineEdit *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr, *Edit9 = nullptr, *Edit10 = nullptr;
    QLineEdit *Edit11 = nullptr, *Edit12 = nullptr, *Edit13 = nullptr, *Edit14 = nullptr;
    QPushButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr, *Button5 = nullptr;

    // Pages.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    ui::TMaskEdit *MaskEdit1 = nullptr, *MaskEdit2 = nullptr, *MaskEdit3 = nullptr, *MaskEdit4 = nullptr;
    ui::TMaskEdit *MaskEdit5 = nullptr, *MaskEdit6 = nullptr, *MaskEdit7 = nullptr, *MaskEdit8 = nullptr;
    ui::TMaskEdit *MaskEdit9 = nullptr, *MaskEdit10 = nullptr, *MaskEdit11 = nullptr, *MaskEdit12 = nullptr;
    ui::TMaskEdit *MaskEdit13 = nullptr, *MaskEdit14 = nullptr, *MaskEdit15 = nullptr, *MaskEdit16 = nullptr;
    ui::TMaskEdit *MaskEdit17 = nullptr, *MaskEdit18 = nullptr, *MaskEdit19 = nullptr, *MaskEdit20 = nullptr;
    ui::TMaskEdit *MaskEdit21 = nullptr, *MaskEdit22 = nullptr, *MaskEdit23 = nullptr;
    QPushButton *Button6 = nullptr, *Button7 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button8 = nullptr;

    std::uint8_t FWriteStep = 0;
    bool FIdentifyOnly = false;

private:
    void HandleLetter(char letter, const QByteArray& frame) override;
    void SettingsWritten();
    void LogIdentification(const QByteArray& frame);
    // What the user asks for goes out next; a write sequence it displaces is reported cut.
    void QueueUserRequest(const QByteArray& request);
    void QueueCommand(const QByteArray& command);
    // Has the request of the current write step gone out and is it waiting for its answer?
    bool WriteStepSent() const;
    void InterruptWrite();
    void EndIdentification();

    std::array<QLineEdit*, olvin3m::StatusValueCount> FStatusValues{};
    std::array<ui::TMaskEdit*, olvin3m::SettingCount> FSettingEdits{};
    // The requests of a write sequence, made from the values checked at its start.
    std::array<QByteArray, olvin3m::WriteStepCount> FWriteRequests{};
    bool FWriting = false;
};
