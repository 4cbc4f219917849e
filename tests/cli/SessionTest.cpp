// The engine's rules as the command line meets them, on a scripted line.
#include "cli/Session.h"
#include "cli/Messages.h"
#include "support/FakePort.h"
#include "support/Frames.h"

#include <gtest/gtest.h>

namespace {

using cli::TCommand;
using devices::TDeviceKind;

const QByteArray Answer = WithSum("~001T000100020003000400050006");

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override { cli::SetEnglish(false); }
    cli::TOptions Options(TCommand command, TDeviceKind kind = TDeviceKind::Olvin4)
    {
        cli::TOptions o;
        o.Command = command;
        o.Port = "fake";
        o.Kind = kind;
        o.Address = "001";
        return o;
    }

    FakePort port;
    QStringList out, err;
    cli::TCliSession session{[this](const QString& s) { out << s; }, [this](const QString& s) { err << s; }, &port};
};

// Poll, read and send: four resends after the first send, then the cause
// decides the status; poll stops after --count answers.
TEST_F(SessionTest, RunsEndWithTheStatusOfWhatTheLineDid)
{
    const QByteArray poll = devices::MakeFrame("#1001T");
    struct Row {
        TCommand Command;
        bool Echo;
        int Status;
        QString Error;
    };
    const Row rows[] = {
        {TCommand::Poll, false, cli::ExitNoEcho, "zorvex-cli: нет эха от адаптера (проверьте порт, адаптер, проводку)"},
        {TCommand::Poll, true, cli::ExitNoAnswer,
         "zorvex-cli: нет ответа от устройства 001 (проверьте адрес, питание, шину)"},
        {TCommand::Send, true, cli::ExitNoAnswer,
         "zorvex-cli: нет ответа от устройства 001 (проверьте адрес, питание, шину)"},
    };
    for (const Row& row : rows) {
        FakePort line;
        err.clear();
        cli::TOptions o = Options(row.Command);
        o.Raw = "#1001T";
        cli::TCliSession run([](const QString&) {}, [this](const QString& s) { err << s; }, &line);
        ASSERT_TRUE(run.Start(o));
        for (int i = 0; i < 5; ++i) {
            if (row.Echo)
                line.Receive(poll);
            run.ResponseTimeout();
        }
        EXPECT_TRUE(run.Finished());
        EXPECT_EQ(run.ExitStatus(), row.Status);
        EXPECT_EQ(line.Written, QByteArrayList(5, poll));
        EXPECT_EQ(err, QStringList{row.Error});
        EXPECT_FALSE(PollActive);
    }

    cli::TOptions o = Options(TCommand::Poll);
    o.Count = 2;
    ASSERT_TRUE(session.Start(o));
    port.Receive(poll + Answer + '\r');
    session.ResponseTimeout(); // a lost answer is resent, not counted
    port.Receive(poll + Answer + '\r');
    EXPECT_TRUE(session.Finished());
    EXPECT_EQ(session.ExitStatus(), cli::ExitOk);
    EXPECT_EQ(out.size(), 2);
    EXPECT_EQ(port.Written.size(), 3);
}

// A silent address costs its tries and no more; exactly the addresses that
// answer are printed, and the summary counts them.
TEST_F(SessionTest, ScanAsksEachAddressItsTriesAndListsThoseThatAnswer)
{
    cli::TOptions o = Options(TCommand::Scan, TDeviceKind::Selta);
    o.From = 1;
    o.To = 3;
    o.Tries = 2;
    ASSERT_TRUE(session.Start(o));
    const QByteArray ask1 = devices::MakeFrame("#SLT001T");
    const QByteArray ask2 = devices::MakeFrame("#SLT002T");
    const QByteArray ask3 = devices::MakeFrame("#SLT003T");
    port.Receive(ask1);
    session.ResponseTimeout();
    port.Receive(ask1);
    session.ResponseTimeout();
    port.Receive(ask2 + WithSum("~002T01604001100479NN") + '\r');
    port.Receive(ask3);
    session.ResponseTimeout();
    port.Receive(ask3);
    session.ResponseTimeout();
    EXPECT_EQ(port.Written, (QByteArrayList{ask1, ask1, ask2, ask3, ask3}));
    ASSERT_TRUE(session.Finished());
    EXPECT_EQ(session.ExitStatus(), cli::ExitOk);
    ASSERT_EQ(out.size(), 1);
    EXPECT_TRUE(out[0].contains("\"address\":\"002\"")) << out[0].toStdString();
    ASSERT_EQ(err.size(), 1);
    EXPECT_TRUE(err[0].startsWith("Найдено устройств: 1 из 3 адресов за ")) << err[0].toStdString();

    // Nobody at all: the echo tells the adapter from the bus.
    for (const bool echo : {false, true}) {
        FakePort line;
        cli::TCliSession quiet([](const QString&) {}, [](const QString&) {}, &line);
        o.Tries = 1;
        ASSERT_TRUE(quiet.Start(o));
        for (int i = 0; i < 3; ++i) {
            if (echo)
                line.Receive(line.Written.last());
            quiet.ResponseTimeout();
        }
        ASSERT_TRUE(quiet.Finished());
        EXPECT_EQ(quiet.ExitStatus(), echo ? cli::ExitNoAnswer : cli::ExitNoEcho);
    }
}

// A read takes only the answer it asked for, with a sound checksum; the
// identification answer goes without one, as on the panel.
TEST_F(SessionTest, ReadChecksTheAnswerItGets)
{
    struct Row {
        TDeviceKind Kind;
        cli::TReadWhat What;
        QByteArray Answer;
        int Status;
    };
    const Row rows[] = {
        {TDeviceKind::Selta, cli::TReadWhat::Settings, WithSum("~001u0160400050110048020001"), cli::ExitOk},
        {TDeviceKind::Selta, cli::TReadWhat::Settings, "~001u016040005011004802000100", cli::ExitBadAnswer},
        {TDeviceKind::Selta, cli::TReadWhat::Statistics, WithSum("~001u0160400050110048020001"), cli::ExitBadAnswer},
        {TDeviceKind::Olvin3M, cli::TReadWhat::Version, "~001A1234v2.07xx", cli::ExitOk},
        {TDeviceKind::Olvin4, cli::TReadWhat::Settings, QByteArray(), cli::ExitUsage},
    };
    for (const Row& row : rows) {
        QStringList printed;
        FakePort line;
        cli::TCliSession run([&](const QString& s) { printed << s; }, [](const QString&) {}, &line);
        cli::TOptions o = Options(TCommand::Read, row.Kind);
        o.What = row.What;
        if (run.Start(o))
            line.Receive(row.Answer + '\r');
        ASSERT_TRUE(run.Finished());
        EXPECT_EQ(run.ExitStatus(), row.Status) << row.Answer.constData();
        EXPECT_EQ(printed.size(), row.Answer.isEmpty() ? 0 : 1);
    }
}

} // namespace
