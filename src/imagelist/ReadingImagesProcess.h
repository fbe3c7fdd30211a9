#pragma once
// TReadingImagesProcess: the background job that turns a list of paths into image-list rows.
//
// Reader threads, one per core, measure and identify the files and read their facts from the
// headers (ReadImageFacts), taking the paths in order; the job's thread adds the rows in the order
// of the paths. Every change to the window is a step of the ReadingHost run on the user-interface
// thread through the HandOffGate while the job's thread waits, in this order: BeginReading, hold
// the list's repainting, per file ShowReadingProgress then AddReadItem (one step), resume
// repainting, EndReading, UpdatePreviewPlaceholder. A stop request is tested before each row: the
// row being shown is added, the remaining paths are passed over (the readers finish only the files
// in hand), and the end steps always run, so the window always leaves its busy state. Once the
// gate is closed (the window is gone) no step runs and the job ends after the files in hand.

#include <memory>

#include <QStringList>

#include "batch/HostJob.h"
#include "imagelist/ImageListItem.h"

namespace tessoly {

//! The window side of the reading job. Every method runs on the user-interface thread, inside a
//! hand-off, while the worker waits; none runs after the gate is closed.
class ReadingHost {
public:
    virtual ~ReadingHost() = default;
    //! The busy state (reading variant) and its status-bar captions.
    virtual void BeginReading() = 0;
    //! Hold off (true) or resume (false) the list control's repainting.
    virtual void HoldListRepaint(bool hold) = 0;
    //! Before file index (0-based) of count: the gauge and the path being read.
    virtual void ShowReadingProgress(int index, int count, const QString& path) = 0;
    //! Appends the row; the gauge falls back to 0 without text.
    virtual void AddReadItem(const ImageListItem& item) = 0;
    //! Leaves the busy state and restores the status-bar captions.
    virtual void EndReading() = 0;
    virtual void UpdatePreviewPlaceholder() = 0;
};

//! Terminate() makes the job pass over the files not yet begun.
class TReadingImagesProcess : public HostJob<ReadingHost> {
    Q_OBJECT
public:
    //! Created on the user-interface thread; start() runs the job. paths is the job's own copy;
    //! applyExifOrientation gives the dimensions as the decoder will turn the pictures.
    TReadingImagesProcess(std::shared_ptr<HandOffGate> gate, std::shared_ptr<JobFlags> flags,
                          ReadingHost& host, QStringList paths, QObject* parent = nullptr,
                          bool applyExifOrientation = true);

protected:
    //! Execute, on the worker thread.
    void run() override;

private:
    const QStringList paths_;
    const bool applyExifOrientation_;
};

} // namespace tessoly
