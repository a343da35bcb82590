#include "log/reading_log.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "decode/integer_text.h"

namespace {

// Truncates towards zero into the int range; NaN gives 0. A plain cast of an out-of-range
// double is undefined, and the left axis or a value may be anything a packet makes of it.
int truncateToInt(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kMax = std::numeric_limits<int>::max();
    constexpr double kMin = std::numeric_limits<int>::min();
    if (value >= kMax) return std::numeric_limits<int>::max();
    if (value <= kMin) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

// A 32-bit decimal integer with an optional sign, nothing around it.
std::optional<std::int32_t> parseDecimal(std::string_view text) {
    return parseInt32(text, IntegerSyntax{.plusSign = true, .minusSign = true});
}

}  // namespace

ReadingLog::ReadingLog(LogTable& table, TChartControl& pager, const Clock& clock,
                       const LocaleInfo& locale)
    : m_table(table), m_pager(pager), m_clock(clock), m_locale(locale) {}

void ReadingLog::ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum) {
    m_reading = reading;
    m_ReadingFresh = true;
    if (leftAxisMaximum != m_LastLeftAxisMax) {
        // The bar's range starts at 0 and cannot end below it.
        m_PBar2Max = std::max(0, truncateToInt(leftAxisMaximum));
        m_PBar2Position = std::min(m_PBar2Position, m_PBar2Max);
    }
    if (m_RecordSI) {
        m_Timer3Enabled = true;
    } else {
        m_Timer3Enabled = false;
        INDataToTable();
    }
    m_LastLeftAxisMax = leftAxisMaximum;
}

void ReadingLog::INDataToTable() {
    if (m_LoggedCount >= m_RecordLimit) return;
    offer(false);
}

void ReadingLog::Timer3Timer() {
    if (m_LoggedCount >= m_RecordLimit || !m_ReadingFresh) return;
    if (!m_RecordSI) {
        m_ReadingFresh = false;
        return;
    }
    offer(true);
    m_ReadingFresh = false;
}

void ReadingLog::offer(bool sampled) {
    std::string key;
    key.reserve(m_reading.ValueText.size() + m_reading.FunctionText.size() +
                m_reading.UnitText.size() + m_reading.RangeModeText.size());
    key += m_reading.ValueText;
    key += m_reading.FunctionText;
    key += m_reading.UnitText;
    key += m_reading.RangeModeText;
    if (m_RepeatSet || key != m_LastLoggedKey) {
        m_LastLoggedKey = std::move(key);
        ++m_LoggedCount;
        LogRecord row;
        const ClockReading now = m_clock.read();
        row.Value = m_reading.ValueText;
        row.Time = timeText(now.local, sampled);
        row.dateTimeUtcMs = now.utcMs;
        row.rangeMode = m_reading.RangeModeText;
        row.No = m_RecordNo;
        row.DcAc = m_reading.FunctionText;
        row.Unit = m_reading.UnitText;
        row.Auto = m_reading.JudgeText;
        setPBar2Position(std::fabs(m_reading.NumericValue));
        m_table.append(row, RowOrigin::Reading);
        m_pager.AddValue(m_reading.NumericValue);
    }
    // Wraps instead of overflowing; it would take decades of dropped repeats to get there.
    m_RecordNo = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_RecordNo) + 1u);
}

std::string ReadingLog::timeText(const TimeOfDay& now, bool sampled) const {
    if (sampled) return m_locale.formatTimeOfDay(now);
    const std::string sep = m_locale.timeSeparator();
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d%s%02d%s%02d", now.hour, sep.c_str(), now.minute,
                  sep.c_str(), now.second);
    return buf;
}

void ReadingLog::setPBar2Position(double value) {
    m_PBar2Position = std::clamp(truncateToInt(value), 0, m_PBar2Max);
}

void ReadingLog::RecordNewClick() {
    m_pager.ClearChart();
    if (!m_table.empty()) m_table.clear();
    m_RecordNo = 1;
    m_LoggedCount = 0;
}

void ReadingLog::selectRecordLimit(RecordLimitChoice choice) {
    for (const RecordLimitItem& item : kRecordLimitItems) {
        if (item.choice == choice) m_RecordLimit = item.limit;
    }
    m_checkedLimit = choice;
}

std::string ReadingLog::RecordSITimeChange(std::string_view text) {
    const auto value = parseDecimal(text);
    // Not an integer (an empty edit, for example), or a negative one pasted in: the interval
    // stays. The key filter lets only digits through, so this is rare.
    if (!value || *value < 0) return std::string(text);
    const bool zero = *value == 0;
    const std::int32_t seconds = zero ? 1 : *value;
    // Intervals beyond what the timer takes (about 24.8 days) run at the longest it takes.
    const std::int64_t ms = std::int64_t{seconds} * 1000;
    m_Timer3Interval = ms > std::int64_t{kMaxSamplingIntervalMs} ? kMaxSamplingIntervalMs
                                                                 : static_cast<std::uint32_t>(ms);
    return zero ? std::string(1, '1') : std::string(text);
}

bool ReadingLog::RecordSITimeKeyPress(char key) {
    return (key >= '0' && key <= '9') || key == '\b';
}

std::string ReadingLog::Bt10Caption() const {
    return std::to_string(m_pager.CurrentPage());
}
