// The TAB text reader on arbitrary bytes. Property: whatever it loaded, the writer's text of it
// loads back as the same number of records, and writing those again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/text_file.h"
#include "fuzz_check.h"
#include "log/log_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const NumberFormat numbers;
    LogTable loaded;
    const FileResult first = loadTextTable(bytes, loaded, numbers);
    FUZZ_CHECK(first.ok || first.message == "Failed to Load File!");

    OutputBuffer written;
    writeTextTable(loaded, written);
    LogTable again;
    const FileResult second = loadTextTable(written.bytes(), again, numbers);
    FUZZ_CHECK(second.ok);
    FUZZ_CHECK(again.rowCount() == loaded.rowCount());

    OutputBuffer rewritten;
    writeTextTable(again, rewritten);
    FUZZ_CHECK(rewritten.bytes() == written.bytes());
    return 0;
}
