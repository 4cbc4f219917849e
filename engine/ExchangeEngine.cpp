#include "engine/ExchangeEngine.h"

#include "port/PortOperations.h"

#include <algorithm>
#include <utility>

QByteArray DeviceNumber;
bool PollActive = false;

TExchangeEngine::TExchangeEngine()
{
    FClock.start();
    FQuietTimer.setSingleShot(true);
    QObject::connect(&FQuietTimer, &QTimer::timeout, &FQuietTimer, [this] { EndQuiet(); });
}

TExchangeEngine::~TExchangeEngine() = default;

void TExchangeEngine::AttachLine(TPortOperations* port, QTimer* responseTimer)
{
    FPort = port;
    FResponseTimer = responseTimer;
}

void TExchangeEngine::SendRequest(const QByteArray& request)
{
    if (!PollActive || !FPort || !FPort->Connected())
        return;
    if (FHolding) {
        // The device may still be answering an earlier send: this one waits.
        // The first held is kept, so a command is not displaced by the poll
        // that a second answer asks for.
        if (FHeldRequest.isEmpty())
            FHeldRequest = request;
        return;
    }
    FFrameStarted = false;
    FEchoPending = true;
    FEchoSeen = false;
    LogLine(request);
    FLastRequest = request;
    FPort->SetRTS(false);
    // The echo is the request itself: handed over whole, at its last character.
    FPort->SetRxGrouping(static_cast<int>(request.size()));
    // An armed timer keeps running: a timer left over from before "Стоп" is
    // not restarted by the next start.
    if (!FResponseTimer->isActive())
        FResponseTimer->start();
    FPort->WriteStr(request);
    FSentAt.start();
    // At most the first send and its resends are unanswered at a time.
    if (FUnanswered.size() > FTimeoutLimit)
        FUnanswered.removeFirst();
    FUnanswered.append(FClock.elapsed());
    ++FRequestCount;
    UpdateCounters();
}

bool TExchangeEngine::FindFrameStart()
{
    const qsizetype start = FRxBuffer.indexOf('~');
    if (start < 0) {
        FRxBuffer.clear();
        return false;
    }
    FRxBuffer.remove(0, start);
    return true;
}

qsizetype TExchangeEngine::FramesWaiting(qsizetype atMost) const
{
    qsizetype frames = 0;
    for (qsizetype at = 0; frames < atMost; ++frames) {
        const qsizetype start = FRxBuffer.indexOf('~', at);
        const qsizetype end = start < 0 ? -1 : FRxBuffer.indexOf('\r', start);
        if (end < 0)
            return frames;
        at = end + 1;
    }
    return frames;
}

bool TExchangeEngine::TakeFrame(QByteArray& frame)
{
    const qsizetype end = FRxBuffer.indexOf('\r');
    if (end < 0)
        return false;
    frame = FRxBuffer.left(end);
    FRxBuffer.remove(0, end + 1);
    return true;
}

