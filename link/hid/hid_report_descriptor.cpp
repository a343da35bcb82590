#include "link/hid/hid_report_descriptor.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace {

// Item tags (HID 1.11, 6.2.2): main items, and the globals that size reports.
constexpr std::uint8_t kTypeMain = 0;
constexpr std::uint8_t kTypeGlobal = 1;
constexpr std::uint8_t kMainInput = 0x8;
constexpr std::uint8_t kMainOutput = 0x9;
constexpr std::uint8_t kMainFeature = 0xB;
constexpr std::uint8_t kGlobalReportSize = 0x7;
constexpr std::uint8_t kGlobalReportId = 0x8;
constexpr std::uint8_t kGlobalReportCount = 0x9;
constexpr std::uint8_t kGlobalPush = 0xA;
constexpr std::uint8_t kGlobalPop = 0xB;
constexpr std::uint8_t kLongItemPrefix = 0xFE;
// Keeps the pushed globals bounded for a hostile descriptor.
constexpr std::size_t kMaxPushDepth = 64;
constexpr std::uint64_t kMaxReportBytes = 65534;

struct Globals {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint8_t reportId = 0;
};

std::uint32_t unsignedValue(std::span<const std::uint8_t> data) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data.size(); ++i)
        value |= std::uint32_t{data[i]} << (8 * i);
    return value;
}

std::uint16_t lengthWithId(const std::map<std::uint8_t, std::uint64_t>& bits) {
    std::uint64_t longest = 0;
    for (const auto& entry : bits)
        longest = std::max(longest, entry.second);
    if (longest == 0) return 0;
    return static_cast<std::uint16_t>((longest + 7) / 8 + 1);
}

}  // namespace

std::optional<HidReportLayout> parseReportDescriptor(std::span<const std::uint8_t> descriptor) {
    Globals globals;
    std::vector<Globals> pushed;
    bool numbered = false;
    std::map<std::uint8_t, std::uint64_t> inputBits;
    std::map<std::uint8_t, std::uint64_t> outputBits;
    std::map<std::uint8_t, std::uint64_t> featureBits;

    std::size_t pos = 0;
    while (pos < descriptor.size()) {
        const std::uint8_t prefix = descriptor[pos];
        if (prefix == kLongItemPrefix) {
            // 0xFE, data size, long item tag, data: nothing here sizes a report.
            if (pos + 3 > descriptor.size()) return std::nullopt;
            const std::size_t size = descriptor[pos + 1];
            if (pos + 3 + size > descriptor.size()) return std::nullopt;
            pos += 3 + size;
            continue;
        }
        const std::size_t size = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        const std::uint8_t type = (prefix >> 2) & 0x3;
        const std::uint8_t tag = prefix >> 4;
        if (pos + 1 + size > descriptor.size()) return std::nullopt;
        const std::uint32_t value = unsignedValue(descriptor.subspan(pos + 1, size));
        pos += 1 + size;

        if (type == kTypeMain) {
            std::map<std::uint8_t, std::uint64_t>* bits = nullptr;
            if (tag == kMainInput) bits = &inputBits;
            if (tag == kMainOutput) bits = &outputBits;
            if (tag == kMainFeature) bits = &featureBits;
            if (bits != nullptr) {
                std::uint64_t& total = (*bits)[globals.reportId];
                total += std::uint64_t{globals.reportSize} * globals.reportCount;
                if (total > kMaxReportBytes * 8) return std::nullopt;
            }
        } else if (type == kTypeGlobal) {
            switch (tag) {
                case kGlobalReportSize:
                    globals.reportSize = value;
                    break;
                case kGlobalReportCount:
                    globals.reportCount = value;
                    break;
                case kGlobalReportId:
                    globals.reportId = static_cast<std::uint8_t>(value);
                    numbered = true;
                    break;
                case kGlobalPush:
                    if (pushed.size() == kMaxPushDepth) return std::nullopt;
                    pushed.push_back(globals);
                    break;
                case kGlobalPop:
                    if (pushed.empty()) return std::nullopt;
                    globals = pushed.back();
                    pushed.pop_back();
                    break;
                default:
                    break;
            }
        }
    }
    HidReportLayout layout;
    layout.numbered = numbered;
    layout.inputReportLength = lengthWithId(inputBits);
    layout.outputReportLength = lengthWithId(outputBits);
    layout.featureReportLength = lengthWithId(featureBits);
    return layout;
}
