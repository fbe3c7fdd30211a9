#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QThread>

#include <FreeImage.h>

#include "batch/ProgressPercent.h"
#include "batch/WatermarkProcess.h"
#include "imageio/FreeImageHandle.h"
#include "imageio/FreeImageLibrary.h"
#include "support/JobTestSupport.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

//! A list of rows over real files and a record of every step the job asked for, in order.
class FakeBatchHost : public WatermarkHost {
public:
    explicit FakeBatchHost(std::shared_ptr<JobFlags> flags) : flags_(std::move(flags)) {}

    std::vector<BatchRow> BatchRows() override {
        Record("rows");
        std::vector<BatchRow> out;
        for (const auto& row : rows) {
            out.push_back({row.path, row.checked});
        }
        return out;
    }
    void UpdatePreviewPlaceholder() override { Record("placeholder"); }
    void EnterBusyState() override { Record("busy"); }
    void LeaveBusyState() override { Record("unbusy"); }
    void SetItemStatus(int row, ItemStatus status) override {
        Record("status " + std::to_string(row) + " " + ItemStatusName(status));
        rows[static_cast<std::size_t>(row)].status = status;
    }
    void RevealItem(int row) override { Record("reveal " + std::to_string(row)); }
    void ShowProgress(const QString& path, int percent) override {
        Record("progress " + std::filesystem::path(path.toStdString()).filename().string() + " " +
               std::to_string(percent));
        gauge.push_back(percent);
        if (onProgress) {
            onProgress(path);
        }
    }
    BatchSettings ReadBatchSettings() override { return settings; }
    void ShowItemResult(int row, const PipelineResult& result, BatchPicture* picture) override {
        Record("result " + std::to_string(row));
        processRunning.push_back(flags_->BatchRunning.load());
        reasons.push_back(result.reason);
        pictureSizes.push_back(picture ? std::to_string(picture->bitmap.Width()) + " x " +
                                             std::to_string(picture->bitmap.Height())
                                       : "none");
        if (picture && !picture->properties.empty()) {
            properties.push_back(picture->properties);
        }
    }
    void RestoreSource(WorkingImage& decoded) override {
        Record("restore");
        restoredWidth = decoded.SourceBitmap.Width();
    }
    void ReportErrors(const QString& message) override {
        Record("errors");
        messages.push_back(message.toStdString());
    }
    void OpenOutputFolder() override { Record("open folder"); }
    void RerenderWithGuideLines() override {
        Record("rerender");
        rerenderRunning.push_back(flags_->BatchRunning.load());
    }

    struct Row {
        QString path;
        bool checked = true;
        ItemStatus status = ItemStatus::Waiting;
    };
    std::vector<Row> rows;
    BatchSettings settings;
    std::function<void(const QString&)> onProgress;

    std::vector<std::string> steps;
    std::vector<int> gauge;
    std::vector<std::string> messages;
    std::vector<bool> processRunning;
    std::vector<bool> rerenderRunning;
    std::vector<std::string> reasons;
    std::vector<std::string> pictureSizes;
    std::vector<std::string> properties;
    int restoredWidth = -1;
    bool allOnUiThread = true;

    bool Saw(const std::string& step) const {
        return std::find(steps.begin(), steps.end(), step) != steps.end();
    }

private:
    void Record(const std::string& step) {
        steps.push_back(step);
        allOnUiThread = allOnUiThread && QThread::currentThread() == test::EnsureQtApp().thread();
    }
    std::shared_ptr<JobFlags> flags_;
};

class WatermarkJobTest : public testing::Test {
protected:
    void SetUp() override {
        test::EnsureQtApp();
        static FreeImageLibrary library;
        gate = std::make_shared<HandOffGate>();
        flags = std::make_shared<JobFlags>();
        std::filesystem::create_directories(dir.path() / "in");
        std::filesystem::create_directories(dir.path() / "out");
        NewHost();
    }
    void TearDown() override { gate->Close(); }

    void NewHost() {
        host = std::make_unique<FakeBatchHost>(flags);
        host->settings.watermark.caption = u"Job";
        host->settings.output.formatChoice = "BMP";
        host->settings.output.outputFolder = dir.file("out");
    }
    //! in/<i>.png, w x h, uniform.
    std::string Picture(int i, int width = 40, int height = 30) {
        const std::string path = dir.file("in/" + std::to_string(i) + ".png");
        const FreeImagePtr image(FreeImage_Allocate(width, height, 24));
        EXPECT_TRUE(FreeImage_Save(FIF_PNG, image.get(), path.c_str(), 0));
        return path;
    }
    //! count rows over in/0.png ...; the unchecked ones are listed.
    void AddRows(int count, const std::vector<int>& unchecked = {}) {
        for (int i = 0; i < count; ++i) {
            FakeBatchHost::Row row;
            row.path = QString::fromStdString(Picture(i));
            row.checked = std::find(unchecked.begin(), unchecked.end(), i) == unchecked.end();
            host->rows.push_back(row);
        }
    }

