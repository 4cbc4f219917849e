#pragma once

#include "port/ComTypes.h"

#include <cstdint>

// Pure translation of the port's settings to the device records: first the
// Win32 records the component has always been defined by (DCB, COMMTIMEOUTS,
// the event mask, the error word), then from those to what Linux takes
// (termios2 through TCSETS2, and the waits of ReadStr/WriteStr). Nothing here
// touches a device, so every line setting is testable without an adapter.

struct TLineSettings {
    TBaudRate BaudRate = br9600;
    TByteSize ByteSize = bs8;
    TParity Parity = paNone;
    TStopBits StopBits = sb1;
};

std::uint32_t BaudRateValue(TBaudRate rate);

// The DCB as the component fills it from zero.
struct TDcbImage {
    std::uint32_t DCBlength = 28;
    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0; // the bit fields fBinary .. fAbortOnError
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
};

// Flag word bits that the component sets.
inline constexpr std::uint32_t DcbBinary = 0x0001;    // fBinary
inline constexpr std::uint32_t DcbParity = 0x0002;    // fParity
inline constexpr std::uint32_t DcbDtrEnable = 0x0010; // fDtrControl = DTR_CONTROL_ENABLE
inline constexpr std::uint32_t DcbRtsEnable = 0x1000; // fRtsControl = RTS_CONTROL_ENABLE

// 0x1011 without parity, 0x1013 with it.
std::uint32_t DcbFlags(TParity parity);
TDcbImage MakeDcb(const TLineSettings& settings);

// Mirrors the kernel's struct termios2 field for field (NCCS is 19 there).
struct TTermiosImage {
    std::uint32_t c_iflag = 0;
    std::uint32_t c_oflag = 0;
    std::uint32_t c_cflag = 0;
    std::uint32_t c_lflag = 0;
    std::uint8_t c_line = 0;
    std::uint8_t c_cc[19] = {};
    std::uint32_t c_ispeed = 0;
    std::uint32_t c_ospeed = 0;
};

// The Linux equivalent of a DCB, built from zero so that nothing a previous
// user of the device left behind (flow control, echo, CR mapping) survives.
TTermiosImage MakeTermios(const TDcbImage& dcb);

// Sets / reads the line settings of an open terminal; false with errno on failure.
bool SetTermios(int fd, const TTermiosImage& image);
bool GetTermios(int fd, TTermiosImage& image);

inline constexpr std::uint32_t MaxDword = 0xFFFFFFFFu;

struct TCommTimeoutsImage {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// Position for position; a negative value becomes MAXDWORD.
TCommTimeoutsImage MakeCommTimeouts(int readInterval, int readTotalMultiplier, int readTotalConstant,
                                    int writeTotalMultiplier, int writeTotalConstant);

// How ReadStr waits, in the meaning the timeouts have for a Win32 read.
enum class TReadMode {
    Immediate,    // return at once with what waits (the default)
    WaitForFirst, // what waits, else wait up to TotalMs for the first character
    Timed         // until count characters, the total or the interval limit
};
struct TReadPlan {
    TReadMode Mode = TReadMode::Immediate;
    std::int64_t TotalMs = -1;    // -1: no total limit
    std::int64_t IntervalMs = -1; // -1: no limit between characters
};
TReadPlan MakeReadPlan(const TCommTimeoutsImage& timeouts, int count);

// Longest time a write of length characters may take; -1 for no limit.
std::int64_t WriteLimitMs(const TCommTimeoutsImage& timeouts, int length);

// Win32 event mask bits of the events (0x05BD for all eight) and back.
std::uint32_t EventsToMask(TComEvents events);
TComEvents MaskToEvents(std::uint32_t mask);

// The kernel's line counters (TIOCGICOUNT) at one moment.
struct TLineCounters {
    std::uint32_t Frame = 0;
    std::uint32_t Parity = 0;
    std::uint32_t Overrun = 0;
    std::uint32_t BufOverrun = 0;
    std::uint32_t Break = 0;
    std::uint32_t Cts = 0;
    std::uint32_t Dsr = 0;
    std::uint32_t Ring = 0;
    std::uint32_t Dcd = 0;
};

// The Win32 error word for the line errors counted between two readings.
std::uint32_t ErrorWordFromCounters(const TLineCounters& before, const TLineCounters& after);
// The events that changed counters stand for (evError, evCTS, evDSR, evRing, evRLSD).
TComEvents EventsFromCounters(const TLineCounters& before, const TLineCounters& after);
// The error word as TComErrors; a parity error counts only while parity is on.
TComErrors ErrorsFromWord(std::uint32_t word, bool parityOn);
