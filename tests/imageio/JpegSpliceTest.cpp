// Marking a JPEG in place by splicing the re-encoded MCUs into the source's scan, checked against
// the route that has libjpeg read and write every coefficient. Both must give the same blocks and
// the same markers; the splice must also copy the scan's bytes where the mark leaves them alone,
// keep the source's own tables, and agree with libjpeg on which damaged sources it takes.
//
// The mark is a plain rectangle of colour, so the cases do not depend on fonts.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "imageio/JpegCoefficientMark.h"
#include "imageio/JpegLib.h"
#include "imageio/StoredOrientation.h"
#include "support/JpegSources.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using test::Coefficients;
using test::ReadCoefficients;
using test::SourceKind;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kDqt = 0xDB;
constexpr std::uint8_t kDht = 0xC4;
constexpr std::uint8_t kSos = 0xDA;

//! Draws colour at opacity alpha (0..255) into a fixed rectangle of the viewed picture.
class RectMark final : public ViewedMark {
public:
    using Where = TRect (*)(int width, int height);
    RectMark(Where where, TColor32 colour, int alpha) : where_(where), colour_(colour), alpha_(alpha) {}

    TRect Place(int width, int height) override {
        const TRect r = where_(width, height);
        placed_ = {std::clamp(r.left, 0, width), std::clamp(r.top, 0, height), std::clamp(r.right, 0, width),
                   std::clamp(r.bottom, 0, height)};
        if (placed_.Width() <= 0 || placed_.Height() <= 0)
            placed_ = {};
        return placed_;
    }

    void Draw(TBitmap32& piece, int originX, int originY) override {
        const int top = std::max(placed_.top, originY);
        const int bottom = std::min(placed_.bottom, originY + piece.Height());
        const int left = std::max(placed_.left, originX);
        const int right = std::min(placed_.right, originX + piece.Width());
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                TColor32& pixel = piece.ScanLine(y - originY)[x - originX];
                TColor32 mixed = pixel & 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const int under = static_cast<int>((pixel >> shift) & 0xFF);
                    const int over = static_cast<int>((colour_ >> shift) & 0xFF);
                    mixed |= static_cast<TColor32>((under * (255 - alpha_) + over * alpha_ + 127) / 255) << shift;
                }
                pixel = mixed;
            }
        }
    }

private:
    Where where_;
    TColor32 colour_;
    int alpha_;
    TRect placed_;
};

struct Segment {
    std::uint8_t code;
    std::size_t at;
    std::size_t end;
};

//! The marker segments from SOI up to and with the first scan header.
std::vector<Segment> HeadSegments(const Bytes& file) {
    std::vector<Segment> segments;
    std::size_t at = 2;
    while (at + 4 <= file.size() && file[at] == 0xFF) {
        const Segment s{file[at + 1], at, at + 2 + (std::size_t{file[at + 2]} << 8 | file[at + 3])};
        segments.push_back(s);
        if (s.code == kSos)
            break;
        at = s.end;
    }
    return segments;
}

std::size_t FirstSegment(const Bytes& file, std::uint8_t code) {
    for (const Segment& s : HeadSegments(file)) {
        if (s.code == code)
            return s.at;
    }
    return file.size();
}

std::size_t ScanStart(const Bytes& file) {
    const std::vector<Segment> segments = HeadSegments(file);
    return segments.empty() || segments.back().code != kSos ? file.size() : segments.back().end;
}

//! Where each restart marker of the scan starts, in order.
std::vector<std::size_t> RestartMarkers(const Bytes& file) {
    std::vector<std::size_t> markers;
    for (std::size_t i = ScanStart(file); i + 1 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] >= 0xD0 && file[i + 1] <= 0xD7)
            markers.push_back(i);
    }
    return markers;
}

