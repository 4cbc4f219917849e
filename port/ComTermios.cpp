#include "port/ComTermios.h"

// The kernel's own termios definitions: glibc's <termios.h> has neither
// termios2 nor BOTHER and must not be included in this file.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstring>
#include <iterator>

static_assert(sizeof(termios2) == sizeof(TTermiosImage));
static_assert(NCCS == 19);

std::uint32_t BaudRateValue(TBaudRate rate)
{
    static constexpr std::uint32_t values[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                               19200, 38400, 56000, 57600, 115200, 128000, 256000};
    const auto index = static_cast<unsigned>(rate);
    return index < std::size(values) ? values[index] : 9600;
}

std::uint32_t DcbFlags(TParity parity)
{
    std::uint32_t flags = DcbBinary | DcbDtrEnable | DcbRtsEnable;
    if (parity != paNone)
        flags |= DcbParity;
    return flags;
}

TDcbImage MakeDcb(const TLineSettings& settings)
{
    TDcbImage dcb;
    dcb.BaudRate = BaudRateValue(settings.BaudRate);
    dcb.Flags = DcbFlags(settings.Parity);
    dcb.ByteSize = static_cast<std::uint8_t>(settings.ByteSize + 5);
    dcb.Parity = static_cast<std::uint8_t>(settings.Parity);
    dcb.StopBits = static_cast<std::uint8_t>(settings.StopBits);
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return dcb;
}

namespace {

// The speeds termios has a code for; the rest go through BOTHER.
std::uint32_t SpeedCode(std::uint32_t rate)
{
    switch (rate) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return BOTHER;
    }
}

} // namespace

// DCB                          termios2
// BaudRate                     CBAUD code, or BOTHER with c_ospeed (14400, 56000, 128000, 256000)
// ByteSize 5..8                CS5..CS8
// fParity, Parity odd/even     INPCK; PARENB, PARENB|PARODD
// Parity mark/space            PARENB|PARODD|CMSPAR, PARENB|CMSPAR
// StopBits 1 / 1.5 / 2         - / CSTOPB / CSTOPB
// no CTS/DSR/XON flow          no CRTSCTS, IXON, IXOFF
// fBinary, no error char       no ICRNL, ISTRIP, OPOST, ICANON, ECHO, ISIG
// DTR/RTS enable               CLOCAL (the lines are switched with TIOCMBIS)
// (no DCB field)               CREAD; VMIN 1, VTIME 0 under O_NONBLOCK, so a read
//                              of 0 means hang-up and EAGAIN means nothing waits
TTermiosImage MakeTermios(const TDcbImage& dcb)
{
    TTermiosImage t;
    static constexpr std::uint32_t sizes[] = {CS5, CS6, CS7, CS8};
    const unsigned byteSize = dcb.ByteSize >= 5 && dcb.ByteSize <= 8 ? dcb.ByteSize : 8u;
    t.c_cflag = CREAD | CLOCAL | sizes[byteSize - 5];

    if (dcb.Flags & DcbParity) {
        t.c_iflag |= INPCK;
        switch (dcb.Parity) {
        case paOdd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case paEven:
            t.c_cflag |= PARENB;
            break;
        case paMark:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case paSpace:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
        }
    }

    // termios has no 1.5 stop bits. A UART given two stop bits with 5 data
    // bits sends one and a half, and 1.5 is only valid with 5 data bits.
    if (dcb.StopBits == sb1_5 || dcb.StopBits == sb2)
        t.c_cflag |= CSTOPB;

    const std::uint32_t code = SpeedCode(dcb.BaudRate);
    t.c_cflag |= code;
    // The input speed follows the output speed (no IBSHIFT code given).
    t.c_ispeed = dcb.BaudRate;
    t.c_ospeed = dcb.BaudRate;

    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    return t;
}

bool SetTermios(int fd, const TTermiosImage& image)
{
    termios2 t{};
    std::memcpy(&t, &image, sizeof t);
    return ::ioctl(fd, TCSETS2, &t) == 0;
}

bool GetTermios(int fd, TTermiosImage& image)
{
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return false;
    std::memcpy(static_cast<void*>(&image), &t, sizeof t);
    return true;
}

TCommTimeoutsImage MakeCommTimeouts(int readInterval, int readTotalMultiplier, int readTotalConstant,
                                    int writeTotalMultiplier, int writeTotalConstant)
{
    const auto dword = [](int v) { return v < 0 ? MaxDword : static_cast<std::uint32_t>(v); };
    return {dword(readInterval), dword(readTotalMultiplier), dword(readTotalConstant), dword(writeTotalMultiplier),
            dword(writeTotalConstant)};
}

