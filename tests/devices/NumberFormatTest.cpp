#include "devices/NumberFormat.h"

#include <gtest/gtest.h>

#include <QLocale>

using devices::FormatGeneral;
using devices::ParseNumber;

TEST(FormatGeneral, FixedFormWithoutTrailingZeros)
{
    EXPECT_EQ(FormatGeneral(2.5), "2,5");
    EXPECT_EQ(FormatGeneral(12), "12");
    EXPECT_EQ(FormatGeneral(0), "0");
    EXPECT_EQ(FormatGeneral(-0.0), "0");
    EXPECT_EQ(FormatGeneral(0.5000256), "0,5000256");
    EXPECT_EQ(FormatGeneral(1000000), "1000000");
    EXPECT_EQ(FormatGeneral(-0.02500128), "-0,02500128");
    EXPECT_EQ(FormatGeneral(0.0001), "0,0001");
}

TEST(FormatGeneral, RoundsToFifteenSignificantDigits)
{
    // 0.8 * 10.2 is 8.159999999999998 in binary.
    EXPECT_EQ(FormatGeneral(0.8 * 10.2), "8,16");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0,3");
    EXPECT_EQ(FormatGeneral(1.23456789012345678), "1,23456789012346");
    // Rounding may carry into a new leading digit.
    EXPECT_EQ(FormatGeneral(9.9999999999999999), "10");
    EXPECT_EQ(FormatGeneral(0.99999999999999999), "1");
}

TEST(FormatGeneral, ExponentFormForTinyAndHugeMagnitudes)
{
    EXPECT_EQ(FormatGeneral(1.25e-5), "1,25E-5");
    EXPECT_EQ(FormatGeneral(-3e-7), "-3E-7");
    EXPECT_EQ(FormatGeneral(0.00009999), "9,999E-5");
    EXPECT_EQ(FormatGeneral(1e20), "1E20");
    EXPECT_EQ(FormatGeneral(123456789012345.0), "123456789012345");
    // The widest texts (three-digit exponents, fifteen digits) and the edges of the fixed form.
    EXPECT_EQ(FormatGeneral(-1.7976931348623157e308), "-1,79769313486232E308");
    EXPECT_EQ(FormatGeneral(4.9406564584124654e-324), "4,94065645841247E-324");
    EXPECT_EQ(FormatGeneral(-0.000123456789012345), "-0,000123456789012345");
    EXPECT_EQ(FormatGeneral(999999999999999.0), "999999999999999");
    EXPECT_EQ(FormatGeneral(9999999999999999.0), "1E16");
}

TEST(FormatGeneral, IgnoresTheMachineLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English));
    EXPECT_EQ(FormatGeneral(1.5), "1,5");
    EXPECT_EQ(ParseNumber("1,5"), 1.5);
    QLocale::setDefault(QLocale(QLocale::German));
    EXPECT_EQ(FormatGeneral(1234.5), "1234,5");
    QLocale::setDefault(saved);
}

TEST(ParseNumber, ReadsCommaNumbersAndRejectsGaps)
{
    EXPECT_EQ(ParseNumber("1,60"), 1.6);
    EXPECT_EQ(ParseNumber("12,0"), 12.0);
    EXPECT_EQ(ParseNumber("101,"), 101.0); // a cut value text ends on the comma
    EXPECT_EQ(ParseNumber("-0,0"), 0.0);
    EXPECT_EQ(ParseNumber(" 7 "), 7.0);
    EXPECT_EQ(ParseNumber("1,25E-5"), 1.25e-5);
    EXPECT_FALSE(ParseNumber("1,6*"));
    EXPECT_FALSE(ParseNumber("*,**"));
    EXPECT_FALSE(ParseNumber(""));
    EXPECT_FALSE(ParseNumber(","));
    EXPECT_FALSE(ParseNumber("1.6"));
    EXPECT_FALSE(ParseNumber("1,6,0"));
    EXPECT_FALSE(ParseNumber("1E"));
}
