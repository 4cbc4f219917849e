#pragma once

#include "port/ComTermios.h"
#include "port/ComTypes.h"
#include "port/EnumComPorts.h"
#include "port/HandOver.h"
#include "port/PortOperations.h"

#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>

// Every failure of the port component, with its Russian message (UTF-8 in what()).
class EComPort : public std::runtime_error {
public:
    explicit EComPort(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
};

// A read, write or query that failed because the device has vanished: the
// operation's own message, but the failure is the loss, which OnDeviceLost
// reports once. Whoever catches it need not tell the user again.
class EComDeviceLost : public EComPort {
public:
    using EComPort::EComPort;
};

// Where an exception thrown by an event handler during a delivery goes; the
// delivery goes on after it, so the port never goes deaf while still open.
// The default writes a warning; the main window installs its error box
// (ui::HandleException). The handler runs on the thread that delivered the
// event: the owner's thread, or the event thread with smNone.
using TPortErrorHandler = std::function<void(const std::exception&)>;
void SetPortErrorHandler(TPortErrorHandler handler);
void ReportPortError(const std::exception& error);

class TBComPort;

// Read and write timeouts in the meaning of the Win32 COMMTIMEOUTS record;
// a negative value stands for MAXDWORD.
class TComTimeouts {
public:
    explicit TComTimeouts(TBComPort* comPort = nullptr) : FComPort(comPort) {}
    TComTimeouts(const TComTimeouts&) = delete;
    TComTimeouts& operator=(const TComTimeouts&) = delete;

    int ReadInterval() const { return FReadInterval; }
    int ReadTotalMultiplier() const { return FReadTotalMultiplier; }
    int ReadTotalConstant() const { return FReadTotalConstant; }
    int WriteTotalMultiplier() const { return FWriteTotalMultiplier; }
    int WriteTotalConstant() const { return FWriteTotalConstant; }
    // Each setter stores a different value and applies it to an open port.
    void SetReadInterval(int value);
    void SetReadTotalMultiplier(int value);
    void SetReadTotalConstant(int value);
    void SetWriteTotalMultiplier(int value);
    void SetWriteTotalConstant(int value);

    // Copies the five values without the setters (nothing is applied).
    void Assign(const TComTimeouts& source);
    TCommTimeoutsImage Image() const;

private:
    void Set(int& field, int value);

    TBComPort* FComPort;
    int FReadInterval = -1;
    int FReadTotalMultiplier = 0;
    int FReadTotalConstant = 0;
    int FWriteTotalMultiplier = 100;
    int FWriteTotalConstant = 1000;
};

class TComThread;

class TBComPort : public TPortOperations {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;
    using TComSignalEvent = std::function<void(QObject* Sender, bool State)>;
    using TComErrorEvent = std::function<void(QObject* Sender, TComErrors Errors)>;

    explicit TBComPort(QObject* parent = nullptr);
    // Closes the port without delivering what is still pending: the main
    // window should Close it itself while its handlers are still whole.
    ~TBComPort() override;