//! The file with all its Huffman tables in one DHT segment where the first stood, as some
//! encoders write them: libjpeg writes one segment a table, so a spliced output keeps the
//! single segment only when it really copies the source's tables.
Bytes MergeHuffmanSegments(const Bytes& file) {
    Bytes tables;
    Bytes rest(file.begin(), file.begin() + 2);
    std::size_t firstAt = 0;
    for (const Segment& s : HeadSegments(file)) {
        if (s.code == kDht) {
            if (firstAt == 0)
                firstAt = rest.size();
            tables.insert(tables.end(), file.begin() + static_cast<long>(s.at + 4), file.begin() + static_cast<long>(s.end));
        } else {
            rest.insert(rest.end(), file.begin() + static_cast<long>(s.at), file.begin() + static_cast<long>(s.end));
        }
    }
    rest.insert(rest.end(), file.begin() + static_cast<long>(ScanStart(file)), file.end());
    const std::size_t length = tables.size() + 2;
    Bytes dht{0xFF, kDht, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF)};
    dht.insert(dht.end(), tables.begin(), tables.end());
    rest.insert(rest.begin() + static_cast<long>(firstAt), dht.begin(), dht.end());
    return rest;
}

Bytes ReadBytes(const std::string& path) {
    const std::string s = test::ReadFileBytes(path);
    return Bytes(s.begin(), s.end());
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    test::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
}

std::size_t CommonPrefix(const Bytes& a, std::size_t aFrom, const Bytes& b, std::size_t bFrom) {
    std::size_t n = 0;
    while (aFrom + n < a.size() && bFrom + n < b.size() && a[aFrom + n] == b[bFrom + n])
        ++n;
    return n;
}

bool EndsWith(const Bytes& file, const Bytes& from, std::size_t fromAt) {
    const std::size_t n = from.size() - fromAt;
    return file.size() >= n && std::equal(from.begin() + static_cast<long>(fromAt), from.end(), file.end() - static_cast<long>(n));
}

//! "" when a and b hold the same blocks, else where they first differ.
std::string BlockDifference(const Coefficients& a, const Coefficients& b) {
    if (a.components.size() != b.components.size())
        return "component counts differ";
    for (std::size_t c = 0; c < a.components.size(); ++c) {
        const auto& x = a.components[c];
        const auto& y = b.components[c];
        if (x.columns != y.columns || x.rows != y.rows)
            return "component " + std::to_string(c) + " sizes differ";
        for (std::size_t i = 0; i < x.blocks.size(); ++i) {
            if (x.blocks[i] != y.blocks[i]) {
                const std::size_t block = i / DCTSIZE2;
                return "component " + std::to_string(c) + " block " + std::to_string(block % x.columns) + "," +
                       std::to_string(block / x.columns) + " coefficient " + std::to_string(i % DCTSIZE2);
            }
        }
    }
    return "";
}

//! The blocks that differ between source and marked, in MCUs inside cells and outside them.
struct ChangedBlocks {
    int inside = 0;
    int outside = 0;
};

ChangedBlocks CountChanged(const Coefficients& source, const Coefficients& marked, const TRect& cells) {
    ChangedBlocks changed;
    for (std::size_t c = 0; c < source.components.size() && c < marked.components.size(); ++c) {
        const auto& a = source.components[c];
        const auto& b = marked.components[c];
        for (int r = 0; r < a.rows; ++r) {
            for (int col = 0; col < a.columns; ++col) {
                const std::size_t at = (static_cast<std::size_t>(r) * a.columns + col) * DCTSIZE2;
                if (std::equal(&a.blocks[at], &a.blocks[at] + DCTSIZE2, &b.blocks[at]))
                    continue;
                const int cx = col / a.h;
                const int cy = r / a.v;
                const bool in = cx >= cells.left && cx < cells.right && cy >= cells.top && cy < cells.bottom;
                ++(in ? changed.inside : changed.outside);
            }
        }
    }
    return changed;
}

struct SpliceSource {
    SourceKind kind;
    //! All Huffman tables in one segment (see MergeHuffmanSegments).
    bool mergeTables = false;
    //! The output's resolution choice; anything but "Src" writes a new JFIF header.
    const char* resolution = "Src";
    bool keepMetadata = true;
};

