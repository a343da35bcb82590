#include "app/lcd/jpeg_image.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs size_t and FILE declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace {

constexpr JDIMENSION kMaxSide = 8192;

// libjpeg's default error handler exits the process; ours jumps back to the decoding step
// that failed. Only C structs live in the frames the jump crosses.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// A truncated file only draws a warning in libjpeg (it pads the picture with grey); we treat
// it as corrupt. Other warnings and trace messages are dropped silently.
void emitMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) errorExit(cinfo);
}

struct Decoder {
    jpeg_decompress_struct info;
    ErrorManager error;
};

bool readHeader(Decoder& d, const std::uint8_t* data, std::size_t size) {
    if (setjmp(d.error.jump) != 0) return false;
    jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK) return false;
    d.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d.info);
    return d.info.output_components == 3 && d.info.output_width > 0 && d.info.output_height > 0 &&
           d.info.output_width <= kMaxSide && d.info.output_height <= kMaxSide;
}

// Fills the rows of an image the caller has sized from the header.
bool readRows(Decoder& d, uchar* bits, qsizetype bytesPerLine) {
    if (setjmp(d.error.jump) != 0) return false;
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW row = bits + static_cast<qsizetype>(d.info.output_scanline) * bytesPerLine;
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

}  // namespace

QImage decodeJpeg(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size == 0 || size > 0xFFFFFFFFU) return {};
    Decoder d{};
    d.info.err = jpeg_std_error(&d.error.pub);
    d.error.pub.error_exit = errorExit;
    d.error.pub.emit_message = emitMessage;
    jpeg_create_decompress(&d.info);

    QImage image;
    if (readHeader(d, data, size)) {
        image = QImage(static_cast<int>(d.info.output_width),
                       static_cast<int>(d.info.output_height), QImage::Format_RGB888);
        if (image.isNull() || !readRows(d, image.bits(), image.bytesPerLine())) image = QImage();
    }
    jpeg_destroy_decompress(&d.info);
    return image;
}

QImage decodeJpeg(const QByteArray& data) {
    return decodeJpeg(reinterpret_cast<const std::uint8_t*>(data.constData()),
                      static_cast<std::size_t>(data.size()));
}

QImage loadJpeg(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return decodeJpeg(file.readAll());
}

// The pictures live in a static library, whose resource initialiser the linker would drop
// unless something calls it. Q_INIT_RESOURCE must be used outside any namespace.
static int registerPictures() {
    Q_INIT_RESOURCE(pictures);
    return 0;
}

QImage loadPicture(const QString& name) {
    static const int registered = registerPictures();
    Q_UNUSED(registered);
    return loadJpeg(QStringLiteral(":/pictures/%1.jpg").arg(name));
}
