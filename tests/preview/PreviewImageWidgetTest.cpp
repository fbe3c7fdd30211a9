// The preview's picture control: 1:1 when the picture fits, scaled down uniformly otherwise,
// never enlarged, centred, nearest-neighbour, on the scroll-bar colour.

#include "preview/PreviewImageWidget.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPalette>
#include <QPixmap>

#include "support/WindowTestSupport.h"

namespace tessoly {
namespace {

QImage Shown(PreviewImageWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(PreviewImageWidget, SmallPictureIsCentredAtFullSize) {
    test::EnsureWindowTestApplication();
    TBitmap32 bitmap(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            bitmap.SetPixel(x, y, Color32(255, 40 * x, 100 * y, 7));
    PreviewImageWidget widget(bitmap);
    widget.resize(100, 50);
    EXPECT_EQ(widget.PictureRect(), QRect(48, 24, 4, 2));
    const QImage shown = Shown(widget);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(shown.pixel(48 + x, 24 + y) & 0xFFFFFFu, bitmap.Pixel(x, y) & 0xFFFFFFu)
                << x << "," << y;
    const QRgb around = widget.palette().color(QPalette::Midlight).rgb();
    EXPECT_EQ(shown.pixel(0, 0), around);
    EXPECT_EQ(shown.pixel(99, 49), around);
}

TEST(PreviewImageWidget, LargePictureIsScaledDownNearestNeighbour) {
    test::EnsureWindowTestApplication();
    // Columns alternate between two colours in pairs, so a halving sampler must hit one of them exactly.
    TBitmap32 bitmap(200, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            bitmap.SetPixel(x, y, (x / 2) % 2 == 0 ? 0xFFFF0000u : 0xFF0000FFu);
    PreviewImageWidget widget(bitmap);
    widget.resize(100, 100);
    EXPECT_EQ(widget.PictureRect(), QRect(0, 25, 100, 50));
    const QImage shown = Shown(widget);
    for (int x = 0; x < 100; ++x) {
        const QRgb pixel = shown.pixel(x, 50);
        EXPECT_TRUE(pixel == qRgb(255, 0, 0) || pixel == qRgb(0, 0, 255)) << "blended colour at " << x;
    }
    // Empty bitmap: nothing but the background.
    TBitmap32 empty;
    PreviewImageWidget blank(empty);
    blank.resize(20, 20);
    EXPECT_TRUE(blank.PictureRect().isEmpty());
}

} // namespace
} // namespace tessoly
