#include "batch/WatermarkProcess.h"

#include <algorithm>

#include "batch/BatchSummary.h"
#include "batch/ProgressPercent.h"

namespace tessoly {

TWatermarkProcess::TWatermarkProcess(std::shared_ptr<HandOffGate> gate, std::shared_ptr<JobFlags> flags,
                                     WatermarkHost& host, QObject* parent)
    : HostJob(std::move(gate), std::move(flags), host, parent) {}

void TWatermarkProcess::run() {
    Flags().BatchRunning.store(true);
    processedCount_.store(0);
    errorCount_.store(0);

    // The rows are read once, on the user-interface thread; the list stays disabled for the whole
    // run, so they cannot change under the job.
    std::vector<BatchRow> rows;
    HandOff([&](WatermarkHost& host) { rows = host.BatchRows(); });
    const int checkedTotal = static_cast<int>(
        std::count_if(rows.begin(), rows.end(), [](const BatchRow& r) { return r.checked; }));

    HandOff([](WatermarkHost& host) { host.UpdatePreviewPlaceholder(); });
    HandOff([](WatermarkHost& host) { host.EnterBusyState(); });

    const int count = static_cast<int>(rows.size());
    for (int index = 0; index < count; ++index) {
        const BatchRow& row = rows[static_cast<std::size_t>(index)];
        if (TerminateRequested() || HandOffsClosed() || !row.checked) {
            continue;
        }
        HandOff([&](WatermarkHost& host) { host.SetItemStatus(index, ItemStatus::InProgress); });
        HandOff([&](WatermarkHost& host) { host.RevealItem(index); });
        const int processed = processedCount_.fetch_add(1) + 1;
        const int percent = ProgressPercent(processed, checkedTotal);
        HandOff([&](WatermarkHost& host) { host.ShowProgress(row.path, percent); });

        ItemStatus status = ItemStatus::Unsuccessful;
        if (!HandOff([&](WatermarkHost& host) { status = host.ProcessImage(row.path); })) {
            continue; // the window is gone: nothing was processed and nothing is left to mark
        }
        if (status != ItemStatus::Successful) {
            errorCount_.fetch_add(1);
        }
        HandOff([&](WatermarkHost& host) { host.SetItemStatus(index, status); });
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
