#include "batch/ParallelBatch.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <stdexcept>

#include <FreeImage.h>

#include "imageio/FreeImageHandle.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

using Deps = std::vector<std::vector<std::size_t>>;

TEST(ParallelBatchTest, ItemsThatShareAPathFamilyWaitForTheEarlierOnes) {
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "in");
    std::filesystem::create_directory(dir.path() / "out");
    const std::string in = dir.file("in");
    OutputSettings nextToSource;
    OutputSettings intoOut;
    intoOut.outputFolder = dir.file("out");
    struct Case {
        const char* name;
        std::vector<std::string> sources;
        const OutputSettings* output;
        Deps expected;
    };
    const Case cases[] = {
        {"independent", {in + "/a.png", in + "/b.png", in + "/c.jpg"}, &intoOut, {{}, {}, {}}},
        {"same target", {in + "/x.png", in + "/y.png", in + "/x.jpg"}, &intoOut, {{}, {}, {0}}},
        {"another spelling of the folder",
         {in + "/x.png", dir.file("in/../in/x.jpg")},
         &nextToSource,
         {{}, {0}}},
        {"output onto a later source",
         {in + "/a.png", in + "/a.jpg", in + "/b.jpg"},
         &nextToSource,
         {{}, {0}, {}}},
        {"rename family", {in + "/a.png", in + "/a_Renamed_by_TLY.png"}, &nextToSource, {{}, {0}}},
        {"chains", {in + "/a.png", in + "/a.jpg", in + "/a.bmp"}, &intoOut, {{}, {0}, {1}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ItemDependencies(c.sources, *c.output), c.expected) << c.name;
}

TEST(ParallelBatchTest, ItemsWithTheirOwnOutputFoldersMeetOnlyInTheSameFolder) {
    test::ScratchDir dir;
    const std::string a = dir.file("in/a"), b = dir.file("in/b"), out = dir.file("out");
    const std::vector<std::string> sources = {a + "/x.png", b + "/x.png", b + "/x.jpg", a + "/y.png"};
    // Mirrored folders: the two x.png never meet; x.jpg meets the x.png of its own folder.
    EXPECT_EQ(ItemDependencies(sources, {out + "/a", out + "/b", out + "/b", out + "/a"}),
              (Deps{{}, {}, {1}, {}}));
    // One folder for all: the same as the plain form.
    OutputSettings intoOut;
    intoOut.outputFolder = out;
    EXPECT_EQ(ItemDependencies(sources, std::vector<std::string>(4, out)),
              ItemDependencies(sources, intoOut));
    EXPECT_THROW(RunParallelBatch(sources, {out}, WatermarkSettings{}, intoOut, 1, {}),
                 std::invalid_argument);
}

void WriteUniformPng(const std::string& path, int width, int height) {
    const FreeImagePtr image(FreeImage_Allocate(width, height, 24));
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, image.get(), path.c_str(), 0));
}

// A slow first item and a fast second one with the same target: a run that let the fast one
// write first would skip the wrong image.
TEST(ParallelBatchTest, ResultsAndPolicyAreThoseOfASequentialRunInListOrder) {
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "out");
    std::vector<std::string> sources;
    for (int pair = 0; pair < 3; ++pair) {
        const std::string stem = dir.file("p" + std::to_string(pair));
        WriteUniformPng(stem + ".png", 1500, 1000);
        WriteUniformPng(stem + ".bmp", 16, 8);
        sources.push_back(stem + ".png");
        sources.push_back(stem + ".bmp");
    }
    sources.push_back(dir.file("missing.png"));
    WatermarkSettings watermark;
    OutputSettings output;
    output.formatChoice = "JPEG";
    output.outputFolder = dir.file("out");

    std::vector<std::size_t> order;
    std::vector<PipelineResult> results;
    std::size_t lastProgress = 0;
    ParallelBatchCallbacks callbacks;
    callbacks.onResult = [&](std::size_t index, const PipelineResult& result) {
        order.push_back(index);
        results.push_back(result);
    };
    callbacks.onProgress = [&](std::size_t finished, std::size_t total) {
        EXPECT_GT(finished, lastProgress);
        EXPECT_EQ(total, sources.size());
        lastProgress = finished;
    };
    RunParallelBatch(sources, watermark, output, 4, callbacks);

    ASSERT_EQ(results.size(), sources.size());
    EXPECT_EQ(lastProgress, sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        EXPECT_EQ(order[i], i);
        EXPECT_EQ(results[i].sourcePath, sources[i]);
    }
    for (int pair = 0; pair < 3; ++pair) {
        const PipelineResult& first = results[2 * static_cast<std::size_t>(pair)];
        const PipelineResult& second = results[2 * static_cast<std::size_t>(pair) + 1];
        EXPECT_EQ(first.status, ItemStatus::Successful) << first.reason;
        EXPECT_EQ(second.status, ItemStatus::Skipped);
        EXPECT_EQ(first.targetPath, second.targetPath);
        const FreeImagePtr written(FreeImage_Load(FIF_JPEG, first.targetPath.c_str(), 0));
        ASSERT_TRUE(written);
        EXPECT_EQ(FreeImage_GetWidth(written.get()), 1500u);
    }
    EXPECT_EQ(results.back().status, ItemStatus::Unsuccessful);
    EXPECT_EQ(results.back().failedStage, PipelineStage::Decode);
}

