#include "sim/sim_packet.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

struct StatusBit {
    Annunciator flag;
    int byteIndex;  // 0-based index into the packet
    int bit;
};

// Status bytes 8 to 11 of the packet (indices 7 to 10). Bits not listed stay clear; none of
// the listed combinations a meter shows can form a CR (0x0D) inside the packet.
constexpr StatusBit kStatusBits[] = {
    {Annunciator::AutoRange, 7, 5}, {Annunciator::Dc, 7, 4},          {Annunciator::Ac, 7, 3},
    {Annunciator::Relative, 7, 2},  {Annunciator::Hold, 7, 1},        {Annunciator::Max, 8, 5},
    {Annunciator::Min, 8, 4},       {Annunciator::Battery, 8, 2},     {Annunciator::Nano, 8, 1},
    {Annunciator::Micro, 9, 7},     {Annunciator::Milli, 9, 6},       {Annunciator::Kilo, 9, 5},
    {Annunciator::Mega, 9, 4},      {Annunciator::Continuity, 9, 3},  {Annunciator::Diode, 9, 2},
    {Annunciator::Percent, 9, 1},   {Annunciator::Volt, 10, 7},       {Annunciator::Ampere, 10, 6},
    {Annunciator::Ohm, 10, 5},      {Annunciator::Hertz, 10, 3},      {Annunciator::Farad, 10, 2},
    {Annunciator::Celsius, 10, 1},  {Annunciator::Fahrenheit, 10, 0},
};

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::int32_t clampedCount(const MeterDisplay& display) {
    return std::clamp<std::int32_t>(display.count, 0, 9999);
}

std::uint8_t pointCode(int point) {
    switch (point) {
        case 1:
            return '1';
        case 2:
            return '2';
        case 3:
            return '4';
        default:
            return '0';
    }
}

void appendHexByte(std::uint8_t byte, std::string& out) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

void appendReportLine(const HidInputReport& report, std::string& out) {
    appendHexByte(report[0], out);
    for (std::size_t i = 1; i < report.size(); ++i) {
        out += ' ';
        appendHexByte(report[i], out);
    }
    out += '\n';
}

}  // namespace

AnnunciatorSet annunciators(std::initializer_list<Annunciator> lit) {
    AnnunciatorSet set;
    for (const Annunciator a : lit)
        set.set(static_cast<std::size_t>(a));
    return set;
}

MeterPacket encodePacket(const MeterDisplay& display) {
    MeterPacket packet{};
    packet[0] = display.negative ? '-' : '+';
    if (display.overload) {
        // blank, '0', 'L', blank: the meter marks the blanks with 0x3F and the L with 0x3A.
        packet[1] = 0x3F;
        packet[2] = '0';
        packet[3] = 0x3A;
        packet[4] = 0x3F;
    } else {
        std::int32_t rest = clampedCount(display);
        for (int i = 4; i >= 1; --i) {
            packet[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>('0' + rest % 10);
            rest /= 10;
        }
    }
    packet[5] = ' ';
    packet[6] = pointCode(display.point);
    for (const StatusBit& s : kStatusBits) {
        if (display.flags.test(static_cast<std::size_t>(s.flag))) {
            packet[static_cast<std::size_t>(s.byteIndex)] |= static_cast<std::uint8_t>(1U << s.bit);
        }
    }
    packet[11] = 0x00;
    packet[12] = 0x0D;
    packet[13] = 0x0A;
    return packet;
}

std::string displayValueText(const MeterDisplay& display, char decimalSeparator) {
    std::array<char, 4> cells{};  // '\0' is a blank cell
    if (display.overload) {
        cells[1] = '0';
        cells[2] = 'L';
    } else {
        std::int32_t rest = clampedCount(display);
        for (std::size_t i = cells.size(); i-- > 0;) {
            cells[i] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        }
    }
    std::string text;
    text.reserve(8);
    if (display.negative && !display.overload) text.push_back('-');
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i] != '\0') text.push_back(cells[i]);
        if (display.point == static_cast<int>(i) + 1) text.push_back(decimalSeparator);
    }
    return text;
}

double displayNumber(const MeterDisplay& display) {
    const int decimals = display.point == 0 ? 0 : 4 - display.point;
    const double magnitude = clampedCount(display) / std::pow(10.0, decimals);
    return display.negative ? -magnitude : magnitude;
}

void appendHidReportLines(const MeterPacket& packet, std::span<const int> chunkSizes,
                          int emptyReports, std::string& out) {
    std::size_t sent = 0;
    std::size_t chunk = 0;
    while (sent < packet.size()) {
        const int wanted = chunk < chunkSizes.size() ? chunkSizes[chunk] : int{kHidMaxPayload};
        ++chunk;
        const std::size_t n = std::min<std::size_t>(
            std::clamp<std::size_t>(static_cast<std::size_t>(std::max(wanted, 1)), 1,
                                    kHidMaxPayload),
            packet.size() - sent);
        appendReportLine(hidInputReport(std::span(packet).subspan(sent, n)), out);
        sent += n;
    }
    const HidInputReport empty = hidInputReport({});
    for (int i = 0; i < emptyReports; ++i)
        appendReportLine(empty, out);
}

HidInputReport hidInputReport(std::span<const std::uint8_t> payload) {
    const std::size_t n = std::min(payload.size(), kHidMaxPayload);
    HidInputReport report{};
    report[1] = static_cast<std::uint8_t>(0xF0 | n);  // count in the low nibble
    std::copy_n(payload.begin(), n, report.begin() + 2);
    return report;
}
