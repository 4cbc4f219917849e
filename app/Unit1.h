#pragma once

#include "app/DevicePanel.h"
#include "engine/ExchangeEngine.h"

#include <QByteArray>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMdiArea;
class QPushButton;
class QStatusBar;
class QTimer;
class TBComPort;
class TPortOperations;
class TPortReconnect;

namespace ui {
class TComboBox;
class TLogView;
class TMaskEdit;
class TThrottle;
} // namespace ui

// The main window: connection controls, exchange log, status line, counters,
// the polling engine and the current device panel.
class TForm1 : public QMainWindow, public TPanelHost, public TExchangeEngine {
    Q_OBJECT
public:
    // port replaces BComPort1 as the engine's line (tests drive a scripted fake).
    explicit TForm1(TPortOperations* port = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    // Device panels come from outside, so this library knows no model.
    void SetPanelFactory(TPanelFactory factory);

    // Controls, named as the technician's manual names them.
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    ui::TComboBox* ComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QLabel* Label4 = nullptr;
    ui::TMaskEdit* MaskEdit1 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Button3 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QFrame* Panel2 = nullptr;
    ui::TLogView* Memo1 = nullptr;
    QFrame* Panel4 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QMdiArea* MdiArea = nullptr;
    QTimer* Timer1 = nullptr;
    TBComPort* BComPort1 = nullptr;

    // Text of a status bar panel (0..6).
    QString StatusPanelText(int index) const;
    QString StatusPanelToolTip(int index) const;
    // The current device panel, if its model has one.
    TDevicePanel* CurrentPanel() const { return FPanel; }
    QMdiSubWindow* CurrentChild() const { return FChild; }

    // Handlers.
    void FormCreate();
    void FormClose();
    void ComboBox1Click();
    bool OpenPort();
    void ComboBox2Click();
    void ComboBox3Change();
    void Button1Click();
    void Button3Click();
    void Timer1Timer();
    void BComPort1RxChar(QObject* Sender, int Count);
    void BComPort1TxEmpty(QObject* Sender);
    // The adapter behind the open port vanished.
    void BComPort1DeviceLost(QObject* Sender);

    // Engine.
    void SendRequest(const QByteArray& request) override;
    void UpdateCounters() override;
    static constexpr int CountersPeriodMs = 40;

    // Exchange log. The memo keeps the newest MemoLines lines: one old line
    // goes before each new one past 200.
    static constexpr int MemoLines = 201;
    void LogLine(const QByteArray& text) override;

    void SetStatusLine(const QString& text) override;
    // Lists the machine's ports again, keeping the chosen one selected if it is still there.
    void RefreshPortList();
    QString StatusLine() const override;
    bool PortSelected() const override;

    devices::TDeviceKind FDeviceKind = devices::TDeviceKind::None;

    // Recording.
    bool FRecording = false;
    QString FRecordFileName;

protected:
    void closeEvent(QCloseEvent* event) override;

protected:
    void DeliverFrame(const QByteArray& frame) override;
    void DeclareLinkLost() override;
    void ReportError(const std::exception& error) override;

private:
    void BuildControls();
    void ClosePort();
    // The current panel, if its kind has the hook.
    TDevicePanel* HookedPanel() const;
    TDevicePanel* HookedPanel(devices::THook hook) const;
    void StopRecordingAfterError(const QString& message);
    void ShowCounters() const;

    TPanelFactory FPanelFactory;
    TPortReconnect* FReconnect = nullptr;
    QPointer<TDevicePanel> FPanel;
    QPointer<QMdiSubWindow> FChild;
    std::unique_ptr<ui::TThrottle> FCounters;
    std::array<QLabel*, 7> FStatusPanels{};
    // What the last lost link added to the status line.
    QString FLossSuffix;
};

// The reason a file could not be written, in Russian for the common causes
// (errno), else the system's own text.
QString FileErrorReason(int error, const QString& systemText);

// "H:M:S:ms:" of a local time, each part without leading zeros.
QByteArray TimePrefix(const QTime& time);
