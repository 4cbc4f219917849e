#pragma once

#include "app/DevicePanel.h"
#include "devices/Selta.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace ui {
class TMaskEdit;
}

// Panel of the "Сельта" unit: two pressure channels shown as current,
// pressure or water level, their settings, the alarm signal and statistics.
class TSelta final : public TDevicePanel {
    Q_OBJECT
public:
    explicit TSelta(TPanelHost& host, QWidget* parent = nullptr);

    void StartPoll() override;
    void StopPoll() override;
    void LinkLost() override;

    void ResetStatus();
    void DecodeStatus(const QByteArray& frame);
    void DecodeSettings(const QByteArray& frame);
    void ClearSettings();
    void DecodeStatistics(const QByteArray& frame);
    void WriteAcknowledged();

    // The handler of all eight radio buttons and both sensor-type selectors.
    void RadioButton1Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();

    QWidget* Panel1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QRadioButton* RadioButton3 = nullptr;
    QRadioButton* RadioButton4 = nullptr;
    QRadioButton* RadioButton5 = nullptr;
    QRadioButton* RadioButton6 = nullptr;
    QRadioButton* RadioButton7 = nullptr;
    QRadioButton* RadioButton8 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    ui::TMaskEdit* MaskEdit1 = nullptr;
    ui::TMaskEdit* MaskEdit2 = nullptr;
    ui::TMaskEdit* MaskEdit3 = nullptr;
    ui::TMaskEdit* MaskEdit4 = nullptr;
    ui::TMaskEdit* MaskEdit5 = nullptr;
    ui::TMaskEdit* MaskEdit6 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label19 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

    std::uint8_t FDisplayMode1 = selta::dmCurrent;
    std::uint8_t FDisplayMode2 = selta::dmCurrent;

private:
    struct ChannelControls;
    ChannelControls Channel(int index) const;
    selta::TChannelInput Input(int index) const;
    void HandleLetter(char letter, const QByteArray& frame) override;
    void Write(const devices::TChecked& checked);
};
