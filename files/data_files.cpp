#include "files/data_files.h"

#include "files/csv_file.h"
#include "files/mapped_file.h"
#include "files/text_file.h"
#include "files/xml_packet.h"

FileResult saveTableFile(const LogTable& table, const std::string& fileName, const TimeZone& zone) {
    if (hasXmlExtension(fileName)) return saveXmlPacket(table, fileName);
    if (hasCsvExtension(fileName)) return saveCsvFile(table, fileName, zone);
    return TableToTextFile(table, fileName);
}

FileResult saveTableFile(const LogTable& table, const std::string& fileName) {
    const SystemTimeZone zone;
    return saveTableFile(table, fileName, zone);
}

FileResult FileToTable(const std::string& fileName, LogTable& table, const NumberFormat& numbers) {
    // Read as TAB text, a CSV line would land whole in No and fail there, or worse, load as
    // garbage: the export's columns are not the log's fields.
    if (hasCsvExtension(fileName)) return loadFailed(0, kCsvNotLoaded);
    const bool xml = hasXmlExtension(fileName);
    // The XML load replaces the content only once the whole file has been read: a missing or
    // unreadable file leaves the log as it was.
    std::string reason;
    const auto file = MappedFile::open(fileName, reason);
    if (!file) return loadFailed(0, reason);
    return xml ? loadXmlPacket(file->bytes(), table) : loadTextTable(file->bytes(), table, numbers);
}
