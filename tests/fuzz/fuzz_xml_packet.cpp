// The XML data packet reader on arbitrary bytes. Property: whatever it accepts, the writer
// writes and the reader reads back as the same records with the same change list, and the
// second writing is byte for byte the first. A rejected file leaves the table empty.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "files/xml_packet.h"
#include "fuzz_check.h"
#include "log/log_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    LogTable loaded;
    const FileResult first = loadXmlPacket(bytes, loaded);
    if (!first.ok) {
        FUZZ_CHECK(loaded.empty() && loaded.changeCount() == 0);
        FUZZ_CHECK(first.line >= 1 && first.column >= 1);
        return 0;
    }
    OutputBuffer written;
    writeXmlPacket(loaded, written);
    LogTable again;
    const FileResult second = loadXmlPacket(written.bytes(), again);
    FUZZ_CHECK(second.ok);
    FUZZ_CHECK(again.rowCount() == loaded.rowCount());
    for (std::size_t row = 0; row < loaded.rowCount(); ++row)
        FUZZ_CHECK(again.record(row) == loaded.record(row));
    FUZZ_CHECK(again.changeList() == loaded.changeList());

    OutputBuffer rewritten;
    writeXmlPacket(again, rewritten);
    FUZZ_CHECK(rewritten.bytes() == written.bytes());
    return 0;
}
