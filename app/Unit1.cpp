#include "app/Unit1.h"

#include "app/Frames.h"
#include "app/PortReconnect.h"
#include "devices/Cp1251.h"
#include "devices/NumberFormat.h"
#include "port/BCPort.h"
#include "ui/Application.h"
#include "ui/ComboBox.h"
#include "ui/CountPanel.h"
#include "ui/Dialogs.h"
#include "ui/LogView.h"
#include "ui/MaskEdit.h"
#include "ui/RepaintPacer.h"
#include "ui/Throttle.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <cerrno>
#include <cmath>

namespace {

// Text for the log's display: the request's own CR ends the line, other line
// breaks inside a frame would split it.
QString DisplayText(QByteArray text)
{
    while (text.endsWith('\r'))
        text.chop(1);
    text.replace('\r', ' ').replace('\n', ' ');
    return devices::FromCp1251(text);
}

} // namespace

QByteArray TimePrefix(const QTime& time)
{
    return QByteArray::number(time.hour()) + ':' + QByteArray::number(time.minute()) + ':' +
           QByteArray::number(time.second()) + ':' + QByteArray::number(time.msec()) + ':';
}

TForm1::TForm1(TPortOperations* port, QWidget* parent) : QMainWindow(parent)
{
    BuildControls();
    // The stored defaults of the component; the port and speed come from the lists.
    BComPort1 = new TBComPort(this);
    BComPort1->setObjectName(QStringLiteral("BComPort1"));
    BComPort1->OnTxEmpty = [this](QObject* sender) { BComPort1TxEmpty(sender); };
    BComPort1->OnDeviceLost = [this](QObject* sender) { BComPort1DeviceLost(sender); };
    SetPortErrorHandler([](const std::exception& error) { ui::HandleException(error); });
    // A vanished adapter is told once, as its loss, whichever call found it gone.
    ui::SetSilentErrors(
        [](const std::exception& error) { return dynamic_cast<const EComDeviceLost*>(&error) != nullptr; });
    FReconnect = new TPortReconnect(*this);
    AttachLine(port ? port : BComPort1, Timer1);
    FPort->OnRxChar = [this](QObject* sender, int count) { BComPort1RxChar(sender, count); };
    FormCreate();
}

TForm1::~TForm1()
{
    // The port's handlers point into this window: close it while they are intact.
    ClosePort();
    FPort->OnRxChar = nullptr;
}

void TForm1::SetPanelFactory(TPanelFactory factory) { FPanelFactory = std::move(factory); }

