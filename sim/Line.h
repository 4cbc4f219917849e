#pragma once

#include "sim/Bus.h"

#include <QByteArray>

#include <deque>
#include <vector>

namespace sim {

// Times the bus's pieces as a real line would carry them: the echo character by
// character as the program's request goes out, the answer a turnaround after the
// request's last character, each character one character time after the one
// before. Times are microseconds on any monotonic clock the caller likes.
class TLine {
public:
    // 8N1: ten bits a character. 0 means no pacing at all.
    void SetBaud(int baud) { FCharUs = baud > 0 ? 10'000'000LL / baud : 0; }
    void SetTurnaroundUs(long long us) { FTurnaroundUs = us; }
    long long CharUs() const { return FCharUs; }

    void Push(long long nowUs, const std::vector<TPiece>& pieces);
    bool Empty() const { return FQueue.empty(); }
    // When the next character is due; only when not Empty().
    long long NextDueUs() const;
    // Every character due by now, in line order.
    QByteArray TakeDue(long long nowUs);
    // Is a device's answer going out now? A request that arrives then
    // collides with it on a half-duplex line.
    bool Answering(long long nowUs) const;

private:
    struct TTimed {
        long long StartUs;
        QByteArray Bytes;
        bool Echo = false;
        qsizetype Sent = 0;
    };
    long long FCharUs = 0;
    long long FTurnaroundUs = 0;
    std::deque<TTimed> FQueue;
};

} // namespace sim
