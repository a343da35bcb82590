#pragma once

#include <QString>

#include <string_view>

/// A stored unit text as the grid and the report show it: the LCD font's symbol characters
/// become the symbols they stand for ("*" Ω, "#" °C, "?" °F), so "k*" shows as "kΩ"; every
/// other byte is read as code page 1252.
QString unitSymbolText(std::string_view unit);
