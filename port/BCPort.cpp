#include "port/BCPort.h"

#include "port/ComThread.h"
#include "port/DeviceAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <linux/serial.h>
#include <mutex>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

const char* const MsgNoPort = "Попытка открыть несуществующий COM-порт";
const char* const MsgBusy = "Порт занят другой программой";
const char* const MsgWrite = "Ошибка записи в порт";
const char* const MsgRead = "Ошибка чтения из порта";
const char* const MsgPurge = "Ошибка функции PurgeComm";
const char* const MsgCommState = "Ошибка функции SetCommState";
const char* const MsgTimeouts = "Ошибка функции SetCommTimeouts";
const char* const MsgSetup = "Ошибка функции SetupComm";
const char* const MsgClearError = "Ошибка функции ClearCommError";
const char* const MsgModemStatus = "Ошибка функции GetCommModemStatus";
const char* const MsgEscape = "Ошибка функции EscapeCommFunction";
const char* const MsgWhileOpen = "Нельзя менять свойство, пока порт открыт";

std::mutex HandlerMutex;
TPortErrorHandler ErrorHandler;

// A device without modem lines (pseudo-terminal, many virtual ports).
bool NoModemLines(int err) { return err == ENOTTY || err == EINVAL; }

// The device is gone: hung up or unplugged.
bool DeviceGone(int err) { return err == EIO || err == ENXIO || err == ENODEV; }

using Clock = std::chrono::steady_clock;

// Milliseconds left until deadline for poll(); -1 when there is none.
int Remaining(Clock::time_point deadline, bool limited)
{
    if (!limited)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

Clock::time_point After(std::int64_t ms) { return Clock::now() + std::chrono::milliseconds(ms); }

} // namespace

EComPort::EComPort(const QString& message) : std::runtime_error(message.toStdString()) {}

void SetPortErrorHandler(TPortErrorHandler handler)
{
    std::lock_guard lock(HandlerMutex);
    ErrorHandler = std::move(handler);
}

void ReportPortError(const std::exception& error)
{
    TPortErrorHandler handler;
    {
        std::lock_guard lock(HandlerMutex);
        handler = ErrorHandler;
    }
    if (handler)
        handler(error);
    else
        qWarning("%s", error.what());
}

// --- TComTimeouts ---

void TComTimeouts::Set(int& field, int value)
{
    if (field == value)
        return;
    field = value;
    if (FComPort)
        FComPort->ApplyTimeouts();
}

void TComTimeouts::SetReadInterval(int value) { Set(FReadInterval, value); }
void TComTimeouts::SetReadTotalMultiplier(int value) { Set(FReadTotalMultiplier, value); }
void TComTimeouts::SetReadTotalConstant(int value) { Set(FReadTotalConstant, value); }
void TComTimeouts::SetWriteTotalMultiplier(int value) { Set(FWriteTotalMultiplier, value); }
void TComTimeouts::SetWriteTotalConstant(int value) { Set(FWriteTotalConstant, value); }

void TComTimeouts::Assign(const TComTimeouts& source)
{
    FReadInterval = source.FReadInterval;
    FReadTotalMultiplier = source.FReadTotalMultiplier;
    FReadTotalConstant = source.FReadTotalConstant;
    FWriteTotalMultiplier = source.FWriteTotalMultiplier;
    FWriteTotalConstant = source.FWriteTotalConstant;
}

TCommTimeoutsImage TComTimeouts::Image() const
{
    return MakeCommTimeouts(FReadInterval, FReadTotalMultiplier, FReadTotalConstant, FWriteTotalMultiplier,
                            FWriteTotalConstant);
}

// --- TBComPort: settings ---

TBComPort::TBComPort(QObject* parent) : TPortOperations(parent), FTimeouts(std::make_unique<TComTimeouts>(this))
{
    FAppliedTimeouts = FTimeouts->Image();
}

TBComPort::~TBComPort()
{
    // The owner's handlers may already be half destroyed (members of a
    // window go before its children): nothing more is delivered.
    FDestroying = true;
    try {
        Close();
    } catch (const std::exception& error) {
        // The lines could not be switched off; release the device all the same.
        qWarning("%s", error.what());
        DestroyEventThread();
        DestroyHandle();
        FConnected = false;
    }
    FTimeouts.reset();
}

void TBComPort::Raise(const char* message) const { throw EComPort(QString::fromUtf8(message)); }

void TBComPort::Fail(const char* message, int err)
{
    // Only a running session can lose its device; a failing Open is an Open error.
    if (FEventThread && (FDeviceLost || DeviceGone(err))) {
        AnnounceDeviceLost();
        throw EComDeviceLost(QString::fromUtf8(message));
    }
    Raise(message);
}

