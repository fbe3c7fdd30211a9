// fontconfig always answers with some font, so refusing a name is our job: after configuration
// substitution the pattern lists the requested family and the families bound strongly to it
// (metric-compatible aliases); the generic fallbacks come with weak bindings. A match whose family
// is not among the strong ones is a substitute and is refused.
//
// fontconfig's default configuration is shared by the whole process; fontconfig locks it itself,
// so calls from several threads are safe.

#include "render/FontMatch.h"

#include <memory>
#include <vector>

#include <QString>

#include <fontconfig/fontconfig.h>

namespace tessoly {

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

bool SameFamily(const char* a, const std::string& b) {
    return QString::fromUtf8(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

std::vector<std::string> StrongFamilies(FcPattern* pattern) {
    std::vector<std::string> names;
    FcValue value;
    FcValueBinding binding;
    for (int i = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, i, &value, &binding) == FcResultMatch; ++i) {
        if (value.type == FcTypeString && binding != FcValueBindingWeak) {
            names.emplace_back(reinterpret_cast<const char*>(value.u.s));
        }
    }
    return names;
}

bool HasFamilyIn(FcPattern* font, const std::vector<std::string>& names) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        for (const std::string& name : names) {
            if (SameFamily(reinterpret_cast<const char*>(family), name))
                return true;
        }
    }
    return false;
}

} // namespace

bool MatchFontFile(const std::string& family, bool bold, bool italic, bool acceptFallback,
                   FontFileMatch& match) {
    if (family.empty() || !FcInit())
        return false;
    PatternPtr pattern(FcPatternCreate());
    if (!pattern)
        return false;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (!FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern))
        return false;
    FcDefaultSubstitute(pattern.get());
    const std::vector<std::string> accepted = StrongFamilies(pattern.get());

    FcResult result = FcResultNoMatch;
    PatternPtr font(FcFontMatch(nullptr, pattern.get(), &result));
    if (!font || result != FcResultMatch)
        return false;
    if (!acceptFallback && !HasFamilyIn(font.get(), accepted))
        return false;

    FcChar8* file = nullptr;
    if (FcPatternGetString(font.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr)
        return false;
    int index = 0;
    FcPatternGetInteger(font.get(), FC_INDEX, 0, &index);
    int weight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(font.get(), FC_WEIGHT, 0, &weight);
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(font.get(), FC_SLANT, 0, &slant);

    match.path = reinterpret_cast<const char*>(file);
    match.faceIndex = index;
    // The configuration's synthetic-style rules (if any) rewrite weight and slant to the requested
    // ones and mark the font for emboldening or shearing instead.
    FcBool embolden = FcFalse;
    FcPatternGetBool(font.get(), FC_EMBOLDEN, 0, &embolden);
    FcMatrix* matrix = nullptr;
    const bool sheared = FcPatternGetMatrix(font.get(), FC_MATRIX, 0, &matrix) == FcResultMatch &&
                         matrix != nullptr && matrix->xy != 0;
    match.syntheticBold = bold && (embolden || weight < FC_WEIGHT_DEMIBOLD);
    match.syntheticItalic = italic && (sheared || slant == FC_SLANT_ROMAN);
    return true;
}

} // namespace tessoly

#if defined(__SANITIZE_ADDRESS__)
// fontconfig keeps its default configuration until the process ends (about 300 bytes, once);
// LeakSanitizer would fail every sanitizer run of a program that draws text. Any other leak
// still reports.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif
