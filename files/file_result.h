#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// How the window shows the outcome of a file command.
enum class FileMessageKind {
    None,         ///< nothing is shown (a successful load)
    Information,  ///< message box captioned "Information", information icon, OK
    Error,        ///< message box captioned "Error", error icon, OK
    GeneralError  ///< the application's general error report (a failed XML save)
};

/// The outcome of a save or load, carrying the exact text the window shows.
struct FileResult {
    bool ok = false;
    FileMessageKind kind = FileMessageKind::None;
    std::string message;     ///< the text to show; empty when kind is None
    std::string caption;     ///< "Information", "Error", or empty
    std::size_t line = 0;    ///< a failed load: the line of the fault, counted from 1; 0: none
    std::size_t column = 0;  ///< a failed XML load: the byte in that line, from 1; 0: none
    std::string reason;      ///< what went wrong, for logs and the command-line tool; not shown
};

/// True when the name's extension is exactly ".xml" (byte for byte): the extension runs from the
/// last dot to the end, provided no folder separator ('\\', ':' or '/') follows that dot.
bool hasXmlExtension(std::string_view fileName);

/// "Save table to specified file: <name> Scuss!" (Information).
FileResult saveSucceeded(const std::string& fileName);
/// "Could not save table to specified file: <name>" (Error), with the platform's reason.
FileResult textSaveFailed(const std::string& fileName, std::string reason);
/// "Failed to Load File!" (Error), with the place and reason for diagnostics.
FileResult loadFailed(std::size_t line, std::string reason, std::size_t column = 0);

/// A piece of loaded text as a diagnostic quotes it: in single quotes, at most
/// kExcerptLength bytes of it followed by "..." when there is more, and every byte outside
/// printable ASCII shown as '?', so that no file can flood or steer the terminal.
inline constexpr std::size_t kExcerptLength = 32;
std::string quotedExcerpt(std::string_view text);
