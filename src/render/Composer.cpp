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
#include <memory>
#include <utility>

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

//! The watermark picture read from its file, turned, keyed and scaled for an image imageWidth
//! pixels wide, drawn with alpha.
void LoadWatermarkPicture(const WatermarkSettings& settings, int alpha, int imageWidth, TBitmap32& picture) {
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
    PrepareWatermarkPicture(decoded, settings, alpha, oriented, picture, imageWidth);
}

void ComposePicture(const WatermarkSettings& settings, int alpha, TBitmap32& composed) {
    TBitmap32 picture;
    LoadWatermarkPicture(settings, alpha, composed.Width(), picture);
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

TRect ClipToImage(double left, double top, double right, double bottom, int width, int height) {
    TRect rect;
    rect.left = static_cast<int>(std::clamp(std::floor(left), 0.0, static_cast<double>(width)));
    rect.top = static_cast<int>(std::clamp(std::floor(top), 0.0, static_cast<double>(height)));
    rect.right = static_cast<int>(std::clamp(std::ceil(right), 0.0, static_cast<double>(width)));
    rect.bottom = static_cast<int>(std::clamp(std::ceil(bottom), 0.0, static_cast<double>(height)));
    return rect;
}

//! The text of ComposeText up to its drawing, for a single (not tiled) caption.
void PlaceText(const WatermarkSettings& settings, int width, int height, TTrueTypeFont& font,
               PlacedWatermark& placed) {
    font.ApplyFontSettings(settings.fontName, settings.fontSize, settings.bold, settings.italic,
                           settings.screenDpi);
    if (settings.fontSizeUnit == SizeUnit::PercentOfImage)
        FitCaptionHeight(font, settings.caption, CaptionInkHeightFor(settings.fontSize, width, height));
    const TextExtent extent = MeasureText(font, settings.caption);
    const TextBoxGeometry box = TextBox(extent.W, extent.H, settings.textAngle);
    if (!(extent.W > 0 && extent.H > 0) || settings.caption.empty())
        return;
    const TextOffset offset =
        TextPlacementOffset(settings.position, width, height, settings.hMargin, settings.vMargin, box);
    const double pad = 2.0 * font.PixelHeight() + 16.0;
    if (!TextBoxTouchesImage(box, offset, width, height, pad))
        return;
    placed.penX = static_cast<float>(offset.e + box.Px);
    placed.penY = static_cast<float>(offset.f + box.Py);
    placed.bounds = ClipToImage(offset.e + box.minX - pad, offset.f + box.minY - pad, offset.e + box.maxX + pad,
                                offset.f + box.maxY + pad, width, height);
}

//! The picture of ComposePicture, prepared and placed, for a single (not tiled) picture.
void PlacePicture(const WatermarkSettings& settings, int width, int height, PlacedWatermark& placed) {
    placed.picture = std::make_shared<TBitmap32>();
    LoadWatermarkPicture(settings, placed.alpha, width, *placed.picture);
    const PicturePosition at = PicturePlacement(settings.position, width, height, placed.picture->Width(),
                                                placed.picture->Height(), settings.hMargin, settings.vMargin);
    placed.pictureX = at.X;
    placed.pictureY = at.Y;
    placed.bounds = ClipToImage(at.X, at.Y, static_cast<double>(at.X) + placed.picture->Width(),
                                static_cast<double>(at.Y) + placed.picture->Height(), width, height);
}

} // namespace

PlacedWatermark PlaceWatermark(const WatermarkSettings& settings, int width, int height, TTrueTypeFont& font) {
    PlacedWatermark placed;
    if (width <= 0 || height <= 0)
        return placed;
    placed.resolved = ResolveMargins(settings, width, height);
    placed.alpha = OpacityToAlpha(placed.resolved.opacityPosition);
    const bool drawsSomething = placed.resolved.mode == kModeText || !placed.resolved.picturePath.empty();
    if (placed.resolved.tile) {
        // A grid of copies may reach anywhere: the whole image, composed as ComposeWatermark does.
        placed.tiled = true;
        if (drawsSomething)
            placed.bounds = {0, 0, width, height};
    } else if (placed.resolved.mode == kModeText) {
        PlaceText(placed.resolved, width, height, font, placed);
    } else if (!placed.resolved.picturePath.empty()) {
        PlacePicture(placed.resolved, width, height, placed);
    }
    return placed;
}

void DrawPlacedWatermark(const PlacedWatermark& placed, const WatermarkSettings& settings, TBitmap32& piece,
                         int originX, int originY, TTrueTypeFont& font) {
    (void)settings;
    if (placed.bounds.Width() <= 0 || placed.bounds.Height() <= 0 || piece.Empty())
        return;
    if (placed.tiled) {
        if (originX != 0 || originY != 0 || piece.Width() != placed.bounds.Width() ||
            piece.Height() != placed.bounds.Height()) {
            throw RenderError("A repeated watermark can only be drawn on the whole image");
        }
        if (placed.resolved.mode == kModeText)
            ComposeText(placed.resolved, placed.alpha, piece, font);
        else
            ComposePicture(placed.resolved, placed.alpha, piece);
        return;
    }
    if (placed.picture) {
        DrawAt(*placed.picture, piece, placed.pictureX - originX, placed.pictureY - originY);
        return;
    }
    std::vector<TPolyPolygon> glyphs = PlaceCaption(placed.penX, placed.penY, placed.resolved, font);
    if (originX != 0 || originY != 0) {
        // Whole-pixel moves are exact in 16.16, so every later step sees the same fractions.
        const TFixed dx = FixedFromInt(originX);
        const TFixed dy = FixedFromInt(originY);
        for (TPolyPolygon& glyph : glyphs) {
            for (TPolygon& contour : glyph) {
                for (FixedPoint& point : contour) {
                    point.X -= dx;
                    point.Y -= dy;
                }
            }
        }
    }
    DrawPlacedCaption(piece, std::move(glyphs), placed.resolved, placed.alpha);
}

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
