#include "cli/CliOptions.h"

#include <charconv>
#include <functional>
#include <map>

#include "cli/Utf8.h"

namespace tessoly::cli {

namespace {

[[noreturn]] void Refuse(const std::string& option, const std::string& what) {
    throw UsageError(option + ": " + what);
}

int WholeNumber(const std::string& option, const std::string& value, long long low, long long high) {
    long long number = 0;
    const char* first = value.data();
    const char* last = first + value.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, number);
    if (value.empty() || error != std::errc() || end != last || number < low || number > high) {
        Refuse(option, "'" + value + "' is not a whole number from " + std::to_string(low) + " to " +
                           std::to_string(high));
    }
    return static_cast<int>(number);
}

std::string OneOf(const std::string& option, const std::string& value,
                  std::initializer_list<const char*> allowed) {
    std::string list;
    for (const char* text : allowed) {
        if (value == text)
            return value;
        list += (list.empty() ? "" : ", ") + std::string("\"") + text + "\"";
    }
    Refuse(option, "'" + value + "' is not one of " + list);
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

//! An option that takes a value.
using ValueHandler = std::function<void(CliOptions&, const std::string& option, const std::string& value)>;
//! A switch without a value.
using SwitchHandler = std::function<void(CliOptions&)>;

const std::map<std::string, ValueHandler>& ValueOptions() {
    static const std::map<std::string, ValueHandler> options = {
        {"--mode",
         [](CliOptions& o, const std::string& n, const std::string& v) {
             o.watermark.mode = OneOf(n, v, {"text", "image"});
         }},
        {"--caption",
         [](CliOptions& o, const std::string& n, const std::string& v) {
             const auto caption = Utf8ToUtf16(v);
             if (!caption)
                 Refuse(n, "the text is not valid UTF-8");
             o.watermark.caption = *caption;
         }},
        {"--font-name",
         [](CliOptions& o, const std::string&, const std::string& v) { o.watermark.fontName = v; }},
        {"--font-size", [](CliOptions& o, const std::string& n,
                           const std::string& v) { o.watermark.fontSize = WholeNumber(n, v, 1, 10000); }},
        {"--text-colour", [](CliOptions& o, const std::string& n,
                             const std::string& v) { o.watermark.textColour = HexColour(n, v); }},
        {"--opacity", [](CliOptions& o, const std::string& n,
                         const std::string& v) { o.watermark.opacityPosition = WholeNumber(n, v, 0, 50); }},
        {"--text-angle", [](CliOptions& o, const std::string& n,
                            const std::string& v) { o.watermark.textAngle = WholeNumber(n, v, -180, 180); }},
        {"--position",
         [](CliOptions& o, const std::string& n, const std::string& v) {
             if (!ParseWatermarkPosition(v, o.watermark.position)) {
                 Refuse(n, "'" + v +
                               "' is not one of TopLeft, TopCenter, TopRight, Left, Center, Right, "
                               "BottomLeft, Bottom, BottomRight");
             }
         }},
        {"--h-margin",
         [](CliOptions& o, const std::string& n, const std::string& v) {
             o.watermark.hMargin = WholeNumber(n, v, -1000000, 1000000);
         }},
        {"--v-margin",
         [](CliOptions& o, const std::string& n, const std::string& v) {
             o.watermark.vMargin = WholeNumber(n, v, -1000000, 1000000);
         }},
        {"--picture-path",
         [](CliOptions& o, const std::string&, const std::string& v) { o.watermark.picturePath = v; }},
        {"--image-scale",
         [](CliOptions& o, const std::string& n, const std::string& v) {
             // The scale box resets anything but a whole number, so only numbers are held.
             WholeNumber(n, v, 0, 10000);
             o.watermark.imageScaleText = v;
         }},
        {"--image-rotation",
         [](CliOptions& o, const std::string& n, const std::string& v) {
             o.watermark.imageRotationPosition = WholeNumber(n, v, 0, 4);
         }},
        {"--format",
         [](CliOptions& o, const std::string&, const std::string& v) { o.output.formatChoice = v; }},
        {"--resolution",
         [](CliOptions& o, const std::string&, const std::string& v) { o.output.resolutionChoice = v; }},
        {"--colour-mode",
         [](CliOptions& o, const std::string& n, const std::string& v) {
             o.output.colourMode = OneOf(n, v, {"RGB", "Greyscale", "Monochrome"});
         }},
        {"--jpeg-quality", [](CliOptions& o, const std::string& n,
                              const std::string& v) { o.output.jpegQuality = WholeNumber(n, v, 1, 100); }},
        {"--rotation",
         [](CliOptions& o, const std::string& n, const std::string& v) {
             o.output.rotation = OneOf(n, v, {kRotationNone, kRotation90CW, kRotation90CCW, kRotation180});
         }},
        {"--width", [](CliOptions& o, const std::string&, const std::string& v) { o.output.widthText = v; }},
        {"--height",
         [](CliOptions& o, const std::string&, const std::string& v) { o.output.heightText = v; }},
        {"--output-folder",
         [](CliOptions& o, const std::string&, const std::string& v) { o.output.outputFolder = v; }},
        {"--existing",
         [](CliOptions& o, const std::string& n, const std::string& v) {
             const std::string policy = OneOf(n, v, {"skip", "rename", "overwrite"});
             o.output.existingFilePolicy = policy == "skip"     ? ExistingFilePolicy::Skip
                                           : policy == "rename" ? ExistingFilePolicy::Rename
                                                                : ExistingFilePolicy::Overwrite;
         }},
        {"--jobs", [](CliOptions& o, const std::string& n,
                      const std::string& v) { o.jobs = WholeNumber(n, v, 1, 256); }},
    };
    return options;
}

const std::map<std::string, SwitchHandler>& SwitchOptions() {
    static const std::map<std::string, SwitchHandler> options = {
        {"--bold", [](CliOptions& o) { o.watermark.bold = true; }},
        {"--no-bold", [](CliOptions& o) { o.watermark.bold = false; }},
        {"--italic", [](CliOptions& o) { o.watermark.italic = true; }},
        {"--no-italic", [](CliOptions& o) { o.watermark.italic = false; }},
        {"--outline", [](CliOptions& o) { o.watermark.outline = true; }},
        {"--no-outline", [](CliOptions& o) { o.watermark.outline = false; }},
        {"--effect-3d", [](CliOptions& o) { o.watermark.effect3D = true; }},
        {"--no-effect-3d", [](CliOptions& o) { o.watermark.effect3D = false; }},
        {"--transparent-edges", [](CliOptions& o) { o.watermark.transparentEdges = true; }},
        {"--no-transparent-edges", [](CliOptions& o) { o.watermark.transparentEdges = false; }},
        {"--keep-metadata", [](CliOptions& o) { o.output.keepMetadata = true; }},
        {"--no-keep-metadata", [](CliOptions& o) { o.output.keepMetadata = false; }},
        {"--auto-orient", [](CliOptions& o) { o.output.applyExifOrientation = true; }},
        {"--no-auto-orient", [](CliOptions& o) { o.output.applyExifOrientation = false; }},
        {"--resize", [](CliOptions& o) { o.output.resize = true; }},
        {"--no-resize", [](CliOptions& o) { o.output.resize = false; }},
        {"--proportional", [](CliOptions& o) { o.output.proportional = true; }},
        {"--no-proportional", [](CliOptions& o) { o.output.proportional = false; }},
        {"--help", [](CliOptions& o) { o.help = true; }},
    };
    return options;
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
        if (arg == "-h") {
            options.help = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (const auto found = SwitchOptions().find(name); found != SwitchOptions().end()) {
            if (equals != std::string::npos)
                Refuse(name, "takes no value");
            found->second(options);
            continue;
        }
        const auto found = ValueOptions().find(name);
        if (found == ValueOptions().end())
            throw UsageError("unknown option " + name);
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            Refuse(name, "needs a value");
        }
        found->second(options, name, value);
    }
    if (!options.help && options.paths.empty())
        throw UsageError("no image file or folder given");
    return options;
}

std::string UsageText() {
    return R"(Usage: tessoly-cli [OPTIONS] PATH...

Stamps one watermark on every image given, as the window's batch does. A PATH is an image
file or a folder (its images, not those of sub-folders, grouped by extension).
Prints one line per image on stdout: STATUS<TAB>source<TAB>target, STATUS being Successful,
Unsuccessful or Skipped. Exit status: 0 all written, 1 any failed or skipped, 2 bad usage.

Watermark:
  --mode text|image              text (default) or picture watermark
  --caption TEXT                 text to draw (default "© Tessoly")
  --font-name NAME               font face (default Arial)
  --font-size POINTS             size at 96 DPI (default 60)
  --bold, --no-bold              (default bold)
  --italic, --no-italic          (default not italic)
  --outline, --no-outline        black outline (default on)
  --effect-3d, --no-effect-3d    emboss and drop shadow (default on)
  --text-colour RRGGBB           (default FFFFFF)
  --opacity 0..50                slider position, 2 % a step (default 30 = 60 %)
  --text-angle -180..180         degrees counter-clockwise (default 0)
  --position NAME                TopLeft, TopCenter, TopRight, Left, Center, Right,
                                 BottomLeft, Bottom, BottomRight (default Center)
  --h-margin PIXELS, --v-margin PIXELS   (default 30 each)
  --picture-path FILE            picture of the image watermark
  --transparent-edges, --no-transparent-edges   key out the picture's corner colour
  --image-scale PERCENT          (default 100)
  --image-rotation 0..4          quarter turns: 0 = -180, 2 = none, 4 = 180 degrees (default 2)

Output:
  --format NAME                  Unchanged (default), BMP, GIF, JPEG, JPEG-2000, PNG, TIFF, TGA;
                                 any other text writes JPEG
  --resolution DPI|Src           (default Src: as the source)
  --colour-mode RGB|Greyscale|Monochrome   (default RGB)
  --jpeg-quality 1..100          (default 80; also sets the JPEG-2000 rate)
  --keep-metadata, --no-keep-metadata   copy Exif, IPTC and resolution (default on)
  --auto-orient, --no-auto-orient       turn each photo upright by its Exif orientation
                                         before marking it (default on)
  --rotation TEXT                "None" (default), "90° CW", "90° CCW", "180°"
  --resize, --no-resize          (default off)
  --width PIXELS, --height PIXELS        (default 800 and 0)
  --proportional, --no-proportional      keep the aspect ratio; 0 marks the side to compute
                                         (default on)
  --output-folder FOLDER         (default: next to each source)
  --existing skip|rename|overwrite       when the target exists (default skip)

Run:
  --jobs N                       images processed at once (default: one per core)
  --help                         this text
)";
}

} // namespace tessoly::cli
