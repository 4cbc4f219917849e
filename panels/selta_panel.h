#pragma once

#include "app/DevicePanel.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

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

// Answers of the two-channel indication unit, decoded without the form. Each
// decoder returns nothing for a frame that is too short or whose number
// fields are not three decimal digits, so such a frame changes nothing shown.
namespace selta {

struct ChannelStatus {
    char SensorType = '0'; // '0': 0-5 mA, anything else 4-20 mA
    int Limit = 0;         // hundredths of a MPa
    int Count = 0;
    bool Depressurised = false;
};

struct Status {
    std::array<ChannelStatus, 2> Channel;
};

// The settings and statistics answers share the layout of a channel.
struct ChannelRecord {
    char SensorType = '0';
    int Limit = 0;
    int Maximum = 0;
    int Minimum = 0;
};

struct Settings {
    std::array<ChannelRecord, 2> Channel;
    char Alarm = '0';
};

struct Statistics {
    std::array<ChannelRecord, 2> Channel;
    std::array<bool, 2> Depressurised{};
};

std::optional<Status> DecodeStatusFrame(const QByteArray& frame);
std::optional<Settings> DecodeSettingsFrame(const QByteArray& frame);
std::optional<Statistics> DecodeStatisticsFrame(const QByteArray& frame);

} // namespace selta

// Panel of the "Сельта" unit: two pressure channels shown as current,
// pressure or water level, their settings, the alarm signal and statistics.
class TSelta final : public TDevicePanel {
    Q_OBJECT
public:
    explicit TSelta(TPanelHost& host, QWidget* parent = nullptr);

    // Display modes of a channel.
    enum : std::uint8_t { dmCurrent = 0, dmPressureMPa = 1, dmPressureKgf = 2, dmLevel = 3 };

    void StartPoll() override;
    void StopPoll() override;
    void HandleResponse(const QByteArray& frame) override;
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

    // The value of a channel in the unit of the mode, before formatting.
    static double ChannelNumber(int mode, char sensorType, int count, double limit);
    // The text of a channel's value: at most four characters and the unit.
    static QString FormatChannelValue(int mode, char sensorType, int count, double limit);
    // The count of a value typed in the mode's unit as three digits; empty
    // when it is not a count of 0 to 999 (a limit of 0, a value too large).
    static QByteArray ChannelValueToCode(int mode, int sensorIndex, double value, double limit);
    // The digits that a d,dd field (or dd,d with twoIntegerDigits) shows for
    // a value text; empty for a negative value or one too large for the field.
    static QString ValueToMaskDigits(const QString& valueText, bool twoIntegerDigits);
    static QString UnitLabel(int mode);

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

    std::uint8_t FDisplayMode1 = dmCurrent;
    std::uint8_t FDisplayMode2 = dmCurrent;

private:
    struct ChannelControls;
    ChannelControls Channel(int index) const;
    void WriteTypeAndLimit(int index);
    void WriteMaxAndMin(int index);
    void SetButtonsEnabled(bool enabled);
    void ShowSettingsValue(ui::TMaskEdit* field, int mode, char sensorType, int count, double limit, bool two);
    QByteArray Request(const QByteArray& command) const;
};