const SpliceSource kSources[] = {
    {{.name = "baseline420", .width = 200, .height = 136}},
    {{.name = "baseline420OneTableSegment", .width = 200, .height = 136}, true},
    {{.name = "baseline422", .width = 200, .height = 136, .h = 2, .v = 1}},
    {{.name = "baseline444", .width = 200, .height = 136, .h = 1, .v = 1}, true},
    {{.name = "baseline440", .width = 200, .height = 136, .h = 1, .v = 2}},
    {{.name = "grey", .width = 203, .height = 141, .grey = true}, true},
    {{.name = "partial420", .width = 203, .height = 141}},
    {{.name = "partial422", .width = 211, .height = 133, .h = 2, .v = 1}, true},
    {{.name = "restartEveryRow", .width = 203, .height = 141, .restartRows = 1}},
    {{.name = "restartEvery7", .width = 203, .height = 141, .restartInterval = 7}, true},
    {{.name = "greyRestartEvery7", .width = 203, .height = 141, .grey = true, .restartInterval = 7}},
    {{.name = "optimized420", .width = 203, .height = 141, .optimize = true}},
    {{.name = "optimizedGrey", .width = 203, .height = 141, .grey = true, .optimize = true}},
    {{.name = "optimizedRestartEvery7", .width = 203, .height = 141, .restartInterval = 7, .optimize = true}},
    {{.name = "adobe", .width = 200, .height = 136, .adobe = true}},
    {{.name = "density300", .width = 200, .height = 136, .densityDpi = 300}},
    {{.name = "oriented6WithProfile", .width = 203, .height = 141, .orientation = 6, .profile = true}},
    {{.name = "profileNewDensity", .width = 203, .height = 141, .profile = true, .densityDpi = 300}, false, "150",
     false},
};

struct MarkCase {
    const char* name;
    RectMark::Where where;
    TColor32 colour;
    int alpha;
};

const MarkCase kMarks[] = {
    {"topLeft", [](int, int) { return TRect{0, 0, 21, 13}; }, 0xFFFF2010u, 255},
    {"bottomRight", [](int w, int h) { return TRect{w - 19, h - 7, w, h}; }, 0xFF10E0F0u, 128},
    // The first MCU of the next row follows on a changed one.
    {"acrossRight", [](int w, int h) { return TRect{w - 23, h / 3, w + 40, h / 3 + 20}; }, 0xFF000000u, 255},
    {"middle", [](int w, int h) { return TRect{w / 3, h / 2 - 9, w / 3 + 45, h / 2 + 14}; }, 0xFFFFFFFFu, 90},
    {"bottomBand", [](int w, int h) { return TRect{0, h - 20, w, h - 12}; }, 0xFF2040FFu, 200},
    {"onePixel", [](int w, int h) { return TRect{w / 2 + 1, h / 2 + 3, w / 2 + 2, h / 2 + 4}; }, 0xFF00FF00u, 255},
    {"empty", [](int, int) { return TRect{}; }, 0xFF000000u, 255},
};

struct Marked {
    InPlaceOutcome outcome;
    Bytes bytes;
};

struct SpliceFixture : ::testing::Test {
    void SetUp() override {
        for (const char* folder : {"in", "splice", "whole"})
            std::filesystem::create_directory(dir.path() / folder);
        settings.losslessJpeg = true;
        settings.existingFilePolicy = ExistingFilePolicy::Overwrite;
    }

    Marked Mark(const std::string& source, const MarkCase& m, ScanRewrite rewrite) {
        OutputSettings s = settings;
        s.outputFolder = dir.file(rewrite == ScanRewrite::Splice ? "splice" : "whole");
        RectMark mark(m.where, m.colour, m.alpha);
        Marked marked;
        marked.outcome = MarkJpegInPlace(source, s, mark, nullptr, rewrite);
        if (marked.outcome.handled && !marked.outcome.output.OutputFailed)
            marked.bytes = ReadBytes(marked.outcome.output.targetPath);
        return marked;
    }

    test::ScratchDir dir;
    OutputSettings settings;
};

