#include "support/SimTestUtil.h"

#include "sim/Bus.h"
#include "sim/Olvin3.h"
#include "sim/Olvin4.h"
#include "sim/Selta.h"
#include "sim/Torvis.h"

#include <gtest/gtest.h>

using simtest::Request;
using simtest::ValidAnswer;

namespace {

// Sends one request and returns only the device's answer (the echo taken off).
QByteArray Ask(sim::TBus& bus, const QByteArray& body)
{
    const QByteArray request = Request(body);
    const QByteArray line = bus.Feed(request);
    EXPECT_TRUE(line.startsWith(request)) << "the echo comes first";
    return line.mid(request.size());
}

// A Сельта in the state of the handbook examples.
void SetExampleState(sim::TSelta& s)
{
    s.SetLive(false);
    s.Channel[0] = {'0', 160, 400, 'N', 400, 50, 400, 50, 'N'};
    s.Channel[1] = {'1', 100, 480, 'N', 480, 200, 480, 200, 'Y'};
    s.Alarm = '0';
}

} // namespace

TEST(Selta, AnswersTheHandbookExamplesByteForByte)
{
    sim::TBus bus;
    auto& s = bus.Add<sim::TSelta>("001");
    SetExampleState(s);
    EXPECT_EQ(Ask(bus, "#SLT001T"), QByteArray("~001T01604001100480NNB8\r"));
    EXPECT_EQ(Ask(bus, "#SLT001u"), QByteArray("~001u01604000501100480200094\r"));
    EXPECT_EQ(Ask(bus, "#SLT001S"), QByteArray("~001S01604000501100480200NYE9\r"));
    // The frozen state stays frozen.
    EXPECT_EQ(Ask(bus, "#SLT001T"), QByteArray("~001T01604001100480NNB8\r"));
}

TEST(Selta, WritesAreAcknowledgedStoredAndReadBack)
{
    sim::TBus bus;
    auto& s = bus.Add<sim::TSelta>("001");
    s.SetLive(false);
    s.Channel[0] = {'1', 250, 500, 'N', 999, 999, 500, 500, 'N'};
    s.Channel[1] = {'0', 999, 500, 'N', 0, 0, 500, 500, 'N'};
    s.Alarm = '1';
    // The very writes of the handbook bring the unit to the example settings.
    for (const QByteArray& body :
         {QByteArray("#SLT001D10160"), QByteArray("#SLT001W1400050"), QByteArray("#SLT001D21100"),
          QByteArray("#SLT001W2480200"), QByteArray("#SLT001B0")}) {
        const QByteArray answer = Ask(bus, body);
        ASSERT_TRUE(ValidAnswer(answer)) << body.constData();
        EXPECT_EQ(answer[4], body[7]) << "acknowledged with its letter: " << body.constData();
    }
    EXPECT_EQ(Ask(bus, "#SLT001u"), QByteArray("~001u01604000501100480200094\r"));
    EXPECT_TRUE(Ask(bus, "#SLT001B1").startsWith("~001B"));
    EXPECT_EQ(Ask(bus, "#SLT001u").mid(25, 1), QByteArray("1"));
    // The status carries the new type and limit too.
    EXPECT_TRUE(Ask(bus, "#SLT001T").startsWith("~001T0160"));
}

TEST(Selta, MalformedWritesGetNoAnswerAndChangeNothing)
{
    sim::TBus bus;
    auto& s = bus.Add<sim::TSelta>("001");
    SetExampleState(s);
    for (const QByteArray& body :
         {QByteArray("#SLT001D1016"), QByteArray("#SLT001D3016 0"), QByteArray("#SLT001W140005"),
          QByteArray("#SLT001W14000a0"), QByteArray("#SLT001B"), QByteArray("#SLT001X")})
        EXPECT_EQ(Ask(bus, body), QByteArray()) << body.constData();
    EXPECT_EQ(Ask(bus, "#SLT001u"), QByteArray("~001u01604000501100480200094\r"));
}

