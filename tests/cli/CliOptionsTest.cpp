// The command line read in process: value spellings, the opacity steps, the nearest-name
// suggestion, and the small text helpers behind --files-from, --shard and --json.

#include "cli/CliOptions.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "cli/CliChoices.h"
#include "cli/JsonText.h"
#include "cli/SourceList.h"

namespace tessoly::cli {
namespace {

CliOptions Parse(std::vector<std::string> args) {
    args.push_back("x.png");
    return ParseCommandLine(args);
}

TEST(CliOptionsTest, OpacityPercentGoesToTheNearestSliderStepWithTiesToTheEvenStep) {
    const std::pair<const char*, int> cases[] = {
        {"0", 0},   {"1", 0},   {"2", 1},   {"3", 2},   {"5", 2},   {"7", 4},    {"25", 12},  {"50", 25},
        {"60", 30}, {"61", 30}, {"63", 32}, {"75", 38}, {"99", 50}, {"100", 50}, {"60%", 30}, {"+40", 20},
    };
    for (const auto& [text, position] : cases)
        EXPECT_EQ(Parse({"--opacity", text}).watermark.opacityPosition, position) << text;
    EXPECT_EQ(ParseCommandLine({"x.png"}).watermark.opacityPosition, 30);
    for (const char* bad : {"101", "-1", "50.5", "", "%", "half"})
        EXPECT_THROW(Parse({"--opacity", bad}), UsageError) << bad;
}

TEST(CliOptionsTest, EnumeratedValuesTakePlainSpellingsAndTheWindowsTextsInAnyCase) {
    struct Case {
        std::vector<std::string> args;
        std::function<bool(const CliOptions&)> holds;
    };
    using P = WatermarkPosition;
    const Case cases[] = {
        {{"--position", "bottom-right"},
         [](const CliOptions& o) { return o.watermark.position == P::BottomRight; }},
        {{"--position", "BottomRight"},
         [](const CliOptions& o) { return o.watermark.position == P::BottomRight; }},
        {{"--position", "TOP_LEFT"}, [](const CliOptions& o) { return o.watermark.position == P::TopLeft; }},
        {{"--position", "centre"}, [](const CliOptions& o) { return o.watermark.position == P::Center; }},
        {{"--position", "bottom-center"},
         [](const CliOptions& o) { return o.watermark.position == P::Bottom; }},
        {{"--position", "top"}, [](const CliOptions& o) { return o.watermark.position == P::TopCenter; }},
        {{"--format", "png"}, [](const CliOptions& o) { return o.output.formatChoice == "PNG"; }},
        {{"--format", "Jpg"}, [](const CliOptions& o) { return o.output.formatChoice == "JPEG"; }},
        {{"--format", "jp2"}, [](const CliOptions& o) { return o.output.formatChoice == "JPEG-2000"; }},
        {{"--format", "jpeg2000"}, [](const CliOptions& o) { return o.output.formatChoice == "JPEG-2000"; }},
        {{"--format", "JPEG-2000"}, [](const CliOptions& o) { return o.output.formatChoice == "JPEG-2000"; }},
        {{"--format", "tif"}, [](const CliOptions& o) { return o.output.formatChoice == "TIFF"; }},
        {{"--format", "UNCHANGED"}, [](const CliOptions& o) { return o.output.formatChoice == "Unchanged"; }},
        {{"--rotation", "90cw"}, [](const CliOptions& o) { return o.output.rotation == kRotation90CW; }},
        {{"--rotation", "90\u00B0 CW"},
         [](const CliOptions& o) { return o.output.rotation == kRotation90CW; }},
        {{"--rotation", "90-CCW"}, [](const CliOptions& o) { return o.output.rotation == kRotation90CCW; }},
        {{"--rotation", "180"}, [](const CliOptions& o) { return o.output.rotation == kRotation180; }},
        {{"--rotation", "None"}, [](const CliOptions& o) { return o.output.rotation == kRotationNone; }},
        {{"--colour-mode", "GREYSCALE"},
         [](const CliOptions& o) { return o.output.colourMode == "Greyscale"; }},
        {{"--colour-mode", "monochrome"},
         [](const CliOptions& o) { return o.output.colourMode == "Monochrome"; }},
        {{"--existing", "Overwrite"},
         [](const CliOptions& o) { return o.output.existingFilePolicy == ExistingFilePolicy::Overwrite; }},
        {{"--existing", "RENAME"},
         [](const CliOptions& o) { return o.output.existingFilePolicy == ExistingFilePolicy::Rename; }},
        {{"--mode", "Image"}, [](const CliOptions& o) { return o.watermark.mode == kModeImage; }},
        {{"--image-scale", "-50"}, [](const CliOptions& o) { return o.watermark.imageScaleText == "-50"; }},
        {{"--image-scale", "20000"},
         [](const CliOptions& o) { return o.watermark.imageScaleText == "20000"; }},
        {{"-r", "-0", "-n", "--json", "-j", "3"},
         [](const CliOptions& o) {
             return o.recursive && o.nulSeparated && o.dryRun && o.json && o.jobs == 3;
         }},
        {{"--shard", "3/8"}, [](const CliOptions& o) { return o.shardIndex == 3 && o.shardCount == 8; }},
        {{"--no-bold", "--bold"}, [](const CliOptions& o) { return o.watermark.bold; }},
        {{"-o", "out", "--keep-folders"},
         [](const CliOptions& o) { return o.keepFolders && o.output.outputFolder == "out"; }},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& a : c.args)
            joined += a + " ";
        EXPECT_TRUE(c.holds(Parse(c.args))) << joined;
    }
}

TEST(CliOptionsTest, ListsAloneAreEnoughAndTheNearestNameIsOnlyOfferedForASlip) {
    const CliOptions listed = ParseCommandLine({"--files-from", "-"});
    EXPECT_TRUE(listed.paths.empty());
    EXPECT_EQ(listed.fileLists, std::vector<std::string>{"-"});
    EXPECT_EQ(NearestWord("--postion", OptionNames()), "--position");
    EXPECT_EQ(NearestWord("--dryrun", OptionNames()), "--dry-run");
    EXPECT_EQ(NearestWord("--zzzzzz", OptionNames()), "");
    EXPECT_EQ(EditDistance("kitten", "sitting"), 3u);
    EXPECT_EQ(EditDistance("", "abc"), 3u);
    EXPECT_EQ(PlainSpelling("90\u00B0 CCW"), "90ccw");
}

TEST(CliOptionsTest, JsonStringsEscapeWhatJsonForbidsAndReplaceBrokenUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"line\nbreak\ttab\r", "\"line\\nbreak\\ttab\\r\""},
        {std::string("nul\0x", 5), "\"nul\\u0000x\""},
        {"\x01\x1f\x7f", "\"\\u0001\\u001f\x7f\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {"bad\xFF", "\"bad\\ufffd\""},
        {"cut\xE2\x82", "\"cut\\ufffd\\ufffd\""},
        {"overlong\xC0\xAF", "\"overlong\\ufffd\\ufffd\""},
        {"surrogate\xED\xA0\x80", "\"surrogate\\ufffd\\ufffd\\ufffd\""},
        {"", "\"\""},
    };
    for (const auto& [text, json] : cases)
        EXPECT_EQ(JsonString(text), json) << json;
}

TEST(CliOptionsTest, PathListsAndShards) {
    EXPECT_EQ(SplitPathList("a b\n\n-c\nd", false), (std::vector<std::string>{"a b", "-c", "d"}));
    EXPECT_EQ(SplitPathList(std::string("x\ny\0\0-z\0", 8), true), (std::vector<std::string>{"x\ny", "-z"}));
    EXPECT_TRUE(SplitPathList("", true).empty());
    std::vector<SourceItem> items;
    for (int i = 0; i < 7; ++i)
        items.push_back({std::to_string(i), ""});
    const auto paths = [](const std::vector<SourceItem>& shard) {
        std::string text;
        for (const auto& item : shard)
            text += item.path;
        return text;
    };
    EXPECT_EQ(paths(ShardOf(items, 1, 3)), "036");
    EXPECT_EQ(paths(ShardOf(items, 2, 3)), "14");
    EXPECT_EQ(paths(ShardOf(items, 3, 3)), "25");
    EXPECT_EQ(paths(ShardOf(items, 1, 1)), "0123456");
    EXPECT_EQ(paths(ShardOf(items, 9, 9)), "");
}

} // namespace
} // namespace tessoly::cli
