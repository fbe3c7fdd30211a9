// Figures for the window's two jobs, printed rather than asserted: run by hand with
//   TESSOLY_SPEED_DIR=/some/folder test_app --gtest_also_run_disabled_tests --gtest_filter='*Speed*'
// The folder keeps the generated sources, so tessoly-cli can be timed on the same files:
//   /usr/bin/time tessoly-cli --jobs 1 --output-folder /some/folder/cli-out /some/folder/batch
// (on a busy machine compare processor times, which the batch figure also prints).
//
// - A batch of 200 pictures of 1920 x 1080 through the window (dialogs answered by the seam).
// - Adding a folder of 2000 files: the longest time the user-interface thread was held by one
//   hand-off, and the longest gap between two timer ticks of its event loop (how long input would
//   have waited at worst).
// - A batch of 40 photos of 6000 x 4000 through the window on every core, and adding a folder of
//   2000 such photos until the last row is listed, each with the longest event-loop gap. The
//   photos are copies of one file made in TESSOLY_SPEED_DIR (keep it outside the repository);
//   time tessoly-cli on the same folder with
//     /usr/bin/time tessoly-cli --jobs 2 --output-folder /some/folder/cli-out /some/folder/photos40

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <time.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include "app/ListWindowFixture.h"

namespace tessoly {
namespace {

namespace fs = std::filesystem;
using test::ListWindowTest;

//! Processor time of this process so far [s], user and system, all threads.
double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

fs::path SpeedFolder(const test::ScratchDir& scratch) {
    const QString given = qEnvironmentVariable("TESSOLY_SPEED_DIR");
    return given.isEmpty() ? scratch.path() : fs::path(given.toStdString());
}

//! Processor time of the calling thread so far [ns].
qint64 ThreadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

//! The largest gap [ms] between ticks of a 1 ms timer while the event loop runs, and the most
//! processor time the user-interface thread spent between two ticks: on a machine whose cores are
//! busy with other work a gap is mostly the wait for a core, this part is the program's own.
class LoopLatency {
public:
    LoopLatency() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            const qint64 cpu = ThreadCpuNs();
            if (last_ >= 0) {
                worst_ = std::max(worst_, now - last_);
                worstWork_ = std::max(worstWork_, cpu - lastCpu_);
            }
            last_ = now;
            lastCpu_ = cpu;
        });
        clock_.start();
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.start(1);
    }
    double WorstMs() const { return double(worst_) / 1e6; }
    double WorstWorkMs() const { return double(worstWork_) / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = -1;
    qint64 lastCpu_ = 0;
    qint64 worst_ = 0;
    qint64 worstWork_ = 0;
};

TEST_F(ListWindowTest, DISABLED_SpeedBatchOf200FullHdPictures) {
    const fs::path root = SpeedFolder(scratch);
    const fs::path sources = root / "batch";
    fs::create_directories(sources);
    QStringList paths;
    for (int i = 0; i < 200; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%03d.jpg", i);
        const fs::path path = sources / name;
        if (!fs::exists(path)) {
            test::SavePicture(path.string(), FIF_JPEG, 1920, 1080);
        }
        paths << QString::fromStdString(path.string());
    }
    AddRows(paths);
    ASSERT_EQ(Model().Count(), 200);

    const fs::path out = root / "window-out";
    fs::remove_all(out);
    fs::create_directories(out);
    form->sDirectoryEditOutput->setText(QString::fromStdString(out.string()));
    form->sSpeedButtonOpenFolder->click(); // nothing to open in a measurement

    LoopLatency latency;
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = ProcessCpuSeconds();
    form->sBitBtnStart->click();
    ASSERT_TRUE(WaitIdle(600000));
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("[speed] window batch: %.2f s of processor time\n", ProcessCpuSeconds() - cpuBefore);
    std::printf(
        "[speed] window batch: 200 pictures 1920 x 1080 in %.2f s (%.1f ms each); longest event-loop gap "
        "%.1f ms\n",
        seconds, seconds * 5.0, latency.WorstMs());
    EXPECT_EQ(
        std::count_if(fs::directory_iterator(out), fs::directory_iterator(), [](auto&) { return true; }),
        200);
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(ListWindowTest, DISABLED_SpeedAddFolderOf2000Files) {
    const fs::path folder = SpeedFolder(scratch) / "many";
    fs::create_directories(folder);
    for (int i = 0; i < 2000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "s%04d.png", i);
        const fs::path path = folder / name;
        if (!fs::exists(path)) {
            test::SavePicture(path.string(), FIF_PNG, 320, 240);
        }
    }

    // The time between the start of one step and the start of the next, and how long each step
    // held the user-interface thread, seen from the gauge (set once per file by its first step).
    QElapsedTimer clock;
    clock.start();
    qint64 lastStep = -1;
    qint64 worstGap = 0;
    QObject::connect(form->sGaugeProcess, &QProgressBar::valueChanged, [&](int value) {
        if (value == 0) {
            return;
        }
        const qint64 now = clock.nsecsElapsed();
        if (lastStep >= 0) {
            worstGap = std::max(worstGap, now - lastStep);
        }
        lastStep = now;
    });
    LoopLatency latency;
    seam.directoryAnswers.push_back(QString::fromStdString(folder.string()));
    const qint64 start = clock.nsecsElapsed();
    form->sBitBtnAddFolder->click();
    ASSERT_TRUE(WaitIdle(600000));
    const double seconds = double(clock.nsecsElapsed() - start) / 1e9;
    ASSERT_EQ(Model().Count(), 2000);
    std::printf("[speed] add folder: 2000 files in %.2f s; longest gap between two files' hand-offs %.1f ms; "
                "longest event-loop gap %.1f ms\n",
                seconds, double(worstGap) / 1e6, latency.WorstMs());
}

