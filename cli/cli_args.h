#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

/// The options and operands of one subcommand. Options are "--name VALUE", "--name=VALUE" or
/// bare flags; "--" ends the options.
struct ParsedArgs {
    std::map<std::string, std::string, std::less<>> values;
    std::set<std::string, std::less<>> flags;
    std::vector<std::string> operands;

    bool has(std::string_view flag) const { return flags.contains(flag); }
    std::optional<std::string> value(std::string_view name) const;
};

/// The options a subcommand knows: those that take a value and bare flags (without "--").
struct OptionSpec {
    std::set<std::string, std::less<>> withValue;
    std::set<std::string, std::less<>> bare;
};

/// Parses args (the words after the subcommand). On a misuse returns std::nullopt and sets
/// error to a one-line reason.
std::optional<ParsedArgs> parseArgs(const std::vector<std::string>& args, const OptionSpec& options,
                                    std::string& error);

/// A finite decimal number (C locale, "." as separator) within [minimum, maximum].
std::optional<double> parseReal(std::string_view text, double minimum, double maximum);
