#include "cli/Session.h"

#include "cli/Messages.h"
#include "devices/Cp1251.h"
#include "devices/Frame.h"
#include "port/BCPort.h"

#include <QDateTime>

namespace cli {

namespace {

TBaudRate RateOf(int baud)
{
    switch (baud) {
    case 2400:
        return br2400;
    case 4800:
        return br4800;
    case 19200:
        return br19200;
    default:
        return br9600;
    }
}

QString Seconds(qint64 ms) { return QString::number(ms / 1000.0, 'f', 1); }

} // namespace

TCliSession::TCliSession(TSink out, TSink err, TPortOperations* port)
    : FOut(std::move(out)), FErr(std::move(err)), FLine(port)
{
    if (!FLine) {
        FOwnPort = std::make_unique<TBComPort>();
        FLine = FOwnPort.get();
        FOwnPort->OnDeviceLost = [this](QObject*) {
            // Closing waits for the port's thread, so it happens after this delivery.
            QTimer::singleShot(0, &FTimer, [this] { Finish(ExitPort, Text(TMsg::PortLost).arg(FOptions.Port)); });
        };
    }
    FTimer.setSingleShot(true);
    QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] {
        try {
            ResponseTimeout();
        } catch (const std::exception& error) {
            ReportError(error);
        }
    });
    FPause.setSingleShot(true);
    QObject::connect(&FPause, &QTimer::timeout, &FPause, [this] { PollNext(); });
    AttachLine(FLine, &FTimer);
    FLine->OnRxChar = [this](QObject*, int count) {
        if (FFinished)
            return;
        try {
            ReceiveChars(count);
        } catch (const std::exception& error) {
            ReportError(error);
        }
    };
}

TCliSession::~TCliSession()
{
    FLine->OnRxChar = nullptr;
    PollActive = false;
    if (FOwnPort)
        FOwnPort->Close();
}

bool TCliSession::Start(const TOptions& options)
{
    FOptions = options;
    FWriter = TRecordWriter(options.Format);
    FTimer.setInterval(options.Command == TCommand::Scan ? options.TimeoutMs : 300);
    SetTimeoutLimit(options.Command == TCommand::Scan ? options.Tries : 5);
    if (options.Command == TCommand::Read) {
        FPlan = PlanRead(options.Kind, options.What, options.Address, options.Channel);
        if (!FPlan.Refusal.isEmpty()) {
            Finish(ExitUsage, FPlan.Refusal);
            return false;
        }
    }
    if (FOwnPort) {
        try {
            FOwnPort->SetPort(options.Port);
            FOwnPort->SetBaudRate(RateOf(options.Baud));
            FOwnPort->Open();
        } catch (const EComPort& error) {
            Finish(ExitPort, Text(TMsg::PortError).arg(options.Port, PortMessage(error.Message())));
            return false;
        }
    }
    ResetRun();
    FRequestCount = FResponseCount = FErrorCount = 0;
    DeviceNumber = options.Address;
    PollActive = true;
    switch (options.Command) {
    case TCommand::Poll:
        PollNext();
        break;
    case TCommand::Scan:
        FScanAddress = options.From;
        FScanClock.start();
        ScanNext();
        break;
    case TCommand::Read:
        Send(FPlan.Request);
        break;
    case TCommand::Send:
        Send(devices::MakeFrame(options.Raw));
        break;
    case TCommand::Help:
        Finish(ExitOk);
        break;
    }
    return !FFinished;
}

int TCliSession::Run(const TOptions& options)
{
    if (Start(options))
        FLoop.exec();
    return FStatus;
}

void TCliSession::Stop(int status) { Finish(status); }

void TCliSession::Send(const QByteArray& request)
{
    try {
        SendRequest(request);
    } catch (const std::exception& error) {
        ReportError(error);
    }
}

void TCliSession::Finish(int status, const QString& message)
{
    if (FFinished)
        return;
    FFinished = true;
    FStatus = status;
    PollActive = false;
    FTimer.stop();
    FPause.stop();
    DropHeldRequest();
    if (!message.isEmpty())
        FErr(QStringLiteral("zorvex-cli: ") + message);
    FLoop.quit();
}

void TCliSession::LogLine(const QByteArray& text)
{
    if (!FOptions.Log)
        return;
    QByteArray line = text;
    if (line.endsWith('\r'))
        line.chop(1);
    FErr(devices::FromCp1251(line));
}

TRecord TCliSession::RecordOf(const QByteArray& frame)
{
    TRecord r;
    r.Time = QDateTime::currentDateTime();
    r.Model = FOptions.Command == TCommand::Send ? QString() : ModelName(FOptions.Kind);
    r.Address = DeviceNumber;
    // The engine measures an answer only when it answers the request outstanding.
    if (ResponseTimes().Count != FMeasured)
        r.ResponseMs = ResponseTimes().LastMs;
    FMeasured = ResponseTimes().Count;
    r.ChecksumOk = devices::FrameChecksumOK(frame);
    r.Frame = frame;
    return r;
}

void TCliSession::Print(const TRecord& record)
{
    for (const QString& line : FWriter.Lines(record))
        FOut(line);
}

