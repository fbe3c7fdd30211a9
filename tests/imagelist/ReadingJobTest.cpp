#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include <QStringList>
#include <QThread>

#include "imageio/FreeImageLibrary.h"
#include "imagelist/ReadingImagesProcess.h"
#include "support/JobTestSupport.h"
#include "support/TestSupport.h"

namespace tessoly {
namespace {

//! Records every step in order and checks each one runs on the user-interface thread.
class FakeReadingHost : public ReadingHost {
public:
    explicit FakeReadingHost(std::shared_ptr<JobFlags> flags) : flags_(std::move(flags)) {}

    void BeginReading() override { Record("begin"); }
    void HoldListRepaint(bool hold) override { Record(hold ? "hold" : "resume"); }
    void ShowReadingProgress(int index, int count, const QString& path) override {
        Record("progress " + std::to_string(index) + "/" + std::to_string(count) + " " + path.toStdString());
        if (onProgress) {
            onProgress(index);
        }
    }
    void AddReadItem(const ImageListItem& item) override {
        Record("add " + item.path.toStdString());
        rows.push_back(item);
    }
    void EndReading() override { Record("end"); }
    void UpdatePreviewPlaceholder() override { Record("placeholder"); }

    std::vector<std::string> steps;
    std::vector<ImageListItem> rows;
    //! The flag as each step saw it.
    std::vector<bool> readingFlag;
    bool allOnUiThread = true;
    std::function<void(int)> onProgress;

private:
    void Record(const std::string& step) {
        steps.push_back(step);
        readingFlag.push_back(flags_->ReadingInProgress.load());
        allOnUiThread = allOnUiThread && QThread::currentThread() == test::EnsureQtApp().thread();
    }
    std::shared_ptr<JobFlags> flags_;
};

class ReadingJobTest : public testing::Test {
protected:
    void SetUp() override {
        test::EnsureQtApp();
        static FreeImageLibrary library;
        gate = std::make_shared<HandOffGate>();
        flags = std::make_shared<JobFlags>();
        host = std::make_unique<FakeReadingHost>(flags);
    }
    void TearDown() override { gate->Close(); }

    QStringList TextFiles(int count) {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            const std::string name = "file" + std::to_string(i) + ".txt";
            test::WriteFileBytes(dir.path() / name, "not an image");
            paths << QString::fromStdString(dir.file(name));
        }
        return paths;
    }

    test::ScratchDir dir;
    std::shared_ptr<HandOffGate> gate;
    std::shared_ptr<JobFlags> flags;
    std::unique_ptr<FakeReadingHost> host;
};

TEST_F(ReadingJobTest, StepsRunInOrderOnTheUserInterfaceThread) {
    const QStringList paths = TextFiles(2);
    TReadingImagesProcess job(gate, flags, *host, paths);
    job.start();
    ASSERT_TRUE(test::RunUntilFinished(job));

    const std::string a = paths[0].toStdString();
    const std::string b = paths[1].toStdString();
    EXPECT_EQ(host->steps,
              (std::vector<std::string>{"begin", "hold", "progress 0/2 " + a, "add " + a, "progress 1/2 " + b,
                                        "add " + b, "resume", "end", "placeholder"}));
    EXPECT_TRUE(host->allOnUiThread);
    // The flag is up for every step and down once the job has ended.
    for (bool up : host->readingFlag) {
        EXPECT_TRUE(up);
    }
    EXPECT_FALSE(flags->ReadingInProgress.load());
    ASSERT_EQ(host->rows.size(), 2u);
    EXPECT_EQ(host->rows[0].formatText, "Unknown");
    EXPECT_EQ(host->rows[0].fileSizeText, "12");
}

TEST_F(ReadingJobTest, StopWhileTheThirdOfTenIsReadAddsExactlyThreeRows) {
    const QStringList paths = TextFiles(10);
    TReadingImagesProcess job(gate, flags, *host, paths);
    // The Start button's click arrives while the third file is being read.
    host->onProgress = [&](int index) {
        if (index == 2) {
            job.Terminate();
        }
    };
    job.start();
    ASSERT_TRUE(test::RunUntilFinished(job));

    ASSERT_EQ(host->rows.size(), 3u);
    EXPECT_EQ(host->rows[2].path, paths[2]);
    const std::vector<std::string> tail(host->steps.end() - 3, host->steps.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"resume", "end", "placeholder"}));
    EXPECT_FALSE(flags->ReadingInProgress.load());
}

TEST_F(ReadingJobTest, NoStepRunsAfterTheWindowHasGone) {
    const QStringList paths = TextFiles(8);
    TReadingImagesProcess job(gate, flags, *host, paths);
    // The window closes between two hand-offs: the close is queued behind the current step.
    host->onProgress = [&](int index) {
        if (index == 3) {
            QMetaObject::invokeMethod(
                &test::EnsureQtApp(), [this] { gate->Close(); }, Qt::QueuedConnection);
        }
    };
    job.start();
    ASSERT_TRUE(test::RunUntilFinished(job));

    const std::size_t stepsAtClose = host->steps.size();
    EXPECT_LE(host->rows.size(), 4u);
    EXPECT_NE(host->steps.back(), "placeholder");
    EXPECT_NE(std::find(host->steps.begin(), host->steps.end(), "progress 3/8 " + paths[3].toStdString()),
              host->steps.end());
    EXPECT_EQ(std::find(host->steps.begin(), host->steps.end(), "progress 4/8 " + paths[4].toStdString()),
              host->steps.end());
    EXPECT_FALSE(flags->ReadingInProgress.load());
    QCoreApplication::processEvents();
    EXPECT_EQ(host->steps.size(), stepsAtClose);
}

TEST_F(ReadingJobTest, ReadsRealPictures) {
    // A folder of mixed files: the job's rows carry the facts of each, in the order given.
    test::WriteFileBytes(dir.path() / "notes.jpg", "just text");
    const QStringList paths = {QString::fromStdString(dir.file("notes.jpg")),
                               QString::fromStdString(dir.file("gone.png"))};
    TReadingImagesProcess job(gate, flags, *host, paths);
    job.start();
    ASSERT_TRUE(test::RunUntilFinished(job));
    ASSERT_EQ(host->rows.size(), 2u);
    EXPECT_EQ(host->rows[0].fileSizeText, "9");
    EXPECT_EQ(host->rows[1].fileSizeText, "");
    EXPECT_EQ(host->rows[1].path, paths[1]);
}

} // namespace
} // namespace tessoly
