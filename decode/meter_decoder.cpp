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
enum StatusBit : int {
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

// The status bits of one packet.
struct Status {
    bool autoRange, dc, ac, relative, hold, position65, maximum, minimum, battery;
    bool nano, micro, milli, kilo, mega, continuity, diode, percent;
    bool volt, ampere, ohm, hertz, farad, celsius, fahrenheit;
};

Status readStatus(std::string_view frame) {
    auto bit = [frame](int position) { return bitAt(frame, position); };
    return Status{bit(kAuto),       bit(kDc),      bit(kAc),      bit(kRelative),  bit(kHold),
                  bit(kPosition65), bit(kMaximum), bit(kMinimum), bit(kBattery),   bit(kNano),
                  bit(kMicro),      bit(kMilli),   bit(kKilo),    bit(kMega),      bit(kContinuity),
                  bit(kDiode),      bit(kPercent), bit(kVolt),    bit(kAmpere),    bit(kOhm),
                  bit(kHertz),      bit(kFarad),   bit(kCelsius), bit(kFahrenheit)};
}

// Digits, sign and point of one packet, with the overload pattern applied.
struct Display {
    std::array<char, 4> digit;
    std::array<bool, 4> hasDigit = {true, true, true, true};
    std::array<bool, 3> point;  // after digits 1, 2, 3
    bool minus;
    bool overload;

