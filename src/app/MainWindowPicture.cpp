// The watermark picture chooser: the open dialog, the thumbnail and its information hint, and
// the clearer. The picture itself is decoded again by every render.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>

#include <FreeImage.h>

#include "app/MainWindow.h"
#include "app/PictureHint.h"
#include "imageio/ImageFacts.h"
#include "render/ImageWatermark.h"

namespace tessoly {

QString PictureTypeText(int formatCode) {
    switch (formatCode) {
    case 0:
        return QStringLiteral("Windows Bitmap File - <b>BMP</b>");
    case 2:
        return QStringLiteral("Independent JPEG Group - <b>JPEG</b>");
    case 10:
        return QStringLiteral("ZSoft Paintbrush - <b>PCX</b>");
    case 13:
        return QStringLiteral("Portable Network Graphics (<b>PNG</b>)");
    case 17:
        return QStringLiteral("Truevision Targa Files - <b>TARGA</b>");
    case 18:
        return QStringLiteral("Tagged Image File Format - <b>TIFF</b>");
    case 20:
        return QStringLiteral("Adobe Photoshop - <b>PSD</b>");
    case 25:
        return QStringLiteral("Graphics Interchange Format - <b>GIF</b>");
    case 31:
        return QStringLiteral("JPEG-2000 File Format - <b>JP2</b>");
    default:
        return QStringLiteral("Unknown");
    }
}

QString PictureInfoHint(const QString& path, int formatCode, int width, int height, int dpiX, int dpiY) {
    // The path is shown as text, not markup.
    return QStringLiteral("<b>Image file: </b>") + path.toHtmlEscaped() + QStringLiteral("<br>") +
           QStringLiteral("<b>Image type: </b>") + PictureTypeText(formatCode) + QStringLiteral("<br>") +
           QStringLiteral("<b>Original size: </b>") + QString::number(width) + QStringLiteral(" x ") +
           QString::number(height) + QStringLiteral(" Pixels<br>") + QStringLiteral("<b>Resolution: </b>") +
           QString::number(dpiX) + QStringLiteral(" x ") + QString::number(dpiY) +
           QStringLiteral(" Dot Per Inch (DPI)");
}

void TMainForm::ChooseWatermarkPicture() {
    OpenFileRequest request;
    request.title = QStringLiteral("Select Watermark Image");
    request.initialFolder =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tessoly/Logos"));
    request.filters = {QStringLiteral("All (*.gif *.png *.jpg *.jpeg *.bmp *.ico *.emf *.wmf)"),
                       QStringLiteral("GIF Image (*.gif)"),
                       QStringLiteral("Portable Network Graphics (*.png)"),
                       QStringLiteral("JPEG Image File (*.jpg)"),
                       QStringLiteral("JPEG Image File (*.jpeg)"),
                       QStringLiteral("Bitmaps (*.bmp)"),
                       QStringLiteral("Icons (*.ico)"),
                       QStringLiteral("Enhanced Metafiles (*.emf)"),
                       QStringLiteral("Metafiles (*.wmf)")};
    request.multipleSelection = false;
    const QStringList chosen = seam_.GetOpenFileNames(this, request);
    if (chosen.isEmpty())
        return;
    ShowWatermarkPicture(chosen.constFirst());
    RenderFromHandler();
}

void TMainForm::ShowWatermarkPicture(const QString& path) {
    sFilenameEditWatermark->setText(path);
    sFilenameEditWatermark->setToolTip(path);

    // Only the resolution is wanted from the library, so the pixels are not decoded.
    const QByteArray localPath = QFile::encodeName(path);
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileType(localPath.constData(), 0);
    int dpiX = 0;
    int dpiY = 0;
    if (FIBITMAP* facts = FreeImage_Load(format, localPath.constData(), FIF_LOAD_NOPIXELS)) {
        dpiX = DpiFromDotsPerMetre(FreeImage_GetDotsPerMeterX(facts));
        dpiY = DpiFromDotsPerMetre(FreeImage_GetDotsPerMeterY(facts));
        FreeImage_Unload(facts);
    }
    if (dpiX == 0)
        dpiX = 72;
    if (dpiY == 0)
        dpiY = 72;

    TBitmap32 picture;
    DecodeWatermarkPicture(localPath.toStdString(), picture);
    QPixmap thumbnail;
    if (!picture.Empty()) {
        const QImage view(reinterpret_cast<const uchar*>(picture.Bits()), picture.Width(), picture.Height(),
                          qsizetype(picture.Width()) * 4, QImage::Format_ARGB32);
        thumbnail = QPixmap::fromImage(
            view.scaled(AdvGDIPPictureWatermark->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
    AdvGDIPPictureWatermark->setPixmap(thumbnail);
    AdvGDIPPictureWatermark->setVisible(true);
    AdvGDIPPictureWatermark->setToolTip(
        PictureInfoHint(path, static_cast<int>(format), picture.Width(), picture.Height(), dpiX, dpiY));
}

void TMainForm::ClearWatermarkPicture() {
    sFilenameEditWatermark->clear();
    sFilenameEditWatermark->setToolTip(QStringLiteral("Select watermark image"));
    sPanel14->setToolTip(QStringLiteral("Select watermark image"));
    AdvGDIPPictureWatermark->setVisible(false);
    AdvGDIPPictureWatermark->clear();
    RenderFromHandler();
}

} // namespace tessoly
