#include "cli/CliOptions.h"

#include <charconv>
#include <climits>
#include <functional>

#include "batch/PresetFile.h"
#include "cli/CliChoices.h"
#include "cli/Utf8.h"
#include "imageio/OutputFormat.h"

namespace tessoly::cli {

namespace {

[[noreturn]] void Refuse(const std::string& option, const std::string& what) {
    throw UsageError(option + ": " + what);
}

long long WholeNumber(const std::string& option, const std::string& value, long long low, long long high) {
    long long number = 0;
    const char* first = value.data();
    const char* last = first + value.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, number);
    const bool doubleSign = first != value.data() && first != last && *first == '-';
    if (value.empty() || error != std::errc() || end != last || doubleSign || number < low || number > high) {
        Refuse(option, "'" + value + "' is not a whole number from " + std::to_string(low) + " to " +
                           std::to_string(high));
    }
    return number;
}

int Int(const std::string& option, const std::string& value, int low, int high) {
    return static_cast<int>(WholeNumber(option, value, low, high));
}

//! A whole number with an optional "%" suffix (and for the picture scale "%w"): the suffix
//! measures it on the image instead of in the option's own unit.
int SizeValue(const std::string& option, const std::string& value, int low, int high, SizeUnit& unit,
              bool widthSuffix = false) {
    std::string number = value;
    unit = SizeUnit::Pixels;
    for (const char* suffix : {"%w", "%"}) {
        const std::string s = suffix;
        if ((s == "%" || widthSuffix) && number.size() > s.size() &&
            number.compare(number.size() - s.size(), s.size(), s) == 0) {
            number.erase(number.size() - s.size());
            unit = SizeUnit::PercentOfImage;
            break;
        }
    }
    return Int(option, number, low, high);
}

//! The value of the choice named by value; a usage error listing the shown spellings otherwise.
template <typename Value>
Value Choose(const std::string& option, const std::string& value, const std::vector<Choice<Value>>& choices) {
    const int found = FindChoice(choices, value);
    if (found >= 0)
        return choices[static_cast<std::size_t>(found)].value;
    std::string list;
    std::vector<std::string> plainWords;
    for (const auto& choice : choices) {
        list += (list.empty() ? "" : ", ") + choice.spellings.front();
        plainWords.push_back(PlainSpelling(choice.spellings.front()));
    }
    // Compared in their plain forms, so a missing "-" is no slip; shown as listed.
    const std::string nearest = NearestWord(PlainSpelling(value), plainWords);
    std::string shown;
    for (std::size_t i = 0; i < plainWords.size() && !nearest.empty(); ++i) {
        if (plainWords[i] == nearest && shown.empty())
            shown = choices[i].spellings.front();
    }
    Refuse(option, "'" + value + "' is not one of " + list +
                       (shown.empty() ? std::string() : "; did you mean " + shown + "?"));
}

TColor32 HexColour(const std::string& option, const std::string& value) {
    std::string digits = value;
    if (!digits.empty() && digits[0] == '#')
        digits.erase(0, 1);
    unsigned rgb = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), rgb, 16);
    if (digits.size() != 6 || error != std::errc() || end != digits.data() + digits.size()) {
        Refuse(option, "'" + value + "' is not a colour RRGGBB");
    }
    return 0xFF000000u | rgb;
}

//! The slider step nearest to a percentage 0..100 (2 % a step), halves to the even step.
int OpacityStepOfPercent(int percent) {
    const int step = percent / 2;
    return (percent % 2 == 1 && step % 2 == 1) ? step + 1 : step;
}

const std::vector<Choice<std::string>>& ModeChoices() {
    static const std::vector<Choice<std::string>> choices = {{kModeText, {"text"}},
                                                             {kModeImage, {"image", "picture"}}};
    return choices;
}

