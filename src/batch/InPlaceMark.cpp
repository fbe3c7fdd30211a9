#include "batch/InPlaceMark.h"

#include "render/Composer.h"

namespace tessoly {

namespace {

class ComposerMark : public ViewedMark {
public:
    ComposerMark(const WatermarkSettings& settings, TTrueTypeFont& font) : settings_(settings), font_(font) {}
    TRect Place(int width, int height) override {
        placed_ = PlaceWatermark(settings_, width, height, font_);
        return placed_.bounds;
    }
    void Draw(TBitmap32& piece, int originX, int originY) override {
        DrawPlacedWatermark(placed_, settings_, piece, originX, originY, font_);
    }

private:
    const WatermarkSettings& settings_;
    TTrueTypeFont& font_;
    PlacedWatermark placed_;
};

} // namespace

InPlaceOutcome MarkInPlace(const std::string& sourcePath, const WatermarkSettings& watermark,
                           const OutputSettings& output, TTrueTypeFont& font, WrittenOutputs* writtenThisRun) {
    ComposerMark mark(watermark, font);
    return MarkJpegInPlace(sourcePath, output, mark, writtenThisRun);
}

} // namespace tessoly
