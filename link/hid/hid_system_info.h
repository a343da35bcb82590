#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

/// A USB ID as sysfs writes it ("1a86", four hexadecimal digits, a line feed allowed);
/// nullopt for anything else.
std::optional<std::uint16_t> usbIdFromSysfs(std::string_view text);

/// Vendor and product ID from a HID device's HID_ID property ("0003:00001A86:0000E008": bus,
/// vendor, product, each hexadecimal); nullopt when it is malformed or an ID exceeds 16 bits.
std::optional<std::pair<std::uint16_t, std::uint16_t>> idsFromHidId(std::string_view text);

/// A sysfs string attribute without its trailing line feed and blanks.
std::string sysfsText(std::string_view text);