const std::vector<Choice<WatermarkPosition>>& PositionChoices() {
    using P = WatermarkPosition;
    static const std::vector<Choice<WatermarkPosition>> choices = {
        {P::TopLeft, {"top-left"}},         {P::TopCenter, {"top-center", "top-centre", "top"}},
        {P::TopRight, {"top-right"}},       {P::Left, {"left"}},
        {P::Center, {"center", "centre"}},  {P::Right, {"right"}},
        {P::BottomLeft, {"bottom-left"}},   {P::Bottom, {"bottom", "bottom-center", "bottom-centre"}},
        {P::BottomRight, {"bottom-right"}},
    };
    return choices;
}

//! The format box's entries, each known by its name (shown in lower case) and, for a format, by
//! its extension: "JPEG-2000" is also "jpeg2000" and "jp2", "TIFF" also "tif".
const std::vector<Choice<std::string>>& FormatChoices() {
    static const std::vector<Choice<std::string>> choices = [] {
        std::vector<Choice<std::string>> list;
        for (const std::string name : OutputFormatChoices) {
            std::string shown = name;
            for (char& c : shown)
                c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            Choice<std::string> choice{name, {shown}};
            if (name != "Unchanged")
                choice.spellings.push_back(std::string(SelectOutputFormat(name, 80).extension).substr(1));
            list.push_back(choice);
        }
        return list;
    }();
    return choices;
}

const std::vector<Choice<std::string>>& ColourModeChoices() {
    static const std::vector<Choice<std::string>> choices = {
        {"RGB", {"rgb"}}, {"Greyscale", {"greyscale"}}, {"Monochrome", {"monochrome"}}};
    return choices;
}

const std::vector<Choice<std::string>>& RotationChoices() {
    // The window's texts reduce to these spellings: "90° CW" is "90cw".
    static const std::vector<Choice<std::string>> choices = {{kRotationNone, {"none"}},
                                                             {kRotation90CW, {"90cw"}},
                                                             {kRotation90CCW, {"90ccw"}},
                                                             {kRotation180, {"180"}}};
    return choices;
}

const std::vector<Choice<ExistingFilePolicy>>& PolicyChoices() {
    static const std::vector<Choice<ExistingFilePolicy>> choices = {
        {ExistingFilePolicy::Skip, {"skip"}},
        {ExistingFilePolicy::Rename, {"rename"}},
        {ExistingFilePolicy::Overwrite, {"overwrite"}}};
    return choices;
}

//! "unchanged (default), bmp, ..." and the extensions that differ from the names.
std::string FormatHelp() {
    std::string names, extensions;
    for (const auto& choice : FormatChoices()) {
        names += (names.empty() ? "" : ", ") + choice.spellings.front();
        if (choice.value == OutputSettings{}.formatChoice)
            names += " (default)";
        for (std::size_t i = 1; i < choice.spellings.size(); ++i) {
            if (choice.spellings[i] != choice.spellings.front())
                extensions += (extensions.empty() ? "" : ", ") + choice.spellings[i];
        }
    }
    return names + (extensions.empty() ? "" : "\n(also " + extensions + ")");
}

//! What a handler is given.
struct Given {
    const std::string& option;
    //! The value of a Value row; empty otherwise.
    const std::string& value;
    //! For a Toggle row: the plain form (true) or its "--no-" form (false).
    bool on;
};

enum class Kind {
    //! A heading of --help; no option.
    Section,
    //! Takes a value: "--name VALUE" or "--name=VALUE".
    Value,
    //! A switch without a value.
    Switch,
    //! A switch with its "--no-" opposite.
    Toggle,
};

//! One row of the option table: its names, its line in --help and what it sets.
struct OptionRow {
    Kind kind;
    //! "--name"; for a Section, the heading.
    const char* name;
    //! "-r" or nullptr.
    const char* shortName;
    //! The value's placeholder in --help ("0..100"), for a Value row.
    const char* valueName;
    std::string help;
    std::function<void(CliOptions&, const Given&)> apply;
};

