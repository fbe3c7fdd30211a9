#pragma once
// TImageListSide: the main window's image list and the two jobs that work on it. It owns the
// list's model, the hand-off gate the jobs reach the window through and the running jobs, and it
// holds the list commands (MainWindowList.cpp), the three ways of adding images, the busy state,
// the Start button and both jobs' window steps (MainWindowJobs.cpp). It reaches the controls
// through the window's public members. User-interface thread only, except where a job's step
// says otherwise.
//
// Shutdown: the window owns this object as its last member, so it goes first, while the window's
// controls, working image and image library are all still there. Its destructor closes the gate
// (no job step runs after that), asks both jobs to stop and waits for their threads: the batch
// finishes the images its workers have in hand (each output is written whole or not at all) and
// takes no new one; the reading workers finish the files they are reading. Only then do the
// window and the image library go, so nothing is left half-written.

#include <array>
#include <memory>

#include <QObject>
#include <QPointer>
#include <QStringList>

#include "batch/HandOffGate.h"
#include "batch/StartCheck.h"
#include "batch/WatermarkProcess.h"
#include "imagelist/ImageListModel.h"
#include "imagelist/ReadingImagesProcess.h"

class QWidget;

namespace tessoly {

class TMainForm;

//! Which job the busy state is for; the status bar differs.
enum class BusyVariant { Batch, Reading };

class TImageListSide : public QObject, public ReadingHost, public WatermarkHost {
    Q_OBJECT
public:
    //! Installs the model in the window's list, connects the list side's controls and makes the
    //! list the window's only drop target.
    explicit TImageListSide(TMainForm& form);
    ~TImageListSide() override;

    ImageListModel& Model() { return *model_; }
    //! The running jobs, or null; for the Start button and for tests.
    TReadingImagesProcess* ReadingJob() const { return readingJob_; }
    TWatermarkProcess* BatchJob() const { return batchJob_; }
    //! Worker threads of the next batch: 0 for one per core (the program's choice); tests pin it.
    int BatchThreads = 0;

    // --- The list (MainWindowList.cpp) ---
    //! The counter label: "checked / all", placed at the right end of its bar.
    void UpdateListInfo();
    //! The preview prompt from the state of the list.
    void UpdatePreviewPlaceholder() override;
    //! Empties the preview pane; CurrentImagePath becomes empty.
    void ResetPreview();
    void sButtonSelectAllClick();
    void sButtonDeselectAllClick();
    void sButtonInverseSelectionClick();
    void SelectForStatusClick(ItemStatus status);
    void sButtonRemoveClick();
    void sBitBtnClearClick();
    void Removeduplications1Click();
    void MenuItemShowgridClick();

    // --- Adding images (MainWindowList.cpp) ---
    void sBitBtnAddImageClick();
    void sBitBtnAddFolderClick();
    //! Files and folders dropped on the list, in drop order.
    void DropFiles(const QStringList& paths);
    //! Starts a reading job on a non-empty list of paths and returns at once.
    void StartReadingJob(const QStringList& paths);

    // --- The busy state and the Start button (MainWindowJobs.cpp) ---
    void EnterBusyState(BusyVariant variant);
    void LeaveBusyState(BusyVariant variant);
    void sBitBtnStartClick();
    void sRadioButtonOverwriteClick();
    //! Creates and starts the batch job.
    void StartBatch();

    // --- Reading job steps (ReadingHost), run through the gate ---
    void BeginReading() override;
    void HoldListRepaint(bool hold) override;
    void ShowReadingProgress(int index, int count, const QString& path) override;
    void AddReadItem(const ImageListItem& item) override;
    void EndReading() override;

    // --- Batch job steps (WatermarkHost), run through the gate ---
    std::vector<BatchRow> BatchRows() override;
    void EnterBusyState() override { EnterBusyState(BusyVariant::Batch); }
    void LeaveBusyState() override { LeaveBusyState(BusyVariant::Batch); }
    void SetItemStatus(int row, ItemStatus status) override;
    void RevealItem(int row) override;
    void ShowProgress(const QString& path, int percent) override;
    BatchSettings ReadBatchSettings() override;
    void ShowItemResult(int row, const PipelineResult& result, BatchPicture* picture) override;
    void RestoreSource(WorkingImage& decoded) override;
    void ReportErrors(const QString& message) override;
    void OpenOutputFolder() override;
    void RerenderWithGuideLines() override;

protected:
    //! Drops on the list's viewport.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectControls();
    bool JobRunning() const;
    //! The status-bar path label fitted to the fourth panel, beside the caption label.
    void ShowStatusPath(const QString& path);
    //! Runs an edit of the rows; when it removes the highlighted row, nothing is highlighted
    //! afterwards and no row is loaded on the way (the view would otherwise move the highlight to
    //! a neighbour and the preview would follow it).
    template <typename Edit> void EditRowsKeepingPreview(Edit edit);
    //! The controls the busy state disables, in its order.
    std::vector<QWidget*> BusyControls();
    //! The four resize controls, which get back the state each had before the job.
    std::array<QWidget*, 4> ResizeControls();

    TMainForm& form_;
    ImageListModel* model_ = nullptr;
    //! Why the image just processed was not written, for its row's hint when its status is set.
    QString pendingReason_;
    //! Why an output choice did not apply to the image just processed (it went the ordinary way).
    QString pendingNotice_;
    std::shared_ptr<HandOffGate> gate_;
    QPointer<TReadingImagesProcess> readingJob_;
    QPointer<TWatermarkProcess> batchJob_;
    //! The folder the folder chooser opens on: the one chosen last.
    QString lastFolder_;
    //! Busy state: the tab active when the job began, and whether each resize control was enabled.
    int savedTab_ = 0;
    std::array<bool, 4> resizeEnabled_{};
    //! True between EnterBusyState and LeaveBusyState, so a repeated call changes nothing.
    bool busy_ = false;
};

} // namespace tessoly
