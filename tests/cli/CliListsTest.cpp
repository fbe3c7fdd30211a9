// tessoly-cli runs over folders, lists and shards: recursion, mirrored sub-folders, NUL-separated
// lists with odd names, JSON lines, dry runs, the output folder made and checked before any work,
// clear reasons for sources that cannot be read, and shards that add up to one whole run.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include <QJsonDocument>
#include <QJsonObject>

#include "CliTestSupport.h"

namespace tessoly {
namespace {

namespace fs = std::filesystem;
using test::Line;
using test::RunCli;
using test::RunResult;
using test::WritePicture;

//! Every file below folder, by path relative to it, with its bytes.
std::map<std::string, std::string> FilesBelow(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = test::ReadFileBytes(entry.path());
    }
    return files;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(CliListsTest, RecursionKeepsEqualNamesApartUnderKeepFoldersAndLeavesOutHiddenFoldersAndLoops) {
    test::ScratchDir dir;
    const fs::path photos = dir.path() / "photos";
    for (const char* name : {"a/x.png", "b/x.png", "b/c/y.png", ".hidden/z.png", "top.png"}) {
        fs::create_directories((photos / name).parent_path());
        WritePicture((photos / name).string(), FIF_PNG, 40, 30);
    }
    fs::create_directory_symlink(photos, photos / "b" / "c" / "loop");
    const std::string p = photos.string(), out = dir.file("out");

    const RunResult kept = RunCli(dir, {"-r", "--keep-folders", "--output-folder", out, p});
    EXPECT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(kept.out, Line("Successful", p + "/top.png", out + "/top.png") +
                            Line("Successful", p + "/a/x.png", out + "/a/x.png") +
                            Line("Successful", p + "/b/x.png", out + "/b/x.png") +
                            Line("Successful", p + "/b/c/y.png", out + "/b/c/y.png"));
    EXPECT_EQ(test::ReadFileBytes(out + "/a/x.png").empty(), false);

    // Flattened, the second x.png meets the first and is skipped.
    const std::string flat = dir.file("flat");
    const RunResult flattened = RunCli(dir, {"--recursive", "-o", flat, p});
    EXPECT_EQ(flattened.exitCode, 1);
    EXPECT_NE(flattened.out.find(Line("Skipped", p + "/b/x.png", flat + "/x.png")), std::string::npos)
        << flattened.out;

    // A file given by a relative path keeps its folder; an absolute one goes to the top.
    const std::string mirrored = dir.file("mirrored");
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const RunResult relative =
        RunCli(dir, {"--keep-folders", "-o", mirrored, "photos/b/c/y.png", p + "/a/x.png"});
    fs::current_path(before);
    EXPECT_EQ(relative.out, Line("Successful", "photos/b/c/y.png", mirrored + "/photos/b/c/y.png") +
                                Line("Successful", p + "/a/x.png", mirrored + "/x.png"));
}

TEST(CliListsTest, FilesFromTakesNulSeparatedOddNamesFromStdinAndLinesFromAFile) {
    test::ScratchDir dir;
    const std::vector<std::string> names = {"with space.png", "new\nline.png", "-leading-dash.png",
                                            "plain.bmp"};
    std::string nulList, lineList;
    for (const std::string& name : names) {
        WritePicture(dir.file(name), name.back() == 'p' ? FIF_BMP : FIF_PNG, 30, 20);
        nulList += dir.file(name) + std::string(1, '\0');
    }
    const std::string out = dir.file("out");
    const RunResult fromStdin = RunCli(dir, {"--files-from", "-", "-0", "-o", out}, nulList);
    EXPECT_EQ(fromStdin.exitCode, 0) << fromStdin.err;
    std::string expected;
    for (const std::string& name : names)
        expected += Line("Successful", dir.file(name), out + "/" + name);
    EXPECT_EQ(fromStdin.out, expected);

    // One a line, after the PATH arguments, in order; a listed folder is scanned as an argument is.
    fs::create_directory(dir.path() / "folder");
    WritePicture(dir.file("folder/f.png"), FIF_PNG, 30, 20);
    test::WriteFileBytes(dir.path() / "list.txt",
                         dir.file("-leading-dash.png") + "\n\n" + dir.file("folder") + "\n");
    const std::string out2 = dir.file("out2");
    const RunResult fromFile = RunCli(
        dir, {"--output-folder", out2, "--files-from", dir.file("list.txt"), "--", dir.file("plain.bmp")});
    EXPECT_EQ(fromFile.exitCode, 0) << fromFile.err;
    EXPECT_EQ(fromFile.out,
              Line("Successful", dir.file("plain.bmp"), out2 + "/plain.bmp") +
                  Line("Successful", dir.file("-leading-dash.png"), out2 + "/-leading-dash.png") +
                  Line("Successful", dir.file("folder/f.png"), out2 + "/f.png"));
}

TEST(CliListsTest, JsonLinesParseAndCarryEachResult) {
    test::ScratchDir dir;
    const std::string odd = "quote\"back\\slash\ttab.png";
    WritePicture(dir.file(odd), FIF_PNG, 30, 20);
    test::WriteFileBytes(dir.path() / "broken.png", "not a picture");
    const std::string out = dir.file("out");
    const RunResult r =
        RunCli(dir, {"--json", "-o", out, dir.file(odd), dir.file("broken.png"), dir.file("gone.png")});
    EXPECT_EQ(r.exitCode, 1);
    const std::vector<std::string> lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    struct Expected {
        std::string source, target, status, reason;
    };
    const Expected expected[] = {
        {dir.file(odd), out + "/" + odd, "Successful", ""},
        {dir.file("broken.png"), "", "Unsuccessful", dir.file("broken.png") + ": not a supported image"},
        {dir.file("gone.png"), "", "Unsuccessful", dir.file("gone.png") + ": no such file"},
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(lines[i]), &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << lines[i];
        const QJsonObject o = doc.object();
        EXPECT_EQ(o.size(), 5);
        EXPECT_EQ(o["source"].toString().toStdString(), expected[i].source);
        EXPECT_EQ(o["target"].toString().toStdString(), expected[i].target);
        EXPECT_EQ(o["status"].toString().toStdString(), expected[i].status);
        EXPECT_EQ(o["reason"].toString().toStdString(), expected[i].reason);
        EXPECT_TRUE(o["seconds"].isDouble());
        EXPECT_GE(o["seconds"].toDouble(), 0.0);
    }
    // The reasons are in the lines; stderr has only the end-of-run count.
    EXPECT_EQ(r.err, "tessoly-cli: 2 of 3 images not written (2 not read)\n");
}

TEST(CliListsTest, DryRunShowsEachDecisionAndWritesNothing) {
    test::ScratchDir dir;
    WritePicture(dir.file("new.png"), FIF_PNG, 30, 20);
    WritePicture(dir.file("old.png"), FIF_PNG, 30, 20);
    WritePicture(dir.file("twin.bmp"), FIF_BMP, 30, 20);
    WritePicture(dir.file("twin.png"), FIF_PNG, 30, 20);
    WritePicture(dir.file("photo.jpeg"), FIF_JPEG, 30, 20);
    const std::string out = dir.file("out");
    fs::create_directory(out);
    test::WriteFileBytes(out + "/old.jpg", "earlier");
    const std::vector<std::string> sources = {dir.file("new.png"),    dir.file("old.png"),
                                              dir.file("twin.bmp"),   dir.file("twin.png"),
                                              dir.file("photo.jpeg"), dir.file("gone.png")};
    const auto args = [&](std::vector<std::string> options) {
        options.insert(options.end(), sources.begin(), sources.end());
        return options;
    };
    const RunResult skip = RunCli(dir, args({"--dry-run", "--format", "jpg", "-o", out}));
    EXPECT_EQ(skip.exitCode, 1);
    EXPECT_EQ(skip.out, Line("Write", dir.file("new.png"), out + "/new.jpg") +
                            Line("Skip", dir.file("old.png"), out + "/old.jpg") +
                            Line("Write", dir.file("twin.bmp"), out + "/twin.jpg") +
                            Line("Skip", dir.file("twin.png"), out + "/twin.jpg") +
                            Line("Write", dir.file("photo.jpeg"), out + "/photo.jpg") +
                            Line("Unsuccessful", dir.file("gone.png"), ""));
    EXPECT_NE(skip.err.find("3 of 6 images would not be written (1 not read, 2 skipped)"), std::string::npos)
        << skip.err;
    const RunResult rename = RunCli(dir, args({"-n", "--existing", "rename", "--format", "JPEG", "-o", out}));
    EXPECT_NE(rename.out.find(Line("Rename", dir.file("old.png"), out + "/old_Renamed_by_TLY.jpg")),
              std::string::npos);
    EXPECT_NE(rename.out.find(Line("Rename", dir.file("twin.png"), out + "/twin_Renamed_by_TLY.jpg")),
              std::string::npos);
    const RunResult overwrite = RunCli(dir, args({"-n", "--existing", "overwrite", "-o", out}));
    // Unchanged: the extension comes from each source's header, without decoding it.
    EXPECT_NE(overwrite.out.find(Line("Write", dir.file("twin.bmp"), out + "/twin.bmp")), std::string::npos);
    EXPECT_NE(overwrite.out.find(Line("Write", dir.file("photo.jpeg"), out + "/photo.jpg")),
              std::string::npos);
    EXPECT_EQ(FilesBelow(out), (std::map<std::string, std::string>{{"old.jpg", "earlier"}}));
    // A missing output folder is not made by a dry run.
    const RunResult missingFolder =
        RunCli(dir, {"--dry-run", "-o", dir.file("not/yet"), dir.file("new.png")});
    EXPECT_EQ(missingFolder.exitCode, 0) << missingFolder.err;
    EXPECT_EQ(missingFolder.out, Line("Write", dir.file("new.png"), dir.file("not/yet") + "/new.png"));
    EXPECT_FALSE(fs::exists(dir.file("not")));
    // And the real run does what the dry run said.
    const RunResult real = RunCli(dir, args({"--format", "jpg", "-o", out}));
    std::string plannedTargets, realTargets;
    for (const auto& [planned, done] : {std::pair{Lines(skip.out), Lines(real.out)}}) {
        ASSERT_EQ(planned.size(), done.size());
        for (std::size_t i = 0; i < planned.size(); ++i) {
            plannedTargets += planned[i].substr(planned[i].find('\t')) + "\n";
            realTargets += done[i].substr(done[i].find('\t')) + "\n";
        }
    }
    EXPECT_EQ(plannedTargets, realTargets);
}

TEST(CliListsTest, DryRunFindsTheSettingsThatFailEveryImageAsARunDoes) {
    test::ScratchDir dir;
    WritePicture(dir.file("a.png"), FIF_PNG, 30, 20);
    WritePicture(dir.file("b.png"), FIF_PNG, 30, 20);
    WritePicture(dir.file("a.bmp"), FIF_BMP, 30, 20);
    const std::vector<std::vector<std::string>> settings = {
        {"--resolution", "abc"},                                               // before the target is chosen
        {"--resize", "--no-proportional", "--width", "0", "--height", "5"},    // after it
        {"--resolution", "300", "--resize", "--width", "0", "--height", "10"}, // fine
        {"--existing", "overwrite", "--format", "jpg"},                        // a.bmp meets what a.png wrote
        {"--existing", "rename", "--format", "jpg"},
    };
    for (const auto& options : settings) {
        const std::string out = dir.file("out-" + options[1] + options.back());
        fs::create_directories(out);
        test::WriteFileBytes(out + "/b.png", "taken"); // the skip still comes first where it does
        std::vector<std::string> args = options;
        args.insert(args.end(), {"-o", out, dir.file("a.png"), dir.file("b.png"), dir.file("a.bmp")});
        std::vector<std::string> dryArgs = args;
        dryArgs.insert(dryArgs.begin(), "--dry-run");
        const RunResult dry = RunCli(dir, dryArgs);
        const RunResult real = RunCli(dir, args);
        std::string renamed = dry.out;
        for (const auto& [from, to] : {std::pair<std::string, std::string>{"Write\t", "Successful\t"},
                                       {"Overwrite\t", "Successful\t"},
                                       {"Rename\t", "Successful\t"},
                                       {"Skip\t", "Skipped\t"}}) {
            for (std::size_t at = renamed.find(from); at != std::string::npos; at = renamed.find(from, at))
                renamed.replace(at, from.size(), to);
        }
        EXPECT_EQ(renamed, real.out) << options[1];
        EXPECT_EQ(dry.exitCode, real.exitCode) << options[1];
        // The same reasons, apart from the count's wording.
        EXPECT_EQ(dry.err.substr(0, dry.err.rfind("tessoly-cli: ")),
                  real.err.substr(0, real.err.rfind("tessoly-cli: ")))
            << options[1];
    }
}

TEST(CliListsTest, OutputFolderIsMadeAndAnUnusableOneStopsTheRunBeforeAnyImage) {
    test::ScratchDir dir;
    WritePicture(dir.file("a.png"), FIF_PNG, 30, 20);
    const std::string deep = dir.file("made/on/demand");
    const RunResult made = RunCli(dir, {"-o", deep, dir.file("a.png")});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    EXPECT_TRUE(fs::is_regular_file(deep + "/a.png"));
    EXPECT_EQ(FilesBelow(deep).size(), 1u); // the probe file is gone

    // Under a regular file no folder can be made, whoever runs the test.
    test::WriteFileBytes(dir.path() / "plain-file", "x");
    const RunResult underFile = RunCli(dir, {"-o", dir.file("plain-file/out"), dir.file("a.png")});
    EXPECT_EQ(underFile.exitCode, 2);
    EXPECT_EQ(underFile.out, "");
    EXPECT_NE(
        underFile.err.find("--output-folder: " + dir.file("plain-file/out") + ": cannot make the folder"),
        std::string::npos)
        << underFile.err;

    // An existing folder where no file can be made: read-only bits stop a user, /sys stops root.
    std::string readOnly = dir.file("read-only");
    fs::create_directory(readOnly);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
    if (::geteuid() == 0)
        readOnly = "/sys";
    const std::string probe = readOnly + "/probe-of-the-test";
    if (std::ofstream(probe)) {
        fs::remove(probe);
        GTEST_SKIP() << readOnly << " is writable here, so no unwritable folder can be shown";
    }
    const RunResult unwritable = RunCli(dir, {"-o", readOnly, dir.file("a.png")});
    EXPECT_EQ(unwritable.exitCode, 2);
    EXPECT_EQ(unwritable.out, "");
    EXPECT_NE(unwritable.err.find("--output-folder: " + readOnly + ": cannot write there"), std::string::npos)
        << unwritable.err;
    fs::permissions(dir.file("read-only"), fs::perms::owner_all);
}

TEST(CliListsTest, SourcesThatCannotBeReadSayWhyAndTheirOwnTargetIsNamed) {
    test::ScratchDir dir;
    test::WriteFileBytes(dir.path() / "text.png", "not a picture");
    // Root reads any file whatever its bits; a write-only kernel setting is refused to root too.
    std::string unreadable = "/proc/sys/vm/compact_memory";
    if (::geteuid() != 0) {
        unreadable = dir.file("locked.png");
        WritePicture(unreadable, FIF_PNG, 30, 20);
        fs::permissions(unreadable, fs::perms::none);
    }
    const RunResult r =
        RunCli(dir, {"-o", dir.file("out"), dir.file("gone.png"), unreadable, dir.file("text.png")});
    EXPECT_EQ(r.exitCode, 1);
    if (::access(unreadable.c_str(), R_OK) == 0 || !fs::exists(unreadable)) {
        GTEST_SKIP() << "no unreadable file can be made here";
    }
    EXPECT_NE(r.err.find(dir.file("gone.png") + ": no such file\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(unreadable + ": permission denied\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(dir.file("text.png") + ": not a supported image\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("3 of 3 images not written (3 not read)"), std::string::npos) << r.err;

    // Without an output folder the target of an unchanged format is the source itself.
    WritePicture(dir.file("self.png"), FIF_PNG, 30, 20);
    const RunResult self = RunCli(dir, {dir.file("self.png")});
    EXPECT_EQ(self.out, Line("Skipped", dir.file("self.png"), dir.file("self.png")));
    EXPECT_NE(self.err.find("the output would replace the source itself"), std::string::npos) << self.err;
}

TEST(CliListsTest, ImageScaleBelowZeroDrawsNothing) {
    test::ScratchDir dir;
    WritePicture(dir.file("photo.png"), FIF_PNG, 60, 40);
    WritePicture(dir.file("logo.png"), FIF_PNG, 20, 20);
    const RunResult r =
        RunCli(dir, {"--mode", "image", "--picture-path", dir.file("logo.png"), "--image-scale", "-50",
                     "--no-keep-metadata", "-o", dir.file("out"), dir.file("photo.png")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const FreeImagePtr source(FreeImage_Load(FIF_PNG, dir.file("photo.png").c_str(), 0));
    const FreeImagePtr written(FreeImage_Load(FIF_PNG, dir.file("out/photo.png").c_str(), 0));
    ASSERT_TRUE(written);
    for (unsigned y = 0; y < 40; ++y) {
        for (unsigned x = 0; x < 60; ++x) {
            RGBQUAD a{}, b{};
            FreeImage_GetPixelColor(source.get(), x, y, &a);
            FreeImage_GetPixelColor(written.get(), x, y, &b);
            ASSERT_EQ(std::tie(a.rgbRed, a.rgbGreen, a.rgbBlue), std::tie(b.rgbRed, b.rgbGreen, b.rgbBlue))
                << x << "," << y;
        }
    }
}

TEST(CliListsTest, ShardsTogetherEqualOneWholeRunByteForByte) {
    test::ScratchDir dir;
    const fs::path photos = dir.path() / "photos";
    int n = 0;
    for (const char* name : {"a.png", "b.bmp", "c.png", "s/d.png", "s/e.png", "s/t/f.bmp", "g.png"}) {
        fs::create_directories((photos / name).parent_path());
        WritePicture((photos / name).string(), name[std::strlen(name) - 1] == 'p' ? FIF_BMP : FIF_PNG,
                     40 + 7 * n++, 30);
    }
    const std::vector<std::string> common = {"-r", "--keep-folders", "--format",    "png", "--opacity",
                                             "50", "--position",     "bottom-right"};
    std::vector<std::string> whole = common;
    whole.insert(whole.end(), {"-o", dir.file("whole"), photos.string()});
    const RunResult one = RunCli(dir, whole);
    EXPECT_EQ(one.exitCode, 0) << one.err;
    ASSERT_EQ(Lines(one.out).size(), 7u);

    const int shards = 3;
    std::vector<std::string> shardLines;
    for (int k = 1; k <= shards; ++k) {
        std::vector<std::string> args = common;
        args.insert(args.end(), {"--shard", std::to_string(k) + "/" + std::to_string(shards), "-o",
                                 dir.file("sharded"), photos.string()});
        const RunResult part = RunCli(dir, args);
        EXPECT_EQ(part.exitCode, 0) << part.err;
        const std::vector<std::string> lines = Lines(part.out);
        EXPECT_EQ(lines.size(), k == 1 ? 3u : 2u);
        shardLines.insert(shardLines.end(), lines.begin(), lines.end());
    }
    const auto whole_ = FilesBelow(dir.file("whole"));
    EXPECT_EQ(whole_, FilesBelow(dir.file("sharded")));
    EXPECT_EQ(whole_.size(), 7u);
    // Shard K has the items at positions K-1, K-1+N, ...: line i of the whole run is in shard i % N.
    const std::vector<std::string> wholeLines = Lines(one.out);
    std::size_t at = 0;
    for (int k = 0; k < shards; ++k) {
        for (std::size_t i = static_cast<std::size_t>(k); i < wholeLines.size(); i += shards) {
            std::string expected = wholeLines[i];
            const std::string from = dir.file("whole"), to = dir.file("sharded");
            expected.replace(expected.rfind(from), from.size(), to);
            EXPECT_EQ(shardLines.at(at++), expected);
        }
    }
    // More shards than items: the empty ones succeed.
    const RunResult empty = RunCli(dir, {"--shard", "9/9", "-o", dir.file("x"), photos.string()});
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "");
}

//! The words bash completion offers for the command line words, the last being completed.
std::string Completions(const test::ScratchDir& dir, const std::vector<std::string>& words) {
    std::string script = "source '" + std::string(TESSOLY_PACKAGING_DIR) +
                         "/completion/tessoly-cli'; COMP_WORDS=('" + TESSOLY_CLI_PATH + "'";
    for (const std::string& word : words)
        script += " '" + word + "'";
    script += "); COMP_CWORD=" + std::to_string(words.size()) +
              "; COMPREPLY=(); _tessoly_cli; printf '%s\\n' \"${COMPREPLY[@]}\"";
    test::WriteFileBytes(dir.path() / "complete.sh", script);
    const std::string out = dir.file("completions.txt");
    const std::string command = "bash '" + dir.file("complete.sh") + "' > '" + out + "' 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << test::ReadFileBytes(out);
    return test::ReadFileBytes(out);
}

TEST(CliListsTest, HelpManualAndCompletionNameEveryOption) {
    test::ScratchDir dir;
    const RunResult help = RunCli(dir, {"--help"});
    const std::string manual = test::ReadFileBytes(std::string(TESSOLY_PACKAGING_DIR) + "/tessoly-cli.1");
    std::vector<std::string> options;
    for (std::size_t at = help.out.find("--"); at != std::string::npos; at = help.out.find("--", at + 2)) {
        std::size_t end = at + 2;
        while (end < help.out.size() &&
               (std::isalnum(static_cast<unsigned char>(help.out[end])) || help.out[end] == '-'))
            ++end;
        if (end > at + 2)
            options.push_back(help.out.substr(at, end - at));
        at = end - 2;
    }
    std::sort(options.begin(), options.end());
    options.erase(std::unique(options.begin(), options.end()), options.end());
    EXPECT_GT(options.size(), 40u);
    for (const std::string& option : options) {
        std::string roff;
        for (char c : option)
            roff += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(manual.find(roff), std::string::npos) << option << " is not in the manual";
    }
    std::string all;
    for (const std::string& option : options)
        all += option + "\n";
    EXPECT_EQ(Completions(dir, {"--"}), all);
    EXPECT_EQ(Completions(dir, {"--form"}), "--format\n");
    EXPECT_EQ(Completions(dir, {"--position", "bottom-"}), "bottom-left\nbottom-right\n");
    EXPECT_EQ(Completions(dir, {"--format", "j"}), "jpeg\njpeg-2000\n");
    EXPECT_EQ(Completions(dir, {"--caption", ""}), "\n"); // a free text: nothing offered
}

} // namespace
} // namespace tessoly
