#include "cli/load_input.h"

#include "decode/locale_info.h"
#include "files/data_files.h"
#include "files/file_result.h"
#include "files/mapped_file.h"
#include "journal/journal_format.h"
#include "log/log_table.h"

namespace {

// The rows of a journal file, or std::nullopt when the file is not one (or cannot be read:
// the data-file load then gives the reason).
std::optional<FileResult> loadJournal(const std::string& in, LogTable& table) {
    std::string reason;
    const auto file = MappedFile::open(in, reason);
    if (!file || !file->bytes().starts_with(kJournalHeader)) return std::nullopt;
    const LogTableUpdate update(table);
    const JournalSummary read =
        readJournal(file->bytes(), [&table](const LogRecord& record) { table.append(record); });
    if (read.damagedLine != 0) return loadFailed(read.damagedLine, "not a journal line");
    FileResult result;
    result.ok = true;
    return result;
}

}  // namespace

bool loadInput(const std::string& in, LogTable& table, const char* command, std::ostream& err) {
    const FixedLocale locale;
    const std::optional<FileResult> journal = loadJournal(in, table);
    const FileResult loaded =
        journal ? *journal : FileToTable(in, table, locale.userNumberFormat());
    if (loaded.ok) return true;
    err << loaded.message << '\n';
    err << "vxm90-cli " << command << ": " << in;
    if (loaded.line > 0) err << ": line " << loaded.line;
    if (loaded.column > 0) err << ", column " << loaded.column;
    if (!loaded.reason.empty()) err << ": " << loaded.reason;
    err << '\n';
    return false;
}
