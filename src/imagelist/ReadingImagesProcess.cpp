#include "imagelist/ReadingImagesProcess.h"

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
    for (int index = 0; index < count; ++index) {
        if (TerminateRequested() || HandOffsClosed()) {
            continue;
        }
        const QString& path = paths_[index];
        HandOff([&](ReadingHost& host) { host.ShowReadingProgress(index, count, path); });
        const ImageListItem item = ReadImageFacts(path, applyExifOrientation_);
        HandOff([&](ReadingHost& host) { host.AddReadItem(item); });
    }

    HandOff([](ReadingHost& host) { host.HoldListRepaint(false); });
    HandOff([](ReadingHost& host) { host.EndReading(); });
    HandOff([](ReadingHost& host) { host.UpdatePreviewPlaceholder(); });
    Flags().ReadingInProgress.store(false);
    ReleaseShares();
}

} // namespace tessoly