void TForm1::BuildControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(ui::AppTitle));
    // A fixed frame without maximise. Not a tool window: on Linux desktops that
    // would drop the program from the task bar and keep it running once closed.
    // DejaVu Sans has Cyrillic on every Debian desktop.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    setFixedSize(792, 545);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    Panel1 = new QFrame(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setFixedHeight(55);
    column->addWidget(Panel1);

    Panel2 = new QFrame(central);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(105);
    auto* logLayout = new QVBoxLayout(Panel2);
    logLayout->setContentsMargins(0, 0, 0, 0);
    Memo1 = new ui::TLogView(Panel2);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setMaximumBlockCount(MemoLines);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    logLayout->addWidget(Memo1);
    column->addWidget(Panel2);

    Panel4 = new QFrame(central);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel4->setFixedHeight(25);
    auto* statusLayout = new QHBoxLayout(Panel4);
    statusLayout->setContentsMargins(1, 1, 1, 1);
    Edit1 = new QLineEdit(Panel4);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    statusLayout->addWidget(Edit1);
    column->addWidget(Panel4);

    MdiArea = new QMdiArea(central);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    column->addWidget(MdiArea, 1);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(19);
    static constexpr int widths[7] = {80, 100, 80, 100, 80, 100, 50};
    static constexpr int PanelHeight = 14; // what the bar's own layout gives its items
    const QString captions[7] = {
        QStringLiteral("Запросы"), {}, QStringLiteral("Ответы"), {}, QStringLiteral("Ошибки"), {}, {}};
    // The panels sit in a box of their own, so a new count repaints its panel
    // and not the whole status bar.
    auto* panels = new QWidget(StatusBar1);
    auto* row = new QHBoxLayout(panels);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    for (int i = 0; i < 7; ++i) {
        // The counts change on every answer: their panels place the digits themselves.
        const bool count = i == 1 || i == 3 || i == 5;
        QLabel* label = count ? new ui::TCountPanel(captions[i], panels) : new QLabel(captions[i], panels);
        // A fixed size spares the status bar a new layout for every new count,
        // and an opaque panel repaints alone, without the bar beneath it.
        label->setFixedSize(widths[i], PanelHeight);
        label->setAutoFillBackground(true);
        label->setAlignment(i == 6 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        row->addWidget(label);
        FStatusPanels[i] = label;
    }
    StatusBar1->addWidget(panels);
    setStatusBar(StatusBar1);

    auto labelled = [this](QLabel*& label, const QString& caption, QWidget* control, int x, int width) {
        label = new QLabel(caption, Panel1);
        label->setGeometry(x, 4, width + 40, 16);
        control->setParent(Panel1);
        control->setGeometry(x, 22, width, 24);
    };

    ComboBox1 = new ui::TComboBox;
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    // An adapter plugged in after the start shows up the next time the list opens.
    ComboBox1->OnDropDown = ui::Guard([this] { RefreshPortList(); });
    labelled(Label1, QStringLiteral("Порт"), ComboBox1, 8, 90);

    ComboBox2 = new QComboBox;
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->addItems(
        {QStringLiteral("2400"), QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200")});
    ComboBox2->setCurrentIndex(1);
    labelled(Label2, QStringLiteral("Скорость"), ComboBox2, 106, 81);

    ComboBox3 = new QComboBox;
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    for (const devices::TDeviceKindInfo& kind : devices::DeviceKinds())
        ComboBox3->addItem(QString::fromUtf8(kind.ListName));
    ComboBox3->setCurrentIndex(-1);
    labelled(Label3, QStringLiteral("Устройство"), ComboBox3, 195, 121);

    MaskEdit1 = new ui::TMaskEdit;
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->SetEditMask(QStringLiteral("999;0;*"));
    labelled(Label4, QStringLiteral("Номер"), MaskEdit1, 324, 40);

    Button1 = new QPushButton(QStringLiteral("Старт"));
    Button1->setObjectName(QStringLiteral("Button1"));
    labelled(Label6, QStringLiteral("Опрос"), Button1, 372, 75);

    Button3 = new QPushButton(QStringLiteral("Начать запись"));
    Button3->setObjectName(QStringLiteral("Button3"));
    labelled(Label5, QStringLiteral("Протокол обмена"), Button3, 455, 130);

    CheckBox1 = new QCheckBox(QStringLiteral("Добавить время"), Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(595, 24, 140, 20);

    FCounters = std::make_unique<ui::TThrottle>(CountersPeriodMs, [this] { ShowCounters(); });
    new ui::TRepaintPacer(this, CountersPeriodMs);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(300);
    connect(Timer1, &QTimer::timeout, this, ui::Guard([this] { Timer1Timer(); }));
    connect(Button1, &QPushButton::clicked, this, ui::Guard([this] { Button1Click(); }));
    connect(Button3, &QPushButton::clicked, this, ui::Guard([this] { Button3Click(); }));
    connect(ComboBox1, &QComboBox::activated, this, ui::Guard([this] { ComboBox1Click(); }));
    connect(ComboBox2, &QComboBox::activated, this, ui::Guard([this] { ComboBox2Click(); }));
    connect(ComboBox3, &QComboBox::currentIndexChanged, this, ui::Guard([this] { ComboBox3Change(); }));
}

void TForm1::FormCreate()
{
    FRequestCount = FResponseCount = FErrorCount = 0;
    Memo1->clear();
    FRecording = false;
    PollActive = false;
    DeviceNumber.clear();
    FDeviceKind = devices::TDeviceKind::None;
    try {
        RefreshPortList();
    } catch (const EComPort& error) {
        // The window opens with an empty list, and the counters stay blank.
        ui::HandleException(error);
        return;
    }
    UpdateCounters();
}

void TForm1::ComboBox1Click()
{
    if (ComboBox1->currentIndex() < 0) {
        ui::ShowError(QStringLiteral("Не выбран порт"));
        return;
    }
    // Another port chosen while waiting for the lost adapter: the wait and the polling end.
    if (FReconnect->Cancel(true) && PollActive)
        Button1Click();
    try {
        OpenPort();
    } catch (const EComPort&) {
        // A refused change leaves the open port in use: the list must say which.
        if (BComPort1->Connected()) {
            const QSignalBlocker quiet(ComboBox1);
            ComboBox1->setCurrentIndex(ComboBox1->findText(BComPort1->Port()));
        }
        throw;
    }
}

bool TForm1::OpenPort()
{
    FDeviceKind = devices::KindFromIndex(ComboBox3->currentIndex());
    ComboBox2Click();
    BComPort1->SetPort(ComboBox1->currentText());
    if (!BComPort1->Connected()) {
        BComPort1->Open();
        FReconnect->PortOpened();
    }
    return BComPort1->Connected();
}

void TForm1::ComboBox2Click()
{
    static constexpr TBaudRate rates[] = {br2400, br4800, br9600, br19200};
    const int index = ComboBox2->currentIndex();
    if (index >= 0 && index < 4)
        BComPort1->SetBaudRate(rates[index]);
}

void TForm1::BComPort1DeviceLost(QObject* Sender)
{
    Q_UNUSED(Sender);
    // Closing waits for the port's thread, so it happens after this delivery.
    QMetaObject::invokeMethod(this, ui::Guard([this] {
                                  const QString name = BComPort1->Port();
                                  ClosePort();
                                  if (FReconnect->DeviceLost()) {
                                      // Polling waits for the same adapter. The values shown
                                      // are not live any more; with polling held meanwhile the
                                      // panel's SendNext keeps a waiting command for the return.
                                      PollActive = false;
                                      if (TDevicePanel* panel = HookedPanel(devices::THook::LinkLost))
                                          panel->LinkLost();
                                      PollActive = true;
                                      return;
                                  }
                                  if (PollActive) {
                                      Button1Click(); // the stop path: button, status line, panel
                                      // The panel's values are not live any more; it shows the loss.
                                      if (TDevicePanel* panel = HookedPanel(devices::THook::LinkLost))
                                          panel->LinkLost();
                                  }
                                  ComboBox1->setCurrentIndex(-1);
                                  RefreshPortList();
                                  ui::ShowError(QStringLiteral("Связь с портом %1 потеряна: устройство отключено. "
                                                               "Порт закрыт, опрос остановлен.")
                                                    .arg(name));
                              }),
                              Qt::QueuedConnection);
}

TDevicePanel* TForm1::HookedPanel() const
{
    return FPanel && FDeviceKind != devices::TDeviceKind::None ? FPanel.data() : nullptr;
}

TDevicePanel* TForm1::HookedPanel(devices::THook hook) const
{
    return devices::KindHasHook(FDeviceKind, hook) ? HookedPanel() : nullptr;
}

QString TForm1::StatusPanelText(int index) const
{
    if (FCounters->Pending())
        ShowCounters();
    return FStatusPanels.at(index)->text();
}

QString TForm1::StatusPanelToolTip(int index) const
{
    if (FCounters->Pending())
        ShowCounters();
    return FStatusPanels.at(index)->toolTip();
}

void TForm1::SetStatusLine(const QString& text) { Edit1->setText(text); }

QString TForm1::StatusLine() const { return Edit1->text(); }

bool TForm1::PortSelected() const { return ComboBox1->currentIndex() >= 0; }

void TForm1::ComboBox3Change()
{
    if (FReconnect->Cancel())
        Edit1->setText(QStringLiteral("Опрос остановлен"));
    PollActive = false;
    DropHeldRequest();
    Button1->setText(QStringLiteral("Старт"));
    if (FChild) {
        // The old panel gets no StopPoll; deleteLater keeps a handler of it that
        // is still on the stack safe.
        FChild->hide();
        FChild->deleteLater();
        FChild = nullptr;
        FPanel = nullptr;
    }
    const devices::TDeviceKind kind = devices::KindFromIndex(ComboBox3->currentIndex());
    if (kind != devices::TDeviceKind::None) {
        std::unique_ptr<TDevicePanel> panel = FPanelFactory ? FPanelFactory(kind, *this) : nullptr;
        QWidget* content = panel.get();
        if (!content) {
            // A model without a panel yet: an empty child, and the engine stays idle.
            content = new QWidget;
            content->setWindowTitle(devices::KindListName(kind));
        }
        FPanel = panel.release();
        // Large system fonts must not hide controls: the panel scrolls instead.
        auto* scroller = new QScrollArea;
        scroller->setFrameShape(QFrame::NoFrame);
        scroller->setWidgetResizable(true);
        scroller->setWidget(content);
        scroller->setWindowTitle(content->windowTitle());
        FChild = MdiArea->addSubWindow(scroller);
        FChild->setAttribute(Qt::WA_DeleteOnClose);
        FChild->showMaximized();
    }
    FDeviceKind = kind;
}

void TForm1::Button1Click()
{
    if (!PollActive) {
        DeviceNumber.clear();
        if (ComboBox1->currentIndex() < 0) {
            ui::ShowError(QStringLiteral("Не выбран порт"));
            return;
        }
        if (ComboBox3->currentIndex() < 0) {
            ui::ShowError(QStringLiteral("Не выбрано устройство"));
            return;
        }
        const QString number = MaskEdit1->Text();
        if (number.size() != 3) {
            ui::ShowError(QStringLiteral("Введие номер устройства"));
            return;
        }
        DeviceNumber = devices::ToCp1251(number);
        PollActive = true;
        Button1->setText(QStringLiteral("Стоп"));
        FRequestCount = FResponseCount = FErrorCount = 0;
        ResetRun();
        Memo1->clear();
        Edit1->setText(QStringLiteral("Опрос текущего состояния включен"));
        if (TDevicePanel* panel = HookedPanel())
            panel->StartPoll();
        return;
    }
    FReconnect->Cancel();
    PollActive = false;
    Button1->setText(QStringLiteral("Старт"));
    Edit1->setText(QStringLiteral("Опрос остановлен"));
    if (TDevicePanel* panel = HookedPanel(devices::THook::StopPoll))
        panel->StopPoll();
}

void TForm1::SendRequest(const QByteArray& request) { TExchangeEngine::SendRequest(request); }

void TForm1::UpdateCounters()
{
    // Shown at most every CountersPeriodMs: an eye cannot follow more, and a
    // repaint of the status bar per exchange costs more than the exchange.
    FCounters->Request();
}

void TForm1::ShowCounters() const
{
    FCounters->Cancel();
    FStatusPanels[1]->setText(QString::number(FRequestCount));
    FStatusPanels[3]->setText(QString::number(FResponseCount));
    FStatusPanels[5]->setText(QString::number(FErrorCount));
    const TResponseTimes& t = ResponseTimes();
    const auto ms = [](double v) { return devices::FormatGeneral(std::round(v * 10) / 10); };
    const QString tip = t.Count == 0 ? QStringLiteral("Время ответа: ещё нет ответов")
                                     : QStringLiteral("Время ответа, мс: последнее %1, наименьшее %2, "
                                                      "среднее %3, наибольшее %4")
                                           .arg(ms(t.LastMs), ms(t.MinMs), ms(t.MeanMs()), ms(t.MaxMs));
    for (const int index : {1, 3, 5})
        FStatusPanels[index]->setToolTip(tip);
}

void TForm1::BComPort1RxChar(QObject* Sender, int Count)
{
    Q_UNUSED(Sender);
    ReceiveChars(Count);
}

void TForm1::DeliverFrame(const QByteArray& frame)
{
    // The device answers again: the loss named on the status line is over.
    if (!FLossSuffix.isEmpty()) {
        const QString line = Edit1->text();
        if (line.endsWith(FLossSuffix))
            Edit1->setText(line.chopped(FLossSuffix.size()));
        FLossSuffix.clear();
    }
    if (TDevicePanel* panel = HookedPanel())
        panel->HandleResponse(frame);
}

void TForm1::BComPort1TxEmpty(QObject* Sender) { Q_UNUSED(Sender); }

void TForm1::Timer1Timer() { ResponseTimeout(); }

void TForm1::DeclareLinkLost()
{
    if (TDevicePanel* panel = HookedPanel(devices::THook::LinkLost))
        panel->LinkLost();
    if (!PollActive)
        return;
    // After the panel's own reaction, which may have written the line itself;
    // a cause added by an earlier loss is replaced, not repeated.
    QString line = Edit1->text();
    if (!FLossSuffix.isEmpty() && line.endsWith(FLossSuffix))
        line.chop(FLossSuffix.size());
    FLossSuffix = QStringLiteral(". Связь потеряна: ") + LossCauseText(LastLossCause());
    Edit1->setText(line + FLossSuffix);
}

void TForm1::ReportError(const std::exception& error) { ui::HandleException(error); }

void TForm1::LogLine(const QByteArray& text)
{
    QByteArray line = text;
    if (CheckBox1->isChecked())
        line.prepend(TimePrefix(ui::Now().time()));
    Memo1->appendPlainText(DisplayText(line));
    if (!FRecording)
        return;
    line.append("\r\n");
    // Opened and closed for every line, so others may read the file meanwhile.
    QFile file(FRecordFileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() || !file.flush()) {
        const int error = errno;
        StopRecordingAfterError(FileErrorReason(error, file.errorString()));
        return;
    }
}

QString FileErrorReason(int error, const QString& systemText)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Папка не существует");
    case EACCES:
    case EPERM:
        return QStringLiteral("Нет прав на запись в файл");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Нет места на диске");
    case EROFS:
        return QStringLiteral("Файловая система доступна только для чтения");
    default:
        return systemText;
    }
}

void TForm1::StopRecordingAfterError(const QString& reason)
{
    FRecording = false;
    Button3->setText(QStringLiteral("Начать запись"));
    const QString message = QStringLiteral("Ошибка записи в файл протокола %1\n%2").arg(FRecordFileName, reason);
    // Shown after the current handler: the engine may be inside a delivery of the port.
    QMetaObject::invokeMethod(
        this, [message] { ui::ShowError(message); }, Qt::QueuedConnection);
}

void TForm1::Button3Click()
{
    if (FRecording) {
        Button3->setText(QStringLiteral("Начать запись"));
        FRecording = false;
        return;
    }
    const std::optional<QString> name = ui::ExecuteSaveDialog(QStringLiteral("*.txt|*.txt"), QStringLiteral("txt"));
    if (!name)
        return;
    FRecordFileName = *name;
    Button3->setText(QStringLiteral("Остановить запись"));
    FRecording = true;
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    QMainWindow::closeEvent(event);
}

void TForm1::FormClose()
{
    FReconnect->Cancel(true);
    ClosePort();
}

void TForm1::RefreshPortList()
{
    const QList<TPortIdentity> identities = EnumComPortIdentities();
    QStringList ports;
    for (const TPortIdentity& port : identities)
        ports << port.Name;
    const QString chosen = ComboBox1->currentIndex() >= 0 ? ComboBox1->currentText() : QString();
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->clear();
    ComboBox1->addItems(ports);
    SetPortToolTips(*ComboBox1, identities);
    ComboBox1->setCurrentIndex(chosen.isEmpty() ? -1 : ComboBox1->findText(chosen));
}

void TForm1::ClosePort()
{
    if (BComPort1)
        BComPort1->Close();
}