void TBComPort::RaiseBusy(const QString& path, bool locked) const
{
    QString device = QFileInfo(path).canonicalFilePath();
    if (device.isEmpty())
        device = path;
    QString holders = locked ? DeviceLockHolders(device) : QString();
    if (holders.isEmpty())
        holders = DeviceHolders(device);
    const QString busy = QString::fromUtf8(MsgBusy);
    throw EComPort(holders.isEmpty() ? busy : busy + QStringLiteral(": ") + holders);
}

void TBComPort::AnnounceDeviceLost()
{
    if (FDeviceLost.exchange(true))
        return;
    const std::uint64_t session = FSession;
    QMetaObject::invokeMethod(
        this,
        [this, session] {
            if (!FConnected || FSession != session || !OnDeviceLost)
                return;
            try {
                OnDeviceLost(this);
            } catch (const std::exception& error) {
                ReportPortError(error);
            } catch (...) {
                ReportPortError(std::runtime_error("Неизвестная ошибка в обработчике порта"));
            }
        },
        Qt::QueuedConnection);
}

void TBComPort::SetBaudRate(TBaudRate value)
{
    if (value == FBaudRate)
        return;
    FBaudRate = value;
    ApplyDCB();
}

void TBComPort::SetByteSize(TByteSize value)
{
    if (value == FByteSize)
        return;
    FByteSize = value;
    ApplyDCB();
}

void TBComPort::SetParity(TParity value)
{
    if (value == FParity)
        return;
    FParity = value;
    ApplyDCB();
}

void TBComPort::SetStopBits(TStopBits value)
{
    if (value == FStopBits)
        return;
    FStopBits = value;
    ApplyDCB();
}

void TBComPort::SetInBufSize(int value)
{
    if (value == FInBufSize)
        return;
    FInBufSize = value > 0 && value % 2 == 1 ? value - 1 : value;
    ApplyBuffers();
}

void TBComPort::SetOutBufSize(int value)
{
    if (value == FOutBufSize)
        return;
    FOutBufSize = value > 0 && value % 2 == 1 ? value - 1 : value;
    ApplyBuffers();
}

void TBComPort::SetPort(const QString& value)
{
    if (FConnected)
        Raise(MsgWhileOpen);
    FPort = value;
}

void TBComPort::SetSyncMethod(TSyncMethod value)
{
    if (value == FSyncMethod)
        return;
    if (FConnected)
        Raise(MsgWhileOpen);
    FSyncMethod = value;
}

void TBComPort::SetTimeouts(const TComTimeouts& value)
{
    FTimeouts->Assign(value);
    ApplyTimeouts();
}

// --- Opening and closing ---

void TBComPort::Open()
{
    if (FConnected)
        return;
    FDeviceLost = false;
    CreateHandle();
    FConnected = true;
    try {
        ApplySettings();
        // The event thread's wake-up descriptor: without it Close could not end the thread.
        if (FWakeFd < 0)
            FWakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (FWakeFd < 0)
            Raise(MsgSetup);
    } catch (...) {
        DestroyHandle();
        FConnected = false;
        throw;
    }
    CreateEventThread();
}

void TBComPort::CreateHandle()
{
    const QString path = ResolvePortPath(FPort);
    const QByteArray native = QFile::encodeName(path);
    const int fd = path.isEmpty() ? -1 : ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = path.isEmpty() ? ENOENT : errno;
        if (err == ENOENT || err == ENXIO || err == ENODEV || err == ENOTDIR)
            Raise(MsgNoPort);
        if (err == EACCES || err == EPERM) {
            const QString device = QFileInfo(path).canonicalFilePath();
            throw EComPort(AccessDeniedMessage(AccessFacts(FPort, device.isEmpty() ? path : device)));
        }
        // Held with TIOCEXCL by another program.
        if (err == EBUSY)
            RaiseBusy(path, false);
        // Any other refusal leaves no handle, and applying the settings fails.
        FHandle = -1;
        return;
    }
    // flock keeps out other programs and other instances, root included;
    // TIOCEXCL also keeps out programs that do not lock.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        RaiseBusy(path, true);
    }
    ::ioctl(fd, TIOCEXCL);
    // Best effort: a driver without the setting (a pseudo-terminal) is no fault.
    FLowLatency = RequestLowLatency(fd);
    // A freshly opened port starts with empty queues: what an earlier user left
    // unread is not this session's data.
    ::tcflush(fd, TCIFLUSH);
    FHandle = fd;
    FNoModemLines = false;
}

