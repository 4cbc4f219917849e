// Line settings a pseudo-terminal cannot show, checked on the records the
// component builds. Only the kernel's own termios header is used here.
#include "port/ComTermios.h"

#include <asm/termbits.h>

#include <gtest/gtest.h>

namespace {

TTermiosImage Termios(TBaudRate rate, TByteSize size, TParity parity, TStopBits stop)
{
    return MakeTermios(MakeDcb({rate, size, parity, stop}));
}

} // namespace

TEST(DcbMapping, FlagWordAndParityByte)
{
    const TDcbImage none = MakeDcb({br9600, bs8, paNone, sb1});
    EXPECT_EQ(none.DCBlength, 28u);
    EXPECT_EQ(none.Flags, 0x1011u);
    EXPECT_EQ(none.Parity, 0);
    EXPECT_EQ(none.BaudRate, 9600u);
    EXPECT_EQ(none.ByteSize, 8);
    EXPECT_EQ(none.StopBits, 0);
    EXPECT_EQ(none.XonChar, 0x11);
    EXPECT_EQ(none.XoffChar, 0x13);
    EXPECT_EQ(none.XonLim, 0);
    EXPECT_EQ(none.ErrorChar, 0);

    const TDcbImage even = MakeDcb({br19200, bs7, paEven, sb2});
    EXPECT_EQ(even.Flags, 0x1013u);
    EXPECT_EQ(even.Parity, 2);
    EXPECT_EQ(even.ByteSize, 7);
    EXPECT_EQ(even.StopBits, 2);
    EXPECT_EQ(MakeDcb({br110, bs5, paSpace, sb1_5}).Parity, 4);
    EXPECT_EQ(MakeDcb({br110, bs5, paSpace, sb1_5}).StopBits, 1);
}

TEST(DcbMapping, EverySpeedOfTheList)
{
    const std::uint32_t expected[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                      19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int i = br110; i <= br256000; ++i)
        EXPECT_EQ(MakeDcb({static_cast<TBaudRate>(i), bs8, paNone, sb1}).BaudRate, expected[i]) << i;
}

TEST(TermiosMapping, StandardSpeedsUseTheirCodeAndTheOthersBother)
{
    struct {
        TBaudRate Rate;
        std::uint32_t Code;
    } const cases[] = {{br110, B110},       {br300, B300},      {br600, B600},     {br1200, B1200},
                       {br2400, B2400},     {br4800, B4800},    {br9600, B9600},   {br14400, BOTHER},
                       {br19200, B19200},   {br38400, B38400},  {br56000, BOTHER}, {br57600, B57600},
                       {br115200, B115200}, {br128000, BOTHER}, {br256000, BOTHER}};
    for (const auto& c : cases) {
        const TTermiosImage t = Termios(c.Rate, bs8, paNone, sb1);
        EXPECT_EQ(t.c_cflag & CBAUD, c.Code) << BaudRateValue(c.Rate);
        EXPECT_EQ(t.c_ospeed, BaudRateValue(c.Rate));
        EXPECT_EQ(t.c_ispeed, BaudRateValue(c.Rate));
        EXPECT_EQ(t.c_cflag & (CIBAUD), 0u) << "input speed follows the output speed";
    }
}

TEST(TermiosMapping, DataBitsParityAndStopBits)
{
    EXPECT_EQ(Termios(br9600, bs5, paNone, sb1).c_cflag & CSIZE, static_cast<std::uint32_t>(CS5));
    EXPECT_EQ(Termios(br9600, bs6, paNone, sb1).c_cflag & CSIZE, static_cast<std::uint32_t>(CS6));
    EXPECT_EQ(Termios(br9600, bs7, paNone, sb1).c_cflag & CSIZE, static_cast<std::uint32_t>(CS7));
    EXPECT_EQ(Termios(br9600, bs8, paNone, sb1).c_cflag & CSIZE, static_cast<std::uint32_t>(CS8));

    const std::uint32_t parityBits = PARENB | PARODD | CMSPAR;
    EXPECT_EQ(Termios(br9600, bs8, paNone, sb1).c_cflag & parityBits, 0u);
    EXPECT_EQ(Termios(br9600, bs8, paOdd, sb1).c_cflag & parityBits, static_cast<std::uint32_t>(PARENB | PARODD));
    EXPECT_EQ(Termios(br9600, bs8, paEven, sb1).c_cflag & parityBits, static_cast<std::uint32_t>(PARENB));
    EXPECT_EQ(Termios(br9600, bs8, paMark, sb1).c_cflag & parityBits,
              static_cast<std::uint32_t>(PARENB | PARODD | CMSPAR));
    EXPECT_EQ(Termios(br9600, bs8, paSpace, sb1).c_cflag & parityBits, static_cast<std::uint32_t>(PARENB | CMSPAR));
    // Input parity checking only with parity on.
    EXPECT_EQ(Termios(br9600, bs8, paNone, sb1).c_iflag & INPCK, 0u);
    EXPECT_NE(Termios(br9600, bs8, paEven, sb1).c_iflag & INPCK, 0u);

    EXPECT_EQ(Termios(br9600, bs8, paNone, sb1).c_cflag & CSTOPB, 0u);
    EXPECT_NE(Termios(br9600, bs8, paNone, sb2).c_cflag & CSTOPB, 0u);
    EXPECT_NE(Termios(br9600, bs5, paNone, sb1_5).c_cflag & CSTOPB, 0u);
}

