#include "cli/reading_json.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "cli/json_writer.h"

std::string readingJson(const MeterDecoder& decoder, const TMeterReading& reading) {
    const LcdPanelState& panel = decoder.panel();
    std::vector<std::string_view> lit;
    for (std::size_t i = 0; i < kLcdElementCount; ++i) {
        const auto element = static_cast<LcdElement>(i);
        if (panel.isVisible(element)) lit.push_back(lcdElementName(element));
    }
    std::sort(lit.begin(), lit.end());

    JsonObjectWriter json;
    json.add("value", reading.ValueText);
    json.add("function", reading.FunctionText);
    json.add("unit", reading.UnitText);
    json.add("range", reading.RangeModeText);
    json.add("judge", reading.JudgeText);
    json.add("count", decoder.RawCount());
    json.add("numeric", reading.NumericValue);
    json.add("axis_min", decoder.leftAxisMinimum());
    json.add("axis_max", decoder.leftAxisMaximum());
    json.add("point", decoder.pointPosition());
    json.add("max", panel.MaxText);
    json.add("min", panel.MinText);
    json.add("lit", lit);
    return json.finish();
}
