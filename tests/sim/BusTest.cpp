#include "support/SimTestUtil.h"

#include "sim/Bus.h"
#include "sim/Selta.h"

#include <gtest/gtest.h>

using simtest::Request;
using simtest::ValidAnswer;

namespace {

sim::TBus DefaultBus(std::uint64_t seed = 1)
{
    sim::TBus bus(seed);
    for (const auto& d : sim::DefaultDevices())
        bus.Add(d.Model, d.Address);
    return bus;
}

QByteArray Joined(const std::vector<sim::TPiece>& pieces, bool echo)
{
    QByteArray out;
    for (const auto& p : pieces)
        if (p.Echo == echo)
            out += p.Bytes;
    return out;
}

} // namespace

TEST(Bus, EchoesEverythingThenTheAddressedDeviceAnswers)
{
    sim::TBus bus = DefaultBus();
    for (const QByteArray& body : {QByteArray("#OV3001T"), QByteArray("#SLT001T"), QByteArray("#1001T"),
                                   QByteArray("#TRV001T"), QByteArray("#OVA")}) {
        const auto pieces = bus.Process(Request(body));
        ASSERT_GE(pieces.size(), 2u) << body.constData();
        EXPECT_TRUE(pieces[0].Echo);
        EXPECT_EQ(pieces[0].Bytes, Request(body));
        EXPECT_TRUE(ValidAnswer(Joined(pieces, false))) << body.constData();
    }
    // Garbage is echoed too, and answered by nobody.
    EXPECT_EQ(bus.Feed("hello\r"), QByteArray("hello\r"));
}

TEST(Bus, AssemblesRequestsFromChunks)
{
    sim::TBus bus = DefaultBus();
    const QByteArray request = Request("#SLT001T");
    QByteArray line;
    for (const char c : request) {
        const QByteArray got = bus.Feed(QByteArray(1, c));
        if (c != '\r') {
            EXPECT_EQ(got, QByteArray(1, c)) << "nothing but the echo before CR";
        }
        line += got;
    }
    EXPECT_TRUE(line.startsWith(request));
    EXPECT_TRUE(ValidAnswer(line.mid(request.size())));
    // Noise before the request on the same line does not hide it.
    const QByteArray noisy = "\x01#\xFF" + Request("#1001T");
    EXPECT_TRUE(ValidAnswer(bus.Feed(noisy).mid(noisy.size())));
}

TEST(Bus, BadChecksumGetsOnlyTheEcho)
{
    sim::TBus bus = DefaultBus();
    const QByteArray good = Request("#SLT001T");
    QByteArray wrong = good;
    wrong[8] = 'F';
    wrong[9] = 'C';
    EXPECT_EQ(bus.Feed(wrong), wrong);
    QByteArray lower = Request("#SLT001D10160"); // "E3"
    lower.replace("E3", "e3");
    EXPECT_EQ(bus.Feed(lower), lower);
    EXPECT_EQ(bus.Feed("#SLT001T\r"), QByteArray("#SLT001T\r")) << "no checksum at all";
    EXPECT_GT(bus.Feed(good).size(), good.size()) << "and the line still works";
}

TEST(Bus, OnlyTheOwnPrefixAndAddressAreAnswered)
{
    sim::TBus bus;
    bus.Add(sim::TModel::Selta, "002");
    bus.Add(sim::TModel::Olvin4, "100");
    bus.Add(sim::TModel::Torvis, "001");
    for (const QByteArray& body : {QByteArray("#SLT001T"), QByteArray("#SLT003T"), QByteArray("#1001T"),
                                   QByteArray("#1002T"), QByteArray("#OV3002T"), QByteArray("#OVA"),
                                   QByteArray("#TRV002T"), QByteArray("#TRV0001T"), QByteArray("#SLT002")}) {
        const QByteArray request = Request(body);
        EXPECT_EQ(bus.Feed(request), request) << body.constData();
    }
    EXPECT_TRUE(bus.Feed(Request("#SLT002T")).contains("~002T"));
    EXPECT_TRUE(bus.Feed(Request("#1100T")).contains("~100T")) << "prefix #1, then address 100";
    EXPECT_TRUE(bus.Feed(Request("#TRV001T")).contains("~001T"));
}

TEST(Bus, TwoUnitsOfOneModelAnswerEachForItself)
{
    sim::TBus bus;
    auto& a = bus.Add<sim::TSelta>("001");
    auto& b = bus.Add<sim::TSelta>("002");
    bus.Feed(Request("#SLT002B1"));
    EXPECT_EQ(a.Alarm, '0');
    EXPECT_EQ(b.Alarm, '1');
}

