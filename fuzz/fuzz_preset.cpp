// Preset reading on arbitrary bytes: refused or read, never a crash; what is read writes back to
// a text that reads again to the same settings.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "batch/PresetFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessoly;
    const std::string text(reinterpret_cast<const char*>(data), size);
    PresetSettings settings;
    const PresetLoad load = ReadPresetText(text, "/fuzz/input.tessoly-preset", settings);
    if (!load.ok)
        return 0;
    const std::string written = PresetText(settings, "/fuzz/input.tessoly-preset");
    PresetSettings again;
    if (!ReadPresetText(written, "/fuzz/input.tessoly-preset", again).ok ||
        PresetText(again, "/fuzz/input.tessoly-preset") != written)
        std::abort();
    return 0;
}
