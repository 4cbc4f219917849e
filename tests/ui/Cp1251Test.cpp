#include "ui/Cp1251.h"

#include <gtest/gtest.h>

TEST(Cp1251, CyrillicRoundTripsByteForByte)
{
    const QString text = QStringLiteral("Сельта Ёё №1");
    const QByteArray bytes = ui::ToCp1251(text);
    EXPECT_EQ(bytes, QByteArray("\xD1\xE5\xEB\xFC\xF2\xE0 \xA8\xB8 \xB9"
                                "1"));
    EXPECT_EQ(ui::FromCp1251(bytes), text);
}

TEST(Cp1251, EveryByteHasADisplayCharacter)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString shown = ui::FromCp1251(all);
    ASSERT_EQ(shown.size(), 256);
    EXPECT_EQ(shown.at(0x98), QChar(0xFFFD));
    // Everything but the unassigned byte comes back unchanged.
    QByteArray expected = all;
    expected[0x98] = '?';
    EXPECT_EQ(ui::ToCp1251(shown), expected);
}

TEST(Cp1251, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(ui::ToCp1251(QStringLiteral("a€ä中")), QByteArray("a\x88??"));
}
