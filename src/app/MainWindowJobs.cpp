// The two jobs on the window side: the busy state, the Start button with its checks, starting and
// stopping the jobs, and the window steps each job hands to the user-interface thread.

#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QThreadPool>
#include <QToolButton>

#include "app/BatchHeap.h"
#include "app/Icons.h"
#include "app/MainWindow.h"
#include "app/MainWindowList.h"
#include "app/SpinEdit.h"
#include "batch/ProgressPercent.h"
#include "preview/PreviewImageWidget.h"
#include "preview/StatusPath.h"

namespace tessoly {

namespace {

//! How far the path label moves right while the reading caption, the wider one, is shown [pixels].
constexpr int kReadingLabelShift = 22;

} // namespace

TImageListSide::~TImageListSide() {
    gate_->Close();
    for (QThread* job :
         {static_cast<QThread*>(readingJob_.data()), static_cast<QThread*>(batchJob_.data())}) {
        if (job == nullptr) {
            continue;
        }
        if (auto* reading = qobject_cast<TReadingImagesProcess*>(job)) {
            reading->Terminate();
        } else if (auto* batch = qobject_cast<TWatermarkProcess*>(job)) {
            batch->Terminate();
        }
        job->wait();
        delete job;
    }
}

std::vector<QWidget*> TImageListSide::BusyControls() {
    TMainForm& f = form_;
    TPreviewPane& preview = f.Preview();
    return {f.FileMenu,
            f.EditMenu,
            f.SpecialCharMenu,
            f.HelpMenu,
            f.sBitBtnAddImage,
            f.sBitBtnAddFolder,
            f.sButtonRemove,
            f.sBitBtnClear,
            f.sBitBtnTutorial,
            preview.sBitBtnPreviewPrev,
            preview.sBitBtnPreviewNext,
            f.sListViewImages,
            f.sTabSheetText,
            f.sTabSheetImage,
            f.sComboBoxImageFormat,
            f.sComboBoxResolution,
            f.sComboBoxColor,
            f.sTrackBarJPEGQuality,
            f.sCheckBoxExif,
            f.sCheckBoxLosslessJpeg,
            f.sCheckBoxAutoOrient,
            f.sComboBoxRotate,
            f.sCheckBoxResizeImage,
            f.sDecimalSpinEditWidth,
            f.sDecimalSpinEditHeight,
            f.sCheckBoxProportional,
            f.sToolButtonEncoderOptions,
            f.ImageClearOutput,
            f.sDirectoryEditOutput,
            f.sSpeedButtonOpenFolder,
            f.sRadioButtonSkip,
            f.sRadioButtonRename,
            f.sRadioButtonOverwrite,
            f.sButtonSelectAll,
            f.sButtonDeselectAll,
            f.sButtonInverseSelection};
}

std::array<QWidget*, 4> TImageListSide::ResizeControls() {
    return {form_.sCheckBoxResizeImage, form_.sDecimalSpinEditWidth, form_.sDecimalSpinEditHeight,
            form_.sCheckBoxProportional};
}

void TImageListSide::EnterBusyState(BusyVariant variant) {
    TMainForm& f = form_;
    if (!busy_) {
        const auto resize = ResizeControls();
        for (std::size_t i = 0; i < resize.size(); ++i) {
            resizeEnabled_[i] = resize[i]->isEnabled();
        }
    }
    for (QWidget* control : BusyControls()) {
        control->setEnabled(false);
    }

    if (variant == BusyVariant::Batch) {
        f.sLabelFXProcessing->setVisible(true);
        f.sLabelFXCurrentImage->clear();
        f.sLabelFXCurrentImage->setVisible(true);
        f.sGaugeProcess->setTextVisible(true);
    } else {
        f.sLabelFXProcessing->setText(QStringLiteral("Reading image:"));
        f.sLabelFXProcessing->adjustSize();
        f.sLabelFXProcessing->setVisible(true);
        f.sLabelFXCurrentImage->clear();
        if (!busy_) {
            f.sLabelFXCurrentImage->move(f.sLabelFXCurrentImage->x() + kReadingLabelShift,
                                         f.sLabelFXCurrentImage->y());
        }
        f.sLabelFXCurrentImage->setVisible(true);
    }

    f.sBitBtnStart->setIcon(StartButtonIcon(1));
    f.sBitBtnStart->setText(QStringLiteral("Stop"));

    if (!busy_) {
        savedTab_ = f.sPageControl1->currentIndex();
    }
    f.SelectTab(2);
    f.sBitBtnStart->setFocus();
    busy_ = true;
}

void TImageListSide::LeaveBusyState(BusyVariant variant) {
    TMainForm& f = form_;
    const auto resize = ResizeControls();
    for (QWidget* control : BusyControls()) {
        const auto found = std::find(resize.begin(), resize.end(), control);
        control->setEnabled(found == resize.end() ? true
                                                  : resizeEnabled_[std::size_t(found - resize.begin())]);
    }

    if (variant == BusyVariant::Batch) {
        f.sLabelFXProcessing->setVisible(false);
        f.sLabelFXCurrentImage->setVisible(false);
        f.sGaugeProcess->setTextVisible(false);
        f.sGaugeProcess->setValue(0);
    } else {
        f.sLabelFXProcessing->setVisible(false);
        f.sLabelFXProcessing->setText(QStringLiteral("Processing:"));
        f.sLabelFXProcessing->adjustSize();
        if (busy_) {
            f.sLabelFXCurrentImage->move(f.sLabelFXCurrentImage->x() - kReadingLabelShift,
                                         f.sLabelFXCurrentImage->y());
        }
        f.sLabelFXCurrentImage->setVisible(false);
    }

    f.sBitBtnStart->setIcon(StartButtonIcon(0));
    f.sBitBtnStart->setText(QStringLiteral("Start"));

    if (savedTab_ == 0 || savedTab_ == 1) {
        f.SelectTab(f.CurrentWatermarkMode() == kModeText ? 0 : 1);
    }
    busy_ = false;
}

void TImageListSide::ShowStatusPath(const QString& path) {
    TMainForm& f = form_;
    const int available = f.StatusPanelWidth(3) - f.sLabelFXProcessing->width();
    // Fitted in place: nothing paints in between, and hiding the label would repaint the status
    // bar behind it once per image.
    f.sLabelFXCurrentImage->setText(path);
    ShortenStatusPath(f.sLabelFXCurrentImage, available);
    f.sLabelFXCurrentImage->setVisible(true);
}

// --- The Start button ---

void TImageListSide::sBitBtnStartClick() {
    TMainForm& f = form_;
    StartState state;
    state.batchRunning = f.Jobs->BatchRunning.load();
    state.readingInProgress = f.Jobs->ReadingInProgress.load();
    state.rowCount = model_->Count();
    state.checkedCount = model_->CheckedCount();
    state.textMode = f.CurrentWatermarkMode() == kModeText;
    state.caption = f.sEditTextCaption->text();
    state.picturePath = f.sFilenameEditWatermark->text();
    state.overwritePolicy = f.sRadioButtonOverwrite->isChecked();

    const auto warn = [&](const char* text) {
        f.Seam().ShowMessage(&f, MessageKind::Warning, QString::fromUtf8(text), MessageButtons::Ok);
    };
    switch (DecideStart(state)) {
    case StartDecision::AskCancelBatch: {
        // The run goes on while the question is open; its steps are served by the box's loop.
        const MessageAnswer answer = f.Seam().ShowMessage(
            &f, MessageKind::Confirmation, QString::fromUtf8(kCancelBatchText), MessageButtons::YesNo);
        if (answer == MessageAnswer::Yes && batchJob_ != nullptr && batchJob_->isRunning()) {
            batchJob_->Terminate();
        }
        return;
    }
    case StartDecision::StopReading:
        if (readingJob_ != nullptr) {
            readingJob_->Terminate();
        }
        return;
    case StartDecision::EmptyList:
        warn(kAddSomeImagesText);
        return;
    case StartDecision::NothingChecked:
        warn(kSelectOneImageText);
        return;
    case StartDecision::MissingCaption:
        f.SelectTab(0);
        warn(kSetCaptionText);
        return;
    case StartDecision::MissingPicture:
        f.SelectTab(1);
        warn(kAddPictureText);
        return;
    case StartDecision::AskOverwrite: {
        const MessageAnswer answer = f.Seam().ShowMessage(
            &f, MessageKind::Confirmation, QString::fromUtf8(kOverwriteStartText), MessageButtons::YesNo);
        if (answer == MessageAnswer::No) {
            return;
        }
        StartBatch();
        return;
    }
    case StartDecision::Start:
        StartBatch();
        return;
    }
}

void TImageListSide::sRadioButtonOverwriteClick() {
    form_.Seam().ShowMessage(&form_, MessageKind::Warning, QString::fromUtf8(kOverwriteChosenText),
                             MessageButtons::Ok);
}

void TImageListSide::StartBatch() {
    UpdatePreviewPlaceholder();
    // The flag goes up here as well as in the job: a second click queued behind this one must
    // find the run already going, not start a second job beside it.
    form_.Jobs->BatchRunning.store(true);
    form_.BatchOutputs.Clear();
    EnterBatchHeap();
    auto* job = new TWatermarkProcess(gate_, form_.Jobs, *this, BatchThreads);
    connect(job, &QThread::finished, job, &QObject::deleteLater);
    connect(job, &QThread::finished, this, [] {
        LeaveBatchHeap();
        // Returning a batch's free frames to the kernel takes a while; the window need not wait.
        QThreadPool::globalInstance()->start([] { TrimFreeHeap(); });
    });
    batchJob_ = job;
    job->start();
}

void TImageListSide::StartReadingJob(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    // As for the batch: the flag is up before anything else can be clicked.
    form_.Jobs->ReadingInProgress.store(true);
    auto* job = new TReadingImagesProcess(gate_, form_.Jobs, *this, paths, nullptr,
                                          form_.sCheckBoxAutoOrient->isChecked());
    connect(job, &QThread::finished, job, &QObject::deleteLater);
    readingJob_ = job;
    job->start();
}

// --- Reading job steps ---

void TImageListSide::BeginReading() {
    EnterBusyState(BusyVariant::Reading);
}

void TImageListSide::HoldListRepaint(bool hold) {
    form_.sListViewImages->setUpdatesEnabled(!hold);
}

void TImageListSide::ShowReadingProgress(int index, int count, const QString& path) {
    TMainForm& f = form_;
    f.sGaugeProcess->setTextVisible(true);
    f.sGaugeProcess->setValue(ProgressPercent(index + 1, count));
    ShowStatusPath(path);
}

void TImageListSide::AddReadItem(const ImageListItem& item) {
    model_->Append(item);
    form_.sGaugeProcess->setTextVisible(false);
    form_.sGaugeProcess->setValue(0);
}

void TImageListSide::EndReading() {
    LeaveBusyState(BusyVariant::Reading);
}

// --- Batch job steps ---

std::vector<BatchRow> TImageListSide::BatchRows() {
    std::vector<BatchRow> rows;
    rows.reserve(static_cast<std::size_t>(model_->Count()));
    for (int i = 0; i < model_->Count(); ++i) {
        rows.push_back({model_->Item(i).path, model_->Item(i).checked});
    }
    return rows;
}

void TImageListSide::SetItemStatus(int row, ItemStatus status) {
    const bool finished = status == ItemStatus::Unsuccessful || status == ItemStatus::Skipped;
    QString hint = finished ? pendingReason_ : QString();
    if (status != ItemStatus::InProgress && !pendingNotice_.isEmpty())
        hint = hint.isEmpty() ? pendingNotice_ : hint + QLatin1Char('\n') + pendingNotice_;
    model_->SetStatus(row, status, hint);
}

void TImageListSide::RevealItem(int row) {
    form_.sListViewImages->scrollTo(model_->index(row, ColumnImage), QAbstractItemView::EnsureVisible);
}

void TImageListSide::ShowProgress(const QString& path, int percent) {
    ShowStatusPath(path);
    form_.sGaugeProcess->setValue(percent);
}

BatchSettings TImageListSide::ReadBatchSettings() {
    return {form_.ReadSettings(), form_.ReadOutputSettings()};
}

void TImageListSide::ShowItemResult(int row, const PipelineResult& result, BatchPicture* picture) {
    (void)row;
    TMainForm& f = form_;
    TPreviewPane& preview = f.Preview();
    WorkingImage& image = f.Image();
    // As the one-by-one run did: the name follows the image in hand, even one that cannot be
    // decoded, while the pictures keep the last image that could.
    image.CurrentImagePath = result.sourcePath;
    if (picture != nullptr) {
        // The preview takes the worker's picture whole; its old storage goes back to the workers.
        SwapBitmapPixels(image.PreviewBitmap, picture->bitmap);
        preview.UpdatePreviewName();
        preview.imagePreview->update();
    }
    // The row's hint says why it was not written; the box of an undecodable file names only its
    // path, which the hint shows already.
    const bool undecodable = result.failedStage == PipelineStage::Decode;
    pendingReason_ = undecodable ? QString() : QString::fromStdString(result.reason);
    // A row written the ordinary way instead of in place, or with part of its source left out,
    // says so too.
    pendingNotice_ = QString::fromStdString(result.notice);
    // A file that cannot be decoded, a failed compose and an error in the output settings are the
    // pipeline's errors, each shown in its box; a failed write or a skip only marks the row.
    const bool errorBox = undecodable || result.failedStage == PipelineStage::Render || result.settingsError;
    if (errorBox) {
        preview.sLabelProperties->clear();
        preview.sLabelScale->clear();
        f.ShowLoadError(QString::fromStdString(result.reason));
        return;
    }
    if (picture != nullptr) {
        preview.sLabelProperties->setText(QString::fromStdString(picture->properties));
        preview.imagePreview->setVisible(true);
        preview.PreviewResize();
    }
}

void TImageListSide::RestoreSource(WorkingImage& decoded) {
    WorkingImage& image = form_.Image();
    SwapBitmapPixels(image.SourceBitmap, decoded.SourceBitmap);
    image.SourceFormat = decoded.SourceFormat;
    image.SourceBitsPerPixel = decoded.SourceBitsPerPixel;
    image.SourceOrientation = decoded.SourceOrientation;
    image.OrientationApplied = decoded.OrientationApplied;
}

void TImageListSide::ReportErrors(const QString& message) {
    form_.Seam().ShowMessage(&form_, MessageKind::Error, message, MessageButtons::Ok);
}

void TImageListSide::OpenOutputFolder() {
    const QString folder = form_.sDirectoryEditOutput->text();
    if (form_.sSpeedButtonOpenFolder->isChecked() && !folder.isEmpty()) {
        form_.Seam().OpenInShell(folder);
    }
}

void TImageListSide::RerenderWithGuideLines() {
    if (form_.Showguidelines->isChecked()) {
        form_.RenderFromHandler();
    }
}

} // namespace tessoly
