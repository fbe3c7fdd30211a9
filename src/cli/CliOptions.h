#pragma once
// The command line of tessoly-cli: one option per settings field, named after the field in kebab
// case, each defaulting to the field's default. Texts are taken as the window's controls would
// hold them (a typed "png" format is JPEG, a resolution of letters fails each image); a value the
// window could never hold (opacity 70, an unknown position) is a usage error naming the option.

#include <stdexcept>
#include <string>
#include <vector>

#include "imageio/OutputSettings.h"
#include "render/WatermarkSettings.h"

namespace tessoly::cli {

//! Bad usage; the message names the option.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

struct CliOptions {
    WatermarkSettings watermark;
    OutputSettings output;
    //! Worker threads; 0 means one per core.
    int jobs = 0;
    //! Image files and folders, in the order given.
    std::vector<std::string> paths;
    bool help = false;
    //! Notes for stderr that do not stop the run (unknown keys of a preset).
    std::vector<std::string> warnings;
};

//! Parses the arguments after the program name. Throws UsageError.
CliOptions ParseCommandLine(const std::vector<std::string>& args);

//! The --help text.
std::string UsageText();

} // namespace tessoly::cli
