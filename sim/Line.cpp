#include "sim/Line.h"

#include <algorithm>

namespace sim {

void TLine::Push(long long nowUs, const std::vector<TPiece>& pieces)
{
    long long cursor = nowUs;
    bool afterEcho = false;
    for (const TPiece& piece : pieces) {
        long long start = cursor + piece.GapMs * 1000LL;
        if (piece.Echo) {
            start = nowUs;
            afterEcho = true;
        } else if (afterEcho) {
            // The device hears the request only when its last character is through.
            start += FTurnaroundUs;
            afterEcho = false;
        }
        cursor = start + FCharUs * piece.Bytes.size();
        // Pieces go out whole and in order of their start: a late answer never
        // cuts into an echo that began before it.
        const auto at = std::upper_bound(FQueue.begin(), FQueue.end(), start,
                                         [](long long s, const TTimed& t) { return s < t.StartUs; });
        FQueue.insert(at, TTimed{start, piece.Bytes, piece.Echo});
    }
}

bool TLine::Answering(long long nowUs) const
{
    return std::any_of(FQueue.begin(), FQueue.end(),
                       [nowUs](const TTimed& t) { return !t.Echo && t.StartUs <= nowUs; });
}

long long TLine::NextDueUs() const
{
    const TTimed& t = FQueue.front();
    return t.StartUs + FCharUs * (t.Sent + 1);
}

QByteArray TLine::TakeDue(long long nowUs)
{
    QByteArray out;
    while (!FQueue.empty()) {
        TTimed& t = FQueue.front();
        if (nowUs < t.StartUs + FCharUs)
            break;
        const qsizetype due =
            FCharUs == 0 ? t.Bytes.size() : std::min<qsizetype>(t.Bytes.size(), (nowUs - t.StartUs) / FCharUs);
        out += t.Bytes.mid(t.Sent, due - t.Sent);
        t.Sent = due;
        if (t.Sent < t.Bytes.size())
            break;
        const long long end = t.StartUs + FCharUs * t.Bytes.size();
        FQueue.pop_front();
        // The line is busy until this piece's last character is out.
        if (!FQueue.empty() && FQueue.front().StartUs < end)
            FQueue.front().StartUs = end;
    }
    return out;
}

} // namespace sim