    int pointPosition() const { return point[2] ? 3 : point[1] ? 2 : point[0] ? 1 : 0; }
};

Display readDisplay(std::string_view frame) {
    Display d;
    d.digit = {at(frame, 4), at(frame, 6), at(frame, 8), at(frame, 10)};
    const char pointCode = at(frame, 14);
    d.point = {pointCode == '1', pointCode == '2', pointCode == '4'};
    d.minus = at(frame, 2) == 'D';
    // The meter shows 0 followed by the letter L ("@" in the LCD font).
    d.overload = d.digit[0] == 'F';
    if (d.overload) {
        d.digit = {' ', '0', '@', ' '};
        d.hasDigit = {false, true, true, false};
    }
    return d;
}

// Hides the reset list, then shows what the packet asks for; the points and prefixes are
// set either way.
void paintPanel(const Status& s, const Display& d, LcdPanelState& panel) {
    for (LcdElement e : kResetList)
        panel.setVisible(e, false);
    panel.setVisible(E::LCDsend, true);
    const std::pair<bool, LcdElement> shownWhen[] = {
        {s.dc, E::LcdDc1},        {s.ac, E::LcdAC},         {s.relative, E::LCDREL},
        {s.hold, E::LCDHold},     {s.diode, E::LCDDI},      {s.diode, E::LcdV},
        {s.maximum, E::Labmax},   {s.minimum, E::Labmin},   {s.battery, E::LCDBATT},
        {s.continuity, E::LCDFm}, {s.percent, E::LCDBF},    {s.volt, E::LcdV},
        {s.ohm, E::LCDohm},       {s.hertz, E::LCDHz},      {s.farad, E::LCDF},
        {s.celsius, E::LCDCS},    {s.fahrenheit, E::LCDFS}, {d.minus, E::LcdFH},
    };
    for (const auto& [on, element] : shownWhen) {
        if (on) panel.setVisible(element, true);
    }
    panel.setVisible(E::LcdAuto, s.autoRange);
    panel.setVisible(E::LcdP1, d.point[0]);
    panel.setVisible(E::LcdP2, d.point[1]);
    panel.setVisible(E::LcdP3, d.point[2]);
    panel.setVisible(E::LCDk, s.kilo);
    panel.setVisible(E::LCDM1, s.mega);
    panel.setVisible(E::Lcdm, s.milli);
    panel.setVisible(E::LCDu, s.micro);
    panel.setVisible(E::LCDA, s.ampere);
    panel.setVisible(E::LCDn, s.nano);
    constexpr std::array kDigits = {E::LcdDa, E::LcdDb, E::LcdDc, E::LcdDd};
    for (std::size_t i = 0; i < kDigits.size(); ++i) {
        panel.digits[i].assign(d.hasDigit[i] ? 1 : 0, d.digit[i]);
        panel.setVisible(kDigits[i], true);
    }
}

// Each assignment overwrites the earlier ones: DC wins over AC, both over diode, continuity
// and ohm; the measured quantities and then the prefixed units come last.
void assignFunctionAndUnit(const Status& s, TMeterReading& r) {
    std::string_view function;
    std::string_view unit;
    if (s.diode) function = "Diode";
    if (s.continuity) function = "CTN";
    if (s.ohm) function = "OHM";
    if (s.ac) function = "AC";
    if (s.dc) function = "DC";

    const bool volt = s.volt || s.diode;  // the diode flag lights the volt sign too
    if (volt) unit = "V";
    if (s.ampere) unit = "A";
    if (s.ohm) unit = "*";
    struct Measured {
        bool on;
        std::string_view unit;
        std::string_view function;
    };
    for (const Measured& m : {Measured{s.farad, "F", "CAP"}, Measured{s.celsius, "#", "TMP"},
                              Measured{s.fahrenheit, "?", "TMP"}, Measured{s.hertz, "Hz", "Freq"},
                              Measured{s.percent, "%", "DutyCycle"}}) {
        if (!m.on) continue;
        unit = m.unit;
        function = m.function;
    }
    struct Prefixed {
        bool base;
        bool prefix;
        std::string_view unit;
    };
    for (const Prefixed& p : {Prefixed{volt, s.nano, "nV"}, Prefixed{volt, s.milli, "mV"},
                              Prefixed{volt, s.micro, "uV"}, Prefixed{s.ampere, s.nano, "nA"},
                              Prefixed{s.ampere, s.milli, "mA"}, Prefixed{s.ampere, s.micro, "uA"},
                              Prefixed{s.farad, s.nano, "nF"}, Prefixed{s.farad, s.milli, "mF"},
                              Prefixed{s.farad, s.micro, "uF"}, Prefixed{s.ohm, s.kilo, "k*"},
                              Prefixed{s.ohm, s.mega, "M*"}, Prefixed{s.hertz, s.kilo, "kHz"},
                              Prefixed{s.hertz, s.mega, "MHz"}}) {
        if (p.base && p.prefix) unit = p.unit;
    }
    // clear + append: assigning literals here trips a false GCC 12 -Wrestrict at -O2.
    r.FunctionText.clear();
    r.FunctionText.append(function);
    r.UnitText.clear();
    r.UnitText.append(unit);
    r.RangeModeText.clear();
    r.RangeModeText.append(s.autoRange ? "AUTO" : "MANU");
}

// The value as displayed; an overload shows "0L" with the lit point, without a sign.
void buildValueText(const Display& d, std::string_view separator, std::string& out) {
    auto pointText = [&](std::size_t i) { return d.point[i] ? separator : std::string_view{}; };
    out.clear();
    if (d.overload) {
        out.append(pointText(0)).append("0").append(pointText(1)).append("L").append(pointText(2));
        return;
    }
    if (d.minus) out.push_back('-');
    for (std::size_t i = 0; i < 4; ++i) {
        out.push_back(d.digit[i]);
        if (i < 3) out.append(pointText(i));
    }
}

// The signed count without point; an overload counts one beyond full scale.
double rawCountOf(const Display& d, std::int32_t fullScale) {
    double count = 0;
    if (d.overload) {
        count = static_cast<double>(fullScale) + 1.0;
    } else {
        for (char c : d.digit)
            count = count * 10 + (c - '0');
    }
    return d.minus ? -count : count;
}

std::int32_t fullScaleFor(std::string_view unit) {
    if (unit == "Hz" || unit == "kHz" || unit == "MHz" || unit == "#") return 1000;
    if (unit == "%") return 100;
    return 6000;
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
    m_limits.adaptLimitTexts();
    setLinkLit(true);
    m_packetTimeoutTicks = 0;

    const Status status = readStatus(FrameHex);
    const Display display = readDisplay(FrameHex);
    TMeterReading& r = m_reading;
    paintPanel(status, display, m_panel);
    assignFunctionAndUnit(status, r);
    buildValueText(display, m_limits.DecimalSeparatorText(), r.ValueText);
    m_rawCount = rawCountOf(display, m_profile.FullScale);

    const int pointPosition = display.pointPosition();
    track(pointPosition);
    track(pointPosition);
    m_lastPointPosition = pointPosition;
    m_panel.MaxText = m_maxValueText;
    m_panel.MinText = m_minValueText;
    m_panel.MaxTextU = r.UnitText;
    m_panel.MinTextU = r.UnitText;

    m_profile.FullScale = fullScaleFor(r.UnitText);

    const RangeInput range{r.FunctionText, r.UnitText,  status.ac,         pointPosition,
                           status.kilo,    status.mega, status.continuity, status.position65};
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
