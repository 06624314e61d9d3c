#pragma once
// Enumerations and sets of the serial port component. Order and names are fixed: the ordinal
// is what the settings store.

#include <cstdint>
#include <initializer_list>

enum TBaudRate {
    brCustom,
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
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum TSerialEvent {
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD,
    evRx80Full
};
enum TSerialError { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
enum TSyncMethod { smThreadSync, smWindowSync, smNone };
enum TLineSignal { lnCTS, lnDSR, lnRing, lnRLSD };
enum TStoreKind { skRegistry, skIniFile };
enum TStoredGroup { sgBasic, sgFlowControl, sgBuffer, sgTimeouts, sgParity, sgOthers };
enum TRequestKind { rkWrite = 0, rkRead = 1 };

// A set of enumeration values, bit i for ordinal i.
template <typename E, typename Bits>
class TSet {
  public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values) {
        for (E v : values) Include(v);
    }
    static constexpr TSet FromBits(Bits bits) {
        TSet s;
        s.bits_ = bits;
        return s;
    }

    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr void Include(E v) { bits_ = static_cast<Bits>(bits_ | Bit(v)); }
    constexpr void Exclude(E v) { bits_ = static_cast<Bits>(bits_ & ~Bit(v)); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr Bits ToBits() const { return bits_; }
    constexpr bool operator==(const TSet&) const = default;

  private:
    static constexpr Bits Bit(E v) { return static_cast<Bits>(Bits{1} << static_cast<int>(v)); }
    Bits bits_ = 0;
};

using TSerialEvents = TSet<TSerialEvent, std::uint16_t>;
using TSerialErrors = TSet<TSerialError, std::uint8_t>;
using TLineSignals = TSet<TLineSignal, std::uint8_t>;
using TStoredGroups = TSet<TStoredGroup, std::uint8_t>;

inline constexpr TSerialEvents kAllSerialEvents{evRxChar, evTxEmpty, evRxFlag, evRing, evBreak,
                                                evCTS,    evDSR,     evError,  evRLSD, evRx80Full};

// The numeric rate of a named baud rate; 0 for brCustom.
int BaudRateValue(TBaudRate rate);
