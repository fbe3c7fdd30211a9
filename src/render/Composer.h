#pragma once
// The renderer's top level: the source image plus the watermark, placed at one of nine anchors
// with the margins and clipped, into the composed bitmap. Runs on one thread at a time per font
// object; the source is only read.

#include <memory>

#include "render/Bitmap32.h"
#include "render/Placement.h"
#include "render/TrueTypeFont.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

struct ComposeOptions {
    //! A batch run: never draw guide lines.
    bool batchRunning = false;
    //! The preview's fit factor k, for the guide-line width (PreviewFitFactor).
    float previewFitFactor = 1.0f;
};

//! Writes source + watermark into composed (resized to the source; its draw mode and master alpha
//! are kept). Guide lines, when shown and not in a batch, go under the watermark. Throws
//! RenderError when the picture file cannot be opened, the scale text is not a number or the
//! outline data is unreadable; composed then holds at least the copy of the source. source and
//! composed may be one bitmap: the watermark is then drawn onto it in place.
void ComposeWatermark(const WatermarkSettings& settings, const TBitmap32& source, TBitmap32& composed,
                      TTrueTypeFont& font, const ComposeOptions& options);

//! The watermark placed on an image of a given size, ready to be drawn onto the whole image or
//! onto any piece of it. Holds the final picture of a picture watermark; a text watermark is drawn
//! with the font as PlaceWatermark left it.
struct PlacedWatermark {
    //! Every pixel the watermark can change lies in here (clipped to the image); empty when it
    //! draws nothing.
    TRect bounds;
    //! Text: the pen origin [pixels of the image].
    float penX = 0;
    float penY = 0;
    //! Picture: the final picture and its top-left corner [pixels of the image].
    std::shared_ptr<TBitmap32> picture;
    int pictureX = 0;
    int pictureY = 0;
    int alpha = 255;
    //! A repeated mark: bounds is the whole image, and only the whole image may be drawn on.
    bool tiled = false;
    //! The settings with margins in pixels of this image.
    WatermarkSettings resolved;
};

//! Places the watermark of settings on an image of width x height as ComposeWatermark does
//! (decoding the picture file, applying the font settings), without touching any pixels. Throws
//! RenderError as ComposeWatermark does.
PlacedWatermark PlaceWatermark(const WatermarkSettings& settings, int width, int height, TTrueTypeFont& font);
//! Draws a placed watermark onto piece, the part of the image whose top-left pixel is (originX,
//! originY): the piece gets the same pixels as the same part of the whole image composed. A tiled
//! mark is drawn only onto the whole image (origin 0, 0).
void DrawPlacedWatermark(const PlacedWatermark& placed, const WatermarkSettings& settings, TBitmap32& piece,
                         int originX, int originY, TTrueTypeFont& font);

} // namespace tessoly
