#pragma once
// Sizes measured on the image: margins, the caption's ink height and the picture's width given in
// percent of the image become pixels for one image of a given size. Settings in pixels pass
// through unchanged, so their arithmetic stays exactly that of the placement tables.

#include <string>

#include "render/TrueTypeFont.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! percent * length / 100 rounded half to even [pixels]; exact for every int input.
int PercentOfLength(int percent, int length);

//! The settings with both margins in pixels for an image of width x height.
WatermarkSettings ResolveMargins(const WatermarkSettings& settings, int width, int height);

//! Sets the font's em height so that the caption's measured height (ink top to the lower of
//! baseline and descenders) is nearest inkHeight [pixels]; the face and style must be applied.
//! Throws RenderError on unreadable outlines.
void FitCaptionHeight(TTrueTypeFont& font, const std::u16string& caption, double inkHeight);

//! The caption's ink height [pixels] asked for by a size in percent of the shorter side.
double CaptionInkHeightFor(int percent, int width, int height);

//! Picture size for a width of percent of imageWidth, the height following the picture's aspect.
//! Both round half to even; negative percentages give 0 x 0.
void PictureSizeFor(int percent, int imageWidth, int pictureWidth, int pictureHeight, int& width,
                    int& height);

} // namespace tessoly
