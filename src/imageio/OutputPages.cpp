#include "imageio/OutputPages.h"

#include <atomic>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include <FreeImage.h>

#include "imageio/MemoryOutputStream.h"
#include "imageio/SafeFileWrite.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

std::string ScratchPath(int format) {
    static std::atomic<unsigned> next{0};
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    const std::string name = "tessoly-pages-" + std::to_string(::getpid()) + "-" + std::to_string(next++) +
                             (format == FIF_GIF ? ".gif" : ".tif");
    return ((error ? std::filesystem::path("/tmp") : folder) / name).string();
}

} // namespace

OutputPagesFile::OutputPagesFile(int formatCode) : format_(formatCode), scratchPath_(ScratchPath(formatCode)) {
    // Pages are cached on disk beside the scratch file, not in memory: a long TIFF stays cheap.
    pages_ = FreeImage_OpenMultiBitmap(static_cast<FREE_IMAGE_FORMAT>(formatCode), scratchPath_.c_str(), TRUE,
                                       FALSE, FALSE, 0);
    if (!pages_)
        throw RenderError("Not enough memory for the frames of the output image");
}

OutputPagesFile::~OutputPagesFile() {
    if (pages_)
        FreeImage_CloseMultiBitmap(pages_, 0);
    std::error_code ignored;
    std::filesystem::remove(scratchPath_, ignored);
}

void OutputPagesFile::Append(FIBITMAP* page) {
    const int before = FreeImage_GetPageCount(pages_);
    FreeImage_AppendPage(pages_, page);
    if (FreeImage_GetPageCount(pages_) != before + 1)
        throw RenderError("Not enough memory for the frames of the output image");
}

void OutputPagesFile::WriteTo(const std::string& targetPath, int flags) {
    // Through the zero-filling memory file, as every output: the same pages give the same bytes.
    MemoryOutputStream memory;
    if (!FreeImage_SaveMultiBitmapToHandle(static_cast<FREE_IMAGE_FORMAT>(format_), pages_, memory.IO(),
                                           memory.Handle(), flags)) {
        throw RenderError("The image could not be encoded for " + targetPath);
    }
    WriteFileSafely(targetPath, memory.Bytes().data(), memory.Bytes().size());
}

} // namespace tessoly
