#include "decode/meter_decoder.h"

#include <array>
#include <limits>

#include "decode/range_table.h"

namespace {

using E = LcdElement;

// Hidden at the start of every packet; the packet's flags then show what it asks for.
constexpr std::array kResetList = {
    E::LcdDc1, E::LcdV,    E::LcdAC,  E::LCDHold, E::LCDHz,   E::LCDBF, E::LCDDI,
    E::LCDFm,  E::LCDCS,   E::LCDFS,  E::LCDREL,  E::LCDBATT, E::LCDn,  E::LCDohm,
    E::LcdFH,  E::LcdAuto, E::Labmax, E::Labmin,  E::LcdRPM,  E::LCDBT, E::LCDk,
    E::LCDM1,  E::LCDu,    E::Lcdm,   E::LCDF,    E::LCDA,    E::EF,
};

// Status positions (1-based bit positions into the packet, most significant bit first).
enum Status : int {
    kAuto = 59,
    kDc = 60,
    kAc = 61,
    kRelative = 62,
    kHold = 63,
    kPosition65 = 65,
    kMaximum = 67,
    kMinimum = 68,
    kBattery = 70,
    kNano = 71,
    kMicro = 73,
    kMilli = 74,
    kKilo = 75,
    kMega = 76,
    kContinuity = 77,
    kDiode = 78,
    kPercent = 79,
    kVolt = 81,
    kAmpere = 82,
    kOhm = 83,
    kHertz = 85,
    kFarad = 86,
    kCelsius = 87,
    kFahrenheit = 88,
};

// Status flags that only show their annunciator, in the order they are applied.
struct PlainFlag {
    int position;
    LcdElement element;
};
constexpr std::array kPlainFlags = {
    PlainFlag{kDc, E::LcdDc1},       PlainFlag{kAc, E::LcdAC},
    PlainFlag{kRelative, E::LCDREL}, PlainFlag{kHold, E::LCDHold},
    PlainFlag{kMaximum, E::Labmax},  PlainFlag{kMinimum, E::Labmin},
    PlainFlag{kBattery, E::LCDBATT}, PlainFlag{kNano, E::LCDn},
    PlainFlag{kMicro, E::LCDu},      PlainFlag{kMilli, E::Lcdm},
    PlainFlag{kKilo, E::LCDk},       PlainFlag{kMega, E::LCDM1},
};

// Characters used (1-based positions 1 to 22): sign to the last status byte.
constexpr std::size_t kUsedChars = 22;

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isDecimal(char c) {
    return c >= '0' && c <= '9';
}

// Character at a 1-based position.
char at(std::string_view frame, std::size_t position) {
    return frame[position - 1];
}

bool bitAt(std::string_view frame, int position) {
    const int byteIndex = (position - 1) / 8;  // 0-based
    const int bit = 7 - (position - 1) % 8;
    const int value = hexValue(frame[2 * byteIndex]) * 16 + hexValue(frame[2 * byteIndex + 1]);
    return ((value >> bit) & 1) != 0;
}

bool decodable(std::string_view frame) {
    if (frame.size() < kUsedChars) return false;
    for (std::size_t i = 0; i < kUsedChars; ++i) {
        if (hexValue(frame[i]) < 0) return false;
    }
    if (at(frame, 1) != '2' || (at(frame, 2) != 'B' && at(frame, 2) != 'D')) return false;
    if (!isDecimal(at(frame, 14))) return false;
    if (at(frame, 4) == 'F') return true;  // overload: the digits are not converted
    return isDecimal(at(frame, 4)) && isDecimal(at(frame, 6)) && isDecimal(at(frame, 8)) &&
           isDecimal(at(frame, 10));
}

}  // namespace

MeterDecoder::MeterDecoder(TModelProfile& profile, LimitComparator& limits, DecoderSink& sink)
    : m_profile(profile),
      m_limits(limits),
      m_sink(sink),
      m_panel(startupPanel(profile)),
      m_maxSoFar(profile.MaxSoFar),
      m_minSoFar(profile.MinSoFar),
      m_leftAxisMinimum(profile.LeftAxisMinimum),
      m_leftAxisMaximum(profile.LeftAxisMaximum) {
    // Room for the longest value text (sign, four digits, three multi-byte separators), so
    // that decoding allocates nothing once running.
    constexpr std::size_t kTextRoom = 48;
    for (std::string* s : {&m_reading.ValueText, &m_reading.FunctionText, &m_reading.UnitText,
                           &m_reading.RangeModeText, &m_reading.JudgeText, &m_maxValueText,
                           &m_minValueText, &m_lastUnitText, &m_lastFunctionText, &m_panel.MaxText,
                           &m_panel.MinText, &m_panel.MaxTextU, &m_panel.MinTextU}) {
        s->reserve(kTextRoom);
    }
}

