#pragma once

#include "cli/Options.h"
#include "cli/Output.h"
#include "engine/ExchangeEngine.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <memory>

class TBComPort;
class TPortOperations;

namespace cli {

// The command line's face of the exchange engine: one command's run, from the
// first request to the exit status, with each answer printed as it comes.
class TCliSession final : public TExchangeEngine {
public:
    using TSink = std::function<void(const QString& line)>;
    // port replaces the serial port the options name (tests drive a scripted fake).
    TCliSession(TSink out, TSink err, TPortOperations* port = nullptr);
    ~TCliSession() override;

    // Opens the port and sends the first request; false when the run ended at once.
    bool Start(const TOptions& options);
    // Start, then serve the line until the run ends; the exit status.
    int Run(const TOptions& options);
    // Ends the run from outside (a signal), as the given status.
    void Stop(int status);

    bool Finished() const { return FFinished; }
    int ExitStatus() const { return FStatus; }
    // Whether stderr shows a progress line that is rewritten in place.
    bool FProgressInPlace = false;

protected:
    void LogLine(const QByteArray& text) override;
    void UpdateCounters() override {}
    void DeliverFrame(const QByteArray& frame) override;
    void DeclareLinkLost() override;
    void ReportError(const std::exception& error) override;

private:
    void Send(const QByteArray& request);
    void Finish(int status, const QString& message = QString());
    void Print(const TRecord& record);
    TRecord RecordOf(const QByteArray& frame);
    void OnStatus(const QByteArray& frame);
    void OnScan(const QByteArray& frame);
    void OnRead(const QByteArray& frame);
    void OnRaw(const QByteArray& frame);
    void PollNext();
    void ScanNext();
    void ScanDone();
    QString LossMessage() const;

    TSink FOut;
    TSink FErr;
    std::unique_ptr<TBComPort> FOwnPort;
    TPortOperations* FLine = nullptr;
    QTimer FTimer;
    QTimer FPause;
    QEventLoop FLoop;
    TOptions FOptions;
    TRecordWriter FWriter{TFormat::Json};
    TReadPlan FPlan;
    bool FFinished = false;
    int FStatus = ExitOk;
    int FMeasured = 0; // response times the engine had measured at the last answer
    int FAnswers = 0;
    bool FBadAnswer = false;
    // Scanning.
    int FScanAddress = 0;
    int FFound = 0;
    bool FEchoEver = false;
    QElapsedTimer FScanClock;
};

} // namespace cli