// Options are applied from left to right, so a later option overrides an earlier one. A row
// that fills whole records at once (a saved settings file) belongs at the top of its section, and
// the options after it on the command line refine what it set.
const std::vector<OptionRow>& OptionTable() {
    static const std::vector<OptionRow> table = {
        {Kind::Section, "Presets:", nullptr, nullptr, "", {}},
        {Kind::Value, "--preset", nullptr, "FILE",
         "every setting from a .tessoly-preset file saved by the window;\n"
         "options after it override its values, options before it are\nreplaced by it",
         [](CliOptions& o, const Given& g) {
             PresetSettings preset;
             const PresetLoad load = LoadPresetFile(g.value, preset);
             if (!load.ok)
                 throw UsageError(load.error);
             o.watermark = preset.watermark;
             o.output = preset.output;
             o.warnings.insert(o.warnings.end(), load.warnings.begin(), load.warnings.end());
         }},

        {Kind::Section, "Watermark:", nullptr, nullptr, "", {}},
        {Kind::Value, "--mode", nullptr, "text|image", "text (default) or picture watermark",
         [](CliOptions& o, const Given& g) { o.watermark.mode = Choose(g.option, g.value, ModeChoices()); }},
        {Kind::Value, "--caption", nullptr, "TEXT", "text to draw (default \"\u00A9 Tessoly\")",
         [](CliOptions& o, const Given& g) {
             const auto caption = Utf8ToUtf16(g.value);
             if (!caption)
                 Refuse(g.option, "the text is not valid UTF-8");
             o.watermark.caption = *caption;
         }},
        {Kind::Value, "--font-name", nullptr, "NAME", "font face (default Arial)",
         [](CliOptions& o, const Given& g) { o.watermark.fontName = g.value; }},
        {Kind::Value, "--font-size", nullptr, "POINTS|N%",
         "size at 96 DPI (default 60); N% makes the caption's ink\nN % of the image's shorter side high",
         [](CliOptions& o, const Given& g) {
             SizeUnit unit = SizeUnit::Pixels;
             const int size = SizeValue(g.option, g.value, 1, 10000, unit);
             if (unit == SizeUnit::PercentOfImage && size > 100)
                 Refuse(g.option, "'" + g.value + "' is more than 100 % of the image");
             o.watermark.fontSize = size;
             o.watermark.fontSizeUnit = unit;
         }},
        {Kind::Toggle, "--bold", nullptr, nullptr, "(default bold)",
         [](CliOptions& o, const Given& g) { o.watermark.bold = g.on; }},
        {Kind::Toggle, "--italic", nullptr, nullptr, "(default not italic)",
         [](CliOptions& o, const Given& g) { o.watermark.italic = g.on; }},
        {Kind::Toggle, "--outline", nullptr, nullptr, "black outline (default on)",
         [](CliOptions& o, const Given& g) { o.watermark.outline = g.on; }},
        {Kind::Toggle, "--effect-3d", nullptr, nullptr, "emboss and drop shadow (default on)",
         [](CliOptions& o, const Given& g) { o.watermark.effect3D = g.on; }},
        {Kind::Value, "--text-colour", nullptr, "RRGGBB", "(default FFFFFF)",
         [](CliOptions& o, const Given& g) { o.watermark.textColour = HexColour(g.option, g.value); }},
        {Kind::Value, "--opacity", nullptr, "0..100",
         "percent, taken to the window's nearest 2 % step (default 60)",
         [](CliOptions& o, const Given& g) {
             std::string number = g.value;
             if (!number.empty() && number.back() == '%')
                 number.pop_back();
             o.watermark.opacityPosition = OpacityStepOfPercent(Int(g.option, number, 0, 100));
         }},
        {Kind::Value, "--text-angle", nullptr, "-180..180", "degrees counter-clockwise (default 0)",
         [](CliOptions& o, const Given& g) { o.watermark.textAngle = Int(g.option, g.value, -180, 180); }},
        {Kind::Value, "--position", nullptr, "NAME",
         "top-left, top-center, top-right, left, center, right,\n"
         "bottom-left, bottom, bottom-right (default center)",
         [](CliOptions& o, const Given& g) {
             o.watermark.position = Choose(g.option, g.value, PositionChoices());
         }},
        {Kind::Value, "--h-margin", nullptr, "PIXELS|N%",
         "from the left or right edge (default 30);\nN% is a share of the image's width",
         [](CliOptions& o, const Given& g) {
             o.watermark.hMargin = SizeValue(g.option, g.value, -1000000, 1000000, o.watermark.hMarginUnit);
         }},
        {Kind::Value, "--v-margin", nullptr, "PIXELS|N%",
         "from the top or bottom edge (default 30);\nN% is a share of the image's height",
         [](CliOptions& o, const Given& g) {
             o.watermark.vMargin = SizeValue(g.option, g.value, -1000000, 1000000, o.watermark.vMarginUnit);
         }},
        {Kind::Value, "--picture-path", nullptr, "FILE", "picture of the image watermark",
         [](CliOptions& o, const Given& g) { o.watermark.picturePath = g.value; }},
        {Kind::Toggle, "--transparent-edges", nullptr, nullptr, "key out the picture's corner colour",
         [](CliOptions& o, const Given& g) { o.watermark.transparentEdges = g.on; }},
        {Kind::Value, "--image-scale", nullptr, "PERCENT|N%|N%w",
         "percent of the picture (default 100; 0 or less draws nothing);\n"
         "N% or N%w makes the picture N % of the image's width wide",
         [](CliOptions& o, const Given& g) {
             // Any whole number the scale box keeps is taken.
             const int scale = SizeValue(g.option, g.value, INT_MIN, INT_MAX, o.watermark.imageScaleUnit, true);
             o.watermark.imageScaleText =
                 o.watermark.imageScaleUnit == SizeUnit::Pixels ? g.value : std::to_string(scale);
         }},
        {Kind::Toggle, "--tile", nullptr, nullptr,
         "repeat the mark across the whole image, the grid centred on\nthe placed mark (default off)",
         [](CliOptions& o, const Given& g) { o.watermark.tile = g.on; }},
        {Kind::Value, "--tile-spacing", nullptr, "0..1000",
         "gap between repeated marks, percent of the mark's size\n(default 50)",
         [](CliOptions& o, const Given& g) { o.watermark.tileSpacing = Int(g.option, g.value, 0, 1000); }},
        {Kind::Value, "--image-rotation", nullptr, "0..4",
         "quarter turns: 0 = -180, 2 = none, 4 = 180 degrees (default 2)",
         [](CliOptions& o, const Given& g) {
             o.watermark.imageRotationPosition = Int(g.option, g.value, 0, 4);
         }},

        {Kind::Section, "Output:", nullptr, nullptr, "", {}},
        {Kind::Value, "--format", nullptr, "NAME", FormatHelp(),
         [](CliOptions& o, const Given& g) {
             o.output.formatChoice = Choose(g.option, g.value, FormatChoices());
         }},
        {Kind::Value, "--resolution", nullptr, "DPI|Src", "(default Src: as the source)",
         [](CliOptions& o, const Given& g) { o.output.resolutionChoice = g.value; }},
        {Kind::Value, "--colour-mode", nullptr, "NAME", "rgb (default), greyscale, monochrome",
         [](CliOptions& o, const Given& g) {
             o.output.colourMode = Choose(g.option, g.value, ColourModeChoices());
         }},
        {Kind::Value, "--jpeg-quality", nullptr, "1..100", "(default 80; also sets the JPEG-2000 rate)",
         [](CliOptions& o, const Given& g) { o.output.jpegQuality = Int(g.option, g.value, 1, 100); }},
        {Kind::Toggle, "--keep-metadata", nullptr, nullptr, "copy Exif, IPTC and resolution (default on)",
         [](CliOptions& o, const Given& g) { o.output.keepMetadata = g.on; }},
        {Kind::Toggle, "--auto-orient", nullptr, nullptr,
         "turn each photo upright by its Exif orientation\nbefore marking it (default on)",
         [](CliOptions& o, const Given& g) { o.output.applyExifOrientation = g.on; }},
        {Kind::Value, "--rotation", nullptr, "NAME", "none (default), 90cw, 90ccw, 180",
         [](CliOptions& o, const Given& g) {
             o.output.rotation = Choose(g.option, g.value, RotationChoices());
         }},
        {Kind::Toggle, "--resize", nullptr, nullptr, "(default off)",
         [](CliOptions& o, const Given& g) { o.output.resize = g.on; }},
        {Kind::Value, "--width", nullptr, "PIXELS", "(default 800)",
         [](CliOptions& o, const Given& g) { o.output.widthText = g.value; }},
        {Kind::Value, "--height", nullptr, "PIXELS", "(default 0)",
         [](CliOptions& o, const Given& g) { o.output.heightText = g.value; }},
        {Kind::Toggle, "--proportional", nullptr, nullptr,
         "keep the aspect ratio; 0 marks the side to compute (default on)",
         [](CliOptions& o, const Given& g) { o.output.proportional = g.on; }},
        {Kind::Value, "--output-folder", "-o", "FOLDER", "made when missing (default: next to each source)",
         [](CliOptions& o, const Given& g) { o.output.outputFolder = g.value; }},
        {Kind::Switch, "--keep-folders", nullptr, nullptr,
         "mirror each source's sub-folder under the output folder",
         [](CliOptions& o, const Given&) { o.keepFolders = true; }},
        {Kind::Value, "--existing", nullptr, "NAME",
         "skip (default), rename, overwrite: when the target exists",
         [](CliOptions& o, const Given& g) {
             o.output.existingFilePolicy = Choose(g.option, g.value, PolicyChoices());
         }},

        {Kind::Section, "Images:", nullptr, nullptr, "", {}},
        {Kind::Switch, "--recursive", "-r", nullptr, "folders give their sub-folders' images too",
         [](CliOptions& o, const Given&) { o.recursive = true; }},
        {Kind::Value, "--files-from", nullptr, "FILE", "more paths, one a line (- for stdin)",
         [](CliOptions& o, const Given& g) { o.fileLists.push_back(g.value); }},
        {Kind::Switch, "--null", "-0", nullptr, "the lists separate paths by NUL (find -print0)",
         [](CliOptions& o, const Given&) { o.nulSeparated = true; }},
        {Kind::Value, "--shard", nullptr, "K/N", "only the items at positions K-1 modulo N of the list",
         [](CliOptions& o, const Given& g) {
             const std::size_t slash = g.value.find('/');
             if (slash == std::string::npos)
                 Refuse(g.option, "'" + g.value + "' is not K/N, such as 1/4");
             o.shardCount = Int(g.option, g.value.substr(slash + 1), 1, INT_MAX);
             o.shardIndex = Int(g.option, g.value.substr(0, slash), 1, o.shardCount);
         }},

        {Kind::Section, "Run:", nullptr, nullptr, "", {}},
        {Kind::Value, "--jobs", "-j", "N", "images processed at once (default: one per core)",
         [](CliOptions& o, const Given& g) { o.jobs = Int(g.option, g.value, 1, 256); }},
        {Kind::Switch, "--dry-run", "-n", nullptr, "list each target and what would happen; write nothing",
         [](CliOptions& o, const Given&) { o.dryRun = true; }},
        {Kind::Switch, "--json", nullptr, nullptr, "one JSON object per image instead of the tab line",
         [](CliOptions& o, const Given&) { o.json = true; }},
        {Kind::Switch, "--help", "-h", nullptr, "this text",
         [](CliOptions& o, const Given&) { o.help = true; }},
    };
    return table;
}

