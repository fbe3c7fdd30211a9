#include "imagelist/ReadingImagesProcess.h"

#include "imagelist/ReadImageFacts.h"

namespace tessoly {

TReadingImagesProcess::TReadingImagesProcess(std::shared_ptr<HandOffGate> gate,
                                             std::shared_ptr<JobFlags> flags, ReadingHost& host,
                                             QStringList paths, QObject* parent)
    : QThread(parent), gate_(std::move(gate)), flags_(std::move(flags)), host_(host),
      paths_(std::move(paths)) {}

template <typename Step> void TReadingImagesProcess::HandOff(Step step) {
    gate_->Run([this, &step]() { step(host_); });
}

void TReadingImagesProcess::run() {
    flags_->ReadingInProgress.store(true);
    HandOff([](ReadingHost& host) { host.BeginReading(); });
    HandOff([](ReadingHost& host) { host.HoldListRepaint(true); });

    const int count = static_cast<int>(paths_.size());
    for (int index = 0; index < count; ++index) {
        if (TerminateRequested() || gate_->IsClosed()) {
            continue;
        }
        const QString& path = paths_[index];
        HandOff([&](ReadingHost& host) { host.ShowReadingProgress(index, count, path); });
        const ImageListItem item = ReadImageFacts(path);
        HandOff([&](ReadingHost& host) { host.AddReadItem(item); });
    }

    HandOff([](ReadingHost& host) { host.HoldListRepaint(false); });
    HandOff([](ReadingHost& host) { host.EndReading(); });
    HandOff([](ReadingHost& host) { host.UpdatePreviewPlaceholder(); });
    flags_->ReadingInProgress.store(false);
    // The job's share of the gate and the flags goes with its last step, on this thread, so the
    // window may free them as soon as it has seen the job end.
    gate_.reset();
    flags_.reset();
}

} // namespace tessoly
