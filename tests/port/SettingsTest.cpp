#include "port/BCPort.h"
#include "port/EnumComPorts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

TEST(ComPortSettings, Defaults)
{
    TBComPort port;
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.ByteSize(), bs8);
    EXPECT_EQ(port.InBufSize(), 2048);
    EXPECT_EQ(port.OutBufSize(), 2048);
    EXPECT_EQ(port.Parity(), paNone);
    EXPECT_EQ(port.Port(), QStringLiteral("COM2"));
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
    EXPECT_EQ(port.StopBits(), sb1);
    EXPECT_EQ(port.Timeouts()->ReadInterval(), -1);
    EXPECT_EQ(port.Timeouts()->ReadTotalMultiplier(), 0);
    EXPECT_EQ(port.Timeouts()->ReadTotalConstant(), 0);
    EXPECT_EQ(port.Timeouts()->WriteTotalMultiplier(), 100);
    EXPECT_EQ(port.Timeouts()->WriteTotalConstant(), 1000);
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.FEventSet, AllComEvents);
}

TEST(ComPortSettings, BufferSizesDropOneFromPositiveOddValues)
{
    TBComPort port;
    port.SetInBufSize(2049);
    EXPECT_EQ(port.InBufSize(), 2048);
    port.SetInBufSize(2047);
    EXPECT_EQ(port.InBufSize(), 2046);
    port.SetInBufSize(2048);
    EXPECT_EQ(port.InBufSize(), 2048);
    port.SetInBufSize(-5);
    EXPECT_EQ(port.InBufSize(), -5);
    port.SetInBufSize(1);
    EXPECT_EQ(port.InBufSize(), 0);
    port.SetOutBufSize(4095);
    EXPECT_EQ(port.OutBufSize(), 4094);
    port.SetOutBufSize(-3);
    EXPECT_EQ(port.OutBufSize(), -3);
}

TEST(ComPortSettings, ClosedPortStoresLineSettingsWithoutError)
{
    TBComPort port;
    port.SetBaudRate(br256000);
    port.SetParity(paMark);
    port.SetByteSize(bs5);
    port.SetStopBits(sb1_5);
    port.Timeouts()->SetWriteTotalConstant(7);
    EXPECT_EQ(port.BaudRate(), br256000);
    EXPECT_EQ(port.Parity(), paMark);
    EXPECT_EQ(port.ByteSize(), bs5);
    EXPECT_EQ(port.StopBits(), sb1_5);
    EXPECT_EQ(port.Timeouts()->WriteTotalConstant(), 7);
    port.SetPort(QStringLiteral("ttyUSB3"));
    EXPECT_EQ(port.Port(), QStringLiteral("ttyUSB3"));
    port.SetSyncMethod(smNone);
    EXPECT_EQ(port.SyncMethod(), smNone);
}

TEST(ComPortSettings, TimeoutsAssignCopiesAllFive)
{
    TBComPort port;
    TComTimeouts source;
    source.SetReadInterval(1);
    source.SetReadTotalMultiplier(2);
    source.SetReadTotalConstant(3);
    source.SetWriteTotalMultiplier(4);
    source.SetWriteTotalConstant(5);
    port.SetTimeouts(source);
    const TComTimeouts* t = port.Timeouts();
    EXPECT_EQ(t->ReadInterval(), 1);
    EXPECT_EQ(t->ReadTotalMultiplier(), 2);
    EXPECT_EQ(t->ReadTotalConstant(), 3);
    EXPECT_EQ(t->WriteTotalMultiplier(), 4);
    EXPECT_EQ(t->WriteTotalConstant(), 5);
    EXPECT_NE(t, &source);
}

