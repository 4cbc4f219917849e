#include "devices/Olvin4.h"
#include "devices/Selta.h"

#include <gtest/gtest.h>

TEST(SeltaFormat, ZeroNegativeAndCutValues)
{
    const char* zero[4] = {"0  мА", "0  МПа", "0  кг/см", "0  м"};
    const char* below4mA[4] = {"3,75  мА", "-0,0  МПа", "-0,2  кг/см", "-2,5  м"};
    const char* cut[4] = {"4,99  мА", "9,97  МПа", "101,  кг/см", "1017  м"};
    for (int mode = 0; mode < 4; ++mode) {
        SCOPED_TRACE(mode);
        EXPECT_EQ(selta::FormatChannelValue(mode, '0', 0, 1.6), QString::fromUtf8(zero[mode]));
        EXPECT_EQ(selta::FormatChannelValue(mode, '1', 150, 1.6), QString::fromUtf8(below4mA[mode]));
        EXPECT_EQ(selta::FormatChannelValue(mode, '0', 799, 9.99), QString::fromUtf8(cut[mode]));
    }
    // Any type character but "0" is a 4-20 mA sensor.
    EXPECT_EQ(selta::FormatChannelValue(0, 'X', 480, 1.0), "12  мА");
}

TEST(SeltaFormat, TinyValuesAreNotShownAsCutExponents)
{
    // 1,25E-5 MPa cut to four characters would read 1,25.
    EXPECT_EQ(selta::FormatChannelValue(1, '0', 1, 0.01), "0,00  МПа");
    EXPECT_EQ(selta::FormatChannelValue(1, '1', 159, 0.01), "-0,0  МПа");
}

TEST(SeltaFormat, CurrentOfAZeroToFiveSensorIsTheCountOver160)
{
    const struct {
        int Count;
        const char* Shown;
    } rows[] = {{0, "0  мА"},      {1, "0,00  мА"}, {16, "0,1  мА"},   {80, "0,5  мА"},
                {161, "1,00  мА"}, {480, "3  мА"},  {799, "4,99  мА"}, {999, "6,24  мА"}};
    for (const auto& row : rows)
        EXPECT_EQ(selta::FormatChannelValue(selta::dmCurrent, '0', row.Count, 1.6), QString::fromUtf8(row.Shown))
            << row.Count;
}

TEST(SeltaConversion, ValueToCount)
{
    EXPECT_EQ(selta::ChannelValueToCode(1, 1, 0.5, 1.0), "480"); // 479.98
    EXPECT_EQ(selta::ChannelValueToCode(3, 0, 0.5, 1.6), "002");
    EXPECT_EQ(selta::ChannelValueToCode(1, 0, 0.8, 1.6), "400");
    EXPECT_EQ(selta::ChannelValueToCode(2, 0, 8.16, 1.6), "400");
    EXPECT_EQ(selta::ChannelValueToCode(0, 1, 5.0, 0), "200"); // mode 0 needs no limit
    EXPECT_EQ(selta::ChannelValueToCode(0, 0, 0, 1.6), "000");
    // Halves go to the even neighbour: 2.5 → 2, 7.5 → 8, 12.5 → 12, 37.5 → 38.
    EXPECT_EQ(selta::ChannelValueToCode(0, 0, 1.0 / 64, 1.0), "002");
    EXPECT_EQ(selta::ChannelValueToCode(0, 0, 3.0 / 64, 1.0), "008");
    EXPECT_EQ(selta::ChannelValueToCode(1, 0, 0.25, 16), "012");
    EXPECT_EQ(selta::ChannelValueToCode(1, 0, 0.75, 16), "038");
    // Counts that three digits cannot carry, and a limit of 0.
    EXPECT_EQ(selta::ChannelValueToCode(0, 0, 9.99, 1.6), "");
    EXPECT_EQ(selta::ChannelValueToCode(0, 1, 25.0, 1.6), "");
    EXPECT_EQ(selta::ChannelValueToCode(0, 1, 24.9, 1.6), "996");
    EXPECT_EQ(selta::ChannelValueToCode(1, 0, 0.5, 0), "");
    EXPECT_EQ(selta::ChannelValueToCode(3, 1, 0.5, 0), "");
}

TEST(SeltaConversion, ValueToMaskDigits)
{
    EXPECT_EQ(selta::ValueToMaskDigits("2,5  мА", false), "250");
    EXPECT_EQ(selta::ValueToMaskDigits("0,31  мА", false), "031");
    EXPECT_EQ(selta::ValueToMaskDigits("12  мА", true), "120");
    EXPECT_EQ(selta::ValueToMaskDigits("5  мА", true), "050");
    EXPECT_EQ(selta::ValueToMaskDigits("9,97  мА", true), "099");
    EXPECT_EQ(selta::ValueToMaskDigits("0  мА", false), "000");
    EXPECT_EQ(selta::ValueToMaskDigits("-0,2  кг/см", false), "");
    EXPECT_EQ(selta::ValueToMaskDigits("-0,0  МПа", false), "000");
    // Too large for the field: left empty rather than 8,16 for 81,6.
    EXPECT_EQ(selta::ValueToMaskDigits("81,6  м", false), "");
    EXPECT_EQ(selta::ValueToMaskDigits("101,  кг/см", false), "");
    EXPECT_EQ(selta::ValueToMaskDigits("24,9  мА", true), "249");
    EXPECT_EQ(selta::ValueToMaskDigits("1017  м", true), "");
}

TEST(Olvin4Status, ChannelStateTextComparesTheWholeField)
{
    EXPECT_EQ(olvin4::ChannelStateText("-002"), "Интегральная защита");
    EXPECT_EQ(olvin4::ChannelStateText("-0020"), "");
    EXPECT_EQ(olvin4::ChannelStateText("-02"), "");
    EXPECT_EQ(olvin4::ChannelStateText("+002"), "");
    EXPECT_EQ(olvin4::ChannelStateText(""), "");
}
