#pragma once
// The vocabulary of the serial library: every line setting, event, modem
// signal, line error and delivery mode as an enumeration, the small bit sets
// built on them, and the number of each setting in the line-state image.
#include <cstdint>
#include <initializer_list>

namespace serial {

// Ordinal of an enumeration value (its position in the declaration).
template <class E>
constexpr int ord(E e) { return static_cast<int>(e); }

enum class TBaudRate : std::uint8_t {
    brCustom, br110, br300, br600, br1200, br2400, br4800, br9600, br14400,
    br19200, br38400, br56000, br57600, br115200, br128000, br256000
};
enum class TStopBits : std::uint8_t { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum class TDataBits : std::uint8_t { dbFive, dbSix, dbSeven, dbEight };
enum class TParityBits : std::uint8_t { prNone, prOdd, prEven, prMark, prSpace };
enum class TDTRFlowControl : std::uint8_t { dtrDisable, dtrEnable, dtrHandshake };
enum class TRTSFlowControl : std::uint8_t { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum class TFlowControl : std::uint8_t { fcHardware, fcSoftware, fcNone, fcCustom };
enum class TComEvent : std::uint8_t {
    evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full
};
enum class TComSignal : std::uint8_t { csCTS, csDSR, csRing, csRLSD };
enum class TComError : std::uint8_t {
    ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull
};
enum class TComStateFlag : std::uint8_t {
    fCtlHold, fDsrHold, fRlsHold, fXoffHold, fXOffSent, fEof, fTxim
};
enum class TSyncMethod : std::uint8_t { smThreadSync, smWindowSync, smNone, smDisableEvents };
enum class TStoreType : std::uint8_t { stRegistry, stIniFile };
enum class TStoredProp : std::uint8_t {
    spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers
};
// What last used an overlapped-operation record; okNone until an operation has.
enum class TOperationKind : std::uint8_t { okWrite, okRead, okNone };
enum class TComProperty : std::uint8_t {
    cpNone, cpPort, cpBaudRate, cpDataBits, cpStopBits, cpParity, cpFlowControl
};
enum class TLedKind : std::uint8_t {
    lkRedLight, lkGreenLight, lkBlueLight, lkYellowLight, lkPurpleLight, lkBulb, lkCustom
};
enum class TComLedSignal : std::uint8_t { lsConn, lsCTS, lsDSR, lsRLSD, lsRing, lsRx, lsTx };
enum class TLedState : std::uint8_t { lsOff, lsOn };
// Priority of an event thread, lowest to highest.
enum class TThreadPriority : std::uint8_t {
    tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical
};

// A set of enumeration values: bit n stands for the value of ordinal n.
// `Count` is the number of values of E; bits beyond it are never set.
template <class E, class Bits, int Count>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> values)
    {
        for (E e : values)
            include(e);
    }

    static constexpr EnumSet fromBits(Bits bits)
    {
        EnumSet s;
        s.bits_ = static_cast<Bits>(bits & allBits());
        return s;
    }
    static constexpr EnumSet all() { return fromBits(allBits()); }

    constexpr Bits toBits() const { return bits_; }
    constexpr bool contains(E e) const { return (bits_ & bit(e)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr EnumSet& include(E e) { bits_ = static_cast<Bits>(bits_ | bit(e)); return *this; }

    friend constexpr EnumSet operator+(EnumSet a, EnumSet b) { return fromBits(static_cast<Bits>(a.bits_ | b.bits_)); }
    friend constexpr EnumSet operator-(EnumSet a, EnumSet b) { return fromBits(static_cast<Bits>(a.bits_ & ~b.bits_)); }
    friend constexpr EnumSet operator*(EnumSet a, EnumSet b) { return fromBits(static_cast<Bits>(a.bits_ & b.bits_)); }
    friend constexpr bool operator==(EnumSet a, EnumSet b) = default;

private:
    static constexpr Bits bit(E e) { return static_cast<Bits>(Bits{1} << ord(e)); }
    static constexpr Bits allBits() { return static_cast<Bits>((std::uint64_t{1} << Count) - 1); }

    Bits bits_ = 0;
};

using TComEvents = EnumSet<TComEvent, std::uint16_t, 10>;
using TComSignals = EnumSet<TComSignal, std::uint8_t, 4>;
using TComErrors = EnumSet<TComError, std::uint8_t, 8>;
using TComStateFlags = EnumSet<TComStateFlag, std::uint8_t, 7>;
using TStoredProps = EnumSet<TStoredProp, std::uint8_t, 6>;

// The number of each setting in the line-state image
// (platform::SerialLineState), by ordinal.

// Bit rate of a speed; 0 for brCustom (the port's CustomBaudRate is used instead).
constexpr std::uint32_t baudRateValue(TBaudRate b)
{
    constexpr std::uint32_t values[] = {0, 110, 300, 600, 1200, 2400, 4800, 9600, 14400,
                                        19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return values[ord(b)];
}
// 0, 1, 2: one, one and a half, two stop bits.
constexpr std::uint8_t stopBitsValue(TStopBits s) { return static_cast<std::uint8_t>(ord(s)); }
// 5 to 8.
constexpr std::uint8_t dataBitsValue(TDataBits d) { return static_cast<std::uint8_t>(5 + ord(d)); }
// 0 to 4: none, odd, even, mark, space.
constexpr std::uint8_t parityValue(TParityBits p) { return static_cast<std::uint8_t>(ord(p)); }
// DTR control bits of the line-settings flag word.
constexpr std::uint32_t dtrControlValue(TDTRFlowControl d)
{
    constexpr std::uint32_t values[] = {0, 0x10, 0x20};
    return values[ord(d)];
}
// RTS control bits of the line-settings flag word.
constexpr std::uint32_t rtsControlValue(TRTSFlowControl r)
{
    constexpr std::uint32_t values[] = {0, 0x1000, 0x2000, 0x3000};
    return values[ord(r)];
}

} // namespace serial
