#pragma once

#include <cstdint>
#include <string>
#include <string_view>

/// The Unicode code point of a code page 1252 byte. The five bytes the code page leaves
/// unused give the C1 control of the same number, as Windows does, so that they round-trip.
std::uint16_t cp1252ToCodePoint(unsigned char byte);

/// The code page 1252 byte of a Unicode code point, or '?' when the code page has none.
char codePointToCp1252(std::uint32_t codePoint);

/// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool isValidUtf8(std::string_view bytes);

/// Converts well-formed UTF-8 to code page 1252 bytes; characters without a byte become '?'.
/// Ill-formed sequences also become '?'.
std::string utf8ToCp1252(std::string_view utf8);

/// Converts code page 1252 bytes to UTF-8 (every byte has a character, so nothing is lost).
std::string cp1252ToUtf8(std::string_view bytes);
