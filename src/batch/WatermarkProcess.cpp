#include "batch/WatermarkProcess.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "batch/BatchSummary.h"
#include "batch/ParallelBatch.h"
#include "batch/ProgressPercent.h"
#include "imageio/SourceDecoder.h"

namespace tessoly {

namespace {

//! Pictures kept beyond those of the workers' images in hand: the oldest unshown one is dropped
//! first (a later picture supersedes it), so memory stays a few frames whatever the order of
//! finishing.
constexpr std::size_t kExtraPictures = 1;

int WorkerCount(int threads) {
    if (threads > 0)
        return threads;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

} // namespace

TWatermarkProcess::TWatermarkProcess(std::shared_ptr<HandOffGate> gate, std::shared_ptr<JobFlags> flags,
                                     WatermarkHost& host, int threads, QObject* parent)
    : HostJob(std::move(gate), std::move(flags), host, parent), threads_(WorkerCount(threads)) {}

void TWatermarkProcess::KeepPicture(std::size_t index, WorkingImage& image) {
    auto picture = std::make_unique<BatchPicture>();
    {
        std::lock_guard lock(pictureMutex_);
        if (!spares_.empty()) {
            picture->bitmap = std::move(spares_.back());
            spares_.pop_back();
        }
    }
    // The worker composes its next image in the spare (reused when of the same size).
    SwapBitmapPixels(image.ComposedBitmap, picture->bitmap);
    picture->properties = PropertiesText(image, picture->bitmap);

    std::lock_guard lock(pictureMutex_);
    pictures_[index] = std::move(picture);
    while (pictures_.size() > static_cast<std::size_t>(threads_) + kExtraPictures) {
        auto oldest = pictures_.begin();
        spares_.push_back(std::move(oldest->second->bitmap));
        pictures_.erase(oldest);
    }
    while (spares_.size() > static_cast<std::size_t>(threads_))
        spares_.erase(spares_.begin());
}

std::unique_ptr<BatchPicture> TWatermarkProcess::TakePicture(std::size_t index) {
    std::lock_guard lock(pictureMutex_);
    std::unique_ptr<BatchPicture> picture;
    // Pictures of items before this one were superseded while they waited: give them back.
    for (auto it = pictures_.begin(); it != pictures_.end() && it->first <= index;) {
        if (it->first == index)
            picture = std::move(it->second);
        else
            spares_.push_back(std::move(it->second->bitmap));
        it = pictures_.erase(it);
    }
    return picture;
}

void TWatermarkProcess::Recycle(TBitmap32&& bitmap) {
    std::lock_guard lock(pictureMutex_);
    if (!bitmap.Empty() && spares_.size() < static_cast<std::size_t>(threads_))
        spares_.push_back(std::move(bitmap));
}

void TWatermarkProcess::run() {
    Flags().BatchRunning.store(true);
    processedCount_.store(0);
    errorCount_.store(0);

    // The rows and settings are read once, on the user-interface thread; the list and the
    // settings stay disabled for the whole run, so they cannot change under the job.
    std::vector<BatchRow> rows;
    BatchSettings settings;
    HandOff([&](WatermarkHost& host) {
        rows = host.BatchRows();
        settings = host.ReadBatchSettings();
    });
    HandOff([](WatermarkHost& host) { host.UpdatePreviewPlaceholder(); });
    HandOff([](WatermarkHost& host) { host.EnterBusyState(); });

    std::vector<std::string> sources;
    std::vector<int> rowOf; // list row of each source
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].checked) {
            sources.push_back(rows[i].path.toStdString());
            rowOf.push_back(static_cast<int>(i));
        }
    }
    const int checkedTotal = static_cast<int>(sources.size());

    std::string lastShown; // the source of the last picture shown
    ParallelBatchCallbacks callbacks;
    callbacks.stopRequested = [this] { return TerminateRequested() || HandOffsClosed(); };
    callbacks.onStarted = [&](std::size_t index) {
        const int row = rowOf[index];
        const int percent = ProgressPercent(processedCount_.fetch_add(1) + 1, checkedTotal);
        const QString& path = rows[static_cast<std::size_t>(row)].path;
        HandOff([&](WatermarkHost& host) {
            host.SetItemStatus(row, ItemStatus::InProgress);
            host.RevealItem(row);
            host.ShowProgress(path, percent);
        });
    };
    callbacks.onItemDone = [this](std::size_t index, WorkingImage& image, const PipelineResult&) {
        KeepPicture(index, image);
    };
    callbacks.onResult = [&](std::size_t index, const PipelineResult& result) {
        const int row = rowOf[index];
        if (CountsAsError(result))
            errorCount_.fetch_add(1);
        std::unique_ptr<BatchPicture> picture = TakePicture(index);
        if (picture)
            lastShown = result.sourcePath;
        HandOff([&](WatermarkHost& host) {
            host.ShowItemResult(row, result, picture.get());
            host.SetItemStatus(row, result.status);
        });
        if (picture)
            Recycle(std::move(picture->bitmap));
    };
    if (!sources.empty())
        RunParallelBatch(sources, settings.watermark, settings.output, threads_, callbacks);
    {
        std::lock_guard lock(pictureMutex_);
        pictures_.clear();
        spares_.clear();
    }

    // The workers composed in place, so the window has no source pixels of the image it shows:
    // decode it once more, here, for the renders that follow the run.
    if (!lastShown.empty() && !HandOffsClosed()) {
        WorkingImage restored;
        if (DecodeSourceImage(restored, lastShown, DecodeTargets::SourceOnly,
                              settings.output.applyExifOrientation)) {
            HandOff([&](WatermarkHost& host) { host.RestoreSource(restored); });
        }
        ReleaseSourceImage(restored);
    }

    if (!TerminateRequested()) {
        const int errors = errorCount_.load();
        if (errors > 0) {
            const QString message = QString::fromStdString(BatchErrorMessage(errors));
            HandOff([&](WatermarkHost& host) { host.ReportErrors(message); });
        }
        HandOff([](WatermarkHost& host) { host.OpenOutputFolder(); });
        Flags().BatchRunning.store(false);
        HandOff([](WatermarkHost& host) { host.LeaveBusyState(); });
        HandOff([](WatermarkHost& host) { host.RerenderWithGuideLines(); });
    } else {
        Flags().BatchRunning.store(false);
        HandOff([](WatermarkHost& host) { host.LeaveBusyState(); });
    }
    HandOff([](WatermarkHost& host) { host.UpdatePreviewPlaceholder(); });
    ReleaseShares();
}

} // namespace tessoly