void TCliSession::DeliverFrame(const QByteArray& frame)
{
    if (FFinished)
        return;
    switch (FOptions.Command) {
    case TCommand::Poll:
        OnStatus(frame);
        break;
    case TCommand::Scan:
        OnScan(frame);
        break;
    case TCommand::Read:
        OnRead(frame);
        break;
    case TCommand::Send:
        OnRaw(frame);
        break;
    case TCommand::Help:
        break;
    }
}

void TCliSession::OnStatus(const QByteArray& frame)
{
    TRecord r = RecordOf(frame);
    r.Values = DecodeStatusFields(FOptions.Kind, frame);
    Print(r);
    if (!r.Values) {
        FBadAnswer = true;
        FErr(QStringLiteral("zorvex-cli: ") +
             Text(r.ChecksumOk ? TMsg::UnexpectedAnswer : TMsg::BadChecksum).arg(devices::FromCp1251(frame)));
    }
    ++FAnswers;
    if (FOptions.Count > 0 && FAnswers >= FOptions.Count) {
        Finish(FBadAnswer ? ExitBadAnswer : ExitOk);
        return;
    }
    if (FOptions.IntervalMs > 0)
        FPause.start(FOptions.IntervalMs);
    else
        PollNext();
}

void TCliSession::PollNext() { Send(StatusRequest(FOptions.Kind, FOptions.Address)); }

void TCliSession::OnScan(const QByteArray& frame)
{
    TRecord r = RecordOf(frame);
    r.Values = DecodeStatusFields(FOptions.Kind, frame);
    Print(r);
    FEchoEver = true;
    if (r.ChecksumOk)
        ++FFound;
    ++FScanAddress;
    ScanNext();
}

void TCliSession::ScanNext()
{
    const int total = FOptions.To - FOptions.From + 1;
    if (FScanAddress > FOptions.To) {
        ScanDone();
        return;
    }
    DeviceNumber = QByteArray::number(FScanAddress).rightJustified(3, '0');
    if (FProgressInPlace)
        FErr(QStringLiteral("\r") +
             Text(TMsg::ScanProgress)
                 .arg(QString::fromLatin1(DeviceNumber))
                 .arg(FScanAddress - FOptions.From + 1)
                 .arg(total)
                 .arg(FFound) +
             QStringLiteral("\x1b[K\r"));
    Send(StatusRequest(FOptions.Kind, DeviceNumber));
}

void TCliSession::ScanDone()
{
    const int total = FOptions.To - FOptions.From + 1;
    if (FProgressInPlace)
        FErr(QStringLiteral("\r\x1b[K\r"));
    FErr(Text(TMsg::ScanSummary).arg(FFound).arg(total).arg(Seconds(FScanClock.elapsed())));
    if (FFound > 0)
        Finish(ExitOk);
    else if (FEchoEver)
        Finish(
            ExitNoAnswer,
            Text(TMsg::NoAnswer)
                .arg(
                    QStringLiteral("%1-%2").arg(FOptions.From, 3, 10, QChar('0')).arg(FOptions.To, 3, 10, QChar('0'))));
    else
        Finish(ExitNoEcho, Text(TMsg::NoEcho));
}

void TCliSession::OnRead(const QByteArray& frame)
{
    TRecord r = RecordOf(frame);
    const bool checked = !FPlan.Checksummed || r.ChecksumOk;
    if (checked && devices::ResponseLetter(frame) == FPlan.Letter)
        r.Values = DecodeReadFields(FOptions.Kind, FOptions.What, frame);
    Print(r);
    if (r.Values)
        Finish(ExitOk);
    else
        Finish(ExitBadAnswer,
               Text(checked ? TMsg::UnexpectedAnswer : TMsg::BadChecksum).arg(devices::FromCp1251(frame)));
}

void TCliSession::OnRaw(const QByteArray& frame)
{
    TRecord r = RecordOf(frame);
    r.Address.clear();
    r.Request = devices::MakeFrame(FOptions.Raw);
    Print(r);
    if (r.ChecksumOk)
        Finish(ExitOk);
    else
        Finish(ExitBadAnswer, Text(TMsg::BadChecksum).arg(devices::FromCp1251(frame)));
}

QString TCliSession::LossMessage() const
{
    return LastLossCause() == TLinkLossCause::NoEcho ? Text(TMsg::NoEcho)
                                                     : Text(TMsg::NoAnswer).arg(QString::fromLatin1(DeviceNumber));
}

void TCliSession::DeclareLinkLost()
{
    if (FFinished)
        return;
    if (FOptions.Command == TCommand::Scan) {
        if (LastLossCause() == TLinkLossCause::NoAnswer)
            FEchoEver = true;
        ++FScanAddress;
        ScanNext();
        return;
    }
    Finish(LastLossCause() == TLinkLossCause::NoEcho ? ExitNoEcho : ExitNoAnswer, LossMessage());
}

void TCliSession::ReportError(const std::exception& error)
{
    const QString text = QString::fromUtf8(error.what());
    Finish(ExitPort, Text(TMsg::PortError).arg(FOptions.Port, PortMessage(text)));
}

} // namespace cli