// Each attempt to take an item asks once; after four the run stops with exactly the items taken
// done, reported in order and written.
TEST(ParallelBatchTest, AStopEndsTheRunAfterTheItemsTaken) {
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "out");
    std::vector<std::string> sources;
    for (int i = 0; i < 10; ++i) {
        sources.push_back(dir.file("s" + std::to_string(i) + ".png"));
        WriteUniformPng(sources.back(), 64, 48);
    }
    OutputSettings output;
    output.formatChoice = "BMP";
    output.outputFolder = dir.file("out");
    std::atomic<int> asked{0};
    std::vector<std::size_t> order;
    ParallelBatchCallbacks callbacks;
    callbacks.onResult = [&](std::size_t index, const PipelineResult& result) {
        order.push_back(index);
        EXPECT_EQ(result.status, ItemStatus::Successful) << result.reason;
    };
    callbacks.stopRequested = [&] { return ++asked > 4; };
    const std::size_t reported = RunParallelBatch(sources, WatermarkSettings{}, output, 3, callbacks);
    EXPECT_EQ(reported, 4u);
    EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3}));
    std::size_t written = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path() / "out"))
        ++written;
    EXPECT_EQ(written, 4u);
}

// The window's view of a run: each item's start in list order before its result, and the composed
// picture of every item that was decoded, on the worker that made it, before its result.
TEST(ParallelBatchTest, StartsComeInListOrderAndPicturesBeforeResults) {
    test::ScratchDir dir;
    std::filesystem::create_directory(dir.path() / "out");
    std::vector<std::string> sources;
    for (int i = 0; i < 8; ++i) {
        sources.push_back(dir.file("s" + std::to_string(i) + ".png"));
        WriteUniformPng(sources.back(), 30 + 10 * (i % 3), 20);
    }
    sources[5] = dir.file("missing.png");
    OutputSettings output;
    output.formatChoice = "BMP";
    output.outputFolder = dir.file("out");

    std::mutex mutex;
    std::vector<int> pictureWidth(sources.size(), -1);
    std::vector<std::string> events;
    ParallelBatchCallbacks callbacks;
    callbacks.onStarted = [&](std::size_t index) { events.push_back("start " + std::to_string(index)); };
    callbacks.onItemDone = [&](std::size_t index, WorkingImage& image, const PipelineResult& result) {
        EXPECT_NE(image.SourceImage, nullptr); // not released yet
        EXPECT_EQ(result.status, ItemStatus::Successful);
        std::lock_guard lock(mutex);
        pictureWidth[index] = image.ComposedBitmap.Width();
    };
    callbacks.onResult = [&](std::size_t index, const PipelineResult&) {
        std::lock_guard lock(mutex);
        const int expected = index == 5 ? -1 : 30 + 10 * int(index % 3);
        EXPECT_EQ(pictureWidth[index], expected) << index;
        events.push_back("result " + std::to_string(index));
    };
    EXPECT_EQ(RunParallelBatch(sources, WatermarkSettings{}, output, 3, callbacks), sources.size());

    std::size_t nextStart = 0, nextResult = 0;
    for (const std::string& event : events) {
        const std::size_t index = std::stoul(event.substr(event.find(' ') + 1));
        if (event.rfind("start", 0) == 0) {
            EXPECT_EQ(index, nextStart++);
        } else {
            EXPECT_EQ(index, nextResult++);
            EXPECT_LT(index, nextStart) << "a result before its start";
        }
    }
    EXPECT_EQ(nextStart, sources.size());
    EXPECT_EQ(nextResult, sources.size());
}

} // namespace
} // namespace tessoly
