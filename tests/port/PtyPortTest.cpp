// The component on real pseudo-terminal pairs: the test holds the master side.
#include "support/PtyFixture.h"

#include "port/ComTermios.h"

#include <QFile>

#include <memory>
#include <mutex>
#include <sys/syscall.h>
#include <thread>

namespace {

// A port that is open on the slave, with a handler recorder.
struct Recorded {
    std::mutex Mutex;
    QList<int> Counts;
    QByteArray Data;
    QList<Qt::HANDLE> Threads;
    int Depth = 0;
    int MaxDepth = 0;

    int Calls()
    {
        std::lock_guard lock(Mutex);
        return static_cast<int>(Counts.size());
    }
};

// Reads all that waits, on whatever thread delivers.
void ReadingHandler(TBComPort& port, Recorded& r)
{
    port.OnRxChar = [&port, &r](QObject* sender, int count) {
        EXPECT_EQ(sender, &port);
        QByteArray text;
        port.ReadStr(text, 4096);
        std::lock_guard lock(r.Mutex);
        r.Counts << count;
        r.Data += text;
        r.Threads << QThread::currentThreadId();
    };
}

} // namespace

TEST_F(PtyTest, OpensAndClosesTwice)
{
    TBComPort port;
    for (int round = 0; round < 2; ++round) {
        OpenPort(port);
        EXPECT_NO_THROW(port.Open()); // already open: nothing
        EXPECT_TRUE(port.Connected());
        port.Close();
        EXPECT_FALSE(port.Connected());
        EXPECT_NO_THROW(port.Close());
    }
}

TEST_F(PtyTest, NonexistentNameLeavesThePortClosed)
{
    TBComPort port;
    port.SetPort(QStringLiteral("ttyNOPE9"));
    EXPECT_EQ(ErrorOf([&] { port.Open(); }), QStringLiteral("Попытка открыть несуществующий COM-порт"));
    EXPECT_FALSE(port.Connected());
    // A link left behind by a simulator that has gone is a port that does not exist.
    ASSERT_EQ(
        ::symlink("/dev/pts/999999", QDir(Dir.path()).filePath(QStringLiteral("vgone")).toLocal8Bit().constData()), 0);
    port.SetPort(QStringLiteral("vgone"));
    EXPECT_EQ(ErrorOf([&] { port.Open(); }), QStringLiteral("Попытка открыть несуществующий COM-порт"));
    EXPECT_FALSE(port.Connected());
    OpenPort(port);
}

TEST_F(PtyTest, PortHeldByAnotherIsBusy)
{
    TBComPort first;
    OpenPort(first);
    TBComPort second;
    second.SetPort(QStringLiteral("vtest0"));
    EXPECT_EQ(ErrorOf([&] { second.Open(); }), QStringLiteral("Порт занят другой программой"));
    EXPECT_FALSE(second.Connected());
    first.Close();
    OpenPort(second);
}

TEST_F(PtyTest, PortAndSyncMethodRefusedWhileOpen)
{
    TBComPort port;
    OpenPort(port);
    EXPECT_EQ(ErrorOf([&] { port.SetPort(QStringLiteral("vtest0")); }),
              QStringLiteral("Нельзя менять свойство, пока порт открыт"));
    EXPECT_EQ(ErrorOf([&] { port.SetPort(QStringLiteral("ttyS0")); }),
              QStringLiteral("Нельзя менять свойство, пока порт открыт"));
    EXPECT_EQ(port.Port(), QStringLiteral("vtest0"));
    EXPECT_TRUE(ErrorOf([&] { port.SetSyncMethod(smThreadSync); }).isEmpty());
    EXPECT_EQ(ErrorOf([&] { port.SetSyncMethod(smNone); }), QStringLiteral("Нельзя менять свойство, пока порт открыт"));
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
    port.Close();
    port.SetSyncMethod(smNone);
    EXPECT_EQ(port.SyncMethod(), smNone);
}