//! The row named by name (long, "--no-" form of a toggle, or short); on is false for "--no-".
const OptionRow* FindRow(const std::string& name, bool& on) {
    for (const OptionRow& row : OptionTable()) {
        if (row.kind == Kind::Section)
            continue;
        on = true;
        if (name == row.name || (row.shortName && name == row.shortName))
            return &row;
        if (row.kind == Kind::Toggle && name == "--no-" + std::string(row.name + 2)) {
            on = false;
            return &row;
        }
    }
    return nullptr;
}

//! Every name an option is known by, for the nearest-name suggestion.
std::vector<std::string> AllNames() {
    std::vector<std::string> names;
    for (const OptionRow& row : OptionTable()) {
        if (row.kind == Kind::Section)
            continue;
        names.emplace_back(row.name);
        if (row.kind == Kind::Toggle)
            names.push_back("--no-" + std::string(row.name + 2));
    }
    return names;
}

} // namespace

CliOptions ParseCommandLine(const std::vector<std::string>& args) {
    CliOptions options;
    bool onlyPaths = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (onlyPaths || arg.size() < 2 || arg[0] != '-') {
            options.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyPaths = true;
            continue;
        }
        const bool isLong = arg[1] == '-';
        const std::size_t equals = isLong ? arg.find('=') : std::string::npos;
        const std::string name = arg.substr(0, equals);
        bool on = true;
        const OptionRow* row = FindRow(name, on);
        if (!row) {
            const std::string nearest = NearestWord(name, AllNames());
            throw UsageError("unknown option " + name +
                             (nearest.empty() ? std::string() : "; did you mean " + nearest + "?"));
        }
        if (row->kind != Kind::Value) {
            if (equals != std::string::npos)
                Refuse(name, "takes no value");
            const std::string none;
            row->apply(options, Given{name, none, on});
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            Refuse(name, "needs a value");
        }
        row->apply(options, Given{name, value, true});
    }
    if (options.help)
        return options;
    if (options.paths.empty() && options.fileLists.empty())
        throw UsageError("no image file or folder given");
    if (options.keepFolders && options.output.outputFolder.empty())
        throw UsageError("--keep-folders: needs --output-folder");
    return options;
}