void TBComPort::DestroyHandle()
{
    if (FHandle < 0)
        return;
    // Discard what cannot be sent, or close() may wait for it up to 30 s.
    ::tcflush(FHandle, TCIOFLUSH);
    ::ioctl(FHandle, TIOCNXCL);
    ::flock(FHandle, LOCK_UN);
    ::close(FHandle);
    FHandle = -1;
    FLowLatency = false;
}

void TBComPort::ApplySettings()
{
    ApplyBuffers();
    ApplyDCB();
    ApplyTimeouts();
}

void TBComPort::Close()
{
    if (!FConnected || FClosing)
        return;
    if (FEventThread && QThread::currentThread() == FEventThread) {
        // A handler on the event thread (smNone) cannot wait for its own
        // thread: the owner closes the port as soon as it gets there.
        FEventThread->SignalClose();
        QMetaObject::invokeMethod(
            this,
            [this] {
                try {
                    Close();
                } catch (const std::exception& error) {
                    ReportPortError(error);
                }
            },
            Qt::QueuedConnection);
        return;
    }
    FClosing = true;
    struct TReset {
        bool& Flag;
        ~TReset() { Flag = false; }
    } reset{FClosing};

    // A vanished device has no lines left to switch; it is released all the same.
    if (!FDeviceLost) {
        if (!ModemLines(TIOCMBIC, TIOCM_DTR) && !DeviceGone(errno))
            Raise(MsgEscape);
        if (!ModemLines(TIOCMBIC, TIOCM_RTS) && !DeviceGone(errno))
            Raise(MsgEscape);
        AbortAll();
    }
    DestroyEventThread();
    DestroyHandle();
    FConnected = false;
}

void TBComPort::ApplyBuffers()
{
    if (!FConnected)
        return;
    // The kernel's queues have a fixed size; InBufSize still sets when the
    // input queue counts as 80 percent full.
    if (FHandle < 0 || ::fcntl(FHandle, F_GETFD) < 0)
        Raise(MsgSetup);
    FAppliedInBufSize = FInBufSize;
}

void TBComPort::ApplyDCB()
{
    if (!FConnected)
        return;
    const TTermiosImage image = MakeTermios(MakeDcb(LineSettings()));
    if (FHandle < 0)
        Raise(MsgCommState);
    if (!SetTermios(FHandle, image))
        Fail(MsgCommState, errno);
    // DTR_CONTROL_ENABLE and RTS_CONTROL_ENABLE: both lines on.
    if (!ModemLines(TIOCMBIS, TIOCM_DTR | TIOCM_RTS))
        Fail(MsgCommState, errno);
}

void TBComPort::ApplyTimeouts()
{
    if (!FConnected)
        return;
    // Reads and writes wait in ReadStr/WriteStr by these values; the device
    // itself only has to be there.
    TTermiosImage current;
    if (FHandle < 0)
        Raise(MsgTimeouts);
    if (!GetTermios(FHandle, current))
        Fail(MsgTimeouts, errno);
    FAppliedTimeouts = FTimeouts->Image();
}

// --- Lines ---

bool TBComPort::ModemLines(unsigned long request, int bits)
{
    // A device that once said it has no modem lines is not asked again: the
    // engine switches RTS twice an exchange.
    if (FHandle >= 0 && FNoModemLines)
        return true;
    if (FHandle >= 0 && ::ioctl(FHandle, request, &bits) == 0)
        return true;
    if (FHandle < 0)
        errno = EBADF;
    FNoModemLines = FHandle >= 0 && NoModemLines(errno);
    return FNoModemLines;
}

void TBComPort::SetRTS(bool state)
{
    if (!ModemLines(state ? TIOCMBIS : TIOCMBIC, TIOCM_RTS))
        Fail(MsgEscape, errno);
}

void TBComPort::SetRxGrouping(int expect)
{
    const std::uint32_t baud = std::max<std::uint32_t>(BaudRateValue(FBaudRate), 1);
    // Start bit, data bits, parity bit and stop bits (one and a half counted as two).
    const std::uint32_t bits =
        1 + 5 + static_cast<std::uint32_t>(FByteSize) + (FParity == paNone ? 0 : 1) + (FStopBits == sb1 ? 1 : 2);
    FRxCharUs = static_cast<int>(std::clamp<std::uint32_t>(bits * 1000000 / baud, 1, 50000));
    FRxSinceGrouping = 0;
    FRxGrouping = expect;
}

void TBComPort::SetDTR(bool state)
{
    if (!ModemLines(state ? TIOCMBIS : TIOCMBIC, TIOCM_DTR))
        Fail(MsgEscape, errno);
}