TEST_F(PtyTest, EightBitTextBothWaysUnchanged)
{
    TBComPort port;
    OpenPort(port);
    QByteArray all;
    for (int c = 0; c < 256; ++c)
        all.append(static_cast<char>(c));
    all += "\r\n\x11\x13\x03\x1a";

    EXPECT_EQ(port.WriteStr(all), all.size());
    EXPECT_EQ(Receive(static_cast<int>(all.size())), all);

    Send(all);
    ASSERT_TRUE(WaitFor([&] { return port.InputCount() == all.size(); }));
    QByteArray text;
    EXPECT_EQ(port.ReadStr(text, 4096), all.size());
    EXPECT_EQ(text, all);
}

TEST_F(PtyTest, ReadStrTakesOnlyWhatWaits)
{
    TBComPort port;
    OpenPort(port);
    QByteArray text("old");
    EXPECT_EQ(port.ReadStr(text, 10), 0); // nothing waits: at once, empty
    EXPECT_TRUE(text.isEmpty());

    Send("~001T");
    ASSERT_TRUE(WaitFor([&] { return port.InputCount() == 5; }));
    text = "old";
    EXPECT_EQ(port.ReadStr(text, 0), 0);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(port.InputCount(), 5);
    EXPECT_EQ(port.ReadStr(text, 2), 2);
    EXPECT_EQ(text, QByteArray("~0"));
    EXPECT_EQ(port.ReadStr(text, 100), 3);
    EXPECT_EQ(text, QByteArray("01T"));
    EXPECT_EQ(port.InputCount(), 0);
    EXPECT_EQ(port.WriteStr(QByteArray()), 0);
}

TEST_F(PtyTest, ADeviceThatIsNoTerminalIsRefusedAndReleased)
{
    TBComPort port;
    port.SetPort(QStringLiteral("/dev/null"));
    EXPECT_EQ(ErrorOf([&] { port.Open(); }), QStringLiteral("Ошибка функции SetCommState"));
    EXPECT_FALSE(port.Connected());
    port.SetPort(QStringLiteral("vtest0"));
    OpenPort(port);
}

TEST_F(PtyTest, WriteEndsAtItsLimitWhenNothingIsTaken)
{
    TBComPort port;
    OpenPort(port);
    port.Timeouts()->SetWriteTotalMultiplier(0); // applied to the open port at once
    port.Timeouts()->SetWriteTotalConstant(50);
    const QByteArray big(4 << 20, 'x'); // far more than the terminal buffers hold
    const int written = port.WriteStr(big);
    EXPECT_GT(written, 0);
    EXPECT_LT(written, big.size());
}

TEST_F(PtyTest, TimedReadsWaitForTheCountOrTheirLimit)
{
    TBComPort port;
    OpenPort(port);
    port.Timeouts()->SetReadInterval(0);
    port.Timeouts()->SetReadTotalConstant(10000);
    Send("ab");
    std::thread late([this] { Send("c"); });
    QByteArray text;
    EXPECT_EQ(port.ReadStr(text, 3), 3);
    late.join();
    EXPECT_EQ(text, QByteArray("abc"));

    port.Timeouts()->SetReadTotalConstant(30);
    Send("de");
    ASSERT_TRUE(WaitFor([&] { return port.InputCount() == 2; }));
    EXPECT_EQ(port.ReadStr(text, 5), 2);
    EXPECT_EQ(text, QByteArray("de"));

    // MAXDWORD, MAXDWORD, constant: what waits, else the first arrival.
    port.Timeouts()->SetReadInterval(-1);
    port.Timeouts()->SetReadTotalMultiplier(-1);
    port.Timeouts()->SetReadTotalConstant(10000);
    std::thread first([this] { Send("f"); });
    EXPECT_EQ(port.ReadStr(text, 5), 1);
    first.join();
    EXPECT_EQ(text, QByteArray("f"));
}

TEST_F(PtyTest, ModemLinesOfAPseudoTerminalAreIgnored)
{
    TBComPort port;
    OpenPort(port);
    EXPECT_NO_THROW(port.SetRTS(false));
    EXPECT_NO_THROW(port.SetRTS(true));
    EXPECT_NO_THROW(port.SetDTR(false));
    EXPECT_TRUE(port.ModemSignals().Empty());
    EXPECT_NO_THROW(port.AbortAll());
}

