#include <cstring>
#include <ostream>
#include <string_view>

#include "cli/commands.h"
#include "cli/load_input.h"
#include "files/data_files.h"
#include "log/log_table.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: vxm90-cli convert IN OUT

Loads the data file IN into an empty log and saves the log as OUT, each in the format its
name chooses: an XML data packet for a name ending in ".xml", TAB-separated text otherwise;
IN may also be a recovery journal the window kept ("readings-<date>_<time>.journal");
OUT may also end in ".csv" for the CSV export (times of logged rows in the local time zone;
rows loaded from a file keep their time text). A CSV file is not loaded back: as IN it
fails. When IN fails to load, "Failed to Load File!" is printed and OUT is left untouched.

Exit status: 0 when OUT was written, 1 when loading or saving failed, 2 on a usage error.
)";

}  // namespace

std::string writeErrorText(int error) {
    return std::string("write error: ") +
           (error != 0 ? std::strerror(error) : "the output could not be written");
}

int runConvert(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const OptionSpec accepted{{}, {"help"}};
    std::string error;
    const auto parsed = parseArgs(args, accepted, error);
    if (parsed && parsed->has("help")) {
        out << kHelp;
        return kExitOk;
    }
    if (!parsed || parsed->operands.size() != 2) {
        err << "vxm90-cli convert: " << (parsed ? "needs the operands IN and OUT" : error)
            << "\nTry 'vxm90-cli convert --help'.\n";
        return kExitUsage;
    }
    const std::string& in = parsed->operands[0];
    const std::string& outFile = parsed->operands[1];

    LogTable table;
    if (!loadInput(in, table, "convert", err)) return kExitFailure;
    const FileResult saved = saveTableFile(table, outFile);
    if (!saved.ok) {
        err << saved.message << '\n';
        if (!saved.reason.empty()) err << "vxm90-cli convert: " << saved.reason << '\n';
        return kExitFailure;
    }
    out << saved.message << '\n';
    return kExitOk;
}
