#include "devices/Frame.h"
#include "devices/DeviceKind.h"

#include <gtest/gtest.h>

using devices::TDeviceKind;

TEST(Frame, LetterOnlyWherePositionFiveLiesBeforeTheChecksum)
{
    const struct {
        const char* Frame;
        bool ChecksumOK;
        char Letter; // 0: none
    } rows[] = {
        {"~fffB0", true, 0}, // position 5 is a checksum digit: line noise, not a write acknowledgement
        {"~0010F", true, 0}, {"~001T63", true, 'T'}, {"~001T164", false, 'T'}, {"~001T194", true, 'T'},
        {"~0AE", true, 0},   {"", false, 0},         {"~", false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Frame);
        const QByteArray frame(row.Frame);
        EXPECT_EQ(devices::FrameChecksumOK(frame), row.ChecksumOK);
        EXPECT_EQ(devices::ResponseLetter(frame).value_or(0), row.Letter);
        EXPECT_EQ(devices::CheckedLetter(frame).value_or(0), row.ChecksumOK ? row.Letter : 0);
    }
}

TEST(Frame, FieldsAreReadOnlyBeforeTheChecksum)
{
    const QByteArray frame = "~001T0123ab"; // checksum characters "ab" at 10 and 11
    const struct {
        int Pos;
        int Width;
        const char* Field; // nullptr: none
        int Digits;        // -1: none
    } rows[] = {
        {6, 4, "0123", 123},       {6, 3, "012", 12},    {9, 1, "3", 3},   {7, 4, nullptr, -1}, {10, 1, nullptr, -1},
        {0, 2, nullptr, -1},       {-5, 2, nullptr, -1}, {2, 3, "001", 1}, {5, 2, "T0", -1},    {6, 0, "", -1},
        {1000000, 4, nullptr, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.Pos << "/" << row.Width);
        const auto field = devices::FieldAt(frame, row.Pos, row.Width);
        EXPECT_EQ(field.has_value(), row.Field != nullptr);
        EXPECT_EQ(field.value_or("none"), QByteArray(row.Field ? row.Field : "none"));
        EXPECT_EQ(devices::DigitsAt(frame, row.Pos, row.Width).value_or(-1), row.Digits);
    }
}

TEST(DeviceKinds, OneRowPerModelInListOrder)
{
    const struct {
        TDeviceKind Kind;
        const char* Name;
        const char* Code;
        const char* Poll;
        bool StopPoll;
        bool LinkLost;
    } rows[] = {
        {TDeviceKind::Olvin3M, "Ольвин 3М", "OV3", "#OV3042TE5\r", true, true},
        {TDeviceKind::Selta, "Сельта", "SLT", "#SLT042T00\r", true, true},
        {TDeviceKind::Olvin4, "Ольвин 4э", "1", "#1042T3E\r", true, true},
        {TDeviceKind::Torvis, "ТОРВИС", "TRV", "#TRV042T09\r", false, true},
    };
    for (int index = 0; index < devices::DeviceKindCount; ++index) {
        const auto& row = rows[index];
        SCOPED_TRACE(row.Code);
        EXPECT_EQ(devices::KindFromIndex(index), row.Kind);
        EXPECT_EQ(devices::KindListName(row.Kind), QString::fromUtf8(row.Name));
        EXPECT_EQ(devices::KindFromCode(row.Code), row.Kind);
        EXPECT_EQ(devices::Request(row.Kind, "042", "T"), QByteArray(row.Poll));
        EXPECT_EQ(devices::KindHasHook(row.Kind, devices::THook::StopPoll), row.StopPoll);
        EXPECT_EQ(devices::KindHasHook(row.Kind, devices::THook::LinkLost), row.LinkLost);
    }
    for (const int index : {-1, 4, 100})
        EXPECT_EQ(devices::KindFromIndex(index), TDeviceKind::None);
    EXPECT_FALSE(devices::KindHasHook(TDeviceKind::None, devices::THook::LinkLost));
    EXPECT_EQ(devices::KindFromCode("OV4"), std::nullopt);
    EXPECT_EQ(devices::KindPrefix(TDeviceKind::None), QByteArray());
}