TEST(Selta, LiveCountsStayInRangeAndStatisticsFollowTheirExtremes)
{
    sim::TBus bus(7);
    bus.Add<sim::TSelta>("001");
    int low[2] = {999, 999}, high[2] = {0, 0};
    for (int i = 0; i < 2000; ++i) {
        const QByteArray a = Ask(bus, "#SLT001T");
        ASSERT_TRUE(ValidAnswer(a));
        for (int ch = 0; ch < 2; ++ch) {
            const int count = a.mid(9 + 7 * ch, 3).toInt();
            low[ch] = std::min(low[ch], count);
            high[ch] = std::max(high[ch], count);
        }
    }
    EXPECT_GE(low[0], 0);
    EXPECT_GE(low[1], 160) << "a 4-20 mA loop does not fall below 4 mA";
    EXPECT_LE(high[0], 800);
    EXPECT_LE(high[1], 800);
    EXPECT_LT(low[0], high[0]) << "the values move";
    const QByteArray stats = Ask(bus, "#SLT001S");
    EXPECT_GE(stats.mid(9, 3).toInt(), high[0]);
    EXPECT_LE(stats.mid(12, 3).toInt(), low[0]);
    EXPECT_GE(stats.mid(19, 3).toInt(), high[1]);
    EXPECT_LE(stats.mid(22, 3).toInt(), low[1]);
}

TEST(Olvin4, StatusCarriesReadingsAndStateCodes)
{
    sim::TBus bus;
    auto& d = bus.Add<sim::TOlvin4>("001");
    d.SetLive(false);
    for (auto& c : d.Channel)
        c = {};
    d.Channel[0] = {true, 123, 0};
    d.Channel[2].Fault = 3;
    d.Channel[3] = {true, 1, 1};
    d.Channel[5] = {false, 456, 0};
    const QByteArray answer = Ask(bus, "#1001T");
    EXPECT_EQ(answer, Request("~001T01230000-003-00100000000"));
    EXPECT_TRUE(ValidAnswer(answer));
    EXPECT_EQ(answer.mid(13, 4), QByteArray("-003")) << "positions 14-17";
}

TEST(Olvin4, ChannelCommandsStartAndStopChannels)
{
    sim::TBus bus;
    auto& d = bus.Add<sim::TOlvin4>("001");
    d.SetLive(false);
    for (auto& c : d.Channel)
        c = {};
    d.Channel[4] = {true, 200, 0};
    d.Channel[1].Fault = 2;
    EXPECT_EQ(Ask(bus, "#10012W"), Request("~001W2"));
    EXPECT_EQ(Ask(bus, "#10015w"), Request("~001w5"));
    EXPECT_EQ(Ask(bus, "#10017W"), QByteArray()) << "there is no channel 7";
    EXPECT_TRUE(d.Channel[1].Running);
    EXPECT_EQ(d.Channel[1].Fault, 0) << "a start clears the trip";
    EXPECT_FALSE(d.Channel[4].Running);
    const QByteArray answer = Ask(bus, "#1001T");
    EXPECT_NE(answer.mid(9, 4), QByteArray("0000")) << "channel 2 runs";
    EXPECT_EQ(answer.mid(21, 4), QByteArray("0000")) << "channel 5 stopped";
}

TEST(Olvin3, StatusLayoutAndCommands)
{
    sim::TBus bus(3);
    auto& d = bus.Add<sim::TOlvin3>("001");
    d.SetLive(false);
    d.Status = {};
    d.Status.State = 'N';
    d.Status.Current = {1, 2345, 999};
    d.Status.Voltage = {220, 7, 231};
    d.Status.Pressure = 350;
    d.Status.Level = 1234;
    d.Status.Meter = 42;
    d.Status.Flow = 120;
    d.Status.Loop = '1';
    d.Status.Bubbling = 0x91;
    d.Status.Mode = '0';
    EXPECT_EQ(Ask(bus, "#OV3001T"), Request("~001TN00012345099922000723103501234004201201\x91"
                                            "0"));

    d.SetLive(true);
    Ask(bus, "#OV3001w");
    for (int i = 0; i < 20; ++i)
        Ask(bus, "#OV3001T");
    EXPECT_EQ(Ask(bus, "#OV3001T").mid(6, 12), QByteArray("000000000000")) << "stopped: no current";
    const QByteArray started = Ask(bus, "#OV3001W");
    ASSERT_TRUE(ValidAnswer(started));
    EXPECT_EQ(started[4], 'T') << "a command is answered with the new status";
    QByteArray status;
    for (int i = 0; i < 20; ++i)
        status = Ask(bus, "#OV3001T");
    for (int p = 0; p < 3; ++p)
        EXPECT_GT(status.mid(6 + 4 * p, 4).toInt(), 0) << "running: phase " << p;
    // An alarm holds the motor until reset.
    d.Status.State = 'A';
    d.Running = false;
    Ask(bus, "#OV3001W");
    EXPECT_FALSE(d.Running);
    EXPECT_EQ(Ask(bus, "#OV3001r")[5], 'N');
    Ask(bus, "#OV3001W");
    EXPECT_TRUE(d.Running);
    EXPECT_EQ(static_cast<unsigned char>(Ask(bus, "#OV3001K")[44]), 0x8D) << "compressor on";
}

