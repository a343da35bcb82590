#include "cli/decode_pipeline.h"

#include <limits>
#include <utility>

namespace {

FixedLocale localeWith(char decimalSeparator) {
    FixedLocale locale;
    locale.userSeparator = std::string(1, decimalSeparator);
    locale.systemSeparator = locale.userSeparator;
    locale.numberFormat.decimalSeparator = decimalSeparator;
    locale.numberFormat.thousandSeparator = decimalSeparator == ',' ? '.' : ',';
    return locale;
}

}  // namespace

DecodePipeline::DecodePipeline(const PipelineOptions& options, ReadingHandler onReading)
    : m_locale(localeWith(options.decimalSeparator)),
      m_profile(buildModelProfile(kBuildModelFlags)),
      m_limits(m_locale),
      m_decoder(m_profile, m_limits, *this),
      m_frames(&m_decoder),
      m_onReading(std::move(onReading)) {
    m_limits.highText = options.high;
    m_limits.lowText = options.low;
    // What the limit edits would show once the locale adapted them: "1.5" becomes "1,5".
    m_limits.adaptLimitTexts();
    m_limits.LastGoodHigh = m_limits.highText;
    m_limits.LastGoodLow = m_limits.lowText;
}

std::optional<std::string> DecodePipeline::limitError() const {
    if (!m_limits.parses(m_limits.highText)) {
        return "the high limit \"" + m_limits.highText + "\" is not a number";
    }
    if (!m_limits.parses(m_limits.lowText)) {
        return "the low limit \"" + m_limits.lowText + "\" is not a number";
    }
    return std::nullopt;
}

void DecodePipeline::feedSerial(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kMaxBatch = std::numeric_limits<std::int32_t>::max();
    while (size > 0) {
        const std::size_t n = size < kMaxBatch ? size : kMaxBatch;
        m_frames.receiveSerial(m_profile.SerialHandler, data, static_cast<std::int32_t>(n));
        data += n;
        size -= n;
    }
}

void DecodePipeline::feedHidReport(const HidReportLine& report) {
    m_frames.receiveHid(m_profile.UsbHandler, report.reportId,
                        report.data.empty() ? nullptr : report.data.data(),
                        static_cast<std::uint16_t>(report.data.size()));
}

void DecodePipeline::ReadingDecoded(const TMeterReading& reading, double leftAxisMaximum) {
    if (m_onReading) m_onReading(m_decoder, reading, leftAxisMaximum);
}
