// The watermark picture chooser: the dialog request, the thumbnail and its information hint,
// cancelling and clearing.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

#include "app/PictureHint.h"
#include "support/WindowTestSupport.h"

namespace tessoly {
namespace {

using test::WindowFixture;

TEST(PictureChooser, AsksForOnePictureWithTheFilters) {
    WindowFixture f;
    f.form->ChooseWatermarkPicture();
    ASSERT_EQ(f.seam.openFileRequests.size(), 1u);
    const OpenFileRequest& request = f.seam.openFileRequests[0];
    EXPECT_EQ(request.title, QStringLiteral("Select Watermark Image"));
    EXPECT_TRUE(request.initialFolder.endsWith(QStringLiteral("/Logos")));
    EXPECT_FALSE(request.multipleSelection);
    const QStringList filters = {QStringLiteral("All (*.gif *.png *.jpg *.jpeg *.bmp *.ico *.emf *.wmf)"),
                                 QStringLiteral("GIF Image (*.gif)"),
                                 QStringLiteral("Portable Network Graphics (*.png)"),
                                 QStringLiteral("JPEG Image File (*.jpg)"),
                                 QStringLiteral("JPEG Image File (*.jpeg)"),
                                 QStringLiteral("Bitmaps (*.bmp)"),
                                 QStringLiteral("Icons (*.ico)"),
                                 QStringLiteral("Enhanced Metafiles (*.emf)"),
                                 QStringLiteral("Metafiles (*.wmf)")};
    EXPECT_EQ(request.filters, filters);
    // Cancelled: nothing changed.
    EXPECT_TRUE(f.Find<QLineEdit>("sFilenameEditWatermark")->text().isEmpty());
    EXPECT_EQ(f.Find<QLineEdit>("sFilenameEditWatermark")->toolTip(),
              QStringLiteral("Select watermark image"));
    EXPECT_FALSE(f.Find<QLabel>("AdvGDIPPictureWatermark")->isVisible());
}

TEST(PictureChooser, ChosenPngShowsThumbnailAndHint) {
    WindowFixture f;
    f.Find<QTabWidget>("sPageControl1")->setCurrentIndex(1);
    const std::string logo = f.WritePng("logo <1>.png", 120, 60);
    f.seam.openFileAnswers.push_back({QString::fromStdString(logo)});
    f.form->ChooseWatermarkPicture();
    auto* path = f.Find<QLineEdit>("sFilenameEditWatermark");
    EXPECT_EQ(path->text(), QString::fromStdString(logo));
    EXPECT_EQ(path->toolTip(), QString::fromStdString(logo));
    auto* thumbnail = f.Find<QLabel>("AdvGDIPPictureWatermark");
    EXPECT_TRUE(thumbnail->isVisible());
    EXPECT_EQ(thumbnail->pixmap().size(), QSize(76, 38));
    EXPECT_EQ(thumbnail->toolTip(),
              QStringLiteral("<b>Image file: </b>") + QString::fromStdString(logo).toHtmlEscaped() +
                  QStringLiteral("<br><b>Image type: </b>Portable Network Graphics (<b>PNG</b>)<br>"
                                 "<b>Original size: </b>120 x 60 Pixels<br>"
                                 "<b>Resolution: </b>72 x 72 Dot Per Inch (DPI)"));
    EXPECT_EQ(f.form->ReadSettings().picturePath, logo);

    // The preview of a shown image picks the picture up at once, and clearing takes it away.
    f.form->LoadPreviewImage(f.WritePng("base.png", 200, 100, qRgb(0, 0, 0)));
    const TColor32 withPicture = f.form->Image().PreviewBitmap.Pixel(100, 50);
    EXPECT_NE(withPicture, f.form->Image().SourceBitmap.Pixel(100, 50));
    f.Find<QToolButton>("ImageClearWatermark")->click();
    EXPECT_TRUE(path->text().isEmpty());
    EXPECT_EQ(path->toolTip(), QStringLiteral("Select watermark image"));
    EXPECT_EQ(f.Find<QWidget>("sPanel14")->toolTip(), QStringLiteral("Select watermark image"));
    EXPECT_FALSE(thumbnail->isVisible());
    EXPECT_EQ(f.form->Image().PreviewBitmap.Pixel(100, 50), f.form->Image().SourceBitmap.Pixel(100, 50));
    EXPECT_TRUE(f.seam.messages.empty());
}

TEST(PictureChooser, UnknownPictureStillGetsAHint) {
    WindowFixture f;
    const std::string junk = f.dir.file("junk.gif");
    test::WriteFileBytes(junk, "not a picture at all");
    f.seam.openFileAnswers.push_back({QString::fromStdString(junk)});
    f.form->ChooseWatermarkPicture();
    const QString hint = f.Find<QLabel>("AdvGDIPPictureWatermark")->toolTip();
    EXPECT_TRUE(hint.contains(QStringLiteral("<b>Image type: </b>Unknown<br>")));
    EXPECT_TRUE(hint.endsWith(QStringLiteral("<b>Resolution: </b>72 x 72 Dot Per Inch (DPI)")));
}

TEST(PictureChooser, TypeTexts) {
    const std::pair<int, const char*> cases[] = {
        {0, "Windows Bitmap File - <b>BMP</b>"},
        {2, "Independent JPEG Group - <b>JPEG</b>"},
        {10, "ZSoft Paintbrush - <b>PCX</b>"},
        {13, "Portable Network Graphics (<b>PNG</b>)"},
        {17, "Truevision Targa Files - <b>TARGA</b>"},
        {18, "Tagged Image File Format - <b>TIFF</b>"},
        {20, "Adobe Photoshop - <b>PSD</b>"},
        {25, "Graphics Interchange Format - <b>GIF</b>"},
        {31, "JPEG-2000 File Format - <b>JP2</b>"},
        {1, "Unknown"},
        {-1, "Unknown"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(PictureTypeText(code), QLatin1String(text)) << code;
}

} // namespace
} // namespace tessoly