TEST(Olvin3, IdentificationWithoutAddress)
{
    sim::TBus bus;
    auto& d = bus.Add<sim::TOlvin3>("017");
    d.Password = "4321";
    d.Version = "Olvin-3M v2.07";
    EXPECT_EQ(Ask(bus, "#OVA"), Request("~017A4321Olvin-3M v2.07"));
}

TEST(Olvin3, SettingsAreWrittenStepByStepAndReadBack)
{
    sim::TBus bus;
    bus.Add<sim::TOlvin3>("001");
    const int widths[23] = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 2, 1, 1, 2, 2, 3, 2, 1, 1, 8};
    QByteArray expected;
    for (int n = 1; n <= 21; ++n) {
        const QByteArray value = QByteArray::number(n % 10).repeated(widths[n - 1]);
        const QByteArray step = QByteArray::number(n).rightJustified(2, '0');
        const QByteArray answer = Ask(bus, "#OV3001U" + step + value);
        ASSERT_TRUE(ValidAnswer(answer)) << n;
        EXPECT_EQ(answer[4], 'U');
        expected += value;
    }
    const QByteArray before = Ask(bus, "#OV3001u");
    ASSERT_EQ(before.size(), 67 + 3);
    EXPECT_EQ(before.mid(5, 53), expected) << "fields 1 to 21";
    EXPECT_EQ(Ask(bus, "#OV3001I87654321"), Request("~001I"));
    const QByteArray after = Ask(bus, "#OV3001u");
    EXPECT_EQ(after.mid(59, 8), QByteArray("87654321")) << "positions 60-67";
    EXPECT_EQ(Ask(bus, "#OV3001t").mid(79, 8), QByteArray("87654321")) << "the preset is the cumulative meter";
    // Wrong widths, letters and the line speed are not taken.
    for (const QByteArray& body : {QByteArray("#OV3001U141"), QByteArray("#OV3001U011234"), QByteArray("#OV3001U0112a"),
                                   QByteArray("#OV3001U223"), QByteArray("#OV3001I1234567")})
        EXPECT_EQ(Ask(bus, body), QByteArray()) << body.constData();
    EXPECT_EQ(Ask(bus, "#OV3001u"), after);
}

TEST(Olvin3, StatisticsFollowTheExtremesOfLiveValues)
{
    sim::TBus bus(11);
    bus.Add<sim::TOlvin3>("001");
    int maxA = 0, minA = 9999, maxU = 0, minU = 999, maxP = 0, minP = 9999;
    for (int i = 0; i < 500; ++i) {
        const QByteArray s = Ask(bus, "#OV3001T");
        ASSERT_TRUE(ValidAnswer(s));
        ASSERT_EQ(s.size(), 46 + 3);
        maxA = std::max(maxA, s.mid(6, 4).toInt());
        minA = std::min(minA, s.mid(6, 4).toInt());
        maxU = std::max(maxU, s.mid(18, 3).toInt());
        minU = std::min(minU, s.mid(18, 3).toInt());
        maxP = std::max(maxP, s.mid(27, 4).toInt());
        minP = std::min(minP, s.mid(27, 4).toInt());
    }
    EXPECT_LT(minA, maxA);
    const QByteArray t = Ask(bus, "#OV3001t");
    ASSERT_TRUE(ValidAnswer(t));
    ASSERT_EQ(t.size(), 87 + 3);
    EXPECT_GE(t.mid(5, 4).toInt(), maxA);
    EXPECT_LE(t.mid(17, 4).toInt(), minA);
    EXPECT_GE(t.mid(41, 3).toInt(), maxU);
    EXPECT_LE(t.mid(50, 3).toInt(), minU);
    EXPECT_GE(t.mid(59, 4).toInt(), maxP);
    EXPECT_LE(t.mid(63, 4).toInt(), minP);
}