    void Run(int threads = 2) {
        TWatermarkProcess job(gate, flags, *host, threads);
        job.start();
        ASSERT_TRUE(test::RunUntilFinished(job));
        errorCount = job.ErrorCount();
        processedCount = job.ProcessedCount();
    }

    test::ScratchDir dir;
    std::shared_ptr<HandOffGate> gate;
    std::shared_ptr<JobFlags> flags;
    std::unique_ptr<FakeBatchHost> host;
    int errorCount = -1;
    int processedCount = -1;
};

TEST_F(WatermarkJobTest, EachRowGoesThroughItsStepsInOrder) {
    AddRows(1);
    Run();
    EXPECT_EQ(host->steps,
              (std::vector<std::string>{"rows", "placeholder", "busy", "status 0 InProgress", "reveal 0",
                                        "progress 0.png 100", "result 0", "status 0 Successful", "restore",
                                        "open folder", "unbusy", "rerender", "placeholder"}));
    EXPECT_TRUE(host->allOnUiThread);
    EXPECT_EQ(host->processRunning, std::vector<bool>{true});
    // The composed picture reaches the window with its properties line, and its source after the run.
    EXPECT_EQ(host->pictureSizes, std::vector<std::string>{"40 x 30"});
    ASSERT_EQ(host->properties.size(), 1u);
    EXPECT_EQ(host->properties[0].rfind(" 40 x 30  |  24 BPP  |  ", 0), 0u) << host->properties[0];
    EXPECT_EQ(host->restoredWidth, 40);
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "out/0.bmp"));
    // The re-render after the run draws the guide lines again: the batch flag is already down.
    EXPECT_EQ(host->rerenderRunning, std::vector<bool>{false});
    EXPECT_FALSE(flags->BatchRunning.load());
    EXPECT_EQ(errorCount, 0);
}

TEST_F(WatermarkJobTest, GaugeCountsCheckedRowsOnly) {
    struct Case {
        int rows;
        std::vector<int> unchecked;
        std::vector<int> gauge;
    };
    const std::vector<Case> cases = {
        {3, {}, {33, 67, 100}},
        {8, {}, {12, 25, 38, 50, 62, 75, 88, 100}},
        {6, {1, 3, 4}, {33, 67, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        NewHost();
        host->settings.output.existingFilePolicy = ExistingFilePolicy::Overwrite;
        AddRows(c.rows, c.unchecked);
        Run();
        EXPECT_EQ(host->gauge, c.gauge);
        EXPECT_EQ(processedCount, static_cast<int>(c.gauge.size()));
        for (int i : c.unchecked) {
            EXPECT_EQ(host->rows[static_cast<std::size_t>(i)].status, ItemStatus::Waiting);
            EXPECT_FALSE(host->Saw("reveal " + std::to_string(i)));
        }
    }
}

TEST(ProgressPercent, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(ProgressPercent(1, 8), 12);
    EXPECT_EQ(ProgressPercent(3, 8), 38);
    EXPECT_EQ(ProgressPercent(5, 8), 62);
    EXPECT_EQ(ProgressPercent(7, 8), 88);
    EXPECT_EQ(ProgressPercent(1, 3), 33);
    EXPECT_EQ(ProgressPercent(2, 3), 67);
    EXPECT_EQ(ProgressPercent(1, 200), 0); // 0.5
    EXPECT_EQ(ProgressPercent(3, 200), 2); // 1.5
    EXPECT_EQ(ProgressPercent(0, 0), 0);
    EXPECT_EQ(ProgressPercent(9, 8), 100);
}

TEST_F(WatermarkJobTest, SkippedAndFailedRowsAreCountedWithTheExactSummary) {
    AddRows(5);
    host->rows[4].status = ItemStatus::Skipped; // from an earlier run: gets its new status
    test::WriteFileBytes(dir.path() / "out/1.bmp", "older");
    test::WriteFileBytes(dir.path() / "out/3.bmp", "older");
    Run();
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0], "2 error(s) occurred during the watermarking process!\r\n"
                                 "Probably disk write error or skipped image.");
    const std::vector<ItemStatus> expected = {ItemStatus::Successful, ItemStatus::Skipped,
                                              ItemStatus::Successful, ItemStatus::Skipped,
                                              ItemStatus::Successful};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(host->rows[i].status, expected[i]) << i;
    }
    EXPECT_EQ(errorCount, 2);
    EXPECT_EQ(test::ReadFileBytes(dir.path() / "out/1.bmp"), "older");
    // Statuses are set in list order, each after its row's result.
    std::vector<std::string> finals;
    for (const std::string& step : host->steps) {
        if (step.rfind("status ", 0) == 0 && step.find("InProgress") == std::string::npos) {
            finals.push_back(step.substr(7, 1));
        }
    }
    EXPECT_EQ(finals, (std::vector<std::string>{"0", "1", "2", "3", "4"}));
    // The box comes before the folder is opened and the window is given back.
    const auto at = [&](const std::string& s) {
        return std::find(host->steps.begin(), host->steps.end(), s);
    };
    EXPECT_LT(at("errors"), at("open folder"));
    EXPECT_LT(at("open folder"), at("unbusy"));
}

