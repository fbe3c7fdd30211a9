// Decoding the watermark picture: straight alpha kept, every unreadable file an empty picture.

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

#include "render/ImageWatermark.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using test::ScratchDir;
using test::WriteFileBytes;

QImage SoftPicture() {
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(0xFF336699u);
    image.setPixel(0, 0, 0x80FF4020u); // half transparent, straight alpha
    image.setPixel(2, 1, 0x00000000u);
    return image;
}

TEST(PictureDecode, PngKeepsStraightAlpha) {
    ScratchDir dir;
    const std::string path = dir.file("soft.png");
    ASSERT_TRUE(SoftPicture().save(QString::fromStdString(path), "PNG"));
    TBitmap32 picture;
    DecodeWatermarkPicture(path, picture);
    ASSERT_EQ(picture.Width(), 3);
    ASSERT_EQ(picture.Height(), 2);
    EXPECT_EQ(picture.Pixel(0, 0), 0x80FF4020u);
    EXPECT_EQ(picture.Pixel(1, 0), 0xFF336699u);
    EXPECT_EQ(picture.Pixel(2, 1), 0x00000000u);
}

TEST(PictureDecode, OtherRasterFormatsAreOpaque) {
    ScratchDir dir;
    QImage opaque(5, 4, QImage::Format_RGB32);
    opaque.fill(0xFF2080C0u);
    for (const char* format : {"BMP", "JPG", "ICO"}) {
        SCOPED_TRACE(format);
        const std::string path = dir.file(std::string("picture.") + format);
        ASSERT_TRUE(opaque.save(QString::fromStdString(path), format));
        TBitmap32 picture;
        DecodeWatermarkPicture(path, picture);
        ASSERT_EQ(picture.Width(), 5);
        ASSERT_EQ(picture.Height(), 4);
        EXPECT_EQ(AlphaOf(picture.Pixel(2, 2)), 255u);
    }
    // A 1 x 1 GIF with a two-colour palette (red, black), pixel 0.
    const unsigned char gif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00,
                                 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00,
                                 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    const std::string gifPath = dir.file("red.gif");
    WriteFileBytes(gifPath, std::string(reinterpret_cast<const char*>(gif), sizeof gif));
    TBitmap32 picture;
    DecodeWatermarkPicture(gifPath, picture);
    ASSERT_EQ(picture.Width(), 1);
    EXPECT_EQ(picture.Pixel(0, 0), 0xFFFF0000u);
}

TEST(PictureDecode, UnreadableFilesGiveAnEmptyPicture) {
    ScratchDir dir;
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        SoftPicture().scaled(64, 64).save(&buffer, "PNG");
    }
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty.png", ""},
        {"garbage.png", std::string(300, '\x5A')},
        {"truncated.png", std::string(png.constData(), static_cast<std::size_t>(png.size() / 2))},
        {"header-only.emf", std::string("\x01\0\0\0", 4) + std::string(36, '\0') + " EMF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        WriteFileBytes(path, c.bytes);
        TBitmap32 picture(7, 7); // a previous picture must not survive
        DecodeWatermarkPicture(path, picture);
        EXPECT_TRUE(picture.Empty());
    }
    TBitmap32 picture(7, 7);
    DecodeWatermarkPicture(dir.file("missing.png"), picture);
    EXPECT_TRUE(picture.Empty());
    DecodeWatermarkPicture(dir.path().string(), picture); // a folder
    EXPECT_TRUE(picture.Empty());
}

TEST(PictureDecode, SvgWithoutAGuiApplicationIsEmptyNotAnAbort) {
    if (QCoreApplication::instance() != nullptr)
        GTEST_SKIP() << "a GUI application already exists in this process";
    ScratchDir dir;
    const std::string path = dir.file("text.svg");
    WriteFileBytes(path, "<svg xmlns='http://www.w3.org/2000/svg' width='100' height='50'>"
                         "<text x='10' y='40' font-size='20'>Hi</text></svg>");
    TBitmap32 picture;
    DecodeWatermarkPicture(path, picture);
    EXPECT_TRUE(picture.Empty());
}

//! Little-endian record writer for a hand-made EMF.
struct EmfWriter {
    std::string bytes;
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    void U16(std::uint16_t v) {
        bytes.push_back(static_cast<char>(v & 0xFF));
        bytes.push_back(static_cast<char>(v >> 8));
    }
};

//! An EMF of the given bounds [pixels] with one red rectangle from (10, 10) to (90, 40).
std::string RedRectangleEmf(std::uint32_t right = 99, std::uint32_t bottom = 49) {
    EmfWriter w;
    // EMR_HEADER, 88 bytes.
    w.U32(1);
    w.U32(88);
    for (std::uint32_t v : {0u, 0u, right, bottom})
        w.U32(v); // bounds [device pixels]
    for (std::uint32_t v : {0u, 0u, right * 2646 / 100, bottom * 2646 / 100})
        w.U32(v);      // frame [0.01 mm]
    w.U32(0x464D4520); // " EMF"
    w.U32(0x10000);    // version
    const std::size_t sizeAt = w.bytes.size();
    w.U32(0); // file size, patched below
    w.U32(5); // records
    w.U16(2); // handles
    w.U16(0);
    w.U32(0); // description
    w.U32(0);
    w.U32(0);                // palette entries
    w.U32(1024), w.U32(768); // device [pixels]
    w.U32(271), w.U32(203);  // device [mm]
    // EMR_CREATEBRUSHINDIRECT: handle 1, solid red (COLORREF 0x000000FF).
    w.U32(39), w.U32(24), w.U32(1), w.U32(0), w.U32(0x000000FF), w.U32(0);
    // EMR_SELECTOBJECT handle 1.
    w.U32(37), w.U32(12), w.U32(1);
    // EMR_RECTANGLE.
    w.U32(43), w.U32(24), w.U32(10), w.U32(10), w.U32(90), w.U32(40);
    // EMR_EOF.
    w.U32(14), w.U32(20), w.U32(0), w.U32(16), w.U32(20);
    const std::uint32_t size = static_cast<std::uint32_t>(w.bytes.size());
    std::memcpy(&w.bytes[sizeAt], &size, 4);
    return w.bytes;
}

TEST(PictureDecode, EmfIsRenderedThroughSvg) {
    // SVG text layout needs a GUI application, as the window has. It is never deleted: destroying
    // a Qt application among the exit-time statics crashes inside Qt.
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_render";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);
    }
    ScratchDir dir;
    const std::string path = dir.file("logo.emf");
    WriteFileBytes(path, RedRectangleEmf());
    TBitmap32 picture;
    DecodeWatermarkPicture(path, picture);
    ASSERT_FALSE(picture.Empty());
    // Somewhere inside the rectangle the picture is opaque red.
    bool red = false;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            red = red || picture.Pixel(x, y) == 0xFFFF0000u;
    EXPECT_TRUE(red);

    // A header claiming a picture of 20000 x 10000 pixels (800 MB) is refused, not allocated.
    WriteFileBytes(path, RedRectangleEmf(20000, 10000));
    DecodeWatermarkPicture(path, picture);
    EXPECT_TRUE(picture.Empty());
}

} // namespace
} // namespace tessoly
