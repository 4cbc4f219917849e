#include "port/ComThread.h"

#include "port/BCPort.h"

#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <linux/serial.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

bool ReadCounters(int fd, TLineCounters& counters)
{
    serial_icounter_struct ic{};
    if (::ioctl(fd, TIOCGICOUNT, &ic) != 0)
        return false;
    counters.Frame = static_cast<std::uint32_t>(ic.frame);
    counters.Parity = static_cast<std::uint32_t>(ic.parity);
    counters.Overrun = static_cast<std::uint32_t>(ic.overrun);
    counters.BufOverrun = static_cast<std::uint32_t>(ic.buf_overrun);
    counters.Break = static_cast<std::uint32_t>(ic.brk);
    counters.Cts = static_cast<std::uint32_t>(ic.cts);
    counters.Dsr = static_cast<std::uint32_t>(ic.dsr);
    counters.Ring = static_cast<std::uint32_t>(ic.rng);
    counters.Dcd = static_cast<std::uint32_t>(ic.dcd);
    return true;
}

// Waits while characters keep arriving one at a time, as on a line paced at
// its speed, until the expected number is there (expect > 0), a burst comes,
// or the line falls quiet; at most 50 ms in all. Rather than waking for each
// character it sleeps for as long as the awaited ones take at the line's pace
// (charUs a character), so a frame costs a few wake-ups and not one per
// character. Returns the characters then waiting; hangUp tells of a device
// that went away meanwhile. A stop or a write ends the wait unread: the
// caller's loop sees to it.
int GatherTrickle(int fd, int wakeFd, int waiting, int expect, int charUs, bool& hangUp)
{
    // Without an expected count, the time of a few characters at a time: an
    // answer's end is then seen within that time.
    constexpr int ChunkChars = 4;
    const int budgetUs = 50000;
    for (int spentUs = 0; spentUs < budgetUs && (expect == 0 || waiting < expect);) {
        const int awaited = expect > 0 ? expect - waiting : ChunkChars;
        // Half a character more, so the last awaited one is in when it is looked for.
        const int sleepUs = std::min(awaited * charUs + charUs / 2, budgetUs - spentUs);
        pollfd watch[2] = {{wakeFd, POLLIN, 0}, {fd, 0, 0}};
        const timespec pause{0, static_cast<long>(sleepUs) * 1000};
        const int n = ::ppoll(watch, 2, &pause, nullptr);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        if (watch[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            hangUp = true;
            return waiting;
        }
        if (watch[0].revents & POLLIN)
            return waiting;
        spentUs += sleepUs;
        int now = 0;
        if (::ioctl(fd, FIONREAD, &now) != 0) {
            hangUp = true;
            return waiting;
        }
        const int grown = now - waiting;
        waiting = now;
        // Nothing in that time, or, with no count awaited, fewer than the pace
        // brings: the sender has finished. More than the pace can bring: not a
        // paced line at all. A line a little slower than its speed goes on.
        if (grown == 0 || (expect == 0 && grown < awaited - 1) || grown > awaited + 1)
            break;
    }
    return waiting;
}

} // namespace

void TComThread::SignalClose()
{
    FPort->FHandOver.RequestStop();
    FPort->WakeThread();
}

void TComThread::Deliver(TComEvents events)
{
    TBComPort* port = FPort;
    switch (port->FSyncMethod) {
    case smNone:
        port->DispatchEvents(events);
        break;
    case smWindowSync: {
        // One message per event; the thread goes back to waiting at once.
        static constexpr TComEvent order[] = {evError, evRxChar, evTxEmpty, evRing, evCTS, evDSR, evRLSD, evRx80Full};
        const std::uint64_t session = port->FSession;
        for (TComEvent event : order)
            if (events.Contains(event))
                QMetaObject::invokeMethod(
                    port,
                    [port, event, session] {
                        if (port->FConnected && port->FSession == session)
                            port->RunStep(event);
                    },
                    Qt::QueuedConnection);
        break;
    }
    case smThreadSync:
        port->FHandOver.Post(events, [port] {
            QMetaObject::invokeMethod(
                port, [port] { port->ServeHandOver(); }, Qt::QueuedConnection);
        });
        FInFlight = true;
        break;
    }
}

void TComThread::ReportDeviceLost() { FPort->AnnounceDeviceLost(); }