TEST_F(PtyTest, LineSettingsApplyAtOnceWhenOpenAndAtOpenWhenClosed)
{
    TBComPort port;
    port.SetBaudRate(br56000); // closed: only stored
    OpenPort(port);
    const int probe = ::open(SlavePath.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (probe < 0)
        GTEST_SKIP() << "the device is held exclusively; only root can look at it";
    TTermiosImage t;
    ASSERT_TRUE(GetTermios(probe, t));
    EXPECT_EQ(t.c_ospeed, 56000u);
    EXPECT_EQ(t.c_lflag, 0u);
    EXPECT_EQ(t.c_oflag, 0u);

    port.SetBaudRate(br19200);
    ASSERT_TRUE(GetTermios(probe, t));
    EXPECT_EQ(t.c_ospeed, 19200u);
    port.SetBaudRate(br256000);
    ASSERT_TRUE(GetTermios(probe, t));
    EXPECT_EQ(t.c_ospeed, 256000u);

    port.Close();
    port.SetBaudRate(br2400);
    ASSERT_TRUE(GetTermios(probe, t));
    EXPECT_EQ(t.c_ospeed, 256000u) << "a closed port does not touch the device";
    ::close(probe);
}

TEST_F(PtyTest, DispatchRunsTheStepsInTheirFixedOrder)
{
    TBComPort port;
    OpenPort(port);
    QStringList order;
    port.OnError = [&](QObject*, TComErrors) { order << "Error"; };
    port.OnRxChar = [&](QObject*, int) { order << "RxChar"; };
    port.OnTxEmpty = [&](QObject*) { order << "TxEmpty"; };
    port.OnRing = [&](QObject*) { order << "Ring"; };
    port.OnCTSChange = [&](QObject*, bool state) { order << (state ? "CTS+" : "CTS-"); };
    port.OnDSRChange = [&](QObject*, bool state) { order << (state ? "DSR+" : "DSR-"); };
    port.OnRLSDChange = [&](QObject*, bool state) { order << (state ? "RLSD+" : "RLSD-"); };
    port.OnRx80Full = [&](QObject*) { order << "Rx80Full"; };

    // Nothing waiting and no line error: neither OnRxChar nor OnError.
    port.DispatchEvents(AllComEvents);
    EXPECT_EQ(order, QStringList({"TxEmpty", "Ring", "CTS-", "DSR-", "RLSD-", "Rx80Full"}));

    Send("x");
    ASSERT_TRUE(WaitFor([&] { return port.InputCount() == 1; }));
    order.clear();
    port.DispatchEvents({evRx80Full, evRxChar, evRing});
    EXPECT_EQ(order, QStringList({"RxChar", "Ring", "Rx80Full"}));
}

TEST_F(PtyTest, ArrivalsDuringAHandlerComeWithTheNextEvent)
{
    TBComPort port;
    OpenPort(port);
    Recorded r;
    port.OnRxChar = [&](QObject*, int count) {
        ++r.Depth;
        r.MaxDepth = std::max(r.MaxDepth, r.Depth);
        QByteArray text;
        EXPECT_EQ(port.ReadStr(text, 100), count);
        r.Counts << count;
        r.Data += text;
        r.Threads << QThread::currentThreadId();
        if (r.Counts.size() == 1) {
            Send("12345");
            EXPECT_TRUE(WaitFor([&] { return port.InputCount() == 5; }));
        }
        --r.Depth;
    };
    Send("abc");
    ASSERT_TRUE(WaitFor([&] { return r.Counts.size() >= 2; }));
    EXPECT_EQ(r.Counts, QList<int>({3, 5}));
    EXPECT_EQ(r.Data, QByteArray("abc12345"));
    EXPECT_EQ(r.MaxDepth, 1);
    for (Qt::HANDLE t : r.Threads)
        EXPECT_EQ(t, qApp->thread()->currentThreadId());
}

TEST_F(PtyTest, EachSyncMethodDeliversOnItsThread)
{
    const Qt::HANDLE owner = QThread::currentThreadId();
    for (TSyncMethod method : {smThreadSync, smWindowSync, smNone}) {
        SCOPED_TRACE(method);
        TBComPort port;
        port.SetSyncMethod(method);
        Recorded r;
        ReadingHandler(port, r);
        OpenPort(port);
        Send("#OV3001T");
        ASSERT_TRUE(WaitFor([&] {
            std::lock_guard lock(r.Mutex);
            return r.Data.size() == 8;
        }));
        port.Close();
        std::lock_guard lock(r.Mutex);
        EXPECT_EQ(r.Data, QByteArray("#OV3001T"));
        EXPECT_FALSE(r.Counts.contains(0));
        for (Qt::HANDLE t : r.Threads) {
            if (method == smNone)
                EXPECT_NE(t, owner);
            else
                EXPECT_EQ(t, owner);
        }
    }
}

TEST_F(PtyTest, TxEmptyFollowsAWrite)
{
    TBComPort port;
    OpenPort(port);
    int empties = 0;
    port.OnTxEmpty = [&](QObject* sender) {
        EXPECT_EQ(sender, &port);
        ++empties;
    };
    port.WriteStr("#1001T39\r");
    ASSERT_TRUE(WaitFor([&] { return empties == 1; }));
    EXPECT_EQ(Receive(9), QByteArray("#1001T39\r"));
}

TEST_F(PtyTest, HandlerExceptionsGoToTheErrorHandlerAndDeliveryGoesOn)
{
    QStringList reported;
    std::mutex mutex;
    SetPortErrorHandler([&](const std::exception& e) {
        std::lock_guard lock(mutex);
        reported << QString::fromUtf8(e.what());
    });
    for (TSyncMethod method : {smThreadSync, smWindowSync, smNone}) {
        SCOPED_TRACE(method);
        reported.clear();
        TBComPort port;
        port.SetSyncMethod(method);
        std::atomic<int> calls{0};
        port.OnRxChar = [&](QObject*, int) {
            QByteArray text;
            port.ReadStr(text, 100);
            if (++calls == 1)
                throw EComPort(QStringLiteral("Ошибка записи в порт"));
        };
        OpenPort(port);
        Send("a");
        ASSERT_TRUE(WaitFor([&] { return calls == 1; }));
        Send("b");
        ASSERT_TRUE(WaitFor([&] { return calls == 2; }));
        port.Close();
        std::lock_guard lock(mutex);
        EXPECT_EQ(reported, QStringList({"Ошибка записи в порт"}));
    }
    SetPortErrorHandler({});
}

TEST_F(PtyTest, CloseInsideAHandlerReturnsAndStopsTheDelivery)
{
    TBComPort port;
    OpenPort(port);
    int rx = 0;
    int empty = 0;
    port.OnRxChar = [&](QObject*, int) {
        ++rx;
        port.Close(); // the event thread waits for this very handler
        EXPECT_FALSE(port.Connected());
    };
    port.OnTxEmpty = [&](QObject*) { ++empty; };
    port.WriteStr("x"); // a TxEmpty will be pending too
    Send("y");
    ASSERT_TRUE(WaitFor([&] { return !port.Connected(); }));
    EXPECT_EQ(rx, 1);
    OpenPort(port); // and the port opens again
    port.OnRxChar = nullptr;
    port.Close();
}

TEST_F(PtyTest, CloseWhileADeliveryWaitsServesItAndDoesNotHang)
{
    // Whether the event thread has already handed the batch over when Close
    // starts is up to the scheduler; both cases must end, neither may lose it.
    TBComPort port;
    int delivered = 0;
    bool connectedInHandler = true;
    port.OnRxChar = [&](QObject*, int count) {
        EXPECT_GT(count, 0);
        connectedInHandler = connectedInHandler && port.Connected();
        ++delivered;
        QByteArray text;
        port.ReadStr(text, 100);
    };
    for (int round = 0; round < 20; ++round) {
        OpenPort(port);
        const int before = delivered;
        Send("z");
        ASSERT_TRUE(WaitFor([&] { return delivered > before || port.InputCount() > 0; }));
        port.Close();
        EXPECT_FALSE(port.Connected());
    }
    const int atClose = delivered;
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, atClose) << "nothing is delivered after Close";
    EXPECT_TRUE(connectedInHandler);
}

