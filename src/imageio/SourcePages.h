#pragma once
// The frames of an animated GIF and the pages of a multi-page TIFF, read through FreeImage's
// multi-page API. GIF frames come as the player shows them (each composed onto the full logical
// screen), so a mark placed on one frame lands at the same place on every frame; their timing,
// disposal and the loop count are read from the stored frames.
// Thread contract: one object per thread; FreeImage must be initialised.

#include <string>

#include "imageio/FreeImageHandle.h"

namespace tessoly {

class SourcePages {
public:
    //! Opens path read-only when sourceFormat is GIF or TIFF; otherwise, or when it cannot be
    //! opened, Count() is 1 and nothing is held.
    SourcePages(const std::string& path, int sourceFormat);
    ~SourcePages();
    SourcePages(const SourcePages&) = delete;
    SourcePages& operator=(const SourcePages&) = delete;

    //! Frames or pages in the file; 1 for a single picture.
    int Count() const { return count_; }
    //! The file holds further frames or pages that are refused (cut short, or claiming a size
    //! over the caps): only its first picture can be had. Count() is then 1.
    bool LaterPagesRefused() const { return laterPagesRefused_; }
    //! A copy of frame or page index (0-based) as a library image, or null when it cannot be read.
    FreeImagePtr LoadPage(int index);
    //! Replaces dib's animation tags with those of the stored frame index: FrameTime [ms] and
    //! DisposalMethod, and on frame 0 the Loop count. The frame is written whole at (0, 0).
    void ApplyAnimation(int index, FIBITMAP* dib);

private:
    int format_ = -1;
    int count_ = 1;
    bool laterPagesRefused_ = false;
    //! The stored frames or pages, as the file holds them.
    FIMULTIBITMAP* stored_ = nullptr;
    //! GIF only: the same file opened for playback (composed frames).
    FIMULTIBITMAP* played_ = nullptr;
};

} // namespace tessoly
