#include "app/PortReconnect.h"

#include "app/Frames.h"
#include "app/Unit1.h"
#include "devices/Cp1251.h"
#include "port/BCPort.h"
#include "port/PortWatcher.h"
#include "ui/ComboBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimer>

namespace {

// An adapter that is back but cannot be opened yet (udev still setting its
// group, a modem manager probing it) is tried again this often.
constexpr int RetryMs = 1000;

QString Seconds(qint64 ms) { return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1).replace('.', ','); }

QString Sentence(const QString& text) { return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.'); }

} // namespace

TPortReconnect::TPortReconnect(TForm1& form)
    : QObject(&form), FForm(form), FWatcher(new TPortWatcher({}, this)), FRetry(new QTimer(this))
{
    FRetry->setSingleShot(true);
    FRetry->setInterval(RetryMs);
    connect(FWatcher, &TPortWatcher::Changed, this, [this] { Look(); });
    connect(FRetry, &QTimer::timeout, this, [this] { Look(); });
}

TPortReconnect::~TPortReconnect() = default;

void TPortReconnect::PortOpened()
{
    TBComPort& port = *FForm.BComPort1;
    FIdentity = ComPortIdentity(port.Port());
    QString line = QStringLiteral("Порт %1 открыт").arg(port.Port());
    if (const QString description = PortDescription(FIdentity); !description.isEmpty())
        line += QStringLiteral(": ") + description;
    if (port.LowLatency())
        line += QStringLiteral(", низкая задержка");
    FForm.LogLine(devices::ToCp1251(line));
}

bool TPortReconnect::DeviceLost()
{
    if (!PollActive)
        return false;
    if (FIdentity.Name != FForm.BComPort1->Port()) {
        // Opened without PortOpened: the name is all there is to go by.
        FIdentity = TPortIdentity();
        FIdentity.Name = FForm.BComPort1->Port();
    }
    // The request on the line died with the adapter: no timeouts while it is away.
    FForm.Timer1->stop();
    FWaiting = true;
    FLastFailure.clear();
    FGone.start();
    const QString text = QStringLiteral("Связь с портом %1 потеряна: устройство отключено. Ожидание подключения "
                                        "того же адаптера…")
                             .arg(FIdentity.Name);
    FForm.SetStatusLine(text);
    FForm.LogLine(devices::ToCp1251(text));
    FWatcher->Start();
    Look(); // it may be back already
    return true;
}

bool TPortReconnect::Cancel(bool keepChoice)
{
    if (!FWaiting)
        return false;
    FWaiting = false;
    FWatcher->Stop();
    FRetry->stop();
    if (!keepChoice) {
        const QSignalBlocker quiet(FForm.ComboBox1);
        FForm.ComboBox1->setCurrentIndex(-1);
        FForm.RefreshPortList();
    }
    return true;
}

void TPortReconnect::Look()
{
    if (!FWaiting)
        return;
    const QString name = FindComPort(FIdentity);
    if (name.isEmpty())
        return; // not back: the next notification looks again
    TBComPort& port = *FForm.BComPort1;
    try {
        port.SetPort(name);
        port.Open();
    } catch (const EComPort& error) {
        FRetry->start();
        // A node that is still going away, or not quite there yet: nothing to tell.
        if (error.Message() == QStringLiteral("Попытка открыть несуществующий COM-порт"))
            return;
        if (error.Message() != FLastFailure) {
            FLastFailure = error.Message();
            const QString text = QStringLiteral("Адаптер порта %1 снова подключён, но порт не открывается: %2 "
                                                "Новая попытка каждую секунду…")
                                     .arg(name, Sentence(error.Message()));
            FForm.SetStatusLine(text);
            FForm.LogLine(devices::ToCp1251(text));
        }
        return;
    }
    Reopened(name);
}

void TPortReconnect::Reopened(const QString& name)
{
    FWaiting = false;
    FWatcher->Stop();
    FRetry->stop();
    const QString lost = FIdentity.Name;
    const qint64 goneMs = FGone.elapsed();
    FIdentity = ComPortIdentity(name);
    {
        const QSignalBlocker quiet(FForm.ComboBox1);
        FForm.RefreshPortList();
        FForm.ComboBox1->setCurrentIndex(FForm.ComboBox1->findText(name));
    }
    const QString where = name == lost ? QStringLiteral("Порт %1 снова открыт").arg(name)
                                       : QStringLiteral("Адаптер порта %1 снова подключён как %2").arg(lost, name);
    FForm.LogLine(
        devices::ToCp1251(QStringLiteral("%1, опрос продолжен: связи не было %2 с").arg(where, Seconds(goneMs))));
    FForm.SetStatusLine(QStringLiteral("Опрос текущего состояния включен"));

    // The engine starts clean on the new line: what came before the loss is
    // no part of an answer, and the unanswered request goes out again.
    FForm.FRxBuffer.clear();
    FForm.FFrameStarted = false;
    FForm.FRetryCount = 0;
    if (!PollActive)
        return;
    if (!FForm.FLastRequest.isEmpty())
        FForm.SendRequest(FForm.FLastRequest);
    else if (TDevicePanel* panel = FForm.CurrentPanel(); panel && FForm.FDeviceKind != devices::TDeviceKind::None)
        panel->StartPoll();
}

void SetPortToolTips(QComboBox& list, const QList<TPortIdentity>& ports)
{
    for (const TPortIdentity& port : ports) {
        const int index = list.findText(port.Name);
        if (index >= 0)
            list.setItemData(index, PortToolTip(port), Qt::ToolTipRole);
    }
}