TEST_F(PtyTest, DestroyingAnOpenPortDeliversNothingMore)
{
    int calls = 0;
    auto port = std::make_unique<TBComPort>();
    port->OnRxChar = [&](QObject*, int) { ++calls; };
    OpenPort(*port);
    Send("late");
    QElapsedTimer timer;
    timer.start();
    while (port->InputCount() == 0 && timer.elapsed() < 10000)
        QThread::yieldCurrentThread();
    port.reset(); // without serving the event loop: the batch may be waiting
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 0);
}

TEST_F(PtyTest, ClosedByTheOwnerWhenAskedFromTheEventThread)
{
    TBComPort port;
    port.SetSyncMethod(smNone);
    std::atomic<int> calls{0};
    port.OnRxChar = [&](QObject*, int) {
        ++calls;
        port.Close();
    };
    OpenPort(port);
    Send("q");
    ASSERT_TRUE(WaitFor([&] { return !port.Connected(); }));
    EXPECT_EQ(calls, 1);
}

namespace {

// CPU time (user + system) of one thread of this process, in seconds.
double ThreadCpuSeconds(long tid)
{
    QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(tid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the command name: state is field 3, utime 14 and stime 15.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields[11].toDouble() + fields[12].toDouble()) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

} // namespace

TEST_F(PtyTest, UnreadCharactersCountAgainWhenNewOnesArrive)
{
    // Delivered on the event thread so that its CPU time can be read: data
    // left waiting must not keep the thread busy either.
    TBComPort port;
    port.SetSyncMethod(smNone);
    std::mutex mutex;
    QList<int> counts;
    std::atomic<long> tid{0};
    port.OnRxChar = [&](QObject*, int count) {
        std::lock_guard lock(mutex);
        counts << count;
        tid = static_cast<long>(::syscall(SYS_gettid));
    };
    const auto calls = [&] {
        std::lock_guard lock(mutex);
        return counts.size();
    };
    OpenPort(port);
    Send("ab");
    ASSERT_TRUE(WaitFor([&] { return calls() == 1; }));
    const double before = ThreadCpuSeconds(tid);
    WaitFor([] { return false; }, 1500);
    EXPECT_LT(ThreadCpuSeconds(tid) - before, 0.1) << "a quiet thread uses none";
    Send("c");
    ASSERT_TRUE(WaitFor([&] { return calls() >= 2; }));
    port.Close();
    EXPECT_EQ(counts, QList<int>({2, 3}));
}

TEST_F(PtyTest, HangUpIsReportedOnceAndTheThreadGoesQuiet)
{
    TBComPort port;
    port.SetSyncMethod(smNone);
    std::atomic<long> tid{0};
    std::atomic<int> rx{0};
    port.OnRxChar = [&](QObject*, int) {
        QByteArray text;
        port.ReadStr(text, 100);
        ++rx;
        tid = static_cast<long>(::syscall(SYS_gettid));
    };
    int lost = 0;
    port.OnDeviceLost = [&](QObject* sender) {
        EXPECT_EQ(sender, &port);
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        ++lost;
    };
    OpenPort(port);
    Send("a");
    ASSERT_TRUE(WaitFor([&] { return tid != 0; }));

    CloseMaster(); // the other side hangs up
    ASSERT_TRUE(WaitFor([&] { return lost == 1; }));
    EXPECT_TRUE(port.Connected()) << "the owner decides when to close";

    // A thread that spins on the hung-up descriptor burns most of this window.
    const double before = ThreadCpuSeconds(tid);
    ASSERT_GE(before, 0);
    QElapsedTimer window;
    window.start();
    WaitFor([] { return false; }, 2000);
    const double used = ThreadCpuSeconds(tid) - before;
    EXPECT_LT(used, 0.1) << "over " << window.elapsed() << " ms; a quiet thread uses none";
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(rx, 1);

    EXPECT_NO_THROW(port.Close());
    EXPECT_FALSE(port.Connected());
}

TEST_F(PtyTest, HangUpIsReportedInTheSynchronousModeToo)
{
    TBComPort port;
    int lost = 0;
    port.OnDeviceLost = [&](QObject*) { ++lost; };
    OpenPort(port);
    CloseMaster();
    ASSERT_TRUE(WaitFor([&] { return lost == 1; }));
    QByteArray text;
    EXPECT_EQ(ErrorOf([&] { port.ReadStr(text, 10); }), QStringLiteral("Ошибка чтения из порта"));
    EXPECT_EQ(ErrorOf([&] { port.WriteStr("x"); }), QStringLiteral("Ошибка записи в порт"));
    EXPECT_NO_THROW(port.Close());
    EXPECT_EQ(lost, 1);
}

TEST_F(PtyTest, CharactersTricklingInAtTheLinePaceAreHandedOverTogether)
{
    // expect: what the owner awaits (0: up to a pause); sent: characters paced
    // at 4800 bit/s. Every one arrives, in order, none is held back once the
    // line is quiet, and in far fewer deliveries than characters.
    struct Row {
        int Expect;
        QByteArray Sent;
    };
    const Row rows[] = {
        {12, "#SLT001T12\r"},                         // an echo of the awaited length
        {26, "~001T0160398110"},                       // an answer cut short
        {0, "~002T01603981100478NND0\r"},              // an answer of unknown length
        {8, "#SLT001T53\r~001T0160398110047\r"},       // more than awaited
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Sent.toStdString());
        TBComPort port;
        port.SetBaudRate(br4800);
        Recorded r;
        ReadingHandler(port, r);
        OpenPort(port);
        port.SetRxGrouping(row.Expect);
        std::thread writer([&] {
            for (const char c : row.Sent) {
                Send(QByteArray(1, c));
                std::this_thread::sleep_for(std::chrono::microseconds(2083));
            }
        });
        writer.join();
        ASSERT_TRUE(WaitFor([&] {
            std::lock_guard lock(r.Mutex);
            return r.Data.size() == row.Sent.size();
        }));
        std::lock_guard lock(r.Mutex);
        EXPECT_EQ(r.Data, row.Sent);
        EXPECT_LT(r.Counts.size(), row.Sent.size() / 2) << "deliveries";
    }
}

