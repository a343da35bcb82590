#pragma once

#include <QString>

#include <string>
#include <string_view>

/// The program keeps its texts as 8-bit bytes of the Windows-1252 code page, so that files
/// stay byte-compatible with those written on Windows. These convert at the widget boundary.
QString ansiToQString(std::string_view bytes);

/// Characters without a Windows-1252 byte become "?".
std::string qStringToAnsi(const QString& text);
