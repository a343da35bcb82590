#pragma once

#include <string>
#include <string_view>
#include <vector>

/// Appends text as a JSON string (quotes included). The text is taken as code page 1252 bytes,
/// as the program's texts are: quote, backslash and control characters are escaped, and every
/// byte from 0x80 up becomes a \uXXXX escape of its Unicode character, so the output is plain
/// ASCII and valid JSON whatever the bytes.
void appendJsonString(std::string_view text, std::string& out);

/// Appends a number in its shortest exact form; "null" for infinities and NaN, which JSON
/// cannot carry.
void appendJsonNumber(double value, std::string& out);

/// Builds one JSON object on a single line, keys in the order they are added.
class JsonObjectWriter {
public:
    void add(std::string_view key, std::string_view text);
    void add(std::string_view key, const char* text) { add(key, std::string_view(text)); }
    void add(std::string_view key, double number);
    void add(std::string_view key, int number) { add(key, static_cast<double>(number)); }
    void add(std::string_view key, const std::vector<std::string_view>& texts);

    /// The object text, "{...}" without a line end.
    std::string finish() const { return m_text + "}"; }

private:
    void startMember(std::string_view key);

    std::string m_text = "{";
};
