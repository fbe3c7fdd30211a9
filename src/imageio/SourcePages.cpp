#include "imageio/SourcePages.h"

#include <FreeImage.h>

#include "imageio/ByteReader.h"
#include "imageio/HeaderChecks.h"
#include "imageio/HeaderSanity.h"

namespace tessoly {

namespace {

//! The most frames read from one file: a file claiming more is read as a single picture.
constexpr int kMaxPages = 10000;

FIMULTIBITMAP* OpenReadOnly(FREE_IMAGE_FORMAT format, const std::string& path, int flags) {
    // Read-only, and the cache kept in memory: nothing is ever written beside the source.
    return FreeImage_OpenMultiBitmap(format, path.c_str(), FALSE, TRUE, TRUE, flags);
}

void CopyTag(FIBITMAP* from, FIBITMAP* to, const char* key) {
    FITAG* tag = nullptr;
    if (FreeImage_GetMetadata(FIMD_ANIMATION, from, key, &tag) && tag)
        FreeImage_SetMetadata(FIMD_ANIMATION, to, key, tag);
}

//! Is every page of a TIFF inside the caps? Read from the directories alone, before any page is
//! decoded: the header check of the source saw the first one only.
bool TiffPagesArePlausible(const std::string& path, int pages) {
    FIMULTIBITMAP* headers = OpenReadOnly(FIF_TIFF, path, FIF_LOAD_NOPIXELS);
    if (!headers)
        return false;
    bool plausible = FreeImage_GetPageCount(headers) == pages;
    for (int i = 0; plausible && i < pages; ++i) {
        FIBITMAP* page = FreeImage_LockPage(headers, i);
        plausible = page && PlausiblePictureSize(FreeImage_GetWidth(page), FreeImage_GetHeight(page));
        if (page)
            FreeImage_UnlockPage(headers, page, FALSE);
    }
    FreeImage_CloseMultiBitmap(headers, 0);
    return plausible;
}

} // namespace

SourcePages::SourcePages(const std::string& path, int sourceFormat) : format_(sourceFormat) {
    if (sourceFormat != FIF_GIF && sourceFormat != FIF_TIFF)
        return;
    const auto format = static_cast<FREE_IMAGE_FORMAT>(sourceFormat);
    if (format == FIF_GIF) {
        // The first frame passed the source's own check; a refusal here is about a later one.
        ByteReader reader(path);
        if (CheckGifFrames(reader) != HeaderCheck::Plausible) {
            laterPagesRefused_ = true;
            return;
        }
    }
    FIMULTIBITMAP* stored = OpenReadOnly(format, path, 0);
    if (!stored)
        return;
    const int pages = FreeImage_GetPageCount(stored);
    const bool refused = pages > kMaxPages || (format == FIF_TIFF && pages > 1 && !TiffPagesArePlausible(path, pages));
    if (pages <= 1 || refused) {
        laterPagesRefused_ = refused;
        FreeImage_CloseMultiBitmap(stored, 0);
        return;
    }
    stored_ = stored;
    if (format == FIF_GIF) {
        played_ = OpenReadOnly(format, path, GIF_PLAYBACK);
        if (!played_)
            return;
    }
    count_ = pages;
}

SourcePages::~SourcePages() {
    if (played_)
        FreeImage_CloseMultiBitmap(played_, 0);
    if (stored_)
        FreeImage_CloseMultiBitmap(stored_, 0);
}

FreeImagePtr SourcePages::LoadPage(int index) {
    FIMULTIBITMAP* from = played_ ? played_ : stored_;
    if (!from || index < 0 || index >= count_)
        return nullptr;
    FIBITMAP* page = FreeImage_LockPage(from, index);
    if (!page)
        return nullptr;
    FreeImagePtr copy(FreeImage_Clone(page));
    FreeImage_UnlockPage(from, page, FALSE);
    return copy;
}

void SourcePages::ApplyAnimation(int index, FIBITMAP* dib) {
    // Whatever the conversion copied describes a frame of another size and place.
    FreeImage_SetMetadata(FIMD_ANIMATION, dib, nullptr, nullptr);
    if (format_ != FIF_GIF || !stored_ || index < 0 || index >= count_)
        return;
    FIBITMAP* frame = FreeImage_LockPage(stored_, index);
    if (!frame)
        return;
    CopyTag(frame, dib, "FrameTime");
    CopyTag(frame, dib, "DisposalMethod");
    if (index == 0)
        CopyTag(frame, dib, "Loop");
    FreeImage_UnlockPage(stored_, frame, FALSE);
}

} // namespace tessoly