std::vector<std::string> OptionNames() {
    return AllNames();
}

std::string UsageText() {
    std::string text = R"(Usage: tessoly-cli [OPTIONS] PATH...

Stamps one watermark on every image given, as the window's batch does. A PATH is an image
file or a folder (its images grouped by extension; with -r those of its sub-folders too).
Prints one line per image on stdout: STATUS<TAB>source<TAB>target, STATUS being Successful,
Unsuccessful or Skipped. Exit status: 0 all written, 1 any failed or skipped, 2 bad usage.
Names of values (position, format, rotation...) may be given in any letter case.
)";
    constexpr std::size_t column = 33;
    for (const OptionRow& row : OptionTable()) {
        if (row.kind == Kind::Section) {
            text += std::string("\n") + row.name + "\n";
            continue;
        }
        std::string names = "  ";
        if (row.shortName)
            names += std::string(row.shortName) + ", ";
        names += row.name;
        if (row.kind == Kind::Value)
            names += std::string(" ") + row.valueName;
        if (row.kind == Kind::Toggle)
            names += ", --no-" + std::string(row.name + 2);
        const std::string& help = row.help;
        std::string indent(column, ' ');
        if (names.size() + 1 > column) {
            text += names + "\n" + indent;
        } else {
            text += names + std::string(column - names.size(), ' ');
        }
        for (char c : help) {
            text += c;
            if (c == '\n')
                text += indent;
        }
        text += "\n";
    }
    text += "\nSizes in percent are measured on each image as written: with --resize the mark is drawn on\n"
            "the resized image (before --rotation), so it is sharp at its final size.\n";
    return text;
}

} // namespace tessoly::cli
