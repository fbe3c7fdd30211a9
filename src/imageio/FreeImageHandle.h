#pragma once
// Owning handles for FreeImage images and memory streams, so that every path, the error paths
// included, releases what it allocated.

#include <memory>

#include <FreeImage.h>

namespace tessoly {

struct FreeImageUnloader {
    void operator()(FIBITMAP* image) const { FreeImage_Unload(image); }
};
//! An owned library image; null when there is none.
using FreeImagePtr = std::unique_ptr<FIBITMAP, FreeImageUnloader>;

struct FreeImageMemoryCloser {
    void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};
//! An owned library memory stream.
using FreeImageMemoryPtr = std::unique_ptr<FIMEMORY, FreeImageMemoryCloser>;

} // namespace tessoly
