#pragma once

#include "app/DevicePanel.h"

#include <QByteArray>

#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// Panel of the six-channel current protection unit "Ольвин 4э".
class TOLVIN4 final : public TDevicePanel {
    Q_OBJECT
public:
    explicit TOLVIN4(TPanelHost& host, QWidget* parent = nullptr);

    void StartPoll() override;
    void StopPoll() override;
    void LinkLost() override;

    // Empties the six value fields; the state labels are left alone.
    void ClearStatus();
    void DecodeStatus(const QByteArray& frame);

    // Channel commands; the numbering crosses between rows (see the constructor).
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void Button11Click();
    void Button12Click();
    void Button13Click();
    void Button14Click();

    QFrame* Panel1;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QLineEdit* Edit4;
    QLineEdit* Edit5;
    QLineEdit* Edit6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label13;
    QPushButton* Button3;
    QPushButton* Button4;
    QPushButton* Button5;
    QPushButton* Button6;
    QPushButton* Button7;
    QPushButton* Button8;
    QPushButton* Button9;
    QPushButton* Button10;
    QPushButton* Button11;
    QPushButton* Button12;
    QPushButton* Button13;
    QPushButton* Button14;
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;

private:
    struct TRow {
        QLineEdit* Value;
        QLabel* State;
        QPushButton* Start;
        QPushButton* Stop;
    };

    void HandleLetter(char letter, const QByteArray& frame) override;
    void QueueCommand(int channel, char command);

    std::array<TRow, 6> FRows{};
};
