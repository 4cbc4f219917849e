#pragma once

#include "app/DevicePanel.h"
#include "devices/Torvis.h"

#include <QByteArray>
#include <QString>

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QShowEvent;
class QTabWidget;
class QWidget;

namespace ui {
class TMaskEdit;
class TRadioGroup;
} // namespace ui

// Panel of the "ТОРВИС" unit: eight analog and eight discrete inputs, the
// analog channel settings, the discrete input types, the version text and the
// calibration values of a channel.
class TTORVIS_form final : public TDevicePanel {
    Q_OBJECT
public:
    explicit TTORVIS_form(TPanelHost& host, QWidget* parent = nullptr);

    void StartPoll() override;
    void LinkLost() override;

    void FormShow();
    void ClearStatus();
    void ClearSettings();
    void ClearCalibration();
    void DecodeStatus(const QByteArray& frame);
    void DecodeSettings(const QByteArray& frame);
    void DecodeVersion(const QByteArray& frame);
    void DecodeCalibration(const QByteArray& frame);

    void RadioGroup1Click();
    void RadioGroup2Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();

    // Status.
    QFrame* Panel1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox6 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QCheckBox* CheckBox8 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;

    // Pages: "Уставки" holds the nested "Аналоговые" and "Дискретные".
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QTabWidget* PageControl2 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QWidget* TabSheet5 = nullptr;

    // Analog settings.
    ui::TRadioGroup* RadioGroup1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    ui::TMaskEdit* MaskEdit1 = nullptr;
    ui::TMaskEdit* MaskEdit2 = nullptr;
    ui::TMaskEdit* MaskEdit3 = nullptr;
    ui::TMaskEdit* MaskEdit4 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

    // Discrete types.
    QComboBox* ComboBox3 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QComboBox* ComboBox5 = nullptr;
    QComboBox* ComboBox6 = nullptr;
    QComboBox* ComboBox7 = nullptr;
    QComboBox* ComboBox8 = nullptr;
    QComboBox* ComboBox9 = nullptr;
    QComboBox* ComboBox10 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;

    // Version.
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button5 = nullptr;

    // Calibration.
    ui::TRadioGroup* RadioGroup2 = nullptr;
    ui::TMaskEdit* MaskEdit5 = nullptr;
    ui::TMaskEdit* MaskEdit6 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* Button7 = nullptr;

    int FAnalogChannel = -1;
    int FCalibrationChannel = -1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void HandleLetter(char letter, const QByteArray& frame) override;
    // Queue, and tell the technician when polling is stopped: "Старт" drops the request.
    void QueueRequest(const devices::TChecked& checked);
    // ClearStatus without the version memo.
    void ClearStatusRows();
    void SetAlarm(QLineEdit* value, bool alarm);
    void BuildStatus();
    QWidget* BuildAnalogPage();
    QWidget* BuildDiscretePage();
    QWidget* BuildVersionPage();
    QWidget* BuildCalibrationPage();

    std::array<QLineEdit*, torvis::AnalogCount> FValues{};
    std::array<QCheckBox*, torvis::DiscreteCount> FInputs{};
    std::array<QLabel*, torvis::DiscreteCount> FIndicators{};
    std::array<ui::TMaskEdit*, torvis::LevelCount> FLevels{};
    std::array<QComboBox*, torvis::DiscreteCount> FDiscreteTypes{};
};
