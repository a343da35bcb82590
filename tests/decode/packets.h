#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "decode/decoder_sink.h"

namespace testpkt {

using Bytes = std::vector<std::uint8_t>;

// Status positions of the meter packet (1-based bits, most significant bit first).
enum Flag : int {
    Auto = 59,
    Dc = 60,
    Ac = 61,
    Rel = 62,
    Hold = 63,
    Pos65 = 65,
    Max = 67,
    Min = 68,
    Batt = 70,
    Nano = 71,
    Micro = 73,
    Milli = 74,
    Kilo = 75,
    Mega = 76,
    Ctn = 77,
    Diode = 78,
    Percent = 79,
    Volt = 81,
    Amp = 82,
    Ohm = 83,
    Hz = 85,
    Farad = 86,
    Celsius = 87,
    Fahrenheit = 88,
};

// One meter packet from the sign byte to the carriage return (13 bytes; the line feed is not
// part of it).
struct Packet {
    std::uint8_t sign = '+';
    std::array<std::uint8_t, 4> digits = {'0', '5', '9', '9'};
    std::uint8_t point = '2';
    std::array<std::uint8_t, 4> status{};

    Packet& with(std::initializer_list<int> flags) {
        for (int p : flags) {
            status[(p - 1) / 8 - 7] |= static_cast<std::uint8_t>(1U << (7 - (p - 1) % 8));
        }
        return *this;
    }
    Bytes bytes() const {
        Bytes b{sign, digits[0], digits[1], digits[2], digits[3], 0x20, point};
        b.insert(b.end(), status.begin(), status.end());
        b.push_back(0x00);
        b.push_back(0x0D);
        return b;
    }
    std::string hex() const;
};

inline std::string toHex(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string s;
    for (std::uint8_t b : bytes) {
        s.push_back(kDigits[b >> 4]);
        s.push_back(kDigits[b & 0x0F]);
    }
    return s;
}

inline std::string Packet::hex() const {
    return toHex(bytes());
}

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Records what the decoder hands outward, in order.
class RecordingSink : public DecoderSink {
public:
    struct Decoded {
        TMeterReading reading;
        double leftAxisMaximum;
    };
    int restarts = 0;
    std::vector<std::pair<double, double>> axisRanges;
    std::vector<Decoded> decoded;

    void restartSeries() override { ++restarts; }
    void setLeftAxisRange(double minimum, double maximum) override {
        axisRanges.emplace_back(minimum, maximum);
    }
    void ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum) override {
        decoded.push_back({reading, leftAxisMaximum});
    }
    std::size_t calls() const { return restarts + axisRanges.size() + decoded.size(); }
};

}  // namespace testpkt
