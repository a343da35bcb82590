#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>

#include <ostream>
#include <string>

#include "app/lcd/jpeg_image.h"
#include "widgets_test_app.h"

namespace {

struct PictureCase {
    const char* name;
    QSize size;
};

void PrintTo(const PictureCase& c, std::ostream* os) {
    *os << c.name;
}

class OwnPictures : public testing::TestWithParam<PictureCase> {};

TEST_P(OwnPictures, DecodeAtTheirDesignSizeWithInk) {
    const QImage image = loadPicture(QString::fromLatin1(GetParam().name));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), GetParam().size);
    EXPECT_GT(darkPixels(image, image.rect()), 10);
    EXPECT_GT(qGray(image.pixel(0, 0)), 200) << "pictures sit on white";
}

INSTANTIATE_TEST_SUITE_P(
    Resources, OwnPictures,
    testing::Values(PictureCase{"LCDsend", {36, 29}}, PictureCase{"LCDREL", {24, 24}},
                    PictureCase{"LCDpower", {28, 29}}, PictureCase{"EF", {24, 25}},
                    PictureCase{"CONok", {25, 24}}, PictureCase{"CONokN", {25, 20}}),
    [](const testing::TestParamInfo<PictureCase>& p) { return std::string(p.param.name); });

QByteArray resourceBytes(const char* name) {
    QFile file(QStringLiteral(":/pictures/%1.jpg").arg(QString::fromLatin1(name)));
    loadPicture(QString::fromLatin1(name));  // registers the resources
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

struct CorruptCase {
    const char* name;
    QByteArray (*bytes)();
};

void PrintTo(const CorruptCase& c, std::ostream* os) {
    *os << c.name;
}

class CorruptJpeg : public testing::TestWithParam<CorruptCase> {};

// libjpeg's own handler would end the program; a bad buffer must give a null image instead.
TEST_P(CorruptJpeg, GivesNullImage) {
    EXPECT_TRUE(decodeJpeg(GetParam().bytes()).isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, CorruptJpeg,
    testing::Values(CorruptCase{"Empty", [] { return QByteArray(); }},
                    CorruptCase{"NotAJpeg",
                                [] { return QByteArray("BM\x36\0\0\0 this is a bitmap", 24); }},
                    CorruptCase{"StartMarkerOnly", [] { return QByteArray("\xFF\xD8", 2); }},
                    CorruptCase{"HeaderOnly", [] { return resourceBytes("LCDsend").left(200); }},
                    CorruptCase{"TruncatedScanData",
                                [] {
                                    const QByteArray whole = resourceBytes("LCDsend");
                                    return whole.left(whole.size() * 3 / 4);
                                }},
                    CorruptCase{"UnsupportedPrecision",
                                [] {
                                    QByteArray bytes = resourceBytes("EF");
                                    // Overwrite the frame header (SOF0) with a bogus precision.
                                    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
                                    EXPECT_GE(sof, 0);
                                    if (sof >= 0) bytes[sof + 4] = 3;
                                    return bytes;
                                }}),
    [](const testing::TestParamInfo<CorruptCase>& p) { return std::string(p.param.name); });

TEST(CorruptJpeg, NullPointerAndUnknownPictureGiveNullImage) {
    EXPECT_TRUE(decodeJpeg(nullptr, 100).isNull());
    EXPECT_TRUE(loadPicture(QStringLiteral("NoSuchPicture")).isNull());
}

}  // namespace
