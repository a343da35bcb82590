#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

/// The meter's LCD annunciators that a packet's status bytes carry, one bit each.
enum class Annunciator : std::uint8_t {
    AutoRange,
    Dc,
    Ac,
    Relative,
    Hold,
    Max,
    Min,
    Battery,
    Nano,
    Micro,
    Milli,
    Kilo,
    Mega,
    Continuity,
    Diode,
    Percent,
    Volt,
    Ampere,
    Ohm,
    Hertz,
    Farad,
    Celsius,
    Fahrenheit,
    Count
};

using AnnunciatorSet = std::bitset<static_cast<std::size_t>(Annunciator::Count)>;

AnnunciatorSet annunciators(std::initializer_list<Annunciator> lit);

/// What the meter shows on its LCD at one moment.
struct MeterDisplay {
    bool negative = false;
    /// Over limit: the meter shows "0L" in the middle digits; count is then ignored.
    bool overload = false;
    /// The four digits as one number, 0 to 9999, without decimal point.
    std::int32_t count = 0;
    /// Decimal point after digit 1, 2 or 3; 0 for none.
    int point = 0;
    AnnunciatorSet flags;
};

inline constexpr std::size_t kPacketSize = 14;
using MeterPacket = std::array<std::uint8_t, kPacketSize>;

/// The 14-byte packet (sign, four digits, blank, point code, four status bytes, a zero byte,
/// CR, LF) that the meter sends for a display. Counts outside 0..9999 are clamped.
MeterPacket encodePacket(const MeterDisplay& display);

/// The display as text, the way the program writes a reading: sign, the four digits with the
/// separator at the point; for an overload the characters "0" and "L" with the point.
std::string displayValueText(const MeterDisplay& display, char decimalSeparator);

/// The display's value in the unit it shows (count scaled by the point); not for overloads.
double displayNumber(const MeterDisplay& display);

/// Data bytes of one cable input report, the byte with the payload count included.
inline constexpr std::size_t kHidReportDataSize = 8;
inline constexpr std::size_t kHidMaxPayload = kHidReportDataSize - 1;

/// One cable input report as bytes: report ID 0 (the cable does not number its reports),
/// then 0xF0 + payload count, the payload and zero padding, 9 bytes in all.
using HidInputReport = std::array<std::uint8_t, kHidReportDataSize + 1>;

/// The report that carries payload (its first kHidMaxPayload bytes); an empty payload gives the
/// report without payload that ends a packet.
HidInputReport hidInputReport(std::span<const std::uint8_t> payload);

/// Appends the cable's input reports for one packet to out, one line per report as
/// upper-case hex bytes separated by blanks, report ID 00 first. The packet is cut into
/// payload reports of the given sizes (clamped to 1..7; 7 once the sizes run out; the last
/// report carries what remains), followed by emptyReports reports without payload. Every
/// report has 8 data bytes: 0xF0 + payload count, the payload, zero padding.
void appendHidReportLines(const MeterPacket& packet, std::span<const int> chunkSizes,
                          int emptyReports, std::string& out);