TEST(Torvis, StatusLayoutStateLettersAndDiscreteCodes)
{
    sim::TBus bus;
    auto& d = bus.Add<sim::TTorvis>("001");
    d.SetLive(false);
    d.Analog[0].Type = '0';
    d.Analog[1].Value = 12.5;
    d.Analog[2].Failure = 'e';
    d.Analog[3].Value = 19.0; // above the alarm level 18.0
    d.Analog[4].Value = -0.5; // below 1.0
    for (int n = 0; n < 4; ++n) {
        d.Discrete[n].Type = n < 2 ? '0' : '1';
        d.Discrete[n].Closed = n % 2 == 0;
    }
    d.Refresh();
    const QByteArray a = Ask(bus, "#TRV001T");
    ASSERT_TRUE(ValidAnswer(a));
    ASSERT_EQ(a.size(), 79 + 1);
    EXPECT_EQ(a.mid(5, 7), QByteArray("o------"));
    EXPECT_EQ(a.mid(12, 7), QByteArray("N+12.50"));
    EXPECT_EQ(a[19], 'e') << "position 20";
    EXPECT_EQ(a.mid(26, 7), QByteArray("M+19.00"));
    EXPECT_EQ(a.mid(33, 7), QByteArray("m-00.50"));
    EXPECT_EQ(a.mid(61, 8), QByteArray("01102130")) << "codes and indicators of discrete channels 1 to 4";
    // Channel 7 is a 0-1.60 MPa channel: one decimal more than its levels.
    EXPECT_EQ(a.mid(47, 7), QByteArray("N+0.900"));
}

TEST(Torvis, SettingsCalibrationAndDiscreteTypesAreStoredAndReadBack)
{
    sim::TBus bus;
    bus.Add<sim::TTorvis>("001");
    EXPECT_EQ(Ask(bus, "#TRV001U2218020.0000.0018.0-01.0"), Request("~001U2"));
    EXPECT_EQ(Ask(bus, "#TRV001u2"), Request("~001u2218020.0000.0018.0-01.0"));
    // A point last, or an empty place before the digits, is a level the program may write.
    EXPECT_EQ(Ask(bus, "#TRV001U50000125.0001.0000.0000."), Request("~001U5"));
    EXPECT_EQ(Ask(bus, "#TRV001U80000 1.5-01.5001.5001.5"), Request("~001U8"));
    EXPECT_EQ(Ask(bus, "#TRV001u8"), Request("~001u80000 1.5-01.5001.5001.5"));
    EXPECT_EQ(Ask(bus, "#TRV001U910000001"), Request("~001U9"));
    EXPECT_EQ(Ask(bus, "#TRV001u9"), Request("~001u910000001"));
    EXPECT_EQ(Ask(bus, "#TRV001D3850015"), Request("~001D3"));
    EXPECT_EQ(Ask(bus, "#TRV001d3"), Request("~001d3850015"));
    const QByteArray version = Ask(bus, "#TRV001V");
    ASSERT_TRUE(ValidAnswer(version));
    EXPECT_TRUE(version.startsWith("~001V"));
    EXPECT_GT(version.size(), 5 + 3);
    // Refused: channel 9 analog, type 3, unit 20, a level without a point, short values.
    for (const QByteArray& body :
         {QByteArray("#TRV001U0218020.0000.0018.0-01.0"), QByteArray("#TRV001U2318020.0000.0018.0-01.0"),
          QByteArray("#TRV001U2220020.0000.0018.0-01.0"), QByteArray("#TRV001U221800200000.0018.0-01.0"),
          QByteArray("#TRV001U2218020.0000.0018.0-0 . "), QByteArray("#TRV001U2218020.0000.0018.0-1.2."),
          QByteArray("#TRV001U921000001"), QByteArray("#TRV001D385001"), QByteArray("#TRV001d9"),
          QByteArray("#TRV001u")})
        EXPECT_EQ(Ask(bus, body), QByteArray()) << body.constData();
    EXPECT_EQ(Ask(bus, "#TRV001u2"), Request("~001u2218020.0000.0018.0-01.0"));
}

TEST(Torvis, SwitchingAChannelOffShowsInTheStatus)
{
    sim::TBus bus;
    bus.Add<sim::TTorvis>("001");
    Ask(bus, "#TRV001U5018020.0000.0018.0001.0");
    EXPECT_EQ(Ask(bus, "#TRV001T").mid(33, 7), QByteArray("o------"));
}

TEST(AllModels, EveryAnswerOfALivePollHasAValidChecksum)
{
    sim::TBus bus(5);
    for (const auto& d : sim::DefaultDevices())
        bus.Add(d.Model, d.Address);
    for (int i = 0; i < 300; ++i)
        for (const QByteArray& body : {QByteArray("#OV3001T"), QByteArray("#SLT001T"), QByteArray("#1001T"),
                                       QByteArray("#TRV001T"), QByteArray("#OV3001t"), QByteArray("#SLT001S")}) {
            const QByteArray a = Ask(bus, body);
            ASSERT_TRUE(ValidAnswer(a)) << body.constData() << " -> " << a.toHex().constData();
            ASSERT_EQ(a[4], body.back()) << body.constData();
        }
}
