#include "files/file_result.h"

#include <utility>

bool hasXmlExtension(std::string_view fileName) {
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view extension = fileName.substr(dot);
    if (extension.find_first_of("\\:/") != std::string_view::npos) return false;
    return extension == ".xml";
}

FileResult saveSucceeded(const std::string& fileName) {
    FileResult result;
    result.ok = true;
    result.kind = FileMessageKind::Information;
    result.caption = "Information";
    result.message = "Save table to specified file: " + fileName + " Scuss!";
    return result;
}

FileResult textSaveFailed(const std::string& fileName, std::string reason) {
    FileResult result;
    result.kind = FileMessageKind::Error;
    result.caption = "Error";
    result.message = "Could not save table to specified file: " + fileName;
    result.reason = std::move(reason);
    return result;
}

FileResult loadFailed(std::size_t line, std::string reason, std::size_t column) {
    FileResult result;
    result.kind = FileMessageKind::Error;
    result.caption = "Error";
    result.message = "Failed to Load File!";
    result.line = line;
    result.column = column;
    result.reason = std::move(reason);
    return result;
}

std::string quotedExcerpt(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text.substr(0, kExcerptLength)) {
        const auto byte = static_cast<unsigned char>(c);
        quoted.push_back(byte >= 0x20 && byte < 0x7F ? c : '?');
    }
    if (text.size() > kExcerptLength) quoted += "...";
    quoted.push_back('\'');
    return quoted;
}
