#pragma once
// TWatermarkProcess: the batch job that writes a watermarked copy of every checked list row.
//
// The job reads the rows and the settings once (the window is busy meanwhile, so neither can
// change) and runs the checked rows through RunParallelBatch, the same parallel batch tessoly-cli
// uses: decode, compose and write happen on worker threads, one per core, each with its own
// working image and font object, and the existing-file policy decides as a one-by-one run in list
// order would. The window sees only what it shows, through WatermarkHost steps run on the
// user-interface thread by the HandOffGate while the job's thread waits: a row's start (status,
// path, gauge) and, in list order, its end (the error box of a failed image, the composed picture
// of the most recently finished image, the final status).
//
// A terminate request starts no new image: the images in progress finish and are reported, the
// rest keep their status, and a cancelled run shows no summary, opens no folder and does not
// re-render. Once the gate is closed (the window is gone) the workers take no new image either and
// the job ends when the images in hand are written; each output is written whole or not at all,
// so closing the window never leaves a half-written file behind.

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QString>

#include "batch/HostJob.h"
#include "batch/ImagePipeline.h"
#include "batch/ItemStatus.h"
#include "imageio/OutputSettings.h"
#include "imageio/WorkingImage.h"
#include "render/Bitmap32.h"
#include "render/WatermarkSettings.h"

namespace tessoly {

//! What the job needs of one list row, read once at its start (the list is disabled meanwhile).
struct BatchRow {
    QString path;
    bool checked = false;
};

//! The settings of a run, read once from the controls (which the busy state disables).
struct BatchSettings {
    WatermarkSettings watermark;
    OutputSettings output;
};

//! The composed picture of a finished image, on its way from a worker to the preview.
struct BatchPicture {
    //! The picture as written (before output conversion); the unmarked source after a failed compose.
    TBitmap32 bitmap;
    //! The preview's properties line for it.
    std::string properties;
};

//! The window side of the batch job. Every method runs on the user-interface thread, inside a
//! hand-off, while the job's thread waits; none runs after the gate is closed.
class WatermarkHost {
public:
    virtual ~WatermarkHost() = default;
    //! The rows as they are now, in list order.
    virtual std::vector<BatchRow> BatchRows() = 0;
    //! The settings of the run, from the controls.
    virtual BatchSettings ReadBatchSettings() = 0;
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
    //! What became of row's image, in list order, before its final status is set: shows picture
    //! in the preview when there is one (the host may swap its own preview bitmap into
    //! picture->bitmap, which the job then reuses) and, for an image that could not be decoded or
    //! composed, the modal error box with result.reason; returns when the box is closed.
    virtual void ShowItemResult(int row, const PipelineResult& result, BatchPicture* picture) = 0;
    //! After the run: the decoded source of the last picture shown, so that later renders of the
    //! preview start from it. The host may take its bitmaps.
    virtual void RestoreSource(WorkingImage& decoded) = 0;
    //! The modal end-of-run error box; returns when it is closed.
    virtual void ReportErrors(const QString& message) = 0;
    //! Opens the output folder when the open-folder button is down and a folder is chosen.
    virtual void OpenOutputFolder() = 0;
    //! Draws the preview again when "Show guide lines" is checked (nothing is written).
    virtual void RerenderWithGuideLines() = 0;
};

//! Terminate() starts no new image; the images in progress finish and are reported.
class TWatermarkProcess : public HostJob<WatermarkHost> {
    Q_OBJECT
public:
    //! Created on the user-interface thread; start() runs the job on threads worker threads
    //! (0: one per core).
    TWatermarkProcess(std::shared_ptr<HandOffGate> gate, std::shared_ptr<JobFlags> flags, WatermarkHost& host,
                      int threads = 0, QObject* parent = nullptr);

    //! Rows begun so far. Read after the job has ended.
    int ProcessedCount() const { return processedCount_.load(); }
    //! Rows counted as failed or skipped. Read after the job has ended.
    int ErrorCount() const { return errorCount_.load(); }

protected:
    //! Execute, on the job's thread.
    void run() override;

private:
    //! Worker thread: keeps the composed picture of item index for the preview.
    void KeepPicture(std::size_t index, WorkingImage& image);
    //! Job thread: the kept picture of item index, if any, taken out of the store.
    std::unique_ptr<BatchPicture> TakePicture(std::size_t index);
    //! Any thread: a bitmap back to the spares the workers swap in.
    void Recycle(TBitmap32&& bitmap);

    const int threads_;
    std::atomic<int> processedCount_{0};
    std::atomic<int> errorCount_{0};

    //! Guards pictures_ and spares_, which the workers and the job's thread share.
    std::mutex pictureMutex_;
    //! Pictures of finished items not yet shown, by item index; at most a few.
    std::map<std::size_t, std::unique_ptr<BatchPicture>> pictures_;
    //! Bitmaps given back by the preview or dropped, for the workers to compose the next images in.
    std::vector<TBitmap32> spares_;
};

} // namespace tessoly
