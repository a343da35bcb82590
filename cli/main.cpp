#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: vxm90-cli COMMAND [OPTIONS]

Command-line tools of the VXM-90 interface program.

Commands:
  decode    decode meter packets from standard input into JSON lines
  sim       the simulated meter: emit packets (raw, as cable reports, or on a pty)
  log       log decoded readings with the program's rules and save them to a file, from
            standard input, the USB cable or a serial device
  convert   load a data file and save it in the format another name chooses
  report    load a data file and write its printed report as a PDF
  usb       list the HID devices the program sees ('usb list')

'vxm90-cli COMMAND --help' describes each command.
)";

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        (words.empty() ? std::cerr : std::cout) << kHelp;
        return words.empty() ? kExitUsage : kExitOk;
    }
    const std::vector<std::string> args(words.begin() + 1, words.end());
    const std::string& command = words[0];
    int status = kExitUsage;
    try {
        if (command == "decode") {
            status = runDecode(args, STDIN_FILENO, std::cout, std::cerr);
        } else if (command == "sim") {
            status = runSim(args, STDOUT_FILENO, std::cerr);
        } else if (command == "log") {
            status = runLog(args, STDIN_FILENO, std::cout, std::cerr);
        } else if (command == "convert") {
            status = runConvert(args, std::cout, std::cerr);
        } else if (command == "report") {
            status = runReport(args, std::cout, std::cerr);
        } else if (command == "usb") {
            status = runUsb(args, std::cout, std::cerr);
        } else {
            std::cerr << "vxm90-cli: unknown command '" << command << "'\n" << kHelp;
            return kExitUsage;
        }
    } catch (const std::bad_alloc&) {
        std::cerr << "vxm90-cli " << command << ": out of memory\n";
        return kExitFailure;
    }
    // A text of 1 KiB or more is written at once, not buffered: its failure is already here.
    const bool failedBefore = !std::cout;
    const int errorBefore = errno;
    errno = 0;
    std::cout.flush();
    if (!std::cout) {
        // A command that failed has said why; one that succeeded has lost its output.
        if (status == kExitOk) {
            std::cerr << "vxm90-cli " << command << ": "
                      << writeErrorText(failedBefore ? errorBefore : errno) << '\n';
        }
        return kExitFailure;
    }
    return status;
}
