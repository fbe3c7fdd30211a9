#pragma once
// TWatermarkProcess: the batch job that writes a watermarked copy of every checked list row.
//
// The worker thread walks a snapshot of the rows in list order and keeps the counters; every step
// that touches the window, the list or an image is a WatermarkHost method run on the
// user-interface thread through the HandOffGate while the worker waits. All image work of one
// row (decode, compose, convert, write) is the single ProcessImage step, so rows are processed
// strictly one after another and the window paints and answers Stop between steps.
//
// A terminate request is tested before each row: the row in hand always ends with its real
// status, the rest keep theirs, and a cancelled run shows no summary, opens no folder and does
// not re-render. Once the gate is closed (the window is gone) no step runs: the job passes over
// every remaining row and ends; an image is only ever written inside a step, so closing the
// window never leaves a half-written file behind.

#include <atomic>
#include <memory>
#include <vector>

#include <QString>

#include "batch/HostJob.h"
#include "batch/ItemStatus.h"

namespace tessoly {

//! What the job needs of one list row, read once at its start (the list is disabled meanwhile).
struct BatchRow {
    QString path;
    bool checked = false;
};

//! The window side of the batch job. Every method runs on the user-interface thread, inside a
//! hand-off, while the worker waits; none runs after the gate is closed.
class WatermarkHost {
public:
    virtual ~WatermarkHost() = default;
    //! The rows as they are now, in list order.
    virtual std::vector<BatchRow> BatchRows() = 0;
    virtual void UpdatePreviewPlaceholder() = 0;
    //! The busy state, batch variant.
    virtual void EnterBusyState() = 0;
    virtual void LeaveBusyState() = 0;
    //! Sets row's status icon (the counter label follows).
    virtual void SetItemStatus(int row, ItemStatus status) = 0;
    //! Scrolls the list so that row is at least partly visible.
    virtual void RevealItem(int row) = 0;
    //! The path in the status bar and the gauge at percent.
    virtual void ShowProgress(const QString& path, int percent) = 0;
    //! Decodes, composes, shows and writes path (LoadPreviewImage while BatchRunning is set) and
    //! returns the row's new status: Successful, Unsuccessful (the output could not be written,
    //! or decoding or processing raised an error, whose box has been shown and closed) or
    //! Skipped (the existing-file policy).
    virtual ItemStatus ProcessImage(const QString& path) = 0;
    //! The modal end-of-run error box; returns when it is closed.
    virtual void ReportErrors(const QString& message) = 0;
    //! Opens the output folder when the open-folder button is down and a folder is chosen.
    virtual void OpenOutputFolder() = 0;
    //! Draws the preview again when "Show guide lines" is checked (nothing is written).
    virtual void RerenderWithGuideLines() = 0;
};

//! Terminate() ends the run after the row in hand.
class TWatermarkProcess : public HostJob<WatermarkHost> {
    Q_OBJECT
public:
    //! Created on the user-interface thread; start() runs the job.
    TWatermarkProcess(std::shared_ptr<HandOffGate> gate, std::shared_ptr<JobFlags> flags, WatermarkHost& host,
                      QObject* parent = nullptr);

    //! Rows begun so far, the current one included. Read after the job has ended.
    int ProcessedCount() const { return processedCount_.load(); }
    //! Rows counted as failed or skipped. Read after the job has ended.
    int ErrorCount() const { return errorCount_.load(); }

protected:
    //! Execute, on the worker thread.
    void run() override;

private:
    std::atomic<int> processedCount_{0};
    std::atomic<int> errorCount_{0};
};

} // namespace tessoly