TEST_F(WatermarkJobTest, RowsThatCannotBeProcessedAreUnsuccessfulAndCounted) {
    AddRows(3);
    std::filesystem::remove(host->rows[0].path.toStdString()); // cannot be decoded
    Run();
    EXPECT_EQ(host->rows[0].status, ItemStatus::Unsuccessful);
    EXPECT_EQ(errorCount, 1);
    // The window is told why (its error box shows the path) and gets no picture for it.
    ASSERT_EQ(host->reasons.size(), 3u);
    EXPECT_EQ(host->reasons[0], host->rows[0].path.toStdString());
    EXPECT_EQ(host->pictureSizes[0], "none");
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0].rfind("1 error(s) occurred", 0), 0u);
}

TEST_F(WatermarkJobTest, CancelDuringTheSecondOfFiveRows) {
    AddRows(5);
    // Row 2 takes long enough that the stop raised as it begins is seen before anything else starts.
    host->rows[1].path = QString::fromStdString(Picture(1, 2400, 1600));
    host->rows[3].status = ItemStatus::Unsuccessful;
    test::WriteFileBytes(dir.path() / "out/1.bmp", "older");
    TWatermarkProcess job(gate, flags, *host, 1);
    // "Stop" answered Yes while row 2 is being processed.
    host->onProgress = [&](const QString& path) {
        if (path == host->rows[1].path) {
            job.Terminate();
        }
    };
    job.start();
    ASSERT_TRUE(test::RunUntilFinished(job));

    EXPECT_EQ(host->rows[0].status, ItemStatus::Successful);
    EXPECT_EQ(host->rows[1].status, ItemStatus::Skipped); // ends with its real status
    EXPECT_EQ(host->rows[2].status, ItemStatus::Waiting);
    EXPECT_EQ(host->rows[3].status, ItemStatus::Unsuccessful);
    EXPECT_EQ(host->rows[4].status, ItemStatus::Waiting);
    EXPECT_TRUE(host->messages.empty());
    EXPECT_FALSE(host->Saw("open folder"));
    EXPECT_FALSE(host->Saw("rerender"));
    EXPECT_FALSE(host->Saw("result 2"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out/2.bmp"));
    const std::vector<std::string> tail(host->steps.end() - 2, host->steps.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"unbusy", "placeholder"}));
    EXPECT_FALSE(flags->BatchRunning.load());
}

// A slow first image while the other worker races ahead: the pictures waiting for their turn are
// bounded (the earliest give way, as the rows after them supersede them as soon as they are shown),
// but every picture that reaches the window is its own row's, and the last row's always does.
TEST_F(WatermarkJobTest, PicturesReachTheWindowWithTheirOwnRows) {
    constexpr int kRows = 12;
    for (int i = 0; i < kRows; ++i) {
        FakeBatchHost::Row row;
        row.path = QString::fromStdString(i == 0 ? Picture(i, 2000, 1500) : Picture(i, 20 + i, 10 + i));
        host->rows.push_back(row);
    }
    Run(2);
    ASSERT_EQ(host->pictureSizes.size(), std::size_t(kRows));
    for (int i = 0; i < kRows; ++i) {
        const std::string own =
            i == 0 ? "2000 x 1500" : std::to_string(20 + i) + " x " + std::to_string(10 + i);
        const std::string& got = host->pictureSizes[std::size_t(i)];
        EXPECT_TRUE(got == own || got == "none") << i << ": " << got;
    }
    EXPECT_EQ(host->pictureSizes.back(),
              std::to_string(20 + kRows - 1) + " x " + std::to_string(10 + kRows - 1));
    EXPECT_EQ(host->restoredWidth, 20 + kRows - 1);
    EXPECT_EQ(errorCount, 0);
}

TEST_F(WatermarkJobTest, NothingCheckedStillGivesTheWindowBack) {
    AddRows(2, {0, 1});
    Run();
    EXPECT_EQ(host->steps, (std::vector<std::string>{"rows", "placeholder", "busy", "open folder", "unbusy",
                                                     "rerender", "placeholder"}));
}

TEST_F(WatermarkJobTest, NoStepRunsAfterTheWindowHasGone) {
    AddRows(6);
    host->onProgress = [&](const QString& path) {
        if (path == host->rows[2].path) {
            // The window closes between two hand-offs.
            QMetaObject::invokeMethod(
                &test::EnsureQtApp(), [this] { gate->Close(); }, Qt::QueuedConnection);
        }
    };
    Run(1);
    EXPECT_EQ(host->steps.back(), "progress 2.png 50");
    EXPECT_FALSE(host->Saw("status 3 InProgress"));
    EXPECT_FALSE(host->Saw("unbusy"));
    EXPECT_FALSE(flags->BatchRunning.load());
}

TEST_F(WatermarkJobTest, ClosingTheWindowInsideAStepLetsOnlyThatStepFinish) {
    AddRows(3);
    host->onProgress = [&](const QString& path) {
        if (path == host->rows[1].path) {
            gate->Close();
        }
    };
    Run();
    EXPECT_EQ(host->steps.back(), "progress 1.png 67");
    EXPECT_FALSE(flags->BatchRunning.load());
}

} // namespace
} // namespace tessoly
