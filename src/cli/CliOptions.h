#pragma once
// The command line of tessoly-cli: one option per settings field, named after the field in kebab
// case, each defaulting to the field's default, plus the options of the run itself (which images,
// how results are reported, which share of the list this process takes). Enumerated values are
// taken in any letter case and in plain spellings ("bottom-right", "png", "90cw") as well as the
// window's own texts; a value the window could never hold is a usage error naming the option.

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
    //! Files listing more paths ("-" is stdin), read after the PATH arguments, in the order given.
    std::vector<std::string> fileLists;
    //! The lists separate their paths by NUL (find -print0) instead of by line.
    bool nulSeparated = false;
    //! Folders give the images of their sub-folders too.
    bool recursive = false;
    //! Each output goes into the output folder's copy of its source's sub-folder.
    bool keepFolders = false;
    //! One JSON object per image on stdout instead of the tab line.
    bool json = false;
    //! Report what each image would get; write nothing, decode nothing.
    bool dryRun = false;
    //! This process takes the items at positions shardIndex - 1 modulo shardCount (1-based index).
    int shardIndex = 1;
    int shardCount = 1;
    bool help = false;
    //! Notes for stderr that do not stop the run (unknown keys of a preset).
    std::vector<std::string> warnings;
};

//! Parses the arguments after the program name. Throws UsageError.
CliOptions ParseCommandLine(const std::vector<std::string>& args);

//! The --help text.
std::string UsageText();

//! The long option names, "--opacity" and so on, each once, in the order of --help.
std::vector<std::string> OptionNames();

} // namespace tessoly::cli
