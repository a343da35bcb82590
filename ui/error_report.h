#pragma once

#include <QString>

#include <functional>

/// "VXM-90": the application title, and the caption of the general error report.
inline constexpr const char* kApplicationTitle = "VXM-90";

/// The text of the general error report: the error's message with a full stop appended when
/// its last character's code is above that of the full stop, so "Disk full" gets one while
/// "Done!" or "file.txt." do not. An empty message stays empty.
QString punctuateErrorText(const QString& message);

/// Where errors that no command handles are reported (the window's general error report).
/// Receives the raw message; the reporter applies punctuateErrorText.
using ErrorReporter = std::function<void(const QString& message)>;
