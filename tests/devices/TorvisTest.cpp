#include "devices/Torvis.h"

#include <gtest/gtest.h>

namespace {

using namespace torvis;

// Either the frame that goes into the one-shot slot or the message shown.
void ExpectChecked(const devices::TChecked& checked, const char* expected)
{
    const QString want = QString::fromUtf8(expected);
    if (want.startsWith(QLatin1Char('#'))) {
        EXPECT_EQ(checked.Message, QString());
        EXPECT_EQ(checked.Frame, want.toLatin1());
    } else {
        EXPECT_EQ(checked.Message, want);
        EXPECT_TRUE(checked.Frame.isEmpty());
    }
}

const char* const kPointMessage = "Знак \"точка\" должен быть расположен одинакого во всех введённых значениях";
const char* const kFiveMessage = "Предельные значения и аварийные уровни должны состоять из 5 символов";
const char* const kSignMessage = "Первым символом в предельных значениях датчика должен быть знак \"+\" или \"-\" ";
const char* const kNeedPointMessage = "Предельные значения и аварийные уровни должны иметь знак \".\" точку ";
const char* const kNumberMessage = "Одно из значений уровня введено не правильно";

TEST(TorvisLevels, PageAndWireFormsAndTheirChecks)
{
    struct Row {
        const char* text;
        const char* fromWire;
        const char* toWire;
        const char* formatMessage;
        bool number; // of the text as it travels
    };
    const Row rows[] = {
        {"012.5", "+12.5", "012.5", kSignMessage, true},
        {"+12.5", "+12.5", "012.5", "", true},
        {"-03.0", "-03.0", "-03.0", "", true},
        {"000.0", "+00.0", "000.0", kSignMessage, true},
        {"+125.", "+125.", "0125.", "", true},
        {"+ 1.5", "+ 1.5", "0 1.5", "", true},
        {"12.50", "12.50", "12.50", kSignMessage, true},
        {"+1250", "+1250", "01250", kNeedPointMessage, true},
        {"+1.2.", "+1.2.", "01.2.", "", false},
        {"+1a.5", "+1a.5", "01a.5", "", false},
        {"+1 .5", "+1 .5", "01 .5", "", false},
        {"+ . ", "+ . ", "0 . ", kFiveMessage, false},
        {"+1.5", "+1.5", "01.5", kFiveMessage, true},
        {"", "", "", kFiveMessage, false},
        {"+12.55", "+12.55", "012.55", kFiveMessage, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        const QString text = QString::fromUtf8(r.text);
        EXPECT_EQ(LevelFromWire(text), QString::fromUtf8(r.fromWire));
        EXPECT_EQ(LevelToWire(text), QString::fromUtf8(r.toWire));
        EXPECT_EQ(CheckLevelFormat(text), QString::fromUtf8(r.formatMessage));
        EXPECT_EQ(IsLevelNumber(LevelToWire(text)), r.number);
    }
}

TEST(TorvisAnalogWrite, ChecksInTheirOrderAndTheWriteBody)
{
    struct Row {
        int channel, type, unit;
        std::array<const char*, 4> levels;
        const char* expected;
    };
    const std::array<const char*, 4> example = {"+20.0", "+00.0", "+18.0", "-01.0"};
    const Row rows[] = {
        {-1, 2, 18, example, "Не выбран канал."},
        {2, -1, 18, example, "Не указан тип датчика"},
        {-1, -1, 18, {"", "", "", ""}, "Не выбран канал."},
        {2, 2, 18, example, "#TRV001U2218020.0000.0018.0-01.093\r"},
        {2, 2, -1, example, "#TRV001U2219020.0000.0018.0-01.094\r"},
        {2, 2, 1, example, "#TRV001U2201020.0000.0018.0-01.08B\r"},
        {1, 0, 0, {"+12.5", "+1.25", "+00.0", "+00.0"}, kPointMessage},
        {1, 0, 0, {"+12.5", "+12.5", "+12.5", "+1.25"}, kPointMessage},
        {1, 0, 0, {"+1.5", "+12.5", "+12.5", "+12.5"}, kFiveMessage},
        {1, 0, 0, {"12.50", "+12.5", "+12.5", "+12.5"}, kSignMessage},
        {1, 0, 0, {"+1250", "+12.5", "+12.5", "+12.5"}, kNeedPointMessage},
        // Every field's format is checked before the points are compared, in field order.
        {1, 0, 0, {"+20.0", "+1.5", "12.50", "+1250"}, kFiveMessage},
        {1, 0, 0, {"+12.5", "+1.25", "+1.5", "+00.0"}, kFiveMessage},
        {1, 0, 0, {"+1.2.", "+1.25", "+1.00", "+1.00"}, kNumberMessage},
        {1, 0, 0, {"+12.5", "+12.5", "+12.5", "+1a.5"}, kNumberMessage},
        {8, 0, 0, {"+ 1.5", "-01.5", "+01.5", "+01.5"}, "#TRV001U80000 1.5-01.5001.5001.58A\r"},
        {5, 0, 0, {"+125.", "+001.", "+000.", "+000."}, "#TRV001U50000125.0001.0000.0000.8B\r"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.expected);
        TAnalogInput input{r.channel, r.type, r.unit, {}};
        for (std::size_t i = 0; i < 4; ++i)
            input.Levels[i] = QString::fromUtf8(r.levels[i]);
        ExpectChecked(CheckAnalogWrite("001", input), r.expected);
    }
}

TEST(TorvisRequests, ReadsDiscreteWriteAndCalibrationWrite)
{
    struct Row {
        devices::TChecked checked;
        const char* expected;
    };
    const Row rows[] = {
        {CheckSettingsRead("001", -1), "Не выбран канал"},
        {CheckSettingsRead("001", 2), "#TRV001u257\r"},
        {CheckCalibrationRead("001", -1), "Не выбран канал"},
        {CheckCalibrationRead("001", 8), "#TRV001d84C\r"},
        {CheckDiscreteWrite("001", {1, 0, 0, 0, 0, 0, 0, 1}), "#TRV001U910000001C0\r"},
        {CheckDiscreteWrite("001", {0, 0, -1, 0, -1, 0, 0, 0}), "Не все поля заполнены."},
        {CheckDiscreteWrite("001", {0, 0, 0, 0, 0, 0, 0, -1}), "Не все поля заполнены."},
        {CheckCalibrationWrite("001", 3, "850", "015"), "#TRV001D38500155A\r"},
        {CheckCalibrationWrite("001", -1, "850", "015"), "Не выбран канал."},
        {CheckCalibrationWrite("001", 3, "85", "1"), "Верхнее значение юстировки  указано не правильно"},
        {CheckCalibrationWrite("001", 3, "850", "15"), "Нижние значение юстировки  указано не правильно"},
        {CheckCalibrationWrite("001", 3, "850", ""), "Нижние значение юстировки  указано не правильно"},
        // An empty place inside the field would go out as a blank.
        {CheckCalibrationWrite("001", 3, "8 5", "015"), "Верхнее значение юстировки  указано не правильно"},
        {CheckCalibrationWrite("001", 3, "850", " 15"), "Нижние значение юстировки  указано не правильно"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.expected);
        ExpectChecked(r.checked, r.expected);
    }
    EXPECT_EQ(DiscreteTypesRequest("001"), "#TRV001u95E\r");
    EXPECT_EQ(VersionRequest("001"), "#TRV001V06\r");
}

TEST(TorvisLists, TextsAsTheDeviceHandbookGivesThem)
{
    EXPECT_EQ(SensorTypeNames(), QStringList({"Отключен", "0 - 5  мА", "4 - 20 мА "}));
    const QStringList units = UnitSymbols();
    ASSERT_EQ(units.size(), 20);
    EXPECT_EQ(units.mid(0, 10), QStringList({"A", "b", "C", "d", "E", "F", "П", "Г", "U", "У"}));
    EXPECT_EQ(units.mid(10), QStringList({"H", "h", "o", "u ", "п", "L", "c ", "r ", "°", "?"}));
    EXPECT_EQ(DiscreteTypeNames(), QStringList({"Пассивный", "Активный"}));
}

} // namespace
