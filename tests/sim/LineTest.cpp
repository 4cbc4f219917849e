#include "sim/Line.h"

#include <gtest/gtest.h>

// The line's timing on a clock of our own: microseconds given by the test.

TEST(Line, PacesEchoThenAnswerAfterTurnaround)
{
    sim::TLine line;
    line.SetBaud(10000); // 1 ms a character
    line.SetTurnaroundUs(5000);
    line.Push(0, {{"#ab\r", 0, true}, {"~xy\r", 0, false}});
    EXPECT_EQ(line.NextDueUs(), 1000);
    EXPECT_EQ(line.TakeDue(999), QByteArray());
    EXPECT_EQ(line.TakeDue(2500), QByteArray("#a"));
    EXPECT_EQ(line.TakeDue(4000), QByteArray("b\r"));
    // Request done at 4 ms, the device starts at 9 ms: first character at 10 ms.
    EXPECT_EQ(line.NextDueUs(), 10000);
    EXPECT_EQ(line.TakeDue(9999), QByteArray());
    // Answering from the device's start until its last character is out: a
    // request heard then would collide with the answer.
    EXPECT_FALSE(line.Answering(8999));
    EXPECT_TRUE(line.Answering(9000));
    EXPECT_EQ(line.TakeDue(12000), QByteArray("~xy"));
    EXPECT_TRUE(line.Answering(12000));
    EXPECT_EQ(line.TakeDue(13000), QByteArray("\r"));
    EXPECT_FALSE(line.Answering(13000));
    EXPECT_TRUE(line.Empty());
}

TEST(Line, UnpacedLineGivesAllAtOnceButKeepsFaultPauses)
{
    sim::TLine line;
    line.SetBaud(0);
    line.SetTurnaroundUs(0);
    line.Push(100, {{"#r\r", 0, true}, {"~a", 450, false}, {"b\r", 3, false}});
    EXPECT_EQ(line.TakeDue(100), QByteArray("#r\r"));
    EXPECT_EQ(line.NextDueUs(), 450100);
    EXPECT_EQ(line.TakeDue(450099), QByteArray());
    EXPECT_EQ(line.TakeDue(450100), QByteArray("~a"));
    EXPECT_EQ(line.TakeDue(453099), QByteArray());
    EXPECT_EQ(line.TakeDue(453100), QByteArray("b\r"));
}

TEST(Line, ALateAnswerNeverCutsIntoTheNextEcho)
{
    sim::TLine line;
    line.SetBaud(10000);
    line.Push(0, {{"#1\r", 0, true}, {"~LATE\r", 10, false}});
    EXPECT_EQ(line.TakeDue(3000), QByteArray("#1\r"));
    EXPECT_EQ(line.TakeDue(15000), QByteArray("~L"));
    // A resend arrives while the late answer is on the line: its echo waits.
    line.Push(15000, {{"#2\r", 0, true}});
    EXPECT_EQ(line.TakeDue(40000), QByteArray("ATE\r#2\r"));
}