TEST(ComPortSettings, ClosedPortOperationsFailWithTheirMessages)
{
    TBComPort port;
    const auto message = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const EComPort& e) {
            return e.Message();
        }
        return QString();
    };
    QByteArray text;
    EXPECT_EQ(message([&] { port.WriteStr("x"); }), QStringLiteral("Ошибка записи в порт"));
    EXPECT_EQ(message([&] { port.ReadStr(text, 3); }), QStringLiteral("Ошибка чтения из порта"));
    EXPECT_EQ(message([&] { port.SetRTS(true); }), QStringLiteral("Ошибка функции EscapeCommFunction"));
    EXPECT_EQ(message([&] { port.SetDTR(false); }), QStringLiteral("Ошибка функции EscapeCommFunction"));
    EXPECT_EQ(message([&] { port.InputCount(); }), QStringLiteral("Ошибка функции ClearCommError"));
    EXPECT_EQ(message([&] { port.ModemSignals(); }), QStringLiteral("Ошибка функции GetCommModemStatus"));
    EXPECT_EQ(message([&] { port.AbortAll(); }), QStringLiteral("Ошибка функции PurgeComm"));
    // Nothing to do on a closed port.
    EXPECT_EQ(port.WriteStr(QByteArray()), 0);
    EXPECT_EQ(port.ReadStr(text, 0), 0);
    EXPECT_TRUE(text.isEmpty());
    EXPECT_NO_THROW(port.Close());
}

TEST(ComPortException, CarriesTheRussianText)
{
    const EComPort e(QStringLiteral("Порт занят другой программой"));
    EXPECT_EQ(e.Message(), QStringLiteral("Порт занят другой программой"));
    EXPECT_STREQ(e.what(), "Порт занят другой программой");
    const std::runtime_error& base = e;
    EXPECT_STREQ(base.what(), "Порт занят другой программой");
}

class PortListTest : public ::testing::Test {
protected:
    // A tty entry of the fake sysfs: with a device link or not, with a type file or not.
    void AddTty(const QString& name, bool device, const char* type = nullptr, bool devNode = true)
    {
        QDir sys(Sys.path());
        ASSERT_TRUE(sys.mkpath(name));
        if (device) {
            ASSERT_TRUE(sys.mkpath(name + QStringLiteral("/device")));
        }
        if (type) {
            QFile f(sys.filePath(name + QStringLiteral("/type")));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(type);
        }
        if (devNode) {
            QFile node(QDir(Dev.path()).filePath(name));
            ASSERT_TRUE(node.open(QIODevice::WriteOnly));
        }
    }
    void AddLink(const QString& name, const QString& target)
    {
        ASSERT_EQ(
            ::symlink(target.toLocal8Bit().constData(), QDir(Virt.path()).filePath(name).toLocal8Bit().constData()), 0);
    }
    QStringList List()
    {
        QStringList list{QStringLiteral("stale")};
        zorvex::detail::ListComPorts(Sys.path(), Dev.path(), Virt.path(), list);
        return list;
    }
    // A file of the fake device tree, with its folders.
    void Put(const QString& path, const QByteArray& text)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    void Link(const QString& target, const QString& link)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(link).path()));
        ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    }
    // A tty whose device is the folder devicePath of the fake device tree, bound to driver.
    void AddDeviceTty(const QString& name, const QString& devicePath, const QString& driver)
    {
        const QString device = Devices.filePath(devicePath);
        ASSERT_TRUE(QDir().mkpath(device));
        Link(Devices.filePath("bus/drivers/" + driver), device + "/driver");
        ASSERT_TRUE(QDir().mkpath(Devices.filePath("bus/drivers/" + driver)));
        Link(device, QDir(Sys.path()).filePath(name + "/device"));
        Put(QDir(Dev.path()).filePath(name), {});
    }
    void AddUsbDevice(const QString& path, const QByteArray& vendor, const QByteArray& product, const QByteArray& maker,
                      const QByteArray& name, const QByteArray& serial)
    {
        const QString dir = Devices.filePath(path);
        Put(dir + "/idVendor", vendor + '\n');
        Put(dir + "/idProduct", product + '\n');
        Put(dir + "/manufacturer", maker + '\n');
        Put(dir + "/product", name + '\n');
        if (!serial.isEmpty())
            Put(dir + "/serial", serial + '\n');
    }

    QTemporaryDir Sys, Dev, Virt, Devices;
};

