#include "link/hid/hid_system_info.h"

#include <charconv>

namespace {

std::optional<std::uint32_t> hexNumber(std::string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string sysfsText(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    return std::string(text);
}

std::optional<std::uint16_t> usbIdFromSysfs(std::string_view text) {
    const std::string trimmed = sysfsText(text);
    if (trimmed.size() != 4) return std::nullopt;
    const auto value = hexNumber(trimmed, 4);
    if (!value) return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> idsFromHidId(std::string_view text) {
    const std::size_t first = text.find(':');
    const std::size_t second = first == std::string_view::npos ? first : text.find(':', first + 1);
    if (second == std::string_view::npos || !hexNumber(text.substr(0, first), 4)) {
        return std::nullopt;
    }
    const auto vendor = hexNumber(text.substr(first + 1, second - first - 1), 8);
    const auto product = hexNumber(sysfsText(text.substr(second + 1)), 8);
    if (!vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF) return std::nullopt;
    return std::pair{static_cast<std::uint16_t>(*vendor), static_cast<std::uint16_t>(*product)};
}
