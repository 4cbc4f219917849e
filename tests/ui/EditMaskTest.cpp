#include "ui/EditMask.h"

#include <gtest/gtest.h>

namespace {

ui::TEditMask Mask(const char* mask, const char* text = "")
{
    ui::TEditMask m;
    m.SetMask(QString::fromUtf8(mask));
    m.SetText(QString::fromUtf8(text));
    return m;
}

TEST(EditMask, ParsesPatternAndBlank)
{
    const struct {
        const char* mask;
        int places;
        const char* shown; // after SetText("12")
    } rows[] = {
        {"999", 3, "12_"},      {"999;1;", 3, "12_"},    {"999;;*", 3, "12*"}, {"999;0;;*", 3, "12_"},
        {"0C9;0;#x", 3, "12#"}, {"a9-9;0;*", 4, "a1-2"}, {";0;*", 0, ""},      {"", 0, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.mask);
        const ui::TEditMask m = Mask(r.mask, "12");
        EXPECT_EQ(m.PlaceCount(), r.places);
        EXPECT_EQ(m.EditText(), QString::fromUtf8(r.shown));
        EXPECT_EQ(m.Mask(), QString::fromUtf8(r.mask));
    }
    EXPECT_EQ(Mask("", "12").Text(), ""); // without a pattern the field keeps the text
}

TEST(EditMask, AcceptsByKindOfPlace)
{
    const struct {
        const char* mask;
        int pos;
        QChar ch;
        bool accepted;
    } rows[] = {
        {"9#c;0;*", 0, u'5', true},   {"9#c;0;*", 0, u'a', false},  {"9#c;0;*", 1, u'-', true},
        {"9#c;0;*", 1, u'+', true},   {"9#c;0;*", 1, u'.', false},  {"9#c;0;*", 2, u'Ж', true},
        {"9#c;0;*", 2, u'\t', false}, {"9#c;0;*", 2, u'*', false},  {"9#c;0;*", 2, u' ', false},
        {"9,9;0;*", 1, u',', false},  {"9#c;0;*", -1, u'5', false}, {"9#c;0;*", 3, u'5', false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.mask << " at " << r.pos << " U+" << int(r.ch.unicode()));
        EXPECT_EQ(Mask(r.mask).Accepts(r.pos, r.ch), r.accepted);
    }
}

TEST(EditMask, FindsPlacesAroundLiterals)
{
    const ui::TEditMask m = Mask("9,,9;0;*");
    const struct {
        int pos, next, prev;
    } rows[] = {{-5, 0, -1}, {0, 0, -1}, {1, 3, 0}, {3, 3, 0}, {4, -1, 3}, {100, -1, 3}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.pos);
        EXPECT_EQ(m.NextPlace(r.pos), r.next);
        EXPECT_EQ(m.PrevPlace(r.pos), r.prev);
    }
}

TEST(EditMask, TypeFillsTheNextPlaceAndReturnsTheCursor)
{
    const struct {
        const char* mask;
        const char* text;
        int pos;
        QChar ch;
        int cursor;
        const char* shown;
    } rows[] = {
        {"9,99;0;*", "", 0, u'1', 2, "1,**"},  {"9,99;0;*", "", 1, u'1', 3, "*,1*"},
        {"9,99;0;*", "", 3, u'1', 4, "*,*1"},  {"9,99;0;*", "", 4, u'1', -1, "*,**"},
        {"9,99;0;*", "", 0, u'a', -1, "*,**"}, {"9,99;0;*", "12", 0, u'7', 2, "7,2*"},
        {"99,;0;*", "", 1, u'5', 2, "*5,"},    {"9;0;*", "", -3, u'5', 1, "5"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.mask << " at " << r.pos);
        ui::TEditMask m = Mask(r.mask, r.text);
        EXPECT_EQ(m.Type(r.pos, r.ch), r.cursor);
        EXPECT_EQ(m.EditText(), QString::fromUtf8(r.shown));
    }
}

TEST(EditMask, ClearRangeEmptiesPlacesOnly)
{
    const struct {
        int from, to;
        const char* shown;
        const char* text;
    } rows[] = {
        {0, 4, "*,**", ""}, {-1, 1, "*,23", " 23"}, {1, 2, "1,23", "123"}, {2, 100, "1,**", "1"}, {3, 2, "1,23", "123"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.from << ".." << r.to);
        ui::TEditMask m = Mask("9,99;0;*", "123");
        m.ClearRange(r.from, r.to);
        EXPECT_EQ(m.EditText(), QString::fromUtf8(r.shown));
        EXPECT_EQ(m.Text(), QString::fromUtf8(r.text));
    }
}

} // namespace
