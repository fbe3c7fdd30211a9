// Fuzz entry point of the output stage's Exif handling: the bytes are an Exif block that is
// rewritten in place for an output and then copied into a small TIFF file's directories. No
// offset a hostile block names may be read or written outside it, and a rewritten block keeps
// its size.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <FreeImage.h>

#include "imageio/ExifRewrite.h"
#include "imageio/FreeImageHandle.h"
#include "imageio/TiffMetadata.h"

namespace {

//! A tiny TIFF file from the library, made once.
const std::vector<std::uint8_t>& SmallTiff() {
    static const std::vector<std::uint8_t> tiff = [] {
        FreeImage_Initialise(FALSE);
        const tessoly::FreeImagePtr picture(FreeImage_Allocate(4, 4, 24));
        const tessoly::FreeImageMemoryPtr memory(FreeImage_OpenMemory(nullptr, 0));
        FreeImage_SaveToMemory(FIF_TIFF, picture.get(), memory.get(), 0);
        BYTE* data = nullptr;
        DWORD size = 0;
        FreeImage_AcquireMemory(memory.get(), &data, &size);
        return std::vector<std::uint8_t>(data, data + size);
    }();
    return tiff;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> block(data, data + size);
    if (!tessoly::RewriteExifBlock(block, {640, 480, size % 2 == 0}))
        return 0;
    if (block.size() != size)
        std::abort();
    const std::vector<std::uint8_t>& tiff = SmallTiff();
    const std::vector<std::uint8_t> iptc = {0x1C, 0x02, 0x78, 0x00, 0x01, 'x'};
    tessoly::AddTiffMetadata(tiff.data(), tiff.size(), block, iptc);
    return 0;
}