TEST_F(SpliceFixture, SplicedScanMatchesTheWholeRewriteForEverySourceAndMark) {
    for (const SpliceSource& source : kSources) {
        const SourceKind& kind = source.kind;
        Bytes bytes = test::EncodeSource(kind);
        if (source.mergeTables)
            bytes = MergeHuffmanSegments(bytes);
        const std::string path = dir.file("in/" + std::string(kind.name) + ".jpg");
        WriteBytes(path, bytes);
        const Coefficients before = ReadCoefficients(bytes);
        ASSERT_EQ(before.warnings, 0) << kind.name;
        settings.colourMode = kind.grey ? "Greyscale" : "RGB";
        settings.resolutionChoice = source.resolution;
        settings.keepMetadata = source.keepMetadata;
        const std::size_t sourceScan = ScanStart(bytes);
        const std::size_t sourceTables = FirstSegment(bytes, kDqt);
        // Tables of the standard's examples hold every code, so the splice never falls back; the
        // whole rewrite writes them too, and so the same scan bits.
        const bool standardTables = !kind.optimize;
        const int mcusPerRow = (kind.width + before.cellWidth - 1) / before.cellWidth;
        const int mcuRows = (kind.height + before.cellHeight - 1) / before.cellHeight;
        const int restartInterval = kind.restartRows != 0 ? kind.restartRows * mcusPerRow : kind.restartInterval;
        // Whether the right and bottom edge MCUs hold blocks past the picture.
        bool rightPadding = false;
        bool bottomPadding = false;
        for (const Coefficients::Component& c : before.components) {
            rightPadding = rightPadding || (before.components.size() > 1 && c.columns % c.h != 0);
            bottomPadding = bottomPadding || (before.components.size() > 1 && c.rows % c.v != 0);
        }

        for (const MarkCase& m : kMarks) {
            SCOPED_TRACE(std::string(kind.name) + " mark " + m.name);
            const Marked spliced = Mark(path, m, ScanRewrite::Splice);
            const Marked whole = Mark(path, m, ScanRewrite::Whole);
            ASSERT_TRUE(whole.outcome.handled) << whole.outcome.notApplied;
            ASSERT_TRUE(spliced.outcome.handled) << spliced.outcome.notApplied;
            ASSERT_FALSE(spliced.outcome.output.OutputFailed) << spliced.outcome.output.reason;
            ASSERT_FALSE(whole.outcome.output.OutputFailed) << whole.outcome.output.reason;

            Coefficients splicedBlocks;
            ASSERT_NO_THROW(splicedBlocks = ReadCoefficients(spliced.bytes));
            const Coefficients wholeBlocks = ReadCoefficients(whole.bytes);
            EXPECT_EQ(splicedBlocks.warnings, 0);
            EXPECT_EQ(BlockDifference(splicedBlocks, wholeBlocks), "");
            // The same markers before the tables: JFIF, Adobe and the kept ones.
            const std::size_t splicedTables = FirstSegment(spliced.bytes, kDqt);
            const std::size_t wholeTables = FirstSegment(whole.bytes, kDqt);
            EXPECT_TRUE(std::equal(spliced.bytes.begin(), spliced.bytes.begin() + static_cast<long>(splicedTables),
                                   whole.bytes.begin(), whole.bytes.begin() + static_cast<long>(wholeTables)));

            // Nothing changed outside the MCUs under the mark.
            RectMark probe(m.where, m.colour, m.alpha);
            const StoredOrientation orientation{kind.orientation, kind.width, kind.height};
            const TRect viewed = probe.Place(orientation.ViewedWidth(), orientation.ViewedHeight());
            TRect cells;
            if (viewed.Width() > 0) {
                const TRect stored = orientation.StoredRect(viewed);
                cells = {stored.left / before.cellWidth, stored.top / before.cellHeight,
                         (stored.right + before.cellWidth - 1) / before.cellWidth,
                         (stored.bottom + before.cellHeight - 1) / before.cellHeight};
            }
            const bool touchesPadding =
                (rightPadding && cells.right == mcusPerRow) || (bottomPadding && cells.bottom == mcuRows);
            const ChangedBlocks changed = CountChanged(before, splicedBlocks, cells);
            EXPECT_EQ(changed.outside, 0);
            if (viewed.Width() > 0) {
                EXPECT_GT(changed.inside, 0);
            }

            const std::size_t splicedScan = ScanStart(spliced.bytes);
            if (viewed.Width() <= 0) {
                // Nothing to mark: from the tables on, the output is the source.
                EXPECT_TRUE(std::equal(bytes.begin() + static_cast<long>(sourceTables), bytes.end(),
                                       spliced.bytes.begin() + static_cast<long>(splicedTables), spliced.bytes.end()));
                continue;
            }
            // Where the splice takes the source, its tables and headers are the source's as they are.
            const bool copiedHead =
                std::equal(bytes.begin() + static_cast<long>(sourceTables), bytes.begin() + static_cast<long>(sourceScan),
                           spliced.bytes.begin() + static_cast<long>(splicedTables),
                           spliced.bytes.begin() + static_cast<long>(splicedScan));
            if (standardTables) {
                EXPECT_TRUE(copiedHead) << "fell back to rewriting all of the scan";
                // With the tables the whole rewrite writes too, the scan is the one libjpeg
                // writes, but in edge MCUs with blocks past the picture: libjpeg makes those
                // afresh from the marked block beside them, the splice keeps the source's.
                if (!touchesPadding) {
                    Bytes expected(whole.bytes.begin(), whole.bytes.begin() + static_cast<long>(wholeTables));
                    expected.insert(expected.end(), bytes.begin() + static_cast<long>(sourceTables),
                                    bytes.begin() + static_cast<long>(sourceScan));
                    expected.insert(expected.end(), whole.bytes.begin() + static_cast<long>(ScanStart(whole.bytes)),
                                    whole.bytes.end());
                    EXPECT_TRUE(spliced.bytes == expected)
                        << "the first difference is " << CommonPrefix(spliced.bytes, 0, expected, 0) - splicedScan
                        << " bytes into the scan";
                }
                // Up to the first marked MCU row the scan is the source's, byte for byte: the
                // source cut above that row has the same bits there.
                if (cells.top > 0) {
                    SourceKind cut = kind;
                    cut.height = cells.top * before.cellHeight;
                    const Bytes top = test::EncodeSource(cut);
                    const std::size_t topScan = ScanStart(top);
                    const std::size_t same = top.size() - topScan - 4; // its last byte is padded
                    EXPECT_GE(CommonPrefix(bytes, sourceScan, top, topScan), same) << "the cut is not the source";
                    EXPECT_GE(CommonPrefix(bytes, sourceScan, spliced.bytes, splicedScan), same);
                }
            }
            if (copiedHead && restartInterval != 0) {
                // Restart intervals without a marked MCU are copied as they are, markers and all.
                const std::vector<std::size_t> markers = RestartMarkers(bytes);
                const long long firstMcu = static_cast<long long>(cells.top) * mcusPerRow + cells.left;
                const long long lastMcu = static_cast<long long>(cells.bottom - 1) * mcusPerRow + cells.right - 1;
                const auto firstInterval = static_cast<std::size_t>(firstMcu / restartInterval);
                const auto lastInterval = static_cast<std::size_t>(lastMcu / restartInterval);
                if (firstInterval > 0) {
                    const std::size_t copied = markers[firstInterval - 1] + 2 - sourceScan;
                    EXPECT_GE(CommonPrefix(bytes, sourceScan, spliced.bytes, splicedScan), copied);
                }
                if (lastInterval < markers.size()) {
                    EXPECT_TRUE(EndsWith(spliced.bytes, bytes, markers[lastInterval]));
                }
            }
        }
    }
}

