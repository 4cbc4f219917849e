// zorvex-cli as a technician runs it, against zorvex-sim.
#include "support/SimFixture.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <pty.h>

#ifndef ZORVEX_CLI_BINARY
#error "ZORVEX_CLI_BINARY must name the zorvex-cli executable"
#endif

namespace {

struct TRun {
    int Status = -1;
    QStringList Out;
    QString Err;
};

TRun RunCli(const QStringList& args, const QString& lang = "ru_RU.UTF-8")
{
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("LC_ALL");
    env.remove("LC_MESSAGES");
    env.insert("LANG", lang);
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(ZORVEX_CLI_BINARY), args);
    TRun run;
    if (!cli.waitForFinished(60000)) {
        cli.kill();
        cli.waitForFinished();
        return run;
    }
    run.Status = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    run.Out = QString::fromUtf8(cli.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.Err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

QJsonObject Json(const QString& line) { return QJsonDocument::fromJson(line.toUtf8()).object(); }

class CliTest : public SimTest {
protected:
    QString Link() const { return QDir(Dir.path()).filePath(PortName); }
};

// Every command on every model it serves: the status, how many lines, and
// one decoded value by its name.
TEST_F(CliTest, EachCommandServesEachModel)
{
    StartSim({"--fast", "--devices", "OV3:001,SLT:002,1:003,TRV:004"});
    struct Row {
        QString Args;
        int Lines;
        QString Key; // a key of "values" in the first line; empty for text and CSV
        QString Contains;
    };
    const Row rows[] = {
        {"poll --model OV3 --address 001 --count 3", 3, "current_a", "\"model\":\"Ольвин 3М\""},
        {"poll --model SLT --address 2 --count 2", 2, "ch2_count", "\"address\":\"002\""},
        {"poll --model 1 --address 003 --count 2", 2, "ch6_value", "\"checksum_ok\":true"},
        {"poll --model SLT --address 002 --count 2 --format text", 2, "", "  Сельта  002  "},
        {"poll --model 1 --address 003 --count 2 --format csv --interval 20", 3, "",
         "time,model,address,response_ms,checksum_ok,ch1_value,ch1_state,"},
        {"read settings --model OV3 --address 001", 1, "Значение максимального тока, A.", "~001u"},
        {"read statistics --model OV3 --address 001", 1, "lines", "~001t"},
        {"read version --model OV3 --address 001", 1, "version", "~001A"},
        {"read settings --model SLT --address 002", 1, "alarm_mode", "~002u"},
        {"read statistics --model SLT --address 002", 1, "ch1_was_depressurised", "~002S"},
        {"poll --model TRV --address 004 --count 2", 2, "a8_value", "\"model\":\"ТОРВИС\""},
        {"read settings --model TRV --address 004 --channel 3", 1, "upper", "~004u3"},
        {"read settings --model TRV --address 004 --channel 9", 1, "d8_type", "~004u9"},
        {"read version --model TRV --address 004", 1, "version", "~004V"},
        {"read calibration --model TRV --address 004 --channel 8", 1, "lower", "~004d8"},
        {"send --raw #1003T", 1, "", "\"request\":\"#1003T3B\""},
    };
    for (const Row& row : rows) {
        const TRun run = RunCli(row.Args.split(' ') + QStringList{"--port", Link()});
        SCOPED_TRACE(row.Args.toStdString() + "\n" + run.Err.toStdString());
        EXPECT_EQ(run.Status, 0);
        ASSERT_EQ(run.Out.size(), row.Lines);
        EXPECT_TRUE(run.Out[0].contains(row.Contains)) << run.Out[0].toStdString();
        if (!row.Key.isEmpty()) {
            EXPECT_TRUE(Json(run.Out[0])["values"].toObject().contains(row.Key)) << run.Out[0].toStdString();
        }
    }
}

// The scan finds exactly the devices of the model asked, at their addresses,
// and says how long it took.
TEST_F(CliTest, ScanFindsExactlyTheDevicesOnTheBus)
{
    StartSim({"--fast", "--devices", "SLT:003,SLT:007,OV3:009,SLT:012"});
    const TRun run =
        RunCli({"scan", "--port", Link(), "--model", "SLT", "--from", "0", "--to", "15", "--timeout", "50"});
    EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
    QStringList found;
    for (const QString& line : run.Out)
        found << Json(line)["address"].toString();
    EXPECT_EQ(found, (QStringList{"003", "007", "012"}));
    EXPECT_TRUE(
        QRegularExpression("^Найдено устройств: 3 из 16 адресов за [0-9]+\\.[0-9] с\n$").match(run.Err).hasMatch())
        << run.Err.toStdString();
}

// No echo and no answer are told apart, in the locale's language, and a
// mistyped command line gets its usage.
TEST_F(CliTest, FailuresHaveTheirOwnStatusAndText)
{
    StartSim({"--fast", "--devices", "SLT:001"});
    int master = -1, slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const QString silent = QString::fromLocal8Bit(::ttyname(slave));
    struct Row {
        QStringList Args;
        QString Lang;
        int Status;
        QString Err;
    };
    const QStringList poll{"poll", "--model", "SLT", "--count", "1", "--port"};
    const Row rows[] = {
        {poll + QStringList{silent, "--address", "001"}, "ru_RU.UTF-8", 4,
         "zorvex-cli: нет эха от адаптера (проверьте порт, адаптер, проводку)\n"},
        {poll + QStringList{silent, "--address", "001"}, "C", 4,
         "zorvex-cli: no echo from the adapter (check the port, the adapter, the wiring)\n"},
        {poll + QStringList{Link(), "--address", "002"}, "ru_RU.UTF-8", 5,
         "zorvex-cli: нет ответа от устройства 002 (проверьте адрес, питание, шину)\n"},
        {poll + QStringList{Link(), "--address", "002"}, "C", 5,
         "zorvex-cli: no answer from device 002 (check the address, the power, the bus)\n"},
        {poll + QStringList{Dir.path() + "/nothing", "--address", "001"}, "ru_RU.UTF-8", 3,
         "zorvex-cli: ошибка порта " + Dir.path() + "/nothing: Попытка открыть несуществующий COM-порт\n"},
        {{"poll", "--port", Link(), "--model", "SLT"},
         "ru_RU.UTF-8",
         2,
         "zorvex-cli: не задан параметр --address\n"
         "Использование: zorvex-cli КОМАНДА --port ПОРТ [параметры]; zorvex-cli --help\n"},
        {{"pol"},
         "C",
         2,
         "zorvex-cli: unknown command \"pol\"\nUsage: zorvex-cli COMMAND --port PORT [options]; zorvex-cli --help\n"},
        {{"read", "calibration", "--port", Link(), "--model", "SLT", "--address", "001"},
         "ru_RU.UTF-8",
         2,
         "zorvex-cli: у модели «Сельта» нет чтения «calibration»\n"},
        {{"read", "calibration", "--port", Link(), "--model", "TRV", "--address", "001", "--channel", "9"},
         "ru_RU.UTF-8",
         2,
         "zorvex-cli: неверное значение --channel «9»: ожидается канал от 1 до 8\n"},
        {{"read", "settings", "--port", Link(), "--model", "TRV", "--address", "001"},
         "ru_RU.UTF-8",
         2,
         "zorvex-cli: не задан параметр --channel\n"},
    };
    for (const Row& row : rows) {
        const TRun run = RunCli(row.Args, row.Lang);
        SCOPED_TRACE(row.Args.join(' ').toStdString());
        EXPECT_EQ(run.Status, row.Status);
        EXPECT_EQ(run.Err, row.Err);
        EXPECT_TRUE(run.Out.isEmpty());
    }
    ::close(slave);
    ::close(master);
}

} // namespace
