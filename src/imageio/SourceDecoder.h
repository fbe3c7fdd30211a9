#pragma once
// Decoding one source file through FreeImage into the working image's bitmaps.
// Thread contract: needs a live FreeImageLibrary; different threads may decode at once as long as
// each uses its own WorkingImage (the window on the UI thread, the reading job on its worker).

#include <functional>
#include <string>

#include "imageio/WorkingImage.h"

namespace tessoly {

//! Which bitmaps a decode fills.
enum class DecodeTargets {
    //! PreviewBitmap and SourceBitmap, as the window shows each decoded image.
    PreviewAndSource,
    //! SourceBitmap alone; PreviewBitmap is left as it was (a batch with no preview).
    SourceOnly,
};

//! Says, for the detected source format, whether a palette's transparent entries become alpha in
//! SourceBitmap (for an output that keeps transparency); empty: they never do.
using PaletteAlphaRule = std::function<bool(int sourceFormat)>;

//! Decodes path into image. On failure only SourceFormat changes and SourceImage stays null;
//! the caller raises RenderError(path). Files whose header claims an impossible picture are
//! refused before the full decode. With applyExifOrientation the bitmaps hold the picture turned
//! upright by its Exif orientation (SourceOrientation and OrientationApplied say so); without,
//! as stored. SourceImage always stays as the library decoded it.
bool DecodeSourceImage(WorkingImage& image, const std::string& path,
                       DecodeTargets targets = DecodeTargets::PreviewAndSource,
                       bool applyExifOrientation = true, const PaletteAlphaRule& keepPaletteAlpha = {});
//! Unloads the open library image, if any.
void ReleaseSourceImage(WorkingImage& image);
//! " W x H  |  B BPP  |  D DPI  |  FORMAT" of the last image decoded with its preview.
std::string PropertiesText(const WorkingImage& image);
//! The same for the last image decoded, shown as picture (a batch's composed picture, whose size is
//! the source's); reads the open library image's resolution, so call it before the release.
std::string PropertiesText(const WorkingImage& image, const TBitmap32& picture);

} // namespace tessoly
