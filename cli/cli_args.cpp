#include "cli/cli_args.h"

#include <charconv>
#include <cmath>

std::optional<std::string> ParsedArgs::value(std::string_view name) const {
    const auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
}

std::optional<ParsedArgs> parseArgs(const std::vector<std::string>& args, const OptionSpec& options,
                                    std::string& error) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word.size() < 2 || word.compare(0, 2, "--") != 0) {
            parsed.operands.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = word.substr(2);
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (options.bare.contains(name)) {
            if (inlineValue) {
                error = "option --" + name + " takes no value";
                return std::nullopt;
            }
            parsed.flags.insert(name);
        } else if (options.withValue.contains(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    error = "option --" + name + " needs a value";
                    return std::nullopt;
                }
                inlineValue = args[++i];
            }
            parsed.values[name] = *inlineValue;
        } else {
            error = "unknown option --" + name;
            return std::nullopt;
        }
    }
    return parsed;
}

std::optional<double> parseReal(std::string_view text, double minimum, double maximum) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc{} || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    if (value < minimum || value > maximum) return std::nullopt;
    return value;
}
