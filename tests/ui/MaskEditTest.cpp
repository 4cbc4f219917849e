#include "ui/MaskEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QTest>

namespace {

void Type(ui::TMaskEdit& edit, const QString& keys) { QTest::keyClicks(&edit, keys); }

void Key(ui::TMaskEdit& edit, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(&edit, &press);
}

struct MaskCase {
    const char* mask;
    const char* typed;
    const char* text;
    const char* editText;
};

class EveryMask : public ::testing::TestWithParam<MaskCase> {};

TEST_P(EveryMask, TypingFillsPlacesAndSkipsLiterals)
{
    const MaskCase c = GetParam();
    ui::TMaskEdit edit;
    edit.SetEditMask(QString::fromUtf8(c.mask));
    edit.setCursorPosition(0);
    Type(edit, QString::fromUtf8(c.typed));
    EXPECT_EQ(edit.Text(), QString::fromUtf8(c.text));
    EXPECT_EQ(edit.EditText(), QString::fromUtf8(c.editText));
    EXPECT_EQ(edit.text(), edit.EditText()); // what the user sees
}

INSTANTIATE_TEST_SUITE_P(
    Masks, EveryMask,
    ::testing::Values(MaskCase{"999;0;*", "001", "001", "001"}, MaskCase{"999;0;*", "12", "12", "12*"},
                      MaskCase{"999;0;*", "1a2", "12", "12*"}, MaskCase{"9,99;0;*", "160", "160", "1,60"},
                      MaskCase{"9,99;0;*", "12", "12", "1,2*"}, MaskCase{"99,9;0;*", "123", "123", "12,3"},
                      MaskCase{"99;0;*", "7", "7", "7*"}, MaskCase{"9;0;*", "45", "4", "4"},
                      MaskCase{"99999999;0;*", "12345678", "12345678", "12345678"},
                      MaskCase{"#9ccc;0;*", "-1abc", "-1abc", "-1abc"}, MaskCase{"#9ccc;0;*", "+5", "+5", "+5***"},
                      MaskCase{"#9ccc;0;*", "x", "", "*****"}));

TEST(MaskEdit, EmptyFieldShowsBlanksAndLiterals)
{
    ui::TMaskEdit edit;
    edit.SetEditMask("9,99;0;*");
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(edit.EditText(), "*,**");
    EXPECT_EQ(edit.maxLength(), 4);
}

TEST(MaskEdit, SetTextPlacesCharactersInOrder)
{
    ui::TMaskEdit edit;
    edit.SetEditMask("9,99;0;*");
    edit.SetText("16");
    EXPECT_EQ(edit.EditText(), "1,6*");
    EXPECT_EQ(edit.Text(), "16");
    edit.SetText("1234");
    EXPECT_EQ(edit.EditText(), "1,23");
    edit.Clear();
    EXPECT_EQ(edit.Text(), "");
}

TEST(MaskEdit, GapBeforeLastFilledPlaceReadsAsBlank)
{
    ui::TMaskEdit edit;
    edit.SetEditMask("999;0;*");
    edit.SetText("1 3");
    EXPECT_EQ(edit.EditText(), "1*3");
    EXPECT_EQ(edit.Text(), "1 3");
}

TEST(MaskEdit, MaskChangeKeepsTheDigits)
{
    ui::TMaskEdit edit;
    edit.SetEditMask("9,99;0;*");
    edit.SetText("125");
    edit.SetEditMask("99,9;0;*");
    EXPECT_EQ(edit.EditText(), "12,5");
    EXPECT_EQ(edit.Text(), "125");
    edit.SetText("12");
    edit.SetEditMask("9,99;0;*");
    EXPECT_EQ(edit.EditText(), "1,2*");
    EXPECT_EQ(edit.Text(), "12");
}

TEST(MaskEdit, BackspaceAndDeleteEmptyPlacesOnly)
{
    ui::TMaskEdit edit;
    edit.SetEditMask("9,99;0;*");
    edit.setCursorPosition(0);
    Type(edit, "160");
    Key(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.EditText(), "1,6*");
    Key(edit, Qt::Key_Backspace);
    Key(edit, Qt::Key_Backspace); // steps over the comma
    EXPECT_EQ(edit.EditText(), "*,**");
    Type(edit, "2");
    EXPECT_EQ(edit.EditText(), "2,**");
    edit.setCursorPosition(0);
    Key(edit, Qt::Key_Delete);
    EXPECT_EQ(edit.EditText(), "*,**");
}

TEST(MaskEdit, TypingOverSelectionReplacesIt)
{
    ui::TMaskEdit edit;
    edit.SetEditMask("999;0;*");
    edit.SetText("123");
    edit.selectAll();
    Type(edit, "9");
    EXPECT_EQ(edit.EditText(), "9**");
}

TEST(MaskEdit, PasteTypesEachCharacter)
{
    ui::TMaskEdit edit;
    edit.SetEditMask("9,99;0;*");
    edit.setCursorPosition(0);
    QApplication::clipboard()->setText("2x5");
    Key(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.EditText(), "2,5*");
}

TEST(MaskEdit, WithoutMaskItIsAPlainField)
{
    ui::TMaskEdit edit;
    Type(edit, "abc");
    EXPECT_EQ(edit.Text(), "abc");
    EXPECT_EQ(edit.EditText(), "abc");
}

} // namespace
