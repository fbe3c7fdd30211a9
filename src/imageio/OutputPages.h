#pragma once
// A multi-page output (GIF animation, multi-page TIFF) assembled page by page through FreeImage's
// multi-page API, then encoded in memory and written safely like every output. FreeImage's
// multi-page writer needs a file of its own: it lives in the temp folder and is removed at once.

#include <string>

struct FIMULTIBITMAP;
struct FIBITMAP;

namespace tessoly {

class OutputPagesFile {
public:
    //! Starts an empty multi-page image of formatCode (FIF_GIF or FIF_TIFF). Throws RenderError
    //! when the library cannot make one.
    explicit OutputPagesFile(int formatCode);
    ~OutputPagesFile();
    OutputPagesFile(const OutputPagesFile&) = delete;
    OutputPagesFile& operator=(const OutputPagesFile&) = delete;

    //! Appends a copy of page (8-bit palette for GIF). Throws RenderError.
    void Append(FIBITMAP* page);
    //! Encodes every page and replaces targetPath with the result (WriteFileSafely). Throws
    //! RenderError with the user's text.
    void WriteTo(const std::string& targetPath, int flags);

private:
    int format_;
    std::string scratchPath_;
    FIMULTIBITMAP* pages_ = nullptr;
};

} // namespace tessoly
