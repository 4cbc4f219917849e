#include "support/RandomText.h"
#include "ui/MaskEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include <random>

namespace {

QString RandomMask(std::mt19937& rng)
{
    QString mask = RandomText(rng, int(rng() % 12), QStringLiteral("9990#cC,.-: ;_"));
    switch (rng() % 4) {
    case 0:
        return mask;
    case 1:
        return mask + QStringLiteral(";0;*");
    case 2:
        return mask + QStringLiteral(";1;") + RandomText(rng, int(rng() % 2), QStringLiteral("_* 9"));
    default:
        return mask.left(int(rng() % (mask.size() + 1))) + u';';
    }
}

bool IsPlace(QChar c) { return QStringLiteral("90#cC").contains(c); }

// What holds for any mask and any text: one shown character per position,
// each filled place holds the character given for it, and Text() read back
// through SetText() changes nothing.
void ExpectConsistent(ui::TMaskEdit& edit, const QString& mask, const QString* given)
{
    const QString pattern = mask.section(u';', 0, 0);
    SCOPED_TRACE(mask.toStdString());
    if (pattern.isEmpty())
        return;
    const QString text = edit.Text();
    const QString shown = edit.EditText();
    ASSERT_EQ(edit.PlaceCount(), pattern.size());
    ASSERT_EQ(shown.size(), pattern.size());
    ASSERT_EQ(edit.text(), shown);
    ASSERT_FALSE(text.endsWith(u' '));
    qsizetype k = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (!IsPlace(pattern.at(i))) {
            ASSERT_EQ(shown.at(i), pattern.at(i)) << "literal at " << i;
            continue;
        }
        if (k < text.size()) {
            const QChar c = text.at(k);
            if (c != u' ') {
                ASSERT_EQ(shown.at(i), c);
                if (pattern.at(i) == u'9' || pattern.at(i) == u'0')
                    ASSERT_TRUE(c.isDigit());
                else if (pattern.at(i) == u'#')
                    ASSERT_TRUE(c.isDigit() || c == u'+' || c == u'-');
                else
                    ASSERT_TRUE(c.isPrint());
                if (given) {
                    ASSERT_EQ(c, given->at(k));
                }
            }
        }
        ++k;
    }
    ASSERT_LE(text.size(), k);
    edit.SetText(text);
    ASSERT_EQ(edit.Text(), text);
    ASSERT_EQ(edit.EditText(), shown);
}

TEST(MaskEditRobustness, AnyMaskWithAnyTextStaysConsistent)
{
    std::mt19937 rng(31);
    ui::TMaskEdit edit;
    for (int i = 0; i < 1000; ++i) {
        const QString mask = RandomMask(rng);
        edit.SetEditMask(mask);
        ExpectConsistent(edit, mask, nullptr); // what the old mask left
        const QString text = RandomText(rng, int(rng() % 20), QStringLiteral("0123456789 ,*_-+abcАб"));
        edit.SetText(text);
        ExpectConsistent(edit, mask, &text);
        if (mask.section(u';', 0, 0).isEmpty()) {
            ASSERT_EQ(edit.Text(), text);
        }
        if (HasFatalFailure())
            return;
    }
}

TEST(MaskEditRobustness, RandomKeysKeepTheFieldConsistent)
{
    std::mt19937 rng(32);
    const int keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End};
    ui::TMaskEdit edit;
    for (int round = 0; round < 300; ++round) {
        const QString mask = RandomMask(rng);
        edit.SetEditMask(mask);
        for (int i = 0; i < 15; ++i) {
            const bool select = rng() % 4 == 0;
            if (rng() % 2) {
                QKeyEvent press(QEvent::KeyPress, keys[rng() % std::size(keys)],
                                select ? Qt::ShiftModifier : Qt::NoModifier);
                QApplication::sendEvent(&edit, &press);
            } else {
                QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier,
                                RandomText(rng, 1 + int(rng() % 3), QStringLiteral("0123456789,+-a ")));
                QApplication::sendEvent(&edit, &press);
            }
        }
        ExpectConsistent(edit, mask, nullptr);
        if (HasFatalFailure())
            return;
    }
}

TEST(MaskEditRobustness, TypedBlankOrSpaceLeavesThePlaceEmpty)
{
    ui::TMaskEdit edit;
    edit.SetEditMask(QStringLiteral("ccc;0;_"));
    edit.setCursorPosition(0);
    for (const QChar ch : QStringLiteral("_ a_ b")) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&edit, &press);
    }
    EXPECT_EQ(edit.Text(), QStringLiteral("ab"));
    EXPECT_EQ(edit.EditText(), QStringLiteral("ab_"));
}

TEST(MaskEditRobustness, VeryLongTextAndMask)
{
    ui::TMaskEdit edit;
    const QString digits(100000, u'7');
    edit.SetEditMask(QStringLiteral("999;0;*"));
    edit.SetText(digits);
    EXPECT_EQ(edit.Text(), QStringLiteral("777"));
    edit.SetEditMask(QString(5000, u'9') + QStringLiteral(";0;*"));
    EXPECT_EQ(edit.Text(), QStringLiteral("777")); // the filled places carried over
    edit.SetText(digits);
    EXPECT_EQ(edit.Text(), QString(5000, u'7'));
    EXPECT_EQ(edit.EditText().size(), 5000);
}

} // namespace
