#pragma once
// Presets: every watermark and output setting in one small JSON text file (".tessoly-preset")
// with a format version, shared by the window and tessoly-cli. One table row per settings field
// gives its key, how it is written and the values a control can take; a field joins the format
// by one row. The picture is stored relative to the preset when it sits in the preset's folder
// (or below it), so a folder of preset and picture can be moved as a whole.

#include <string>
#include <vector>

#include "imageio/OutputSettings.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! The file extension, without the dot.
inline constexpr const char* kPresetExtension = "tessoly-preset";
//! The format version written; files of a later version are refused.
inline constexpr int kPresetFormatVersion = 1;

//! Everything a preset holds.
struct PresetSettings {
    WatermarkSettings watermark;
    OutputSettings output;
};

//! What reading a preset gave.
struct PresetLoad {
    bool ok = false;
    //! Why the preset was refused, naming the file and, where one is at fault, the key.
    std::string error;
    //! Keys the format does not know, ignored: one line each, naming the file and the key.
    std::vector<std::string> warnings;
};

//! The preset text of settings, for a file at presetPath (which decides the picture's path).
std::string PresetText(const PresetSettings& settings, const std::string& presetPath);

//! Writes the preset file, replacing an existing one only once the new one is complete. Throws
//! RenderError with the user's text on failure.
void SavePresetFile(const std::string& path, const PresetSettings& settings);

//! Reads a preset from its text onto settings. settings changes only when the whole preset is
//! valid; keys missing from the file take their defaults.
PresetLoad ReadPresetText(const std::string& text, const std::string& presetPath, PresetSettings& settings);

//! Reads the preset file onto settings, as ReadPresetText; a file that cannot be read is refused.
PresetLoad LoadPresetFile(const std::string& path, PresetSettings& settings);

} // namespace tessoly
