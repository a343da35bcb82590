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

FileResult loadFailed(std::size_t line, std::string reason) {
    FileResult result;
    result.kind = FileMessageKind::Error;
    result.caption = "Error";
    result.message = "Failed to Load File!";
    result.line = line;
    result.reason = std::move(reason);
    return result;
}
