#pragma once
// TTrueTypeFont: the shared font object. Resolves a face name and style to a font file through
// fontconfig and hands out unhinted glyph outlines from FreeType at a pixel em height.
// Not thread-safe: one object per thread (the window has one, each tessoly-cli worker its own).

#include <memory>
#include <string>

namespace tessoly {

class TTrueTypeFont {
public:
    //! Largest em height [pixels]: keeps every glyph coordinate well inside the 16.16 range.
    static constexpr int kMaxPixelHeight = 4096;

    //! Starts as "Arial", 18 pixels, regular. Without any Arial-compatible face installed, the
    //! face fontconfig substitutes is used, so text still draws.
    TTrueTypeFont();
    ~TTrueTypeFont();
    TTrueTypeFont(const TTrueTypeFont&) = delete;
    TTrueTypeFont& operator=(const TTrueTypeFont&) = delete;

    //! Sets face, size [points, at screenDpi] and style. A face that cannot give the outline of
    //! "!" is refused silently and the previous face stays. A name equal to the current one
    //! ignoring case changes nothing.
    void ApplyFontSettings(const std::string& fontName, int fontSize, bool bold, bool italic,
                           int screenDpi = 96);

    //! Sets the em height [pixels] directly, clamped to 1..kMaxPixelHeight; for sizes that come
    //! from the image rather than from points.
    void SetPixelHeight(int pixels);
    const std::string& FaceName() const;
    //! Em height [pixels], 1..kMaxPixelHeight.
    int PixelHeight() const;
    bool Bold() const;
    bool Italic() const;
    //! The font file in use (empty when no face could be opened at all).
    const std::string& FilePath() const;

    struct Impl;
    Impl& impl() { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace tessoly
