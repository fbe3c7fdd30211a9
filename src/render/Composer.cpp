// ComposeWatermark: copies the source into the composed bitmap, draws the guide lines when the
// preview shows them, then the text or the picture watermark on top.
//
// Both modes copy the full-size source exactly once. The picture is drawn straight onto the
// composed bitmap after that copy; drawing it onto a separate base and copying the base over
// gives the same pixels at twice the cost. The copy comes first on every path, so whatever
// fails later (an unopenable picture file, a bad scale text, unreadable outlines) leaves at least
// the source, with its guide lines, in the composed bitmap. The picture's working bitmaps are
// locals and go away on every path.

#include "render/Composer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QFile>

#include "render/GuideLines.h"
#include "render/ImageWatermark.h"
#include "render/RenderError.h"
#include "render/TextWatermark.h"

namespace tessoly {

namespace {

//! Resizes composed to the source and copies its pixels, whatever either's draw mode.
void CopySource(const TBitmap32& source, TBitmap32& composed) {
    composed.SetSizeForOverwrite(source.Width(), source.Height());
    if (source.Empty())
        return;
    std::memcpy(composed.Bits(), source.Bits(),
                static_cast<std::size_t>(source.Width()) * static_cast<std::size_t>(source.Height()) *
                    sizeof(TColor32));
}

//! True when the placed text box, grown by pad on every side, reaches into the image. Ink lies
//! within the box save for descenders, side bearings, slant, outline and shadow, all below pad.
bool TextBoxTouchesImage(const TextBoxGeometry& box, const TextOffset& offset, int width, int height,
                         double pad) {
    return offset.e + box.maxX + pad > 0 && offset.e + box.minX - pad < width &&
           offset.f + box.maxY + pad > 0 && offset.f + box.minY - pad < height;
}

TRect ClipToImage(double left, double top, double right, double bottom, int width, int height) {
    TRect rect;
    rect.left = static_cast<int>(std::clamp(std::floor(left), 0.0, static_cast<double>(width)));
    rect.top = static_cast<int>(std::clamp(std::floor(top), 0.0, static_cast<double>(height)));
    rect.right = static_cast<int>(std::clamp(std::ceil(right), 0.0, static_cast<double>(width)));
    rect.bottom = static_cast<int>(std::clamp(std::ceil(bottom), 0.0, static_cast<double>(height)));
    return rect;
}

void PlaceText(const WatermarkSettings& settings, int width, int height, TTrueTypeFont& font,
               PlacedWatermark& placed) {
    font.ApplyFontSettings(settings.fontName, settings.fontSize, settings.bold, settings.italic,
                           settings.screenDpi);
    const TextExtent extent = MeasureText(font, settings.caption);
    const TextBoxGeometry box = TextBox(extent.W, extent.H, settings.textAngle);
    if (!(extent.W > 0 && extent.H > 0))
        return;
    const TextOffset offset =
        TextPlacementOffset(settings.position, width, height, settings.hMargin, settings.vMargin, box);
    // Margins have no limits; a caption pushed far off the image draws nothing and must not carry
    // its pen into coordinates the 16.16 glyph arithmetic cannot hold.
    const double pad = 2.0 * font.PixelHeight() + 16.0;
    if (!TextBoxTouchesImage(box, offset, width, height, pad))
        return;
    placed.penX = static_cast<float>(offset.e + box.Px);
    placed.penY = static_cast<float>(offset.f + box.Py);
    placed.bounds = ClipToImage(offset.e + box.minX - pad, offset.f + box.minY - pad, offset.e + box.maxX + pad,
                                offset.f + box.maxY + pad, width, height);
}

void PlacePicture(const WatermarkSettings& settings, int width, int height, PlacedWatermark& placed) {
    QFile file(QString::fromStdString(settings.picturePath));
    if (!file.open(QIODevice::ReadOnly)) {
        throw RenderError("Cannot open file \"" + settings.picturePath + "\". " +
                          file.errorString().toStdString());
    }
    TBitmap32 decoded;
    DecodeWatermarkPicture(file, decoded);
    file.close();

    decoded.DrawMode = dmBlend;
    decoded.MasterAlpha = placed.alpha;
    TBitmap32 oriented;
    placed.picture = std::make_shared<TBitmap32>();
    PrepareWatermarkPicture(decoded, settings, placed.alpha, oriented, *placed.picture);
    const PicturePosition at = PicturePlacement(settings.position, width, height, placed.picture->Width(),
                                                placed.picture->Height(), settings.hMargin, settings.vMargin);
    placed.pictureX = at.X;
    placed.pictureY = at.Y;
    placed.bounds = ClipToImage(at.X, at.Y, static_cast<double>(at.X) + placed.picture->Width(),
                                static_cast<double>(at.Y) + placed.picture->Height(), width, height);
}

} // namespace

void ComposeWatermark(const WatermarkSettings& settings, const TBitmap32& source, TBitmap32& composed,
                      TTrueTypeFont& font, const ComposeOptions& options) {
    if (source.Width() <= 0)
        return;
    // Composing in place: the watermark goes straight onto the caller's copy of the source.
    if (&source != &composed)
        CopySource(source, composed);
    if (composed.Empty())
        return;
    if (settings.showGuideLines && !options.batchRunning) {
        DrawGuideLines(composed, settings, options.previewFitFactor);
    }
    const PlacedWatermark placed = PlaceWatermark(settings, composed.Width(), composed.Height(), font);
    DrawPlacedWatermark(placed, settings, composed, 0, 0, font);
}

PlacedWatermark PlaceWatermark(const WatermarkSettings& settings, int width, int height, TTrueTypeFont& font) {
    PlacedWatermark placed;
    placed.alpha = OpacityToAlpha(settings.opacityPosition);
    if (width <= 0 || height <= 0)
        return placed;
    if (settings.mode == kModeText) {
        PlaceText(settings, width, height, font, placed);
    } else if (!settings.picturePath.empty()) {
        PlacePicture(settings, width, height, placed);
    }
    return placed;
}

void DrawPlacedWatermark(const PlacedWatermark& placed, const WatermarkSettings& settings, TBitmap32& piece,
                         int originX, int originY, TTrueTypeFont& font) {
    if (placed.bounds.Width() <= 0 || placed.bounds.Height() <= 0 || piece.Empty())
        return;
    if (placed.picture) {
        DrawAt(*placed.picture, piece, placed.pictureX - originX, placed.pictureY - originY);
    } else {
        DrawTextWatermark(piece, placed.penX, placed.penY, settings, placed.alpha, font, originX, originY);
    }
}

} // namespace tessoly