// Damaged data must not crash the splice, and it must take and refuse exactly what libjpeg
// takes and refuses: a source libjpeg reads with a warning is not marked in place either way.
TEST_F(SpliceFixture, DamagedSourcesGiveWhatTheWholeRewriteGives) {
    const SourceKind kinds[] = {
        {.name = "plain", .width = 203, .height = 141},
        {.name = "restarts", .width = 203, .height = 141, .restartInterval = 7},
    };
    const MarkCase& mark = kMarks[3];
    for (const SourceKind& kind : kinds) {
        const Bytes good = test::EncodeSource(kind);
        const std::size_t scan = ScanStart(good);
        const std::size_t eoi = good.size() - 2;
        struct Damage {
            std::string name;
            Bytes bytes;
        };
        std::vector<Damage> damages;
        Bytes cut(good.begin(), good.begin() + static_cast<long>((scan + eoi) / 2));
        cut.insert(cut.end(), {0xFF, 0xD9});
        damages.push_back({"truncated", cut});
        std::mt19937 random(7);
        Bytes garbage = good;
        for (int i = 0; i < 37; ++i)
            garbage.insert(garbage.end() - 2, static_cast<std::uint8_t>(random() & 0x7F));
        damages.push_back({"garbageBeforeEnd", garbage});
        Bytes wrongRestart = good;
        wrongRestart[(scan + eoi) / 2] = 0xFF;
        wrongRestart[(scan + eoi) / 2 + 1] = 0xD5;
        damages.push_back({"markerInScan", wrongRestart});
        for (unsigned seed = 1; seed <= 12; ++seed) {
            std::mt19937 r(seed);
            Bytes flipped = good;
            const std::size_t at = scan + r() % (eoi - scan);
            flipped[at] ^= static_cast<std::uint8_t>(1 + r() % 255);
            damages.push_back({"flipped" + std::to_string(seed) + "@" + std::to_string(at - scan), flipped});
        }
        for (const Damage& damage : damages) {
            SCOPED_TRACE(std::string(kind.name) + " " + damage.name);
            const std::string path = dir.file("in/" + std::string(kind.name) + ".jpg");
            WriteBytes(path, damage.bytes);
            const Marked spliced = Mark(path, mark, ScanRewrite::Splice);
            const Marked whole = Mark(path, mark, ScanRewrite::Whole);
            EXPECT_EQ(spliced.outcome.handled, whole.outcome.handled);
            EXPECT_EQ(spliced.outcome.notApplied, whole.outcome.notApplied);
            if (!spliced.outcome.handled || !whole.outcome.handled)
                continue;
            Coefficients splicedBlocks;
            ASSERT_NO_THROW(splicedBlocks = ReadCoefficients(spliced.bytes));
            EXPECT_EQ(splicedBlocks.warnings, 0);
            EXPECT_EQ(BlockDifference(splicedBlocks, ReadCoefficients(whole.bytes)), "");
        }
    }
}

