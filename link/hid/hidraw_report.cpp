#include "link/hid/hidraw_report.h"

HidrawReadTarget hidrawReadTarget(std::size_t bufferSize, bool numbered) {
    if (numbered || bufferSize == 0) return {0, bufferSize};
    return {1, bufferSize - 1};
}

std::size_t completeHidrawReport(std::span<std::uint8_t> buffer, std::size_t rawBytes,
                                 bool numbered) {
    if (rawBytes == 0 || buffer.empty()) return 0;
    if (!numbered) buffer[0] = 0;
    return buffer.size();
}