void MeterDecoder::packetAccepted(std::string_view FrameHex) {
    LcdDisplayQM14(FrameHex);
}

bool MeterDecoder::LcdDisplayQM14(std::string_view FrameHex) {
    if (!decodable(FrameHex)) {
        ++m_rejectedCount;
        return false;
    }
    const std::string_view frame = FrameHex;
    auto show = [this](LcdElement e, bool on) { m_panel.setVisible(e, on); };
    auto shown = [this](LcdElement e) { return m_panel.isVisible(e); };
    auto flag = [frame](int position) { return bitAt(frame, position); };

    m_limits.adaptLimitTexts();
    const std::string& separator = m_limits.DecimalSeparatorText();
    setLinkLit(true);
    m_packetTimeoutTicks = 0;

    TMeterReading& r = m_reading;
    r.FunctionText.clear();
    r.RangeModeText.clear();
    r.UnitText.clear();
    for (LcdElement e : kResetList)
        show(e, false);
    show(E::LCDsend, true);

    std::array<char, 4> digit = {at(frame, 4), at(frame, 6), at(frame, 8), at(frame, 10)};
    std::array<bool, 4> hasDigit = {true, true, true, true};
    const char pointCode = at(frame, 14);
    const std::array<bool, 3> point = {pointCode == '1', pointCode == '2', pointCode == '4'};

    for (const PlainFlag& f : kPlainFlags) {
        if (flag(f.position)) show(f.element, true);
    }
    const bool diode = flag(kDiode);
    const bool continuity = flag(kContinuity);
    if (diode) {
        show(E::LCDDI, true);
        show(E::LcdV, true);
        r.FunctionText = "Diode";
        r.UnitText = "V";
    }
    if (continuity) {
        show(E::LCDFm, true);
        r.FunctionText = "CTN";
    }
    const bool percent = flag(kPercent);
    const bool ampere = flag(kAmpere);
    const bool ohm = flag(kOhm);
    const bool hertz = flag(kHertz);
    const bool farad = flag(kFarad);
    const bool celsius = flag(kCelsius);
    const bool fahrenheit = flag(kFahrenheit);
    if (percent) show(E::LCDBF, true);
    if (flag(kVolt)) show(E::LcdV, true);
    if (ampere) show(E::LCDA, true);
    if (ohm) {
        show(E::LCDohm, true);
        r.FunctionText = "OHM";
    }
    if (hertz) show(E::LCDHz, true);
    if (farad) show(E::LCDF, true);
    if (celsius) show(E::LCDCS, true);
    if (fahrenheit) show(E::LCDFS, true);
    const bool autoRange = flag(kAuto);
    show(E::LcdAuto, autoRange);
    r.RangeModeText = autoRange ? "AUTO" : "MANU";

    const bool overload = digit[0] == 'F';
    if (overload) {
        digit[2] = '@';
        digit[1] = '0';
        hasDigit[0] = false;
        hasDigit[3] = false;
    }

    const bool minus = at(frame, 2) == 'D';
    show(E::LcdFH, minus);

    constexpr std::array kPoints = {E::LcdP1, E::LcdP2, E::LcdP3};
    for (std::size_t i = 0; i < kPoints.size(); ++i)
        show(kPoints[i], point[i]);
    const bool nano = flag(kNano), micro = flag(kMicro), milli = flag(kMilli);
    show(E::LCDk, flag(kKilo));
    show(E::LCDM1, flag(kMega));
    show(E::Lcdm, milli);
    show(E::LCDu, micro);
    show(E::LCDA, ampere);
    show(E::LCDn, nano);

    if (shown(E::LcdAC)) r.FunctionText = "AC";
    if (shown(E::LcdDc1)) r.FunctionText = "DC";
    const bool volt = shown(E::LcdV);
    if (volt) r.UnitText = "V";
    if (ampere) r.UnitText = "A";
    if (ohm) r.UnitText = "*";
    struct Measured {
        bool on;
        const char* unit;
        const char* function;
    };
    for (const Measured& m : {Measured{farad, "F", "CAP"}, Measured{celsius, "#", "TMP"},
                              Measured{fahrenheit, "?", "TMP"}, Measured{hertz, "Hz", "Freq"},
                              Measured{percent, "%", "DutyCycle"}}) {
        if (!m.on) continue;
        r.UnitText = m.unit;
        r.FunctionText = m.function;
    }
    struct Prefixed {
        bool base;
        bool prefix;
        const char* unit;
    };
    const bool kilo = shown(E::LCDk), mega = shown(E::LCDM1);
    for (const Prefixed& p :
         {Prefixed{volt, nano, "nV"}, Prefixed{volt, milli, "mV"}, Prefixed{volt, micro, "uV"},
          Prefixed{ampere, nano, "nA"}, Prefixed{ampere, milli, "mA"},
          Prefixed{ampere, micro, "uA"}, Prefixed{farad, nano, "nF"}, Prefixed{farad, milli, "mF"},
          Prefixed{farad, micro, "uF"}, Prefixed{ohm, kilo, "k*"}, Prefixed{ohm, mega, "M*"}}) {
        if (p.base && p.prefix) r.UnitText = p.unit;
    }

    auto pointText = [&](std::size_t i) -> std::string_view {
        return point[i] ? std::string_view(separator) : std::string_view{};
    };
    r.ValueText.clear();
    if (overload) {
        r.ValueText.append(pointText(0)).append("0").append(pointText(1)).append("L");
        r.ValueText.append(pointText(2));
    } else {
        if (minus) r.ValueText.push_back('-');
        for (std::size_t i = 0; i < 4; ++i) {
            r.ValueText.push_back(digit[i]);
            if (i < 3) r.ValueText.append(pointText(i));
        }
    }

    if (overload) {
        const double beyond = static_cast<double>(m_profile.FullScale) + 1.0;
        m_rawCount = minus ? -beyond : beyond;
    } else {
        int count = 0;
        for (char c : digit)
            count = count * 10 + (c - '0');
        m_rawCount = minus ? -count : count;
    }

    const int pointPosition = point[2] ? 3 : point[1] ? 2 : point[0] ? 1 : 0;
    track(pointPosition);
    track(pointPosition);
    m_lastPointPosition = pointPosition;

    m_panel.MaxText = m_maxValueText;
    m_panel.MinText = m_minValueText;
    m_panel.MaxTextU = r.UnitText;
    m_panel.MinTextU = r.UnitText;
    constexpr std::array kDigits = {E::LcdDa, E::LcdDb, E::LcdDc, E::LcdDd};
    for (std::size_t i = 0; i < 4; ++i) {
        m_panel.digits[i].assign(hasDigit[i] ? 1 : 0, digit[i]);
        show(kDigits[i], true);
    }

    if (r.UnitText == "Hz" || r.UnitText == "#") {
        m_profile.FullScale = 1000;
    } else if (r.UnitText == "%") {
        m_profile.FullScale = 100;
    } else {
        m_profile.FullScale = 6000;
    }

    const RangeInput range{r.FunctionText, r.UnitText, shown(E::LcdAC), pointPosition,
                           kilo,           mega,       continuity,      flag(kPosition65)};
    const RangeResult scaled = applyRangeTable(range, m_rawCount);
    r.NumericValue = scaled.NumericValue;
    if (scaled.row != nullptr) {
        m_leftAxisMaximum = static_cast<double>(scaled.row->AxisLimit);
        m_leftAxisMinimum = -m_leftAxisMaximum;
        m_sink.setLeftAxisRange(m_leftAxisMinimum, m_leftAxisMaximum);
    }

    m_limits.judge(r.ValueText);
    r.JudgeText = m_limits.JudgeText();

    ++m_decodedCount;
    m_sink.ReadingDecoded(r, m_leftAxisMaximum);
    return true;
}