namespace {

struct TTally {
    int Requests = 0, Dropped = 0, Corrupt = 0, Split = 0, Noisy = 0, Late = 0;
};

// Judges the pieces of each exchange the way a receiver would see them.
TTally RunLine(const sim::TFaultShares& shares, std::uint64_t seed, int requests)
{
    sim::TBus bus = DefaultBus(seed);
    bus.SetFaults(shares);
    TTally t;
    const QByteArray bodies[] = {"#OV3001T", "#SLT001T", "#1001T", "#TRV001T"};
    for (int i = 0; i < requests; ++i) {
        const auto pieces = bus.Process(Request(bodies[i % 4]));
        ++t.Requests;
        std::vector<sim::TPiece> answer(pieces.begin() + 1, pieces.end());
        if (answer.empty()) {
            ++t.Dropped;
            continue;
        }
        const QByteArray bytes = Joined(answer, false);
        const qsizetype start = bytes.indexOf('~');
        EXPECT_GE(start, 0);
        const QByteArray noise = bytes.left(start);
        EXPECT_FALSE(noise.contains('\r') || noise.contains('#'));
        const QByteArray frame = bytes.mid(start);
        EXPECT_TRUE(frame.endsWith('\r') && frame.count('\r') == 1);
        t.Noisy += start > 0;
        t.Corrupt += !ValidAnswer(frame);
        t.Split += answer.size() > 1;
        t.Late += answer[0].GapMs >= 300;
    }
    return t;
}

} // namespace

TEST(Faults, EachAppearsAtItsShare)
{
    const auto inRange = [](int n) { return n >= 150 && n <= 250; };
    const TTally drop = RunLine({0.2, 0, 0, 0, 0}, 42, 1000);
    EXPECT_PRED1(inRange, drop.Dropped);
    EXPECT_EQ(drop.Corrupt + drop.Split + drop.Noisy + drop.Late, 0);
    const TTally corrupt = RunLine({0, 0.2, 0, 0, 0}, 42, 1000);
    EXPECT_PRED1(inRange, corrupt.Corrupt);
    EXPECT_EQ(corrupt.Dropped, 0);
    const TTally split = RunLine({0, 0, 0.2, 0, 0}, 42, 1000);
    EXPECT_PRED1(inRange, split.Split);
    EXPECT_EQ(split.Corrupt, 0) << "a split answer arrives whole";
    const TTally noise = RunLine({0, 0, 0, 0.2, 0}, 42, 1000);
    EXPECT_PRED1(inRange, noise.Noisy);
    EXPECT_EQ(noise.Corrupt, 0) << "noise stays before the frame";
    const TTally late = RunLine({0, 0, 0, 0, 0.2}, 42, 1000);
    EXPECT_PRED1(inRange, late.Late);
}

TEST(Faults, AllTogetherKeepTheirShares)
{
    // Of 2000 requests 1800 are answered; the other faults apply to those.
    const TTally t = RunLine({0.1, 0.3, 0.5, 0.2, 0.05}, 7, 2000);
    EXPECT_GE(t.Dropped, 150);
    EXPECT_LE(t.Dropped, 250);
    const int answered = t.Requests - t.Dropped;
    EXPECT_NEAR(t.Corrupt, answered * 0.3, answered * 0.05);
    EXPECT_NEAR(t.Split, answered * 0.5, answered * 0.05);
    EXPECT_NEAR(t.Noisy, answered * 0.2, answered * 0.05);
    EXPECT_NEAR(t.Late, answered * 0.05, answered * 0.03);
}

TEST(Faults, SameSeedSameLine)
{
    const sim::TFaultShares shares{0.2, 0.2, 0.2, 0.2, 0.2};
    auto run = [&](std::uint64_t seed) {
        sim::TBus bus = DefaultBus(seed);
        bus.SetFaults(shares);
        QByteArray all;
        for (int i = 0; i < 200; ++i)
            for (const auto& p : bus.Process(Request(i % 2 ? "#SLT001T" : "#TRV001T")))
                all += p.Bytes + QByteArray::number(p.GapMs);
        return all;
    };
    EXPECT_EQ(run(3), run(3));
    EXPECT_NE(run(3), run(4));
}

TEST(Faults, LogTellsWhatHappened)
{
    sim::TBus bus = DefaultBus();
    bus.SetFaults({1, 0, 0, 0, 0});
    std::vector<sim::TExchange> log;
    bus.SetLog([&](const sim::TExchange& e) { log.push_back(e); });
    bus.Feed(Request("#SLT001T"));
    bus.Feed(Request("#SLT009T"));
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(log[0].Dropped);
    EXPECT_EQ(log[0].Request, Request("#SLT001T").chopped(1));
    EXPECT_FALSE(log[1].Dropped) << "nobody answered, nothing was dropped";
    EXPECT_TRUE(log[1].Answer.isEmpty());
}

TEST(DeviceList, ParsesModelsAndAddresses)
{
    std::vector<sim::TDeviceSpec> devices;
    QString error;
    ASSERT_TRUE(sim::ParseDevices("SLT:001,1:002, trv:010,#OV3:123,OV4:004", devices, error)) << error.toStdString();
    ASSERT_EQ(devices.size(), 5u);
    EXPECT_EQ(devices[0].Model, sim::TModel::Selta);
    EXPECT_EQ(devices[1].Model, sim::TModel::Olvin4);
    EXPECT_EQ(devices[1].Address, QByteArray("002"));
    EXPECT_EQ(devices[2].Model, sim::TModel::Torvis);
    EXPECT_EQ(devices[3].Model, sim::TModel::Olvin3M);
    EXPECT_EQ(devices[4].Model, sim::TModel::Olvin4);
    for (const char* bad : {"XYZ:001", "SLT:01", "SLT:0a1", "SLT", "SLT:001:2", ""}) {
        EXPECT_FALSE(sim::ParseDevices(bad, devices, error)) << bad;
        EXPECT_FALSE(error.isEmpty());
    }
}
