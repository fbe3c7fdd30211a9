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

void ComposeText(const WatermarkSettings& settings, int alpha, TBitmap32& composed, TTrueTypeFont& font) {
    font.ApplyFontSettings(settings.fontName, settings.fontSize, settings.bold, settings.italic,
                           settings.screenDpi);
    const TextExtent extent = MeasureText(font, settings.caption);
    const TextBoxGeometry box = TextBox(extent.W, extent.H, settings.textAngle);
    if (!(extent.W > 0 && extent.H > 0))
        return;
    const TextOffset offset = TextPlacementOffset(settings.position, composed.Width(), composed.Height(),
                                                  settings.hMargin, settings.vMargin, box);
    // Margins have no limits; a caption pushed far off the image draws nothing and must not carry
    // its pen into coordinates the 16.16 glyph arithmetic cannot hold.
    const double pad = 2.0 * font.PixelHeight() + 16.0;
    if (!TextBoxTouchesImage(box, offset, composed.Width(), composed.Height(), pad))
        return;
    const float x = static_cast<float>(offset.e + box.Px);
    const float y = static_cast<float>(offset.f + box.Py);
    DrawTextWatermark(composed, x, y, settings, alpha, font);
}

void ComposePicture(const WatermarkSettings& settings, int alpha, TBitmap32& composed) {
    QFile file(QString::fromStdString(settings.picturePath));
    if (!file.open(QIODevice::ReadOnly)) {
        throw RenderError("Cannot open file \"" + settings.picturePath + "\". " +
                          file.errorString().toStdString());
    }
    TBitmap32 decoded;
    DecodeWatermarkPicture(file, decoded);
    file.close();

    decoded.DrawMode = dmBlend;
    decoded.MasterAlpha = alpha;
    TBitmap32 oriented;
    TBitmap32 picture;
    PrepareWatermarkPicture(decoded, settings, alpha, oriented, picture);
    const PicturePosition at =
        PicturePlacement(settings.position, composed.Width(), composed.Height(), picture.Width(),
                         picture.Height(), settings.hMargin, settings.vMargin);
    DrawAt(picture, composed, at.X, at.Y);
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
    const int alpha = OpacityToAlpha(settings.opacityPosition);
    if (settings.mode == kModeText) {
        ComposeText(settings, alpha, composed, font);
    } else if (!settings.picturePath.empty()) {
        ComposePicture(settings, alpha, composed);
    }
}

} // namespace tessoly