TModemSignals TBComPort::ModemSignals()
{
    int bits = 0;
    if (FHandle < 0 || ::ioctl(FHandle, TIOCMGET, &bits) != 0) {
        if (FHandle < 0)
            Raise(MsgModemStatus);
        if (NoModemLines(errno))
            return {};
        Fail(MsgModemStatus, errno);
    }
    TModemSignals lines;
    if (bits & TIOCM_CTS)
        lines.Include(msCTS);
    if (bits & TIOCM_DSR)
        lines.Include(msDSR);
    if (bits & TIOCM_RNG)
        lines.Include(msRing);
    if (bits & TIOCM_CAR)
        lines.Include(msRLSD);
    return lines;
}

int TBComPort::InputCount()
{
    int count = 0;
    if (FHandle < 0)
        Raise(MsgClearError);
    if (::ioctl(FHandle, FIONREAD, &count) != 0)
        Fail(MsgClearError, errno);
    FErrorWord = 0;
    return count;
}

int TBComPort::UnreadCount() const
{
    int count = 0;
    return FHandle >= 0 && ::ioctl(FHandle, FIONREAD, &count) == 0 ? count : 0;
}

void TBComPort::AbortAll()
{
    // Reads and writes complete within their own call here, so there is no
    // pending operation to abort; the queues are left as they are.
    if (FHandle < 0 || ::fcntl(FHandle, F_GETFD) < 0)
        Raise(MsgPurge);
}

// --- Reading and writing ---

int TBComPort::WriteStr(const QByteArray& text)
{
    if (text.isEmpty())
        return 0;
    if (FHandle < 0)
        Raise(MsgWrite);
    const std::int64_t limit = WriteLimitMs(FAppliedTimeouts, static_cast<int>(text.size()));
    const auto deadline = After(limit < 0 ? 0 : limit);
    qsizetype written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(FHandle, text.constData() + written, static_cast<size_t>(text.size() - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            Fail(MsgWrite, errno);
        pollfd p{FHandle, POLLOUT, 0};
        const int r = ::poll(&p, 1, Remaining(deadline, limit >= 0));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            Fail(MsgWrite, errno);
        if (p.revents & (POLLHUP | POLLERR))
            Fail(MsgWrite, EIO); // hung up
        if (p.revents & POLLNVAL)
            Raise(MsgWrite);
        if (r == 0)
            break; // the write limit ran out: what went out is the result
    }
    FTxPending = true;
    // Woken to watch the output queue; a thread waiting on a hand-over in
    // service looks at it anyway when the handler is done, and a wake-up then
    // would only cost it a turn before it waits for the answer.
    if (!FHandOver.InService())
        WakeThread();
    return static_cast<int>(written);
}

int TBComPort::ReadStr(QByteArray& text, int count)
{
    text.clear();
    if (count <= 0)
        return 0;
    if (FHandle < 0)
        Raise(MsgRead);
    const TReadPlan plan = MakeReadPlan(FAppliedTimeouts, count);
    text.resize(count);
    int got = 0;

    // Takes what waits; false once nothing more waits.
    const auto take = [&] {
        while (got < count) {
            const ssize_t n = ::read(FHandle, text.data() + got, static_cast<size_t>(count - got));
            if (n > 0) {
                got += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN)
                return false;
            // 0 with VMIN 1 is a hang-up, not an empty queue.
            text.clear();
            Fail(MsgRead, n == 0 ? EIO : errno);
        }
        return true;
    };
    // Waits up to ms (-1: without limit) for input; false when the time ran out.
    const auto wait = [&](int ms) {
        for (;;) {
            pollfd p{FHandle, POLLIN, 0};
            const int r = ::poll(&p, 1, ms);
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0) {
                text.clear();
                Fail(MsgRead, errno);
            }
            return r > 0;
        }
    };

    take();
    if (plan.Mode == TReadMode::WaitForFirst && got == 0) {
        if (wait(static_cast<int>(std::min<std::int64_t>(plan.TotalMs, 1 << 30))))
            take();
    } else if (plan.Mode == TReadMode::Timed) {
        const auto total = After(plan.TotalMs < 0 ? 0 : plan.TotalMs);
        while (got < count) {
            int ms = Remaining(total, plan.TotalMs >= 0);
            if (got > 0 && plan.IntervalMs >= 0) {
                const int interval = static_cast<int>(std::min<std::int64_t>(plan.IntervalMs, 1 << 30));
                ms = ms < 0 ? interval : std::min(ms, interval);
            }
            if (ms == 0 || !wait(ms))
                break;
            take();
        }
    }
    text.resize(got);
    // What was read no longer counts as reported-and-waiting.
    int announced = FAnnounced.load();
    while (!FAnnounced.compare_exchange_weak(announced, std::max(0, announced - got))) {
    }
    return got;
}

