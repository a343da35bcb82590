// The report command: the only subcommand that needs Qt. It makes its own application object
// on the offscreen platform, so it runs without a display and the other commands never load
// a platform at all.
#include <QGuiApplication>
#include <QString>

#include <array>
#include <ostream>
#include <string_view>

#include "cli/commands.h"
#include "cli/load_input.h"
#include "files/data_files.h"
#include "log/log_table.h"
#include "report/report_pdf.h"
#include "ui/fonts.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: vxm90-cli report IN OUT.pdf

Loads the data file IN (TAB text, an XML data packet for a name ending in ".xml", or a
recovery journal the window kept) and
writes the printed report of its records to OUT.pdf: A4 portrait pages with the title, the
column headings, one line per record and the footer, as the window prints them. A log without
records gives a PDF of one blank page. No display is needed.

Exit status: 0 when OUT.pdf was written, 1 when loading or writing failed, 2 on a usage error.
)";

}  // namespace

int runReport(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const OptionSpec accepted{{}, {"help"}};
    std::string error;
    const auto parsed = parseArgs(args, accepted, error);
    if (parsed && parsed->has("help")) {
        out << kHelp;
        return kExitOk;
    }
    if (!parsed || parsed->operands.size() != 2) {
        err << "vxm90-cli report: " << (parsed ? "needs the operands IN and OUT.pdf" : error)
            << "\nTry 'vxm90-cli report --help'.\n";
        return kExitUsage;
    }
    const std::string& in = parsed->operands[0];
    const std::string& pdf = parsed->operands[1];

    LogTable table;
    if (!loadInput(in, table, "report", err)) return kExitFailure;

    // The platform comes on the application's own argument list, not from the environment.
    int argc = 3;
    std::array<char*, 4> argv{const_cast<char*>("vxm90-cli"), const_cast<char*>("-platform"),
                              const_cast<char*>("offscreen"), nullptr};
    const QGuiApplication app(argc, argv.data());
    installFontSubstitutions();
    const ReportPdfResult written = writeReportPdf(table, QString::fromLocal8Bit(pdf.c_str()));
    if (!written.ok) {
        err << "vxm90-cli report: " << pdf << ": " << written.error.toLocal8Bit().constData()
            << '\n';
        return kExitFailure;
    }
    if (written.pages == 0) {
        out << pdf << ": no records, one blank page\n";
    } else {
        out << pdf << ": " << written.pages << (written.pages == 1 ? " page, " : " pages, ")
            << table.rowCount() << (table.rowCount() == 1 ? " record\n" : " records\n");
    }
    return kExitOk;
}
