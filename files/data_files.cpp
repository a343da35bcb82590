#include "files/data_files.h"

#include "files/mapped_file.h"
#include "files/text_file.h"
#include "files/xml_packet.h"

FileResult saveTableFile(const LogTable& table, const std::string& fileName) {
    return hasXmlExtension(fileName) ? saveXmlPacket(table, fileName)
                                     : TableToTextFile(table, fileName);
}

FileResult FileToTable(const std::string& fileName, LogTable& table, const NumberFormat& numbers) {
    const bool xml = hasXmlExtension(fileName);
    // The XML load replaces the content: the old records are gone even when the file turns out
    // unreadable.
    if (xml) table.clear();
    std::string reason;
    const auto file = MappedFile::open(fileName, reason);
    if (!file) return loadFailed(0, reason);
    return xml ? loadXmlPacket(file->bytes(), table) : loadTextTable(file->bytes(), table, numbers);
}
