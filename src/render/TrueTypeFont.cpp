// The font object keeps one FreeType face open for the current face name, size and style and
// replaces it only when one of them changes, so a render asks FreeType for outlines only.
// A new face name is tried before it is taken: its file must open and give an outline for "!"
// at the current size and style, otherwise the previous face, file and name stay as they were.

#include "render/TrueTypeFont.h"

#include <cstdlib>

#include <QString>

#include "render/TrueTypeFontImpl.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

namespace {

FT_Face OpenFace(FT_Library library, const FontFileMatch& match, int pixelHeight) {
    if (library == nullptr || match.path.empty())
        return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(library, match.path.c_str(), match.faceIndex, &face) != 0)
        return nullptr;
    if (!FT_IS_SCALABLE(face) || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight)) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    return face;
}

//! The probe of a new face: "!" must load as an outline at the current size and style.
bool GivesOutline(FT_Face face) {
    const FT_UInt index = FT_Get_Char_Index(face, 33);
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
        return false;
    return face->glyph->format == FT_GLYPH_FORMAT_OUTLINE;
}

int ClampPixelHeight(int pixels) {
    // Negative sizes (typed into the spin edit) mean the same height; 0 still draws something.
    const long long h = std::llabs(static_cast<long long>(pixels));
    if (h < 1)
        return 1;
    return h > TTrueTypeFont::kMaxPixelHeight ? TTrueTypeFont::kMaxPixelHeight : static_cast<int>(h);
}

//! Opens family in the given style; on success the new face replaces the current one.
bool TakeFace(TTrueTypeFont::Impl& f, const std::string& family, bool bold, bool italic,
              bool acceptFallback) {
    FontFileMatch match;
    if (!MatchFontFile(family, bold, italic, acceptFallback, match))
        return false;
    FT_Face face = OpenFace(f.library, match, f.pixelHeight);
    if (face == nullptr)
        return false;
    if (!GivesOutline(face)) {
        FT_Done_Face(face);
        return false;
    }
    if (f.face != nullptr)
        FT_Done_Face(f.face);
    f.face = face;
    f.file = match;
    return true;
}

} // namespace

TTrueTypeFont::TTrueTypeFont() : impl_(std::make_unique<Impl>()) {
    if (FT_Init_FreeType(&impl_->library) != 0) {
        impl_->library = nullptr;
        return;
    }
    if (!TakeFace(*impl_, impl_->faceName, false, false, false)) {
        TakeFace(*impl_, impl_->faceName, false, false, true);
    }
}

TTrueTypeFont::~TTrueTypeFont() {
    if (impl_->face != nullptr)
        FT_Done_Face(impl_->face);
    if (impl_->library != nullptr)
        FT_Done_FreeType(impl_->library);
}

void TTrueTypeFont::ApplyFontSettings(const std::string& fontName, int fontSize, bool bold, bool italic,
                                      int screenDpi) {
    Impl& f = *impl_;
    if (QString::fromStdString(fontName).compare(QString::fromStdString(f.faceName), Qt::CaseInsensitive) !=
        0) {
        if (TakeFace(f, fontName, f.bold, f.italic, false))
            f.faceName = fontName;
    }

    SetPixelHeight(FontPixelHeight(fontSize, screenDpi));

    if (bold != f.bold || italic != f.italic) {
        f.bold = bold;
        f.italic = italic;
        if (!TakeFace(f, f.faceName, bold, italic, false)) {
            // The family has no file for this style that loads: synthesise it on the face in use.
            const bool faceBold = f.face != nullptr && (f.face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
            const bool faceItalic = f.face != nullptr && (f.face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
            f.file.syntheticBold = bold && !faceBold;
            f.file.syntheticItalic = italic && !faceItalic;
        }
    }
}

void TTrueTypeFont::SetPixelHeight(int pixels) {
    Impl& f = *impl_;
    const int pixelHeight = ClampPixelHeight(pixels);
    if (pixelHeight != f.pixelHeight) {
        f.pixelHeight = pixelHeight;
        if (f.face != nullptr)
            FT_Set_Pixel_Sizes(f.face, 0, static_cast<FT_UInt>(pixelHeight));
    }
}

const std::string& TTrueTypeFont::FaceName() const {
    return impl_->faceName;
}
int TTrueTypeFont::PixelHeight() const {
    return impl_->pixelHeight;
}
bool TTrueTypeFont::Bold() const {
    return impl_->bold;
}
bool TTrueTypeFont::Italic() const {
    return impl_->italic;
}
const std::string& TTrueTypeFont::FilePath() const {
    return impl_->file.path;
}

} // namespace tessoly
