#pragma once
// Guide lines: thin lines through the centre and along the margins, about one screen pixel wide
// in the scaled-down preview. Drawn in the preview only, under the watermark.

#include "render/Bitmap32.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! Preview fit factor k = min(clientWidth / previewWidth, clientHeight / previewHeight), at most 1.
float PreviewFitFactor(int clientWidth, int clientHeight, int previewWidth, int previewHeight);

//! Draws the guide lines onto target with width 1 / fitFactor and the guide colour at alpha 170.
void DrawGuideLines(TBitmap32& target, const WatermarkSettings& settings, float fitFactor);

} // namespace tessoly
