#pragma once

#include <string>
#include <string_view>

#include "files/file_result.h"
#include "files/safe_file.h"
#include "log/log_table.h"

/// Writes the table as the one-line XML data packet, byte for byte as the program always has:
/// declaration, DATAPACKET Version 2.0, METADATA (FIELDS, PARAMS with CHANGE_LOG), ROWDATA.
/// Texts are written as their raw 8-bit bytes after escaping; an empty text is written as an
/// empty attribute, a field without value is left out.
void writeXmlPacket(const LogTable& table, OutputBuffer& out);

/// Saves the table as an XML data packet. Success: "Save table to specified file: <name>
/// Scuss!" (Information). Failure (GeneralError): `Cannot create file "<name>". <reason>`;
/// an earlier file of that name is left intact and the table is unchanged.
FileResult saveXmlPacket(const LogTable& table, const std::string& fileName);

/// Replaces the table's content with the packet in `bytes`, once the whole packet has been read;
/// after a failure the table is as it was (the packet is read into a table of its own, so that
/// a damaged file never costs the log its rows). The reader is tolerant: line
/// breaks and indentation between elements, the attribute name "DC/AC", entities and character
/// references, fields in any order and of any WIDTH, UTF-8 (with BOM, or declared and valid)
/// converted to code page 1252. Failure: "Failed to Load File!" with a reason.
FileResult loadXmlPacket(std::string_view bytes, LogTable& table);
