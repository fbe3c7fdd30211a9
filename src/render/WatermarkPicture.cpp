// Decoding of the watermark picture into straight-alpha ARGB pixels, top row first.
//
// Raster formats (PNG, JPEG, GIF, BMP, ICO/CUR and whatever else Qt's image reader has a plugin
// for) go through QImageReader, first frame only and without Exif rotation, as the picture is
// drawn as stored. EMF metafiles are turned into SVG by libemf2svg and rendered at their own
// size by Qt SVG; that, like SVG files, needs a GUI application in the process, and without one
// they decode to nothing. WMF has no maintained decoder here and decodes to nothing. Every failure - unreadable, truncated, too large, unknown format - leaves the
// picture empty and is not reported: a picture that does not decode simply draws nothing.

#include <cstdlib>
#include <cstring>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

#include <emf2svg.h>

#include "render/ImageWatermark.h"

namespace tessoly {

namespace {

//! Largest metafile read into memory [bytes]; real logos are a few hundred KB at most.
constexpr qint64 kMaxMetafileBytes = 64 * 1024 * 1024;
//! Largest metafile raster [pixels]: the 256 MB Qt's image reader allows a raster picture.
constexpr std::int64_t kMaxMetafilePixels = std::int64_t(64) * 1024 * 1024;

//! EMF: an EMR_HEADER record (type 1) whose signature at offset 40 reads " EMF".
bool LooksLikeEmf(const QByteArray& head) {
    if (head.size() < 44)
        return false;
    const auto* b = reinterpret_cast<const unsigned char*>(head.constData());
    return b[0] == 1 && b[1] == 0 && b[2] == 0 && b[3] == 0 && std::memcmp(b + 40, " EMF", 4) == 0;
}

//! Copies a QImage into picture as ARGB32 (0xAARRGGBB words, the TColor32 layout).
void StoreImage(const QImage& decoded, TBitmap32& picture) {
    const QImage image = decoded.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull() || std::int64_t(image.width()) * image.height() > TBitmap32::kMaxPixels)
        return;
    picture.SetSize(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(picture.ScanLine(y), image.constScanLine(y), static_cast<std::size_t>(image.width()) * 4);
    }
}

//! Qt lays out SVG text through the font database, which aborts the process unless a GUI
//! application exists (the window has one; tessoly-cli and the tests may not).
bool CanRenderSvg() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QImage RenderEmf(QIODevice& device) {
    if (!CanRenderSvg())
        return {};
    QByteArray contents = device.read(kMaxMetafileBytes + 1);
    if (contents.size() > kMaxMetafileBytes)
        return {};

    generatorOptions options{};
    char emptyNamespace[] = "";
    options.nameSpace = emptyNamespace;
    options.svgDelimiter = true;
    char* svg = nullptr;
    std::size_t svgLength = 0;
    const int ok =
        emf2svg(contents.data(), static_cast<std::size_t>(contents.size()), &svg, &svgLength, &options);
    const QByteArray svgText =
        ok && svg != nullptr ? QByteArray(svg, static_cast<qsizetype>(svgLength)) : QByteArray();
    std::free(svg);
    if (svgText.isEmpty())
        return {};

    QSvgRenderer renderer(svgText);
    const QSize size = renderer.defaultSize();
    // The size comes from the file: a hostile header must not make us allocate gigabytes.
    if (!renderer.isValid() || size.isEmpty() ||
        std::int64_t(size.width()) * size.height() > kMaxMetafilePixels) {
        return {};
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

} // namespace

void DecodeWatermarkPicture(QIODevice& device, TBitmap32& picture) {
    picture.SetSize(0, 0);
    try {
        if (LooksLikeEmf(device.peek(44))) {
            StoreImage(RenderEmf(device), picture);
            return;
        }
        QImageReader reader(&device);
        reader.setAutoTransform(false);
        if (reader.format().startsWith("svg") && !CanRenderSvg())
            return;
        StoreImage(reader.read(), picture);
    } catch (...) {
        // Out of memory or a decoder that throws: the picture is simply not there.
        picture.SetSize(0, 0);
    }
}

void DecodeWatermarkPicture(const std::string& path, TBitmap32& picture) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        picture.SetSize(0, 0);
        return;
    }
    DecodeWatermarkPicture(file, picture);
}

} // namespace tessoly
