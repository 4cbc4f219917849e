#include "cli/Options.h"
#include "cli/Messages.h"

#include <gtest/gtest.h>

namespace {

using cli::TCommand;
using devices::TDeviceKind;

// Every refusal names what is wrong; what is accepted lands in its field, with
// the defaults of the help text where nothing is given.
TEST(OptionsTest, ArgumentsAreCheckedAndRead)
{
    cli::SetEnglish(false);
    struct Row {
        QString Args;
        QString Error; // empty: accepted
    };
    const Row refused[] = {
        {"", "Использование: zorvex-cli КОМАНДА --port ПОРТ [параметры]; zorvex-cli --help"},
        {"probe --port p", "неизвестная команда «probe»"},
        {"poll --port p --model SLT", "не задан параметр --address"},
        {"poll --model SLT --address 1", "не задан параметр --port"},
        {"poll --port p --model SLT --address", "у параметра --address нет значения"},
        {"poll --port p --model XYZ --address 1", "неверное значение --model «XYZ»: ожидается OV3, SLT, 1 или TRV"},
        {"poll --port p --model SLT --address 1000",
         "неверное значение --address «1000»: ожидается номер из трёх цифр, от 000 до 999"},
        {"poll --port p --model SLT --address 0012",
         "неверное значение --address «0012»: ожидается номер из трёх цифр, от 000 до 999"},
        {"poll --port p --model SLT --address 1 --baud 1200",
         "неверное значение --baud «1200»: ожидается 2400, 4800, 9600 или 19200"},
        {"poll --port p --model SLT --address 1 --count 0",
         "неверное значение --count «0»: ожидается целое число от 1 до 1000000000"},
        {"poll --port p --model SLT --address 1 --tries 2", "команда poll не знает параметра --tries"},
        {"poll --port p --model SLT --address 1 --format xml",
         "неверное значение --format «xml»: ожидается json, text или csv"},
        {"scan --port p --model SLT --from 5 --to 4", "неверное значение --to «4»: конец диапазона меньше его начала"},
        {"scan --port p --model SLT --tries 6", "неверное значение --tries «6»: ожидается целое число от 1 до 5"},
        {"scan --port p --model SLT --timeout 5",
         "неверное значение --timeout «5»: ожидается целое число от 10 до 10000"},
        {"read --port p --model SLT --address 1", "не задан параметр settings|statistics|version|calibration"},
        {"read everything --port p --model SLT --address 1",
         "неверное значение read «everything»: ожидается settings, statistics, version или calibration"},
        {"read version version --port p --model SLT --address 1", "команда read не знает параметра version"},
        {"send --port p --raw SLT001T",
         "неверное значение --raw «SLT001T»: тело запроса начинается с «#» и состоит из символов ASCII без CR и LF"},
        {"send --port p --raw #SLT\r001T",
         "неверное значение --raw «#SLT\r001T»: тело запроса начинается с «#» и состоит из символов ASCII без CR и LF"},
        {"send --port p --raw #Сельта",
         "неверное значение --raw «#Сельта»: тело запроса начинается с «#» и состоит из символов ASCII без CR и LF"},
        {"send --port p --raw #SLT001T --address 1", "команда send не знает параметра --address"},
    };
    for (const Row& row : refused) {
        const cli::TParsed parsed = cli::ParseArguments(row.Args.split(' ', Qt::SkipEmptyParts));
        EXPECT_EQ(parsed.Error, row.Error) << row.Args.toStdString();
    }

    const auto poll = cli::ParseArguments(QStringList{"poll", "--port", "vsim0", "--model", "Ольвин 3М", "--address=7",
                                                      "--count", "3", "--baud", "19200"});
    ASSERT_TRUE(poll.Error.isEmpty()) << poll.Error.toStdString();
    EXPECT_EQ(poll.Options.Command, TCommand::Poll);
    EXPECT_EQ(poll.Options.Port, "vsim0");
    EXPECT_EQ(poll.Options.Kind, TDeviceKind::Olvin3M);
    EXPECT_EQ(poll.Options.Address, "007");
    EXPECT_EQ(poll.Options.Count, 3);
    EXPECT_EQ(poll.Options.Baud, 19200);
    EXPECT_EQ(poll.Options.Format, cli::TFormat::Json);

    const auto scan = cli::ParseArguments(QStringList{"scan", "--port", "p", "--model", "trv", "--format", "csv"});
    ASSERT_TRUE(scan.Error.isEmpty());
    EXPECT_EQ(scan.Options.Kind, TDeviceKind::Torvis);
    EXPECT_EQ(scan.Options.From, 0);
    EXPECT_EQ(scan.Options.To, 999);
    EXPECT_EQ(scan.Options.Tries, 1);
    EXPECT_EQ(scan.Options.TimeoutMs, 300);
    EXPECT_EQ(scan.Options.Baud, 9600);

    const auto read = cli::ParseArguments(
        QStringList{"read", "--port", "p", "--model", "1", "--address", "12", "calibration", "--channel", "8"});
    ASSERT_TRUE(read.Error.isEmpty());
    EXPECT_EQ(read.Options.Kind, TDeviceKind::Olvin4);
    EXPECT_EQ(read.Options.What, cli::TReadWhat::Calibration);
    EXPECT_EQ(read.Options.Channel, 8);

    EXPECT_EQ(cli::ParseArguments(QStringList{"poll", "--help"}).Options.Command, TCommand::Help);
    EXPECT_EQ(cli::ParseArguments(QStringList{"--help"}).Options.Command, TCommand::Help);
}

} // namespace