TEST_F(PtyTest, CloseWhileCharactersAreAwaitedDoesNotWaitForThem)
{
    TBComPort port;
    port.SetBaudRate(br2400);
    Recorded r;
    ReadingHandler(port, r);
    OpenPort(port);
    port.SetRxGrouping(100); // longer than the gathering's limit
    Send("~");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    port.Close();
    EXPECT_FALSE(port.Connected());
}

// A handler's write that has gone out at once is told within the same batch,
// before what the handler left for the event loop, and told once.
TEST_F(PtyTest, TxEmptyOfAHandlersWriteComesInItsBatchAndOnce)
{
    TBComPort port;
    OpenPort(port);
    QStringList order;
    port.OnRxChar = [&](QObject*, int) {
        QByteArray text;
        port.ReadStr(text, 100);
        order << "RxChar";
        port.WriteStr("#1001T39\r");
        QMetaObject::invokeMethod(
            &port, [&] { order << "posted"; }, Qt::QueuedConnection);
    };
    port.OnTxEmpty = [&](QObject*) { order << "TxEmpty"; };
    for (int round = 0; round < 3; ++round) {
        Send("~");
        ASSERT_TRUE(WaitFor([&] { return order.count("posted") == round + 1; }));
        EXPECT_EQ(Receive(9), QByteArray("#1001T39\r"));
    }
    // Time enough for a second telling by the event thread.
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    port.Close();
    EXPECT_EQ(order.join(' ').toStdString(), "RxChar TxEmpty posted RxChar TxEmpty posted RxChar TxEmpty posted");
}
