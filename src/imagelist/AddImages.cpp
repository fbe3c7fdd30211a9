#include "imagelist/AddImages.h"

#include <QFile>
#include <QFileInfo>

#include "imagelist/FolderScan.h"

namespace tessoly {

namespace {

QStringList FromNative(const std::vector<std::string>& paths) {
    QStringList out;
    out.reserve(static_cast<qsizetype>(paths.size()));
    for (const std::string& path : paths) {
        out << QFile::decodeName(QByteArray::fromStdString(path));
    }
    return out;
}

//! "*.bmp *.BMP" for "bmp".
QString Patterns(std::initializer_list<const char*> extensions) {
    QStringList patterns;
    for (const char* extension : extensions) {
        const QString lower = QStringLiteral("*.") + QLatin1String(extension);
        patterns << lower << lower.toUpper();
    }
    return patterns.join(QLatin1Char(' '));
}

} // namespace

QStringList CollectFolderImagePaths(const QString& folder) {
    return FromNative(CollectFolderImages(QFile::encodeName(folder).toStdString()));
}

QStringList CollectDroppedImages(const QStringList& droppedPaths) {
    QStringList collected;
    for (const QString& path : droppedPaths) {
        if (QFileInfo(path).isDir()) {
            collected << CollectFolderImagePaths(path);
        } else if (HasImageExtension(QFile::encodeName(path).toStdString())) {
            collected << path;
        }
    }
    return collected;
}

QStringList AddImageFilters() {
    struct Entry {
        const char* description;
        std::initializer_list<const char*> extensions;
    };
    const Entry entries[] = {
        {"All images",
         {"bmp", "gif", "jpg", "jpeg", "jp2", "pcx", "png", "tga", "tif", "tiff", "heic", "heif", "avif", "webp"}},
        {"Windows Bitmap", {"bmp"}},
        {"Graphics Interchange Format", {"gif"}},
        {"JPEG Image File", {"jpg"}},
        {"JPEG Image File", {"jpeg"}},
        {"JPEG-2000 Format", {"jp2"}},
        {"Paintbrush File", {"pcx"}},
        {"Portable Network Graphics", {"png"}},
        {"Targa Image", {"tga"}},
        {"Tagged Image File Format", {"tif"}},
        {"Tagged Image File Format", {"tiff"}},
        {"HEIF Image", {"heic", "heif"}},
        {"AV1 Image File Format", {"avif"}},
        {"WebP Image", {"webp"}},
    };
    QStringList filters;
    for (const Entry& entry : entries) {
        filters << QStringLiteral("%1 (%2)").arg(QLatin1String(entry.description),
                                                 Patterns(entry.extensions));
    }
    return filters;
}

} // namespace tessoly
