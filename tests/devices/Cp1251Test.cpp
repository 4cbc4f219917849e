#include "devices/Cp1251.h"
#include "support/RandomText.h"

#include <gtest/gtest.h>

TEST(Cp1251, CyrillicRoundTripsByteForByte)
{
    const QString text = QStringLiteral("Сельта Ёё №1");
    const QByteArray bytes = devices::ToCp1251(text);
    EXPECT_EQ(bytes, QByteArray("\xD1\xE5\xEB\xFC\xF2\xE0 \xA8\xB8 \xB9"
                                "1"));
    EXPECT_EQ(devices::FromCp1251(bytes), text);
}

TEST(Cp1251, EveryByteHasADisplayCharacter)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString shown = devices::FromCp1251(all);
    ASSERT_EQ(shown.size(), 256);
    EXPECT_EQ(shown.at(0x98), QChar(0xFFFD));
    // Everything but the unassigned byte comes back unchanged.
    QByteArray expected = all;
    expected[0x98] = '?';
    EXPECT_EQ(devices::ToCp1251(shown), expected);
}

TEST(Cp1251, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(devices::ToCp1251(QStringLiteral("a€ä中")), QByteArray("a\x88??"));
}

TEST(Cp1251Robustness, EveryByteStringComesBackExceptTheUnassignedByte)
{
    std::mt19937 rng(41);
    for (int i = 0; i < 3000; ++i) {
        QByteArray bytes;
        const int size = int(rng() % 64);
        for (int k = 0; k < size; ++k)
            bytes.append(char(rng() % 256));
        const QString text = devices::FromCp1251(bytes);
        ASSERT_EQ(text.size(), bytes.size());
        QByteArray expected = bytes;
        expected.replace('\x98', '?');
        ASSERT_EQ(devices::ToCp1251(text), expected) << bytes.toHex().constData();
    }
}

TEST(Cp1251Robustness, AnyUtf16TextBecomesOneByteEachAndKnownCharactersComeBack)
{
    std::mt19937 rng(42);
    for (int i = 0; i < 3000; ++i) {
        const QString text = RandomText(rng, int(rng() % 40), QStringLiteral("AzЯё№€—\u00A0?"));
        const QByteArray bytes = devices::ToCp1251(text);
        ASSERT_EQ(bytes.size(), text.size());
        const QString back = devices::FromCp1251(bytes);
        for (qsizetype k = 0; k < text.size(); ++k) {
            if (bytes.at(k) == '?')
                continue; // no place in the code page, or a "?" itself
            ASSERT_EQ(back.at(k), text.at(k)) << "char " << int(text.at(k).unicode());
        }
        // Surrogate halves and the replacement character have no byte.
        for (qsizetype k = 0; k < text.size(); ++k)
            if (text.at(k).isSurrogate() || text.at(k) == QChar(0xFFFD)) {
                ASSERT_EQ(bytes.at(k), '?');
            }
    }
}
