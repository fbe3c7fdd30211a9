#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QThread>

#include "batch/ProgressPercent.h"
#include "batch/WatermarkProcess.h"
#include "support/JobTestSupport.h"

namespace tessoly {
namespace {

//! A list of rows and a record of every step the job asked for, in order.
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
        Record("progress " + path.toStdString() + " " + std::to_string(percent));
        gauge.push_back(percent);
    }
    ItemStatus ProcessImage(const QString& path) override {
        Record("process " + path.toStdString());
        processRunning.push_back(flags_->BatchRunning.load());
        if (onProcess) {
            onProcess(path);
        }
        const auto found = outcomes.find(path.toStdString());
        return found == outcomes.end() ? ItemStatus::Successful : found->second;
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
    std::map<std::string, ItemStatus> outcomes;
    std::function<void(const QString&)> onProcess;

    std::vector<std::string> steps;
    std::vector<int> gauge;
    std::vector<std::string> messages;
    std::vector<bool> processRunning;
    std::vector<bool> rerenderRunning;
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
        gate = std::make_shared<HandOffGate>();
        flags = std::make_shared<JobFlags>();
        host = std::make_unique<FakeBatchHost>(flags);
    }
    void TearDown() override { gate->Close(); }

    void AddRows(int count, const std::vector<int>& unchecked = {}) {
        for (int i = 0; i < count; ++i) {
            FakeBatchHost::Row row;
            row.path = QString("/in/%1.jpg").arg(i);
            row.checked = std::find(unchecked.begin(), unchecked.end(), i) == unchecked.end();
            host->rows.push_back(row);
        }
    }

    void Run() {
        TWatermarkProcess job(gate, flags, *host);
        job.start();
        ASSERT_TRUE(test::RunUntilFinished(job));
        errorCount = job.ErrorCount();
        processedCount = job.ProcessedCount();
    }

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
                                        "progress /in/0.jpg 100", "process /in/0.jpg", "status 0 Successful",
                                        "open folder", "unbusy", "rerender", "placeholder"}));
    EXPECT_TRUE(host->allOnUiThread);
    EXPECT_EQ(host->processRunning, std::vector<bool>{true});
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
        host = std::make_unique<FakeBatchHost>(flags);
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
    host->outcomes["/in/1.jpg"] = ItemStatus::Skipped;
    host->outcomes["/in/3.jpg"] = ItemStatus::Skipped;
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
    // The box comes before the folder is opened and the window is given back.
    const auto at = [&](const std::string& s) {
        return std::find(host->steps.begin(), host->steps.end(), s);
    };
    EXPECT_LT(at("errors"), at("open folder"));
    EXPECT_LT(at("open folder"), at("unbusy"));
}

TEST_F(WatermarkJobTest, RowsThatCannotBeProcessedAreUnsuccessfulAndCounted) {
    AddRows(3);
    host->outcomes["/in/0.jpg"] = ItemStatus::Unsuccessful; // cannot be decoded
    Run();
    EXPECT_EQ(host->rows[0].status, ItemStatus::Unsuccessful);
    EXPECT_EQ(errorCount, 1);
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0].rfind("1 error(s) occurred", 0), 0u);
}

TEST_F(WatermarkJobTest, CancelDuringTheSecondOfFiveRows) {
    AddRows(5);
    host->rows[3].status = ItemStatus::Unsuccessful;
    host->outcomes["/in/1.jpg"] = ItemStatus::Skipped;
    TWatermarkProcess job(gate, flags, *host);
    // "Stop" answered Yes while row 2 is being processed.
    host->onProcess = [&](const QString& path) {
        if (path == "/in/1.jpg") {
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
    EXPECT_FALSE(host->Saw("process /in/2.jpg"));
    const std::vector<std::string> tail(host->steps.end() - 2, host->steps.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"unbusy", "placeholder"}));
    EXPECT_FALSE(flags->BatchRunning.load());
}

TEST_F(WatermarkJobTest, NothingCheckedStillGivesTheWindowBack) {
    AddRows(2, {0, 1});
    Run();
    EXPECT_EQ(host->steps, (std::vector<std::string>{"rows", "placeholder", "busy", "open folder", "unbusy",
                                                     "rerender", "placeholder"}));
}

TEST_F(WatermarkJobTest, NoStepRunsAfterTheWindowHasGone) {
    AddRows(6);
    host->onProcess = [&](const QString& path) {
        if (path == "/in/2.jpg") {
            // The window closes between two hand-offs.
            QMetaObject::invokeMethod(
                &test::EnsureQtApp(), [this] { gate->Close(); }, Qt::QueuedConnection);
        }
    };
    Run();
    EXPECT_EQ(host->steps.back(), "process /in/2.jpg");
    EXPECT_FALSE(host->Saw("process /in/3.jpg"));
    EXPECT_FALSE(host->Saw("unbusy"));
    EXPECT_FALSE(flags->BatchRunning.load());
}

TEST_F(WatermarkJobTest, ClosingTheWindowInsideAStepLetsOnlyThatStepFinish) {
    AddRows(3);
    host->onProcess = [&](const QString& path) {
        if (path == "/in/1.jpg") {
            gate->Close();
        }
    };
    Run();
    EXPECT_EQ(host->steps.back(), "process /in/1.jpg");
    EXPECT_FALSE(flags->BatchRunning.load());
}

} // namespace
} // namespace tessoly
