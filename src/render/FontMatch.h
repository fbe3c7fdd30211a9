#pragma once
// Face name and style to font file, through fontconfig.

#include <string>

namespace tessoly {

//! The font file fontconfig chose, and which styles FreeType has to synthesise on it.
struct FontFileMatch {
    std::string path;
    int faceIndex = 0;
    bool syntheticBold = false;
    bool syntheticItalic = false;
};

//! Resolves family + style to a file. With acceptFallback false, only a face of that family, or of
//! a family fontconfig binds strongly to it (the metric aliases: "Arial" gives Liberation Sans),
//! is accepted; the generic fallback fontconfig substitutes for an unknown name is refused.
bool MatchFontFile(const std::string& family, bool bold, bool italic, bool acceptFallback,
                   FontFileMatch& match);

} // namespace tessoly