void TComThread::run()
{
    TBComPort* port = FPort;
    const int fd = port->FHandle;
    const int epfd = ::epoll_create1(EPOLL_CLOEXEC);
    const auto stopRequested = [port] { return port->FHandOver.StopRequested(); };

    // The device is watched edge-triggered: a wake-up per arrival, so data
    // that a handler leaves unread does not make the loop spin.
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.u32 = 0;
    epoll_event dev{};
    dev.events = EPOLLIN | EPOLLET;
    dev.data.u32 = 1;
    if (epfd < 0 || ::epoll_ctl(epfd, EPOLL_CTL_ADD, port->FWakeFd, &wake) != 0 ||
        ::epoll_ctl(epfd, EPOLL_CTL_ADD, fd, &dev) != 0) {
        // Nothing can be waited for: the owner learns that the port is deaf.
        if (epfd >= 0)
            ::close(epfd);
        ReportDeviceLost();
        port->FHandOver.End();
        return;
    }
    bool lost = false;

    // Line errors and modem-line changes are not reported by poll; they are
    // read from the kernel's counters where the driver keeps them and from the
    // line states, every 100 ms. A pseudo-terminal has neither, and the thread
    // then sleeps until something arrives.
    TLineCounters counters;
    const bool watchCounters = ReadCounters(fd, counters);
    int modemBits = 0;
    const bool watchModem = ::ioctl(fd, TIOCMGET, &modemBits) == 0;
    bool rx80 = false;

    for (;;) {
        int timeout = -1;
        if (!lost && (watchCounters || watchModem))
            timeout = 100;
        // A handler under way may write: its output queue is looked at within
        // the same 10 ms as after any write.
        if (!lost && (port->FTxPending || FInFlight))
            timeout = 10;
        epoll_event ready[2];
        const int n = ::epoll_wait(epfd, ready, 2, timeout);
        // Whatever woke the thread is acted on only once the batch before is
        // served: handlers see one batch at a time, with what came meanwhile
        // in the next. Waiting for the line meanwhile spares a wake-up.
        if (FInFlight) {
            port->FHandOver.WaitServed();
            FInFlight = false;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        bool hangUp = false;
        for (int i = 0; i < n; ++i) {
            if (ready[i].data.u32 == 0) {
                std::uint64_t count;
                [[maybe_unused]] const ssize_t r = ::read(port->FWakeFd, &count, sizeof count);
            } else if (ready[i].events & (EPOLLHUP | EPOLLERR)) {
                hangUp = true;
            }
        }
        if (stopRequested())
            break;
        if (lost)
            continue;

        int waiting = 0;
        // Counted once: the gathering below counts again as it goes, and tells
        // of a failed count as a hang-up.
        const bool counted = !hangUp && ::ioctl(fd, FIONREAD, &waiting) == 0;
        if (counted) {
            // What is awaited counts from the owner's last word on it: what
            // was handed over since then is no longer awaited.
            int expect = port->FRxGrouping.load();
            const int announced = port->FAnnounced.load();
            if (expect > 0)
                expect = std::max(1, expect - port->FRxSinceGrouping.load() + announced);
            // A few new characters, fewer than awaited: the line trickles.
            const bool trickle = expect > 0 ? waiting < expect : waiting - announced <= 2;
            if (expect >= 0 && waiting > announced && trickle) {
                waiting = GatherTrickle(fd, port->FWakeFd, waiting, expect, port->FRxCharUs.load(), hangUp);
                // The characters gathered left their arrival standing on the
                // watch: it would wake the thread at once while the batch is
                // served, and it would sleep again until the batch is done.
                // Taken now and counted afresh, nothing that came is missed.
                // A wake-up of its own stays standing and is seen next turn.
                epoll_event standing[2];
                const int m = hangUp ? 0 : ::epoll_wait(epfd, standing, 2, 0);
                for (int i = 0; i < m; ++i)
                    if (standing[i].data.u32 == 1 && (standing[i].events & (EPOLLHUP | EPOLLERR)))
                        hangUp = true;
                if (!hangUp && ::ioctl(fd, FIONREAD, &waiting) != 0)
                    hangUp = true;
            }
        }
        if (hangUp || !counted) {
            // Stop watching the descriptor: after a hang-up it is ready forever.
            ::epoll_ctl(epfd, EPOLL_CTL_DEL, fd, nullptr);
            lost = true;
            ReportDeviceLost();
            continue;
        }

        TComEvents events;
        if (const int announced = port->FAnnounced.load(); waiting > announced) {
            events.Include(evRxChar);
            port->FRxSinceGrouping += waiting - announced;
            port->FAnnounced = waiting;
        }
        const int bufSize = port->FAppliedInBufSize.load();
        const bool nearlyFull = bufSize > 0 && waiting >= std::max(1, bufSize * 8 / 10);
        if (nearlyFull && !rx80)
            events.Include(evRx80Full);
        rx80 = nearlyFull;

        if (watchCounters) {
            TLineCounters now;
            if (ReadCounters(fd, now)) {
                events |= EventsFromCounters(counters, now);
                port->FErrorWord |= ErrorWordFromCounters(counters, now);
                counters = now;
            }
        }
        // Not every driver counts line changes; the states themselves tell.
        if (watchModem) {
            int bits = 0;
            if (::ioctl(fd, TIOCMGET, &bits) == 0) {
                const int changed = bits ^ modemBits;
                modemBits = bits;
                if (changed & TIOCM_CTS)
                    events.Include(evCTS);
                if (changed & TIOCM_DSR)
                    events.Include(evDSR);
                if (changed & TIOCM_RNG)
                    events.Include(evRing);
                if (changed & TIOCM_CAR)
                    events.Include(evRLSD);
            }
        }

        if (port->TakeWriteSent())
            events.Include(evTxEmpty);

        const TComEvents wanted = TComEvents::FromBits(events.Bits() & port->FEventSet.Bits());
        if (!wanted.Empty())
            Deliver(wanted);
    }

    ::close(epfd);
    if (!port->FDeviceLost)
        ::tcflush(fd, TCIOFLUSH);
    port->FHandOver.End();
}