// --- Delivery ---

void TBComPort::DispatchEvents(TComEvents events)
{
    static constexpr TComEvent order[] = {evError, evRxChar, evTxEmpty, evRing, evCTS, evDSR, evRLSD, evRx80Full};
    for (TComEvent event : order) {
        if (!FConnected || FDestroying)
            return; // a handler closed the port, or it is going away
        if (events.Contains(event))
            RunStep(event);
    }
}

void TBComPort::RunStep(TComEvent event)
{
    try {
        switch (event) {
        case evError:
            DoError();
            break;
        case evRxChar:
            DoRxChar();
            break;
        case evTxEmpty:
            DoTxEmpty();
            break;
        case evRing:
            DoRing();
            break;
        case evCTS:
            DoCTSChange();
            break;
        case evDSR:
            DoDSRChange();
            break;
        case evRLSD:
            DoRLSDChange();
            break;
        case evRx80Full:
            DoRx80Full();
            break;
        }
    } catch (const EComDeviceLost&) {
        // Told once by OnDeviceLost, not as an error of its own.
    } catch (const std::exception& error) {
        ReportPortError(error);
    } catch (...) {
        ReportPortError(std::runtime_error("Неизвестная ошибка в обработчике порта"));
    }
}

void TBComPort::DoError()
{
    int count = 0;
    if (FHandle < 0)
        Raise(MsgClearError);
    if (::ioctl(FHandle, FIONREAD, &count) != 0)
        Fail(MsgClearError, errno);
    const TComErrors errors = ErrorsFromWord(FErrorWord.exchange(0), FParity != paNone);
    if (!errors.Empty() && OnError)
        OnError(this, errors);
}

void TBComPort::DoRxChar()
{
    const int count = InputCount();
    int announced = FAnnounced.load();
    while (announced < count && !FAnnounced.compare_exchange_weak(announced, count)) {
    }
    if (count > 0 && OnRxChar)
        OnRxChar(this, count);
}

void TBComPort::DoTxEmpty()
{
    if (OnTxEmpty)
        OnTxEmpty(this);
}

void TBComPort::DoRing()
{
    if (OnRing)
        OnRing(this);
}

void TBComPort::DoCTSChange()
{
    if (OnCTSChange)
        OnCTSChange(this, ModemSignals().Contains(msCTS));
}

void TBComPort::DoDSRChange()
{
    if (OnDSRChange)
        OnDSRChange(this, ModemSignals().Contains(msDSR));
}

void TBComPort::DoRLSDChange()
{
    if (OnRLSDChange)
        OnRLSDChange(this, ModemSignals().Contains(msRLSD));
}

void TBComPort::DoRx80Full()
{
    if (OnRx80Full)
        OnRx80Full(this);
}

// --- The event thread ---

void TBComPort::WakeThread() const
{
    if (FWakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(FWakeFd, &one, sizeof one);
    }
}

void TBComPort::CreateEventThread()
{
    ++FSession;
    FDeviceLost = false;
    FAnnounced = 0;
    FTxPending = false;
    FErrorWord = 0;
    FHandOver.Begin();
    FEventThread = new TComThread(this);
    FEventThread->start(FPriority);
}

void TBComPort::DestroyEventThread()
{
    if (!FEventThread)
        return;
    FEventThread->SignalClose();
    FHandOver.WaitForEnd(QThread::currentThread() == thread(), [this](TComEvents events) { DispatchEvents(events); });
    FEventThread->wait();
    delete FEventThread;
    FEventThread = nullptr;
    if (FWakeFd >= 0) {
        ::close(FWakeFd);
        FWakeFd = -1;
    }
}

void TBComPort::ServeHandOver()
{
    FHandOver.Serve([this](TComEvents events) {
        DispatchEvents(events);
        // What a handler wrote has often left at once (a pseudo-terminal, an
        // adapter that takes it whole): the thread would see that as soon as
        // this batch is done and hand it over alone, one more turn for the
        // window. It is told here instead, as the thread would tell it, after
        // the events before it in the batch.
        if (FEventSet.Contains(evTxEmpty) && FConnected && !FDestroying && TakeWriteSent())
            RunStep(evTxEmpty);
    });
}

bool TBComPort::TakeWriteSent()
{
    int unsent = 0;
    if (!FTxPending || (::ioctl(FHandle, TIOCOUTQ, &unsent) == 0 && unsent > 0))
        return false;
    FTxPending = false;
    return true;
}
