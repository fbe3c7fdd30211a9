#include "imagelist/ReadImageFacts.h"

#include <cstdint>

#include <QFile>
#include <QFileInfo>

#include <FreeImage.h>

#include "imageio/ImageFacts.h"
#include "imageio/SourceFacts.h"

namespace tessoly {

namespace {

//! The row for path, its picture facts from readFacts.
ImageListItem MakeRow(const QString& path, bool applyExifOrientation,
                      SourceFacts (*readFacts)(const std::string&, bool)) {
    ImageListItem item;
    item.path = path;
    item.checked = true;
    item.status = ItemStatus::Waiting;

    SourceFacts facts;
    const QFileInfo info(path);
    // Gone, a folder, or a named pipe or device: detection would open and read it, and a pipe
    // would hold the job for ever. The row says what a failed load says.
    if (info.isFile()) {
        item.fileSizeText =
            QString::fromStdString(FormatFileSizeText(static_cast<std::uint64_t>(info.size())));
        facts = readFacts(QFile::encodeName(path).toStdString(), applyExifOrientation);
    }
    item.formatText = QString::fromStdString(FormatDisplayName(facts.format));
    item.dimensionsText = QStringLiteral("%1 x %2").arg(facts.width).arg(facts.height);
    item.dpiText = DpiColumnText(facts.dotsPerMetreX, facts.dotsPerMetreY);
    return item;
}

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
    return MakeRow(path, applyExifOrientation, ReadSourceFacts);
}

ImageListItem ReadImageFactsByDecoding(const QString& path, bool applyExifOrientation) {
    return MakeRow(path, applyExifOrientation, DecodeSourceFacts);
}

} // namespace tessoly
