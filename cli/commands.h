#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/limit_options.h"

/// Exit statuses of every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  ///< a read, write, load or save failed
inline constexpr int kExitUsage = 2;    ///< bad options or operands

/// Each subcommand takes the words after its name; input comes from inFd, text output goes to
/// out and diagnostics to err. sim writes its packets to outFd.
int runDecode(const std::vector<std::string>& args, int inFd, std::ostream& out, std::ostream& err);
int runSim(const std::vector<std::string>& args, int outFd, std::ostream& err);
int runLog(const std::vector<std::string>& args, int inFd, std::ostream& out, std::ostream& err);
int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runUsb(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
/// The one command built on Qt (library vxm_cli_report): writes the report as a PDF.
int runReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// "write error: " and the reason of errno (a generic one when errno is 0).
std::string writeErrorText(int error);

/// --high, --low and --decimal-separator, shared by decode and log. std::nullopt with error set
/// on a misuse (a separator that is not one character, a limit that is not a number).
std::optional<LimitOptions> limitOptions(const ParsedArgs& args, std::string& error);
