#pragma once
// The FreeType side of TTrueTypeFont, shared by the font object and the glyph source.

#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "render/FontMatch.h"
#include "render/TrueTypeFont.h"

namespace tessoly {

struct TTrueTypeFont::Impl {
    //! One library per font object: FreeType libraries must not be shared between threads.
    FT_Library library = nullptr;
    //! The open face at pixelHeight, or null when none could be opened.
    FT_Face face = nullptr;
    //! The file behind face and the styles to synthesise on it.
    FontFileMatch file;
    std::string faceName = "Arial";
    //! Em height [pixels].
    int pixelHeight = 18;
    bool bold = false;
    bool italic = false;
};

} // namespace tessoly