void TExchangeEngine::ReceiveChars(int Count)
{
    QByteArray chunk;
    FPort->ReadStr(chunk, Count);
    if (chunk.contains('#')) {
        FEchoPending = false;
        FEchoSeen = true;
    }
    if (!FEchoPending && chunk.contains('\r')) {
        FPort->SetRTS(true);
        // Nothing is due before the answer's end: it may come as one piece,
        // as long as the last answer to this request was.
        FPort->SetRxGrouping(FAnswerLengths.value(FLastRequest, 0));
    }
    if (FHolding) // the line is not quiet yet
        FQuietTimer.start(std::max(FQuietTimer.remainingTime(), QuietAfterLateMs));
    FRxBuffer.append(chunk);
    if (FRxBuffer.size() > RxBufferLimit) {
        // Keep the newest text; the frame begun, if any, is lost with the rest.
        FRxBuffer.remove(0, FRxBuffer.size() - RxBufferLimit);
        FFrameStarted = false;
    }
    if (!FFrameStarted) {
        if (!FindFrameStart())
            return;
        FFrameStarted = true;
    }
    QByteArray frame;
    if (!TakeFrame(frame))
        return;
    FResponseTimer->stop();
    // While holding back, a frame is a second answer to a request already
    // answered: it goes on as any frame, but no request waits for it. Measured
    // before the counters, so what a face shows beside them is this exchange.
    if (!FHolding && FSentAt.isValid()) {
        const double ms = FSentAt.nsecsElapsed() / 1e6;
        FTimes.LastMs = ms;
        FTimes.MinMs = FTimes.Count ? std::min(FTimes.MinMs, ms) : ms;
        FTimes.MaxMs = std::max(FTimes.MaxMs, ms);
        FTimes.SumMs += ms;
        ++FTimes.Count;
        // Polls repeat a handful of requests; a flood of distinct commands
        // must not grow the table without end.
        if (FAnswerLengths.size() >= 64)
            FAnswerLengths.clear();
        FAnswerLengths.insert(FLastRequest, static_cast<int>(frame.size()) + 1);
    }
    ++FResponseCount;
    UpdateCounters();
    // An answer after a resend may be the late answer to an earlier send, with
    // the answers to the later sends still to come: the next request waits
    // for them, or until the last send's answer, were it as late as this one,
    // is due and the line has been quiet after it. An answer to nothing sent
    // is followed by a quiet line too. Once every send has its answer, the
    // next request goes after a short quiet.
    // Answers already in the buffer, taken one an event, have come as well: a
    // send they answer is not awaited, or the wait would grow with each turn.
    const bool unasked = FUnanswered.isEmpty();
    const qint64 answered = unasked ? 0 : FUnanswered.takeFirst();
    const qsizetype awaited = FUnanswered.size() - FramesWaiting(FUnanswered.size());
    if (awaited > 0 || unasked) {
        const qint64 spread = unasked ? 0 : FUnanswered.last() - answered;
        const int hold = static_cast<int>(spread) + QuietAfterLateMs;
        if (!FHolding || hold > FQuietTimer.remainingTime())
            FQuietTimer.start(hold);
        FHolding = true;
        // Every arrival counts now: a character held back by grouping would
        // let the quiet end while an answer is on the line.
        FPort->SetRxGrouping(-1);
    } else if (FHolding) {
        FQuietTimer.start(QuietAfterAnsweredMs);
    }
    FRetryCount = 0;
    LogLine(frame);
    DeliverFrame(frame);
    FFrameStarted = false;
}

void TExchangeEngine::ResponseTimeout()
{
    FResponseTimer->stop();
    ++FErrorCount;
    ++FRetryCount;
    if (FRetryCount < FTimeoutLimit) {
        SendRequest(FLastRequest);
        return;
    }
    FRetryCount = 0;
    FUnanswered.clear(); // the link is given up: nothing is awaited any more
    FLossCause = FEchoSeen ? TLinkLossCause::NoAnswer : TLinkLossCause::NoEcho;
    DeclareLinkLost();
}

QString LossCauseText(TLinkLossCause cause)
{
    return cause == TLinkLossCause::NoEcho
               ? QStringLiteral("нет эха от адаптера (проверьте порт, адаптер, проводку)")
               : QStringLiteral("нет ответа от устройства (проверьте адрес, питание, шину)");
}

void TExchangeEngine::EndQuiet()
{
    // Characters already in, not yet handed over: the line is not quiet.
    if (FPort && FPort->UnreadCount() > 0) {
        FQuietTimer.start(QuietAfterLateMs);
        return;
    }
    FHolding = false;
    const QByteArray held = std::exchange(FHeldRequest, QByteArray());
    if (held.isEmpty())
        return;
    try {
        SendRequest(held);
    } catch (const std::exception& error) {
        ReportError(error);
    }
}

void TExchangeEngine::ResetRun()
{
    DropHeldRequest();
    FUnanswered.clear();
    FTimes = {};
}

void TExchangeEngine::DropHeldRequest()
{
    FQuietTimer.stop();
    FHolding = false;
    FHeldRequest.clear();
}
