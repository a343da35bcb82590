#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

/// A value of the flat objects the decoder prints: a string, a number or a list of strings.
using JsonValue = std::variant<std::string, double, std::vector<std::string>>;
using JsonObject = std::map<std::string, JsonValue, std::less<>>;

/// Parses one line holding one flat JSON object, strictly (no trailing text, no duplicate keys).
/// \u escapes are returned as UTF-8. std::nullopt when the line is not such an object.
std::optional<JsonObject> parseJsonLine(std::string_view line);