    // Settings. A changed value is applied at once to an open port (failure
    // raises EComPort and the new value stays stored), else at the next Open.
    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate value);
    TByteSize ByteSize() const { return FByteSize; }
    void SetByteSize(TByteSize value);
    int InBufSize() const { return FInBufSize; }
    void SetInBufSize(int value); // a positive odd value is stored less 1
    int OutBufSize() const { return FOutBufSize; }
    void SetOutBufSize(int value);
    TParity Parity() const { return FParity; }
    void SetParity(TParity value);
    // Refused while open, even with the same name.
    QString Port() const { return FPort; }
    void SetPort(const QString& value);
    // Refused while open unless the value is the same.
    TSyncMethod SyncMethod() const { return FSyncMethod; }
    void SetSyncMethod(TSyncMethod value);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits value);
    TComTimeouts* Timeouts() const { return FTimeouts.get(); }
    void SetTimeouts(const TComTimeouts& value);
    TLineSettings LineSettings() const { return {FBaudRate, FByteSize, FParity, FStopBits}; }

    // Events, delivered by SyncMethod in the order of DispatchEvents.
    TComSignalEvent OnCTSChange;
    TComSignalEvent OnDSRChange;
    TComErrorEvent OnError;
    TNotifyEvent OnRing;
    TComSignalEvent OnRLSDChange;
    TNotifyEvent OnRx80Full;
    // OnRxChar is inherited from TPortOperations.
    TNotifyEvent OnTxEmpty;
    // The device vanished (hang-up, USB adapter pulled), seen by the event
    // thread or by an operation that failed for it (EComDeviceLost). Raised
    // once per Open, always on the owner's thread, after the current handler;
    // the port stays open until Close.
    TNotifyEvent OnDeviceLost;

    bool Connected() const override { return FConnected.load(); }
    // The driver of the open port hands characters on without delay (a USB
    // adapter's latency timer at 1 ms); false where it has no such setting.
    bool LowLatency() const { return FLowLatency; }
    // Open and Close run on the owner's thread. Close serves a synchronous
    // delivery that waits for this thread, so it never deadlocks, also when
    // called from inside a handler.
    void Open();
    void Close();

    void ApplyBuffers();
    void ApplyDCB();
    void ApplyTimeouts();

    // A device without modem lines (a pseudo-terminal) ignores these.
    void SetRTS(bool state) override;
    void SetRxGrouping(int expect) override;
    void SetDTR(bool state);
    TModemSignals ModemSignals();
    int InputCount();
    int UnreadCount() const override;
    int WriteStr(const QByteArray& text) override;
    int ReadStr(QByteArray& text, int count) override;
    void AbortAll();

    // One delivery, in the fixed order DoError, DoRxChar, DoTxEmpty, DoRing,
    // DoCTSChange, DoDSRChange, DoRLSDChange, DoRx80Full. What a step throws
    // goes to the port error handler and the next step runs.
    void DispatchEvents(TComEvents events);
    void DoError();
    void DoRxChar();
    void DoTxEmpty();
    void DoRing();
    void DoCTSChange();
    void DoDSRChange();
    void DoRLSDChange();
    void DoRx80Full();

    QThread::Priority FPriority = QThread::NormalPriority;
    TComEvents FEventSet = AllComEvents;

private:
    friend class TComThread;

    [[noreturn]] void Raise(const char* message) const;
    // Raises message for a failure with errno err: EComDeviceLost, and the loss
    // announced, when the device of the running session is gone.
    [[noreturn]] void Fail(const char* message, int err);
    // "Порт занят другой программой", naming the holders: of the lock when
    // locked, else whoever has the device open.
    [[noreturn]] void RaiseBusy(const QString& path, bool locked) const;
    void AnnounceDeviceLost();
    void CreateHandle();
    void DestroyHandle();
    void ApplySettings();
    void CreateEventThread();
    void DestroyEventThread();
    void ServeHandOver();
    void RunStep(TComEvent event);
    void WakeThread() const;
    // A pending write seen sent: its output queue is empty, or can no longer
    // be asked. Clears the pending write when it says so.
    bool TakeWriteSent();
    bool ModemLines(unsigned long request, int bits);

    TBaudRate FBaudRate = br9600;
    TByteSize FByteSize = bs8;
    int FInBufSize = 2048;
    int FOutBufSize = 2048;
    TParity FParity = paNone;
    QString FPort = QStringLiteral("COM2");
    TSyncMethod FSyncMethod = smThreadSync;
    TStopBits FStopBits = sb1;
    std::unique_ptr<TComTimeouts> FTimeouts;

    std::atomic<bool> FConnected{false};
    std::atomic<bool> FDestroying{false};
    int FHandle = -1;
    bool FNoModemLines = false; // of the open device
    int FWakeFd = -1;
    TComThread* FEventThread = nullptr;
    bool FClosing = false;
    bool FLowLatency = false;
    TCommTimeoutsImage FAppliedTimeouts;
    std::atomic<int> FAppliedInBufSize{2048};

    // Shared with the event thread.
    std::atomic<std::uint64_t> FSession{0};
    std::atomic<bool> FDeviceLost{false};
    std::atomic<int> FAnnounced{0}; // waiting characters already reported
    std::atomic<int> FRxGrouping{-1};
    std::atomic<int> FRxSinceGrouping{0}; // characters reported since the owner set FRxGrouping
    std::atomic<int> FRxCharUs{1042};    // one character's time on the line, in microseconds
    std::atomic<bool> FTxPending{false}; // written, not yet seen sent
    std::atomic<std::uint32_t> FErrorWord{0};

    THandOver FHandOver;
};
