#pragma once

#include <cstdint>
#include <initializer_list>

// The port's enumerations. Ordinals are what the program stores and passes;
// those of TParity and TStopBits equal the line-settings codes of the DCB.

enum TBaudRate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TByteSize { bs5, bs6, bs7, bs8 };
enum TParity { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits { sb1, sb1_5, sb2 };
enum TSyncMethod { smThreadSync, smWindowSync, smNone };
enum TComEvent { evRxChar, evTxEmpty, evRing, evCTS, evDSR, evRLSD, evError, evRx80Full };
enum TComError { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
enum TModemSignal { msCTS, msDSR, msRing, msRLSD };

// A set of enumeration elements, one bit per ordinal.
template <typename E> class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> elements)
    {
        for (E e : elements)
            Include(e);
    }
    static constexpr TEnumSet FromBits(std::uint32_t bits)
    {
        TEnumSet s;
        s.FBits = bits;
        return s;
    }

    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr void Include(E e) { FBits |= Bit(e); }
    constexpr void Exclude(E e) { FBits &= ~Bit(e); }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr std::uint32_t Bits() const { return FBits; }
    constexpr TEnumSet& operator|=(TEnumSet other)
    {
        FBits |= other.FBits;
        return *this;
    }
    friend constexpr bool operator==(TEnumSet a, TEnumSet b) { return a.FBits == b.FBits; }

private:
    static constexpr std::uint32_t Bit(E e) { return std::uint32_t{1} << static_cast<unsigned>(e); }
    std::uint32_t FBits = 0;
};

using TComEvents = TEnumSet<TComEvent>;
using TComErrors = TEnumSet<TComError>;
using TModemSignals = TEnumSet<TModemSignal>;

inline constexpr TComEvents AllComEvents{evRxChar, evTxEmpty, evRing, evCTS, evDSR, evRLSD, evError, evRx80Full};