TEST_F(PortListTest, RealPortsWithoutPhantomUartsSortedCaseInsensitively)
{
    AddTty(QStringLiteral("ttyS0"), true, "4\n");
    AddTty(QStringLiteral("ttyS1"), true, "0\n"); // registered, not there
    AddTty(QStringLiteral("ttyS10"), true, "4\n");
    AddTty(QStringLiteral("ttyS2"), true); // no type file: counts as present
    AddTty(QStringLiteral("ttyUSB0"), true);
    AddTty(QStringLiteral("ttyACM0"), true);
    AddTty(QStringLiteral("tty1"), false); // a console, no device behind it
    AddTty(QStringLiteral("ptmx"), false);
    AddTty(QStringLiteral("ttyUSB1"), true, nullptr, false); // no node in /dev
    EXPECT_EQ(List(), QStringList({"ttyACM0", "ttyS0", "ttyS10", "ttyS2", "ttyUSB0"}));
}

TEST_F(PortListTest, VirtualLinksWithExistingTargetsOnly)
{
    AddTty(QStringLiteral("ttyUSB0"), true);
    QFile target(QDir(Dev.path()).filePath(QStringLiteral("pts7")));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    AddLink(QStringLiteral("vsim0"), target.fileName());
    AddLink(QStringLiteral("VSIM1"), target.fileName());
    AddLink(QStringLiteral("vsim2"), QDir(Dev.path()).filePath(QStringLiteral("gone")));
    QFile plain(QDir(Virt.path()).filePath(QStringLiteral("notalink")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    EXPECT_EQ(List(), QStringList({"ttyUSB0", "vsim0", "VSIM1"}));
}

TEST_F(PortListTest, NoPortsGiveAnEmptyList)
{
    EXPECT_TRUE(List().isEmpty());
    QStringList list{QStringLiteral("old")};
    zorvex::detail::ListComPorts(Sys.path() + QStringLiteral("/none"), Dev.path(),
                                 Virt.path() + QStringLiteral("/none"), list);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(PortListTest, NamesResolveToTheVirtualLinkOrToDev)
{
    const QString saved = VirtualPortDirectory();
    SetVirtualPortDirectory(Virt.path());
    AddLink(QStringLiteral("vsim0"), QStringLiteral("/dev/null"));
    EXPECT_EQ(ResolvePortPath(QStringLiteral("vsim0")), QDir(Virt.path()).filePath(QStringLiteral("vsim0")));
    EXPECT_EQ(ResolvePortPath(QStringLiteral("ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(ResolvePortPath(QStringLiteral("/dev/ttyS4")), QStringLiteral("/dev/ttyS4"));
    EXPECT_TRUE(ResolvePortPath(QStringLiteral("../etc/passwd")).isEmpty());
    EXPECT_TRUE(ResolvePortPath(QStringLiteral("..")).isEmpty());
    EXPECT_TRUE(ResolvePortPath(QString()).isEmpty());
    SetVirtualPortDirectory(saved);
    EXPECT_EQ(VirtualPortDirectory(), QStringLiteral("/tmp/zorvex-ports"));
}

TEST_F(PortListTest, EachPortCarriesTheIdentityOfItsAdapter)
{
    const QString usb1 = QStringLiteral("pci0000:00/usb1/1-1");
    AddUsbDevice(usb1, "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI");
    AddDeviceTty(QStringLiteral("ttyUSB0"), usb1 + "/1-1:1.0/ttyUSB0", QStringLiteral("ftdi_sio"));
    Put(Devices.filePath(usb1 + "/1-1:1.0/ttyUSB0/latency_timer"), "16\n");
    Link(QStringLiteral("../../ttyUSB0"),
         QDir(Dev.path()).filePath("serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
    const QString usb2 = QStringLiteral("pci0000:00/usb1/1-2");
    AddUsbDevice(usb2, "2341", "0043", "Arduino (www.arduino.cc)", "", "");
    AddDeviceTty(QStringLiteral("ttyACM0"), usb2 + "/1-2:1.0", QStringLiteral("cdc_acm"));
    AddDeviceTty(QStringLiteral("ttyS0"), QStringLiteral("platform/serial8250/serial8250:0.0"),
                 QStringLiteral("serial8250"));
    Put(QDir(Sys.path()).filePath("ttyS0/type"), "4\n");
    Put(QDir(Dev.path()).filePath("pts7"), {});
    AddLink(QStringLiteral("vsim0"), QDir(Dev.path()).filePath("pts7"));
    Link(QDir(Dev.path()).filePath("pts7"), QDir(Virt.path()).filePath("by-id/zorvex-sim-42"));

    const QList<TPortIdentity> ports = zorvex::detail::ListComPortIdentities(Sys.path(), Dev.path(), Virt.path());
    const QString dev = QFileInfo(Dev.path()).canonicalFilePath();
    const QString virt = QFileInfo(Virt.path()).canonicalFilePath();
    // Name, device, driver, USB ids, maker, product, serial, by-id link, latency timer, virtual.
    QStringList got;
    for (const TPortIdentity& id : ports)
        got << QStringList{id.Name,
                           id.Device,
                           id.Driver,
                           id.VendorId,
                           id.ProductId,
                           id.Manufacturer,
                           id.Product,
                           id.Serial,
                           id.ById,
                           QString::number(id.LatencyTimerMs),
                           id.Virtual ? "virtual" : ""}
                   .join('|');
    EXPECT_EQ(got, QStringList({
                       "ttyACM0|" + dev + "/ttyACM0|cdc_acm|2341|0043|Arduino (www.arduino.cc)||||-1|",
                       "ttyS0|" + dev + "/ttyS0|serial8250|||||||-1|",
                       "ttyUSB0|" + dev + "/ttyUSB0|ftdi_sio|0403|6001|FTDI|FT232R USB UART|A50285BI|" + dev +
                           "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0|16|",
                       "vsim0|" + dev + "/pts7|||||||" + virt + "/by-id/zorvex-sim-42|-1|virtual",
                   }));
    EXPECT_EQ(List(), QStringList({"ttyACM0", "ttyS0", "ttyUSB0", "vsim0"}));

    const TPortIdentity& ftdi = ports[2];
    EXPECT_EQ(PortToolTip(ftdi), dev +
                                     "/ttyUSB0\nДрайвер: ftdi_sio\nUSB: 0403:6001\nИзготовитель: FTDI\n"
                                     "Изделие: FT232R USB UART\nСерийный номер: A50285BI\nТаймер задержки: 16 мс\n" +
                                     dev + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    EXPECT_EQ(PortDescription(ftdi), dev +
                                         "/ttyUSB0, ftdi_sio, USB 0403:6001, FTDI FT232R USB UART, серийный номер "
                                         "A50285BI, " +
                                         dev +
                                         "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0, "
                                         "таймер задержки 16 мс");
    EXPECT_EQ(PortDescription(ports[3]), "виртуальный, " + dev + "/pts7, " + virt + "/by-id/zorvex-sim-42");
}

TEST(PortSearch, TheSameAdapterByItsStableLinkElseByName)
{
    const auto port = [](const char* name, const char* byId) {
        TPortIdentity id;
        id.Name = QString::fromLatin1(name);
        id.ById = QString::fromLatin1(byId);
        return id;
    };
    struct Row {
        const char* What;
        QList<TPortIdentity> Ports;
        TPortIdentity Lost;
        QString Found;
    };
    const Row rows[] = {
        {"back under its name",
         {port("ttyUSB0", "/dev/serial/by-id/usb-FTDI_A5")},
         port("ttyUSB0", "/dev/serial/by-id/usb-FTDI_A5"),
         "ttyUSB0"},
        {"back under another name",
         {port("ttyUSB0", "/dev/serial/by-id/usb-Other"), port("ttyUSB1", "/dev/serial/by-id/usb-FTDI_A5")},
         port("ttyUSB0", "/dev/serial/by-id/usb-FTDI_A5"),
         "ttyUSB1"},
        {"another adapter took the name",
         {port("ttyUSB0", "/dev/serial/by-id/usb-Other")},
         port("ttyUSB0", "/dev/serial/by-id/usb-FTDI_A5"),
         ""},
        {"not back yet", {port("ttyS0", "")}, port("ttyUSB0", "/dev/serial/by-id/usb-FTDI_A5"), ""},
        {"no stable link: the name", {port("vsim0", "")}, port("vsim0", ""), "vsim0"},
        {"no stable link, not back", {port("vsim1", "")}, port("vsim0", ""), ""},
        {"two names of the device: the old one",
         {port("vsim0", "/v/by-id/s"), port("vsim1", "/v/by-id/s")},
         port("vsim1", "/v/by-id/s"),
         "vsim1"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(zorvex::detail::FindComPort(row.Ports, row.Lost), row.Found) << row.What;
}
