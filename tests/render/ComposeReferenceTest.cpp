// Rendered reference images of the default watermarks, compared with a tolerance: a moved or
// missing effect (fill, outline, emboss, shadow) fails, a changed anti-aliasing bit does not.
//
// To regenerate the references after an intended change of the drawing, run
//   TESSOLY_UPDATE_REFERENCES=1 test_render --gtest_filter='ComposeReference*'
// which rewrites tests/data/compose/*.png; look at them before committing.

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include <QImage>

#include "render/Composer.h"
#include "render/TextWatermark.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using test::DataDir;
using test::ScratchDir;

//! A pixel counts as different when a channel moves by more than this.
constexpr int kChannelTolerance = 24;
//! The share of differing pixels allowed [fraction of the image].
constexpr double kDifferingShare = 0.005;

TBitmap32 GreyGradient(int w, int h) {
    TBitmap32 b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t v = static_cast<std::uint32_t>(60 + (x * 100) / w + (y * 60) / h);
            b.SetPixel(x, y, Color32(255, v, v, v));
        }
    return b;
}

QImage ToQImage(const TBitmap32& b) {
    QImage image(b.Width(), b.Height(), QImage::Format_ARGB32);
    for (int y = 0; y < b.Height(); ++y)
        std::memcpy(image.scanLine(y), b.ScanLine(y), static_cast<std::size_t>(b.Width()) * 4);
    return image;
}

bool Updating() {
    const char* v = std::getenv("TESSOLY_UPDATE_REFERENCES");
    return v != nullptr && std::string(v) == "1";
}

void CheckAgainstReference(const TBitmap32& composed, const std::string& name) {
    const std::string path = (DataDir() / "compose" / name).string();
    const QImage rendered = ToQImage(composed);
    if (Updating()) {
        ASSERT_TRUE(rendered.save(QString::fromStdString(path), "PNG")) << path;
        GTEST_SKIP() << "rewrote " << path;
    }
    const QImage reference = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(reference.isNull()) << "missing reference " << path;
    ASSERT_EQ(reference.size(), rendered.size());
    long differing = 0;
    for (int y = 0; y < reference.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(rendered.constScanLine(y));
        for (int x = 0; x < reference.width(); ++x) {
            const int d =
                std::max({std::abs(qRed(a[x]) - qRed(b[x])), std::abs(qGreen(a[x]) - qGreen(b[x])),
                          std::abs(qBlue(a[x]) - qBlue(b[x])), std::abs(qAlpha(a[x]) - qAlpha(b[x]))});
            differing += d > kChannelTolerance;
        }
    }
    const double share = static_cast<double>(differing) / (reference.width() * reference.height());
    EXPECT_LE(share, kDifferingShare) << differing << " pixels differ from " << path;
}

//! Mean of the red channel over a rectangle.
double MeanRed(const TBitmap32& b, int left, int top, int right, int bottom) {
    double sum = 0;
    long n = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, b.Height()); ++y)
        for (int x = std::max(left, 0); x < std::min(right, b.Width()); ++x, ++n)
            sum += RedOf(b.Pixel(x, y));
    return n ? sum / n : 0;
}

TEST(ComposeReference, DefaultTextWatermark) {
    TTrueTypeFont font;
    const TBitmap32 source = GreyGradient(640, 480);
    const WatermarkSettings s; // "© Tessoly", Arial 60 pt bold, outline and 3D, opacity 30, centre
    TBitmap32 composed;
    ComposeWatermark(s, source, composed, font, {});

    // The watermark is really there: the text box is no longer the plain source.
    font.ApplyFontSettings(s.fontName, s.fontSize, s.bold, s.italic, s.screenDpi);
    const TextExtent extent = MeasureText(font, s.caption);
    const TextBoxGeometry box = TextBox(extent.W, extent.H, s.textAngle);
    const TextOffset o = TextPlacementOffset(s.position, 640, 480, s.hMargin, s.vMargin, box);
    const int l = o.e + static_cast<int>(box.minX), t = o.f + static_cast<int>(box.minY);
    const int r = o.e + static_cast<int>(box.maxX), b = o.f + static_cast<int>(box.maxY);
    EXPECT_GT(std::abs(MeanRed(composed, l, t, r, b) - MeanRed(source, l, t, r, b)), 3.0);

    CheckAgainstReference(composed, "default-text.png");
}

TEST(ComposeReference, RotatedTextWithEveryEffect) {
    TTrueTypeFont font;
    WatermarkSettings s;
    s.caption = u"Gypsum 42";
    s.textAngle = 30;
    s.position = WatermarkPosition::BottomLeft;
    s.textColour = 0xFFFFC040u;
    s.opacityPosition = 40;
    TBitmap32 composed;
    ComposeWatermark(s, GreyGradient(480, 360), composed, font, {});
    CheckAgainstReference(composed, "rotated-text.png");
}

TEST(ComposeReference, PictureWatermark) {
    // A soft-edged disc on a transparent ground, turned, keyed and scaled.
    QImage picture(120, 60, QImage::Format_ARGB32);
    picture.fill(0xFFFFFFFFu);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 120; ++x) {
            const double d = std::hypot(x - 40.0, y - 30.0);
            if (d < 26)
                picture.setPixel(x, y,
                                 qRgba(200, 40 + x, 60, d < 22 ? 255 : static_cast<int>(255 * (26 - d) / 4)));
        }
    ScratchDir dir;
    const std::string path = dir.file("disc.png");
    ASSERT_TRUE(picture.save(QString::fromStdString(path), "PNG"));

    WatermarkSettings s;
    s.mode = kModeImage;
    s.picturePath = path;
    s.transparentEdges = true;
    s.imageRotationPosition = 3;
    s.imageScaleText = "150";
    s.position = WatermarkPosition::BottomRight;
    TTrueTypeFont font;
    TBitmap32 composed;
    ComposeWatermark(s, GreyGradient(320, 240), composed, font, {});
    CheckAgainstReference(composed, "picture.png");
}

} // namespace
} // namespace tessoly
