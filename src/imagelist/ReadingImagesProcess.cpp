#include "imagelist/ReadingImagesProcess.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "imagelist/ReadImageFacts.h"

namespace tessoly {

TReadingImagesProcess::TReadingImagesProcess(std::shared_ptr<HandOffGate> gate,
                                             std::shared_ptr<JobFlags> flags, ReadingHost& host,
                                             QStringList paths, QObject* parent, bool applyExifOrientation)
    : HostJob(std::move(gate), std::move(flags), host, parent), paths_(std::move(paths)),
      applyExifOrientation_(applyExifOrientation) {}

void TReadingImagesProcess::run() {
    Flags().ReadingInProgress.store(true);
    HandOff([](ReadingHost& host) { host.BeginReading(); });
    HandOff([](ReadingHost& host) { host.HoldListRepaint(true); });

    const int count = static_cast<int>(paths_.size());
    // Readers take the paths in order and may run ahead of the rows; the rows are added here, in
    // the order of the paths, each once its facts are in.
    std::mutex mutex;
    std::condition_variable read;
    std::vector<std::optional<ImageListItem>> items(static_cast<std::size_t>(count));
    int nextPath = 0;    // guarded by mutex
    bool noMore = false; // guarded by mutex: set once no further path is wanted
    auto reader = [&] {
        for (;;) {
            int index = 0;
            {
                std::lock_guard lock(mutex);
                if (noMore || nextPath >= count)
                    return;
                index = nextPath++;
            }
            ImageListItem item = ReadImageFacts(paths_[index], applyExifOrientation_);
            {
                std::lock_guard lock(mutex);
                items[static_cast<std::size_t>(index)] = std::move(item);
            }
            read.notify_all();
        }
    };
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> readers;
    for (int t = 0; t < std::min(cores, count); ++t)
        readers.emplace_back(reader);

    for (int index = 0; index < count; ++index) {
        if (TerminateRequested() || HandOffsClosed())
            break;
        ImageListItem item;
        {
            std::unique_lock lock(mutex);
            read.wait(lock, [&] { return items[static_cast<std::size_t>(index)].has_value(); });
            item = std::move(*items[static_cast<std::size_t>(index)]);
        }
        const QString& path = paths_[index];
        // One step per row: a stop clicked while it shows the path still adds that row.
        HandOff([&](ReadingHost& host) {
            host.ShowReadingProgress(index, count, path);
            host.AddReadItem(item);
        });
    }
    {
        std::lock_guard lock(mutex);
        noMore = true;
    }
    // The readers finish the files they have begun; the window does not wait for more.
    for (std::thread& thread : readers)
        thread.join();

    HandOff([](ReadingHost& host) { host.HoldListRepaint(false); });
    HandOff([](ReadingHost& host) { host.EndReading(); });
    HandOff([](ReadingHost& host) { host.UpdatePreviewPlaceholder(); });
    Flags().ReadingInProgress.store(false);
    ReleaseShares();
}

} // namespace tessoly