void MeterDecoder::track(int pointPosition) {
    const TMeterReading& r = m_reading;
    if (r.UnitText != m_lastUnitText || pointPosition != m_lastPointPosition ||
        r.FunctionText != m_lastFunctionText) {
        restartTracking();
        return;
    }
    if (m_rawCount >= m_maxSoFar) {
        m_maxValueText = r.ValueText;
        m_maxSoFar = static_cast<float>(m_rawCount);
    }
    if (m_rawCount <= m_minSoFar) {
        m_minValueText = r.ValueText;
        m_minSoFar = static_cast<float>(m_rawCount);
    }
}

void MeterDecoder::restartTracking() {
    m_sink.restartSeries();
    m_lastUnitText = m_reading.UnitText;
    m_lastFunctionText = m_reading.FunctionText;
    // The first reading of the new context becomes both MAX and MIN, whatever its count: a
    // count beyond the previous unit's full scale (after Hz, % or degrees Celsius) must not
    // leave an extreme of the old unit in place.
    m_maxSoFar = -std::numeric_limits<float>::infinity();
    m_minSoFar = std::numeric_limits<float>::infinity();
}

void MeterDecoder::setLinkLit(bool lit) {
    m_panel.setVisible(E::CONok, lit);
    m_panel.setVisible(E::CONokN, !lit);
}

bool MeterDecoder::ConTimerTick() {
    if (m_packetTimeoutTicks != 2) {
        ++m_packetTimeoutTicks;
        return false;
    }
    setLinkLit(false);
    m_packetTimeoutTicks = 0;
    return true;
}
