#pragma once

#include <ostream>
#include <string>

class LogTable;

/// Loads the input of convert and report into `table`: a recovery journal the window kept
/// (recognised by its first line, whatever its name), else a data file in the format its name
/// chooses. On failure prints "Failed to Load File!" and "vxm90-cli <command>: IN: line L,
/// column C: reason" (the parts known) to err and returns false.
bool loadInput(const std::string& in, LogTable& table, const char* command, std::ostream& err);