//! count copies of one 6000 x 4000 JPEG in folder, named p0000.jpg ...; their paths.
QStringList LargeJpegCopies(const fs::path& folder, int count) {
    fs::create_directories(folder);
    const fs::path original = folder.parent_path() / "original-6000x4000.jpg";
    if (!fs::exists(original)) {
        test::SavePicture(original.string(), FIF_JPEG, 6000, 4000);
    }
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%04d.jpg", i);
        const fs::path path = folder / name;
        if (!fs::exists(path)) {
            fs::copy_file(original, path);
        }
        paths << QString::fromStdString(path.string());
    }
    return paths;
}

TEST_F(ListWindowTest, DISABLED_SpeedBatchOf40LargeJpegs) {
    const fs::path root = SpeedFolder(scratch);
    const QStringList paths = LargeJpegCopies(root / "photos40", 40);
    AddRows(paths);
    ASSERT_EQ(Model().Count(), 40);
    const fs::path out = root / "window-out";
    fs::remove_all(out);
    fs::create_directories(out);
    form->sDirectoryEditOutput->setText(QString::fromStdString(out.string()));
    form->sSpeedButtonOpenFolder->click(); // nothing to open in a measurement

    LoopLatency latency;
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = ProcessCpuSeconds();
    form->sBitBtnStart->click();
    ASSERT_TRUE(WaitIdle(1800000));
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("[speed] window batch: 40 photos 6000 x 4000 in %.2f s (%.2f s of processor time); longest "
                "event-loop gap %.1f ms, of the user-interface thread's own work at most %.1f ms\n",
                seconds, ProcessCpuSeconds() - cpuBefore, latency.WorstMs(), latency.WorstWorkMs());
    EXPECT_EQ(
        std::count_if(fs::directory_iterator(out), fs::directory_iterator(), [](auto&) { return true; }), 40);
    EXPECT_TRUE(seam.messages.empty());
}

TEST_F(ListWindowTest, DISABLED_SpeedAddFolderOf2000LargeJpegs) {
    const fs::path folder = SpeedFolder(scratch) / "photos2000";
    LargeJpegCopies(folder, 2000);

    QElapsedTimer clock;
    clock.start();
    qint64 lastRowListed = -1;
    QObject::connect(&Model(), &ImageListModel::ListChanged, [&] {
        if (lastRowListed < 0 && Model().Count() == 2000) {
            lastRowListed = clock.nsecsElapsed();
        }
    });
    LoopLatency latency;
    seam.directoryAnswers.push_back(QString::fromStdString(folder.string()));
    const qint64 start = clock.nsecsElapsed();
    form->sBitBtnAddFolder->click();
    ASSERT_TRUE(WaitIdle(1800000));
    ASSERT_EQ(Model().Count(), 2000);
    ASSERT_GE(lastRowListed, 0);
    EXPECT_EQ(Model().Item(1999).dimensionsText, "6000 x 4000");
    std::printf("[speed] add folder: 2000 photos 6000 x 4000, last row listed after %.2f s, job ended after "
                "%.2f s; longest event-loop gap %.1f ms, of the user-interface thread's own work at most "
                "%.1f ms\n",
                double(lastRowListed - start) / 1e9, double(clock.nsecsElapsed() - start) / 1e9,
                latency.WorstMs(), latency.WorstWorkMs());
}

} // namespace
} // namespace tessoly
