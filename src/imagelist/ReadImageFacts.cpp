#include "imagelist/ReadImageFacts.h"

#include <cstdint>

#include <QFile>
#include <QFileInfo>

#include <FreeImage.h>

#include "imageio/ExifOrientation.h"
#include "imageio/HeaderSanity.h"
#include "imageio/HeifCodec.h"
#include "imageio/ImageFacts.h"
#include "imageio/SourceFormat.h"

namespace tessoly {

namespace {

//! The decoded library image, released on every way out.
class LoadedImage {
public:
    explicit LoadedImage(FIBITMAP* bitmap) : bitmap_(bitmap) {}
    ~LoadedImage() {
        if (bitmap_ != nullptr) {
            FreeImage_Unload(bitmap_);
        }
    }
    LoadedImage(const LoadedImage&) = delete;
    LoadedImage& operator=(const LoadedImage&) = delete;
    FIBITMAP* get() const { return bitmap_; }

private:
    FIBITMAP* bitmap_;
};

} // namespace

QString DpiColumnText(unsigned dotsPerMetreX, unsigned dotsPerMetreY) {
    const int x = DpiFromDotsPerMetre(dotsPerMetreX);
    const int y = DpiFromDotsPerMetre(dotsPerMetreY);
    if (x == y) {
        return QString::number(x == 0 ? 72 : x);
    }
    return QStringLiteral("%1 x %2").arg(x).arg(y);
}

ImageListItem ReadImageFacts(const QString& path, bool applyExifOrientation) {
    ImageListItem item;
    item.path = path;
    item.checked = true;
    item.status = ItemStatus::Waiting;

    const QFileInfo info(path);
    if (!info.isFile()) {
        // Gone, a folder, or a named pipe or device: detection would open and read it, and a pipe
        // would hold the job for ever. The row says what a failed load says.
        item.formatText = QString::fromStdString(FormatDisplayName(FIF_UNKNOWN));
        item.dimensionsText = QStringLiteral("0 x 0");
        item.dpiText = DpiColumnText(0, 0);
        return item;
    }
    item.fileSizeText = QString::fromStdString(FormatFileSizeText(static_cast<std::uint64_t>(info.size())));

    const QByteArray nativePath = QFile::encodeName(path);
    const int format = DetectSourceFormat(nativePath.toStdString());
    unsigned width = 0;
    unsigned height = 0;
    unsigned dotsX = 0;
    unsigned dotsY = 0;
    // The header is checked before the full decode: a hostile file must neither corrupt the
    // library's heap nor make the job allocate gigabytes just to learn a size. A refused file
    // reads as a failed load.
    if (IsHeifFamily(format)) {
        // libheif states the shown size from the boxes alone; the file declares no resolution.
        if (SourceHeaderIsPlausible(nativePath.toStdString(), format))
            ReadHeifSize(nativePath.toStdString(), width, height);
    } else if (format != FIF_UNKNOWN && FreeImage_FIFSupportsReading(static_cast<FREE_IMAGE_FORMAT>(format)) &&
               SourceHeaderIsPlausible(nativePath.toStdString(), format)) {
        LoadedImage image(FreeImage_Load(static_cast<FREE_IMAGE_FORMAT>(format), nativePath.constData(), 0));
        if (image.get() != nullptr) {
            ViewedSize(image.get(), applyExifOrientation, width, height);
            dotsX = FreeImage_GetDotsPerMeterX(image.get());
            dotsY = FreeImage_GetDotsPerMeterY(image.get());
        }
    }
    item.formatText = QString::fromStdString(FormatDisplayName(format));
    item.dimensionsText = QStringLiteral("%1 x %2").arg(width).arg(height);
    item.dpiText = DpiColumnText(dotsX, dotsY);
    return item;
}

} // namespace tessoly
