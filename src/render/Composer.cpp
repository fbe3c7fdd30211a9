// ComposeWatermark: copies the source into the composed bitmap, draws the guide lines when the
// preview shows them, then the text or the picture watermark on top.
//
// Both modes copy the full-size source exactly once. The picture is drawn straight onto the
// composed bitmap after that copy; drawing it onto a separate base and copying the base over
// gives the same pixels at twice the cost. The copy comes first on every path, so whatever
// fails later (an unopenable picture file, a bad scale text, unreadable outlines) leaves at least
// the source, with its guide lines, in the composed bitmap. The picture's working bitmaps are
// locals and go away on every path.
//
// Sizes in percent are resolved against the composed bitmap, so a caller that composes on the
// output-sized image gets the mark measured on the image as written. A repeated mark is a grid
// of copies at whole-pixel steps around the placed one: the caption is drawn once into a layer
// that every copy applies (TiledText.h), the picture is prepared once and drawn at each corner.

#include "render/Composer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QFile>

#include "render/GuideLines.h"
#include "render/ImageWatermark.h"
#include "render/RelativeSize.h"
#include "render/RenderError.h"
#include "render/TextWatermark.h"
#include "render/TileGrid.h"
#include "render/TiledText.h"

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
    if (settings.fontSizeUnit == SizeUnit::PercentOfImage) {
        FitCaptionHeight(font, settings.caption,
                         CaptionInkHeightFor(settings.fontSize, composed.Width(), composed.Height()));
    }
    const TextExtent extent = MeasureText(font, settings.caption);
    const TextBoxGeometry box = TextBox(extent.W, extent.H, settings.textAngle);
    if (!(extent.W > 0 && extent.H > 0))
        return;
    const TextOffset offset = TextPlacementOffset(settings.position, composed.Width(), composed.Height(),
                                                  settings.hMargin, settings.vMargin, box);
    // Margins have no limits; a caption pushed far off the image draws nothing and must not carry
    // its pen into coordinates the 16.16 glyph arithmetic cannot hold.
    const double pad = 2.0 * font.PixelHeight() + 16.0;
    if (!settings.tile) {
        if (!TextBoxTouchesImage(box, offset, composed.Width(), composed.Height(), pad))
            return;
        const float x = static_cast<float>(offset.e + box.Px);
        const float y = static_cast<float>(offset.f + box.Py);
        DrawTextWatermark(composed, x, y, settings, alpha, font);
        return;
    }
    TileAxis columns;
    TileAxis rows;
    TileAxesFor(offset.e, box.minX, box.maxX, composed.Width(), offset.f, box.minY, box.maxY, composed.Height(),
                pad, settings.tileSpacing, columns, rows);
    // The glyphs are placed once, at the copy nearest the image's top-left corner, so every copy
    // stays within reach of the 16.16 range; the others are that geometry moved by whole pixels.
    // In 64 bits: far-off marks have huge step counts, whose products land back near the image.
    const int baseE = static_cast<int>(offset.e + static_cast<long long>(columns.first) * columns.step);
    const int baseF = static_cast<int>(offset.f + static_cast<long long>(rows.first) * rows.step);
    if (settings.caption.empty() || composed.Empty())
        return;
    const std::vector<TPolyPolygon> glyphs = PlaceCaption(static_cast<float>(baseE + box.Px),
                                                          static_cast<float>(baseF + box.Py), settings, font);
    std::vector<TileOffset> copies;
    for (int j = 0; j <= rows.last - rows.first; ++j) {
        for (int i = 0; i <= columns.last - columns.first; ++i) {
            const TextOffset at{baseE + i * columns.step, baseF + j * rows.step};
            if (TextBoxTouchesImage(box, at, composed.Width(), composed.Height(), pad))
                copies.push_back({at.e - baseE, at.f - baseF});
        }
    }
    DrawTiledCaption(composed, glyphs, settings, alpha, copies);
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
    PrepareWatermarkPicture(decoded, settings, alpha, oriented, picture, composed.Width());
    const PicturePosition at =
        PicturePlacement(settings.position, composed.Width(), composed.Height(), picture.Width(),
                         picture.Height(), settings.hMargin, settings.vMargin);
    if (!settings.tile || picture.Empty()) {
        DrawAt(picture, composed, at.X, at.Y);
        return;
    }
    TileAxis columns;
    TileAxis rows;
    TileAxesFor(at.X, 0, picture.Width(), composed.Width(), at.Y, 0, picture.Height(), composed.Height(), 0.0,
                settings.tileSpacing, columns, rows);
    for (long long j = rows.first; j <= rows.last; ++j)
        for (long long i = columns.first; i <= columns.last; ++i)
            DrawAt(picture, composed, static_cast<int>(at.X + i * columns.step), static_cast<int>(at.Y + j * rows.step));
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
    // Margins in percent become this image's pixels before anything is placed (guide lines too).
    const WatermarkSettings resolved = ResolveMargins(settings, composed.Width(), composed.Height());
    if (resolved.showGuideLines && !options.batchRunning) {
        DrawGuideLines(composed, resolved, options.previewFitFactor);
    }
    const int alpha = OpacityToAlpha(resolved.opacityPosition);
    if (resolved.mode == kModeText) {
        ComposeText(resolved, alpha, composed, font);
    } else if (!resolved.picturePath.empty()) {
        ComposePicture(resolved, alpha, composed);
    }
}

} // namespace tessoly
