#pragma once

#include <string>

#include "decode/meter_decoder.h"

/// One decoded packet as a JSON object on one line: value, function, unit, range, judge, count,
/// numeric, axis_min, axis_max, point, max, min and lit (the names of the shown panel elements,
/// sorted).
std::string readingJson(const MeterDecoder& decoder, const TMeterReading& reading);
