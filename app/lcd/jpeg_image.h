#pragma once

#include <QImage>
#include <QString>

#include <cstddef>
#include <cstdint>

/// Decodes a JPEG held in memory with libjpeg. Grey and colour pictures come back as RGB888.
/// A corrupt, truncated or unsupported buffer (or one larger than 8192 x 8192 pixels) gives a
/// null image; nothing is printed and the program goes on. Safe to call from any thread.
QImage decodeJpeg(const std::uint8_t* data, std::size_t size);
QImage decodeJpeg(const QByteArray& data);

/// Reads a file or Qt resource (":/pictures/LCDsend.jpg") and decodes it; null on failure.
QImage loadJpeg(const QString& path);

/// One of the program's own pictures by name ("LCDsend", "LCDREL", "LCDpower", "EF", "CONok",
/// "CONokN"), decoded from the embedded JPEG; null if the name is unknown.
QImage loadPicture(const QString& name);
