#pragma once

#include <QString>

#include <cstddef>
#include <string_view>

#include "link/hid/hid_platform.h"

/// The text of a device string buffer: its characters up to the first zero character (all of
/// them when there is none).
QString textUpToZero(const HidStringBuffer& buffer);

/// Characters of string descriptor 0 in a buffer that was filled with 0xFFFF before the query:
/// scanning down from the last character and skipping 0xFFFF, the first other character ends
/// the text; a zero there is not counted. 0 when every character is 0xFFFF (nothing written).
std::size_t languageTableLength(const HidStringBuffer& languageTable);

/// The serial string to keep, from the serial-number buffer and string descriptor 0: the
/// serial text, unless the language table is empty or the serial begins with its characters
/// (some devices answer the serial-number query with their language table). Empty then.
QString serialStringRule(const HidStringBuffer& serial, const HidStringBuffer& languageTable);

/// Fills a zeroed string buffer from a text the system gives in UTF-8 (a sysfs attribute or a
/// hidraw name): one trailing line feed is dropped, a zero character ends the text, and a text
/// longer than the buffer is cut without splitting a surrogate pair.
void fillFromSystemText(std::string_view utf8, HidStringBuffer& buffer);
