#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QTimer>

#include <exception>

class TPortOperations;

// Address of the polled device: three characters once a start succeeded.
extern QByteArray DeviceNumber;
// True while polling runs; nothing goes on the line while it is false.
extern bool PollActive;

// What the exchange measured of the current polling run.
struct TResponseTimes {
    int Count = 0;
    double LastMs = 0;
    double MinMs = 0;
    double MaxMs = 0;
    double SumMs = 0;
    double MeanMs() const { return Count ? SumMs / Count : 0; }
};

// Why a link was declared lost.
enum class TLinkLossCause { NoEcho, NoAnswer };
// The cause as a technician reads it, with what to check.
QString LossCauseText(TLinkLossCause cause);

// The rules of the exchange, without a window: one request outstanding, the
// echo and RTS, frame assembly, the response timer with its four resends, the
// counters and the lost link at the fifth timeout. The main window and the
// command line are its two faces; each says what a frame, a lost link, a log
// line and new counters mean to it.
class TExchangeEngine {
public:
    TExchangeEngine();
    virtual ~TExchangeEngine();
    TExchangeEngine(const TExchangeEngine&) = delete;
    TExchangeEngine& operator=(const TExchangeEngine&) = delete;

    void SendRequest(const QByteArray& request);
    // Reads Count characters from the line and acts on them.
    void ReceiveChars(int Count);
    // The response timer expired.
    void ResponseTimeout();
    bool FindFrameStart();
    bool TakeFrame(QByteArray& frame);
    // Complete frames in FRxBuffer, each to be taken by an event of its own,
    // counted up to atMost: no more are asked for, and the buffer may hold thousands.
    qsizetype FramesWaiting(qsizetype atMost) const;

    // A new polling run: nothing held back, nothing measured yet.
    void ResetRun();
    // Drops a request held back after a late answer (another model chosen).
    void DropHeldRequest();
    const TResponseTimes& ResponseTimes() const { return FTimes; }
    TLinkLossCause LastLossCause() const { return FLossCause; }
    bool HoldingBack() const { return FHolding; }
    // Timeouts in a row that declare the link lost: 5 (four resends) unless a
    // face that asks many addresses once each sets fewer.
    void SetTimeoutLimit(int limit) { FTimeoutLimit = limit < 1 ? 1 : limit; }
    int TimeoutLimit() const { return FTimeoutLimit; }

    // Engine state.
    QByteArray FRxBuffer;
    QByteArray FLastRequest;
    int FRetryCount = 0;
    int FRequestCount = 0;
    int FResponseCount = 0;
    int FErrorCount = 0;
    bool FFrameStarted = false;
    bool FEchoPending = false;

    // Noise without a CR must not grow the receive buffer without end.
    static constexpr int RxBufferLimit = 4096;
    // How long the line must stay quiet after an answer to a resent request
    // before the next request goes out: as long as the response timer, since
    // such a device has shown that it can answer that late.
    static constexpr int QuietAfterLateMs = 300;
    // How long the line must stay quiet once every send has its answer.
    static constexpr int QuietAfterAnsweredMs = 20;

protected:
    // The face's line and response timer; both outlive the engine's use of them.
    void AttachLine(TPortOperations* port, QTimer* responseTimer);
    TPortOperations* FPort = nullptr;

    virtual void LogLine(const QByteArray& text) = 0;
    virtual void UpdateCounters() = 0;
    // A complete frame, counted and logged.
    virtual void DeliverFrame(const QByteArray& frame) = 0;
    // The fifth timeout in a row.
    virtual void DeclareLinkLost() = 0;
    // What a request sent after the quiet raised: no handler of the face is
    // on the stack then to take it.
    virtual void ReportError(const std::exception& error) = 0;

private:
    void EndQuiet();

    QTimer* FResponseTimer = nullptr;
    QTimer FQuietTimer;
    bool FHolding = false;
    QByteArray FHeldRequest;
    // Measuring: from the request's last character written to the answer's CR.
    QElapsedTimer FSentAt;
    bool FEchoSeen = false;
    TResponseTimes FTimes;
    // Characters of the last answer to each request, its CR included: the
    // port is told how many to gather before it hands an answer over.
    QHash<QByteArray, int> FAnswerLengths;
    // When each send still without an answer went out (on FClock, in ms):
    // the first send of a request and its resends.
    QList<qint64> FUnanswered;
    QElapsedTimer FClock;
    TLinkLossCause FLossCause = TLinkLossCause::NoAnswer;
    int FTimeoutLimit = 5;
};
