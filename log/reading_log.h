#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "decode/locale_info.h"
#include "decode/meter_reading.h"
#include "log/chart_pager.h"
#include "log/clock.h"
#include "log/log_table.h"

/// The six items of the "Record" menu, a radio group.
enum class RecordLimitChoice : std::uint8_t {
    N10001,
    N50001,
    N100001,
    N500001,
    N1000001,
    limitess
};

struct RecordLimitItem {
    RecordLimitChoice choice;
    std::string_view name;     ///< the menu item's object name
    std::string_view caption;  ///< the menu item's caption
    std::int32_t limit;
};

inline constexpr std::array<RecordLimitItem, 6> kRecordLimitItems = {{
    {RecordLimitChoice::N10001, "N10001", "1000", 1000},
    {RecordLimitChoice::N50001, "N50001", "5000", 5000},
    {RecordLimitChoice::N100001, "N100001", "10000", 10000},
    {RecordLimitChoice::N500001, "N500001", "50000", 50000},
    {RecordLimitChoice::N1000001, "N1000001", "100000", 100000},
    {RecordLimitChoice::limitess, "limitess", "limitless", 10000000},
}};

/// The longest sampling interval the timer takes; larger intervals are clamped to it.
inline constexpr std::uint32_t kMaxSamplingIntervalMs = 2147483647u;

/// The log rules: which readings become rows of the log table and points of the chart, in the
/// normal and the sampling mode, with the repeat filter and the record limit.
/// Holds the state of the log and of its controls (check boxes, sampling timer, level bar);
/// the window mirrors that state onto its widgets after each call and runs the real timer.
/// Does not own the table, the pager, the clock or the locale. GUI thread only.
class ReadingLog {
public:
    ReadingLog(LogTable& table, TChartControl& pager, const Clock& clock, const LocaleInfo& locale);

    /// The last step of every decoded packet. `leftAxisMaximum` is the chart's left-axis
    /// maximum after this packet. Keeps a copy of the reading for the sampling tick.
    void ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum);
    /// Offers the current reading to the log (normal mode); called by ReadingDecoded only.
    void INDataToTable();
    /// One tick of the sampling timer.
    void Timer3Timer();
    /// Clears the log once the user has confirmed: the chart, the table, RecordNo, LoggedCount.
    void RecordNewClick();

    /// A record-limit item was clicked: sets RecordLimit and checks that item alone.
    void selectRecordLimit(RecordLimitChoice choice);
    void N10001Click() { selectRecordLimit(RecordLimitChoice::N10001); }
    void N50001Click() { selectRecordLimit(RecordLimitChoice::N50001); }
    void N100001Click() { selectRecordLimit(RecordLimitChoice::N100001); }
    void N500001Click() { selectRecordLimit(RecordLimitChoice::N500001); }
    void N1000001Click() { selectRecordLimit(RecordLimitChoice::N1000001); }
    void limitessClick() { selectRecordLimit(RecordLimitChoice::limitess); }
    RecordLimitChoice checkedLimit() const { return m_checkedLimit; }

    /// The text of the sampling-interval edit changed to `text`. Returns the text the edit
    /// must show: "1" for a lone zero, else `text` unchanged. A text that is not a decimal
    /// integer, or a negative one, leaves the interval as it was. An interval above
    /// kMaxSamplingIntervalMs is clamped to it.
    std::string RecordSITimeChange(std::string_view text);
    /// Key filter of the sampling-interval and page-size edits: true keeps the key.
    /// Digits '0' to '9' and backspace (8) pass; everything else is discarded.
    static bool RecordSITimeKeyPress(char key);

    void setRepeatSet(bool checked) { m_RepeatSet = checked; }
    bool RepeatSet() const { return m_RepeatSet; }
    void setRecordSI(bool checked) { m_RecordSI = checked; }
    bool RecordSI() const { return m_RecordSI; }

    std::int32_t RecordNo() const { return m_RecordNo; }
    std::int32_t LoggedCount() const { return m_LoggedCount; }
    std::int32_t RecordLimit() const { return m_RecordLimit; }
    const std::string& LastLoggedKey() const { return m_LastLoggedKey; }
    bool ReadingFresh() const { return m_ReadingFresh; }
    double LastLeftAxisMax() const { return m_LastLeftAxisMax; }
    const TMeterReading& currentReading() const { return m_reading; }

    /// The sampling timer `Timer3` as it should be: running or not, and its interval in ms.
    /// Enabling a running timer does not restart it; a new interval restarts a running one.
    bool Timer3Enabled() const { return m_Timer3Enabled; }
    std::uint32_t Timer3Interval() const { return m_Timer3Interval; }

    /// The level bar `PBar2`: range 0 to PBar2Max(), position within it.
    int PBar2Max() const { return m_PBar2Max; }
    int PBar2Position() const { return m_PBar2Position; }
    /// The caption of `Bt10`: the pager's current page in decimal.
    std::string Bt10Caption() const;

private:
    void offer(bool sampled);
    std::string timeText(const TimeOfDay& now, bool sampled) const;
    void setPBar2Position(double value);

    LogTable& m_table;
    TChartControl& m_pager;
    const Clock& m_clock;
    const LocaleInfo& m_locale;

    TMeterReading m_reading;
    std::int32_t m_RecordNo = 1;
    std::int32_t m_LoggedCount = 0;
    std::int32_t m_RecordLimit = 10000;
    RecordLimitChoice m_checkedLimit = RecordLimitChoice::N100001;
    std::string m_LastLoggedKey;
    bool m_ReadingFresh = false;
    double m_LastLeftAxisMax = 0.0;
    bool m_RepeatSet = true;
    bool m_RecordSI = false;
    bool m_Timer3Enabled = false;
    std::uint32_t m_Timer3Interval = 1000;
    int m_PBar2Max = 60;
    int m_PBar2Position = 30;
};