TEST(TermiosMapping, RawLineWithoutFlowControlBuiltFromZero)
{
    for (TParity parity : {paNone, paOdd, paEven, paMark, paSpace}) {
        const TTermiosImage t = Termios(br115200, bs8, parity, sb1);
        EXPECT_EQ(t.c_iflag & ~static_cast<std::uint32_t>(INPCK), 0u) << "no IXON, IXOFF, ICRNL, ISTRIP, BRKINT";
        EXPECT_EQ(t.c_oflag, 0u);
        EXPECT_EQ(t.c_lflag, 0u) << "no ICANON, ECHO, ISIG";
        EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
        EXPECT_NE(t.c_cflag & CREAD, 0u);
        EXPECT_NE(t.c_cflag & CLOCAL, 0u) << "a missing carrier must not block reads";
        EXPECT_EQ(t.c_line, 0);
        EXPECT_EQ(t.c_cc[VMIN], 1) << "with O_NONBLOCK a read of 0 then means hang-up";
        EXPECT_EQ(t.c_cc[VTIME], 0);
        EXPECT_EQ(t.c_cc[VSTART], 0);
        EXPECT_EQ(t.c_cc[VINTR], 0);
    }
}

TEST(TimeoutsMapping, NegativeValuesBecomeMaxDword)
{
    const TCommTimeoutsImage d = MakeCommTimeouts(-1, 0, 0, 100, 1000);
    EXPECT_EQ(d.ReadIntervalTimeout, MaxDword);
    EXPECT_EQ(d.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(d.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(d.WriteTotalTimeoutMultiplier, 100u);
    EXPECT_EQ(d.WriteTotalTimeoutConstant, 1000u);
    const TCommTimeoutsImage n = MakeCommTimeouts(5, -7, 3, -2, 0);
    EXPECT_EQ(n.ReadIntervalTimeout, 5u);
    EXPECT_EQ(n.ReadTotalTimeoutMultiplier, MaxDword);
    EXPECT_EQ(n.ReadTotalTimeoutConstant, 3u);
    EXPECT_EQ(n.WriteTotalTimeoutMultiplier, MaxDword);
}

TEST(TimeoutsMapping, ReadPlans)
{
    EXPECT_EQ(MakeReadPlan(MakeCommTimeouts(-1, 0, 0, 100, 1000), 50).Mode, TReadMode::Immediate);

    const TReadPlan first = MakeReadPlan(MakeCommTimeouts(-1, -1, 250, 0, 0), 50);
    EXPECT_EQ(first.Mode, TReadMode::WaitForFirst);
    EXPECT_EQ(first.TotalMs, 250);

    const TReadPlan timed = MakeReadPlan(MakeCommTimeouts(20, 10, 100, 0, 0), 5);
    EXPECT_EQ(timed.Mode, TReadMode::Timed);
    EXPECT_EQ(timed.TotalMs, 150);
    EXPECT_EQ(timed.IntervalMs, 20);

    const TReadPlan blocking = MakeReadPlan(MakeCommTimeouts(0, 0, 0, 0, 0), 5);
    EXPECT_EQ(blocking.Mode, TReadMode::Timed);
    EXPECT_EQ(blocking.TotalMs, -1);
    EXPECT_EQ(blocking.IntervalMs, -1);
}

TEST(TimeoutsMapping, WriteLimitIsPerCharacterPlusConstant)
{
    EXPECT_EQ(WriteLimitMs(MakeCommTimeouts(-1, 0, 0, 100, 1000), 12), 2200);
    EXPECT_EQ(WriteLimitMs(MakeCommTimeouts(-1, 0, 0, 0, 0), 12), -1);
    EXPECT_EQ(WriteLimitMs(MakeCommTimeouts(-1, 0, 0, -1, 0), 2), 2 * std::int64_t{MaxDword});
}

TEST(EventMask, AllEightEventsAndBack)
{
    EXPECT_EQ(EventsToMask(AllComEvents), 0x05BDu);
    EXPECT_EQ(MaskToEvents(0x05BD), AllComEvents);
    EXPECT_EQ(EventsToMask({evRing, evRLSD}), 0x0120u);
    EXPECT_EQ(MaskToEvents(0x0001), TComEvents({evRxChar}));
    EXPECT_TRUE(MaskToEvents(0x0002).Empty());
}

TEST(LineErrors, CountersToErrorWordToErrors)
{
    TLineCounters before;
    TLineCounters after = before;
    after.Frame = 1;
    after.Break = 4;
    const std::uint32_t word = ErrorWordFromCounters(before, after);
    EXPECT_EQ(word, 0x0018u);
    EXPECT_EQ(ErrorsFromWord(word, false), TComErrors({ceFrame, ceBreak}));
    EXPECT_EQ(EventsFromCounters(before, after), TComEvents({evError}));

    after = before;
    after.Parity = 2;
    after.Overrun = 1;
    after.BufOverrun = 1;
    EXPECT_EQ(ErrorWordFromCounters(before, after), 0x0007u);
    EXPECT_EQ(ErrorsFromWord(0x0007, true), TComErrors({ceRxParity, ceOverrun, ceRxOver}));
    // A parity error is not reported while parity is off.
    EXPECT_EQ(ErrorsFromWord(0x0007, false), TComErrors({ceOverrun, ceRxOver}));
    EXPECT_EQ(ErrorsFromWord(0x8500, false), TComErrors({ceMode, ceIO, ceTxFull}));
    EXPECT_TRUE(ErrorsFromWord(0x0060, true).Empty());
}

TEST(LineErrors, ModemCountersGiveSignalEvents)
{
    TLineCounters before;
    TLineCounters after = before;
    after.Cts = 1;
    after.Ring = 1;
    after.Dcd = 3;
    EXPECT_EQ(EventsFromCounters(before, after), TComEvents({evCTS, evRing, evRLSD}));
    after = before;
    after.Dsr = 1;
    EXPECT_EQ(EventsFromCounters(before, after), TComEvents({evDSR}));
    EXPECT_TRUE(EventsFromCounters(before, before).Empty());
}