// ReadIntervalTimeout  Multiplier  Constant      read
// MAXDWORD             0           0             at once with what waits
// MAXDWORD             MAXDWORD    1..MAXDWORD-1 what waits, else the first character within Constant
// anything else                                  count characters, or the total limit
//                                                (Multiplier*count + Constant, none if both 0),
//                                                or the interval limit between characters (none if 0)
TReadPlan MakeReadPlan(const TCommTimeoutsImage& timeouts, int count)
{
    TReadPlan plan;
    const std::uint32_t interval = timeouts.ReadIntervalTimeout;
    const std::uint32_t multiplier = timeouts.ReadTotalTimeoutMultiplier;
    const std::uint32_t constant = timeouts.ReadTotalTimeoutConstant;
    if (interval == MaxDword && multiplier == 0 && constant == 0)
        return plan;
    if (interval == MaxDword && multiplier == MaxDword && constant != 0 && constant != MaxDword) {
        plan.Mode = TReadMode::WaitForFirst;
        plan.TotalMs = constant;
        return plan;
    }
    plan.Mode = TReadMode::Timed;
    if (multiplier != 0 || constant != 0)
        plan.TotalMs = static_cast<std::int64_t>(multiplier) * (count > 0 ? count : 0) + constant;
    if (interval != 0)
        plan.IntervalMs = interval;
    return plan;
}

std::int64_t WriteLimitMs(const TCommTimeoutsImage& timeouts, int length)
{
    const std::uint32_t multiplier = timeouts.WriteTotalTimeoutMultiplier;
    const std::uint32_t constant = timeouts.WriteTotalTimeoutConstant;
    if (multiplier == 0 && constant == 0)
        return -1;
    return static_cast<std::int64_t>(multiplier) * (length > 0 ? length : 0) + constant;
}

namespace {

struct TEventBit {
    TComEvent Event;
    std::uint32_t Mask;
};
constexpr TEventBit EventBits[] = {{evRxChar, 0x0001}, {evTxEmpty, 0x0004}, {evRing, 0x0100},  {evCTS, 0x0008},
                                   {evDSR, 0x0010},    {evRLSD, 0x0020},    {evError, 0x0080}, {evRx80Full, 0x0400}};

struct TErrorBit {
    TComError Error;
    std::uint32_t Word;
};
constexpr TErrorBit ErrorBits[] = {{ceFrame, 0x0008},  {ceRxParity, 0x0004}, {ceOverrun, 0x0002}, {ceRxOver, 0x0001},
                                   {ceTxFull, 0x0100}, {ceBreak, 0x0010},    {ceIO, 0x0400},      {ceMode, 0x8000}};

} // namespace

std::uint32_t EventsToMask(TComEvents events)
{
    std::uint32_t mask = 0;
    for (const auto& b : EventBits)
        if (events.Contains(b.Event))
            mask |= b.Mask;
    return mask;
}

TComEvents MaskToEvents(std::uint32_t mask)
{
    TComEvents events;
    for (const auto& b : EventBits)
        if (mask & b.Mask)
            events.Include(b.Event);
    return events;
}

// Counter           error word bit
// frame             0x0008 CE_FRAME
// parity            0x0004 CE_RXPARITY
// overrun           0x0002 CE_OVERRUN (the UART's own buffer)
// buf_overrun       0x0001 CE_RXOVER (the driver's input queue)
// brk               0x0010 CE_BREAK
std::uint32_t ErrorWordFromCounters(const TLineCounters& before, const TLineCounters& after)
{
    std::uint32_t word = 0;
    if (after.Frame != before.Frame)
        word |= 0x0008;
    if (after.Parity != before.Parity)
        word |= 0x0004;
    if (after.Overrun != before.Overrun)
        word |= 0x0002;
    if (after.BufOverrun != before.BufOverrun)
        word |= 0x0001;
    if (after.Break != before.Break)
        word |= 0x0010;
    return word;
}

TComEvents EventsFromCounters(const TLineCounters& before, const TLineCounters& after)
{
    TComEvents events;
    if (ErrorWordFromCounters(before, after) != 0)
        events.Include(evError);
    if (after.Cts != before.Cts)
        events.Include(evCTS);
    if (after.Dsr != before.Dsr)
        events.Include(evDSR);
    if (after.Ring != before.Ring)
        events.Include(evRing);
    if (after.Dcd != before.Dcd)
        events.Include(evRLSD);
    return events;
}

TComErrors ErrorsFromWord(std::uint32_t word, bool parityOn)
{
    TComErrors errors;
    for (const auto& b : ErrorBits)
        if (word & b.Word)
            errors.Include(b.Error);
    if (!parityOn)
        errors.Exclude(ceRxParity);
    return errors;
}
