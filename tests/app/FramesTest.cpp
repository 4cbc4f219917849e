#include "app/Frames.h"

#include <gtest/gtest.h>

TEST(MakeFrame, AppendsUpperHexSumAndCr)
{
    EXPECT_EQ(MakeFrame("#1001T"), QByteArray("#1001T39\r"));
    EXPECT_EQ(MakeFrame("#SLT001T"), QByteArray("#SLT001TFB\r"));
    EXPECT_EQ(MakeFrame(""), QByteArray("00\r"));
}

TEST(MakeFrame, SumsHighCharactersAsUnsigned)
{
    // 0xFF + 0x02 = 0x101: only the low byte counts.
    EXPECT_EQ(MakeFrame(QByteArray("\xFF\x02")), QByteArray("\xFF\x02"
                                                            "01\r"));
}

TEST(FrameChecksumOK, AcceptsOnlyTheExactUpperCaseSum)
{
    EXPECT_TRUE(FrameChecksumOK("~001T63"));
    EXPECT_FALSE(FrameChecksumOK("~001T64"));
    EXPECT_TRUE(FrameChecksumOK("~0010F")); // sum below 16 keeps its leading zero
    EXPECT_FALSE(FrameChecksumOK("~0010f"));
    EXPECT_FALSE(FrameChecksumOK("~001F"));
}

TEST(FrameChecksumOK, ShortFrames)
{
    EXPECT_FALSE(FrameChecksumOK(""));
    EXPECT_FALSE(FrameChecksumOK("0"));
    EXPECT_TRUE(FrameChecksumOK("00"));
    EXPECT_FALSE(FrameChecksumOK("01"));
}

TEST(FrameChecksumOK, MarkersInsidePayloadAreOrdinaryCharacters)
{
    const QByteArray body = "~001T#~#";
    EXPECT_TRUE(FrameChecksumOK(body + ChecksumHex(body)));
}