TEST_F(SpliceFixture, ASourceWithAZeroInAQuantisationTableGoesTheOrdinaryWay) {
    // Decoders take a zero there; an encoder, which divides by each value, cannot.
    const SourceKind kinds[] = {
        {.name = "baseline", .width = 203, .height = 141},
        {.name = "progressive", .width = 203, .height = 141, .progressive = true},
    };
    for (const SourceKind& kind : kinds) {
        Bytes bytes = test::EncodeSource(kind);
        const std::uint8_t marker[] = {0xFF, kDqt};
        const auto dqt = std::search(bytes.begin(), bytes.end(), std::begin(marker), std::end(marker));
        ASSERT_NE(dqt, bytes.end());
        dqt[5 + 9] = 0; // a value of the first table, after the length and the table's number
        const std::string path = dir.file("in/" + std::string(kind.name) + ".jpg");
        WriteBytes(path, bytes);
        for (const ScanRewrite rewrite : {ScanRewrite::Splice, ScanRewrite::Whole}) {
            SCOPED_TRACE(std::string(kind.name) + (rewrite == ScanRewrite::Splice ? " spliced" : " whole"));
            const Marked marked = Mark(path, kMarks[3], rewrite);
            EXPECT_FALSE(marked.outcome.handled);
            EXPECT_EQ(marked.outcome.notApplied,
                      "Written the ordinary way: a quantisation table of the source holds a zero.");
        }
    }
}

} // namespace
} // namespace tessoly
