// The list side of the main window: the rows and their commands, the counter label, the preview
// prompt, and the three ways of adding images (file dialog, folder chooser, drop on the list).

#include "app/MainWindowList.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QUrl>

#include "app/MainWindow.h"
#include "imagelist/AddImages.h"
#include "imagelist/StatusIcons.h"

namespace tessoly {

namespace {

constexpr const char* kPlaceholderPrompt = "Click on the list to preview an image";
constexpr const char* kRemoveQuestion = "Are you sure you want to\r\nremove selected items?";
constexpr const char* kClearQuestion = "Are you sure you want\r\nto remove the all items?";
constexpr const char* kDuplicatesRemoved = "Duplications removed!";
constexpr const char* kNoDuplicates = "There are no duplicates!";
constexpr const char* kFolderChooserTitle = "Select directory";

//! The local files of a drag, in drag order; empty when it carries anything else.
QStringList LocalPaths(const QMimeData* mime) {
    QStringList paths;
    if (mime == nullptr || !mime->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    return paths;
}

} // namespace

TImageListSide::TImageListSide(TMainForm& form)
    : form_(form), model_(new ImageListModel(this)), gate_(std::make_shared<HandOffGate>()) {
    form_.SetListModel(model_);
    model_->SetBackground(form_.sListViewImages->palette().color(QPalette::Base));
    form_.sListViewImages->setIconSize(QSize(kStatusIconWidth, kStatusIconHeight));
    connect(model_, &ImageListModel::ListChanged, this, &TImageListSide::UpdateListInfo);

    // The list is the only drop target of the window; its viewport receives the drag.
    form_.sListViewImages->setAcceptDrops(true);
    form_.sListViewImages->viewport()->setAcceptDrops(true);
    form_.sListViewImages->setDragDropMode(QAbstractItemView::DropOnly);
    form_.sListViewImages->viewport()->installEventFilter(this);

    ConnectControls();
}

void TImageListSide::ConnectControls() {
    TMainForm& f = form_;
    connect(f.sButtonSelectAll, &QPushButton::clicked, this, [this] { sButtonSelectAllClick(); });
    connect(f.Selectallimages1, &QAction::triggered, this, [this] { sButtonSelectAllClick(); });
    connect(f.sButtonDeselectAll, &QPushButton::clicked, this, [this] { sButtonDeselectAllClick(); });
    connect(f.Deselectall1, &QAction::triggered, this, [this] { sButtonDeselectAllClick(); });
    connect(f.sButtonInverseSelection, &QPushButton::clicked, this,
            [this] { sButtonInverseSelectionClick(); });
    connect(f.InverseSelection1, &QAction::triggered, this, [this] { sButtonInverseSelectionClick(); });
    connect(f.Successful1, &QAction::triggered, this,
            [this] { SelectForStatusClick(ItemStatus::Successful); });
    connect(f.Unsuccessful1, &QAction::triggered, this,
            [this] { SelectForStatusClick(ItemStatus::Unsuccessful); });
    connect(f.Skipped1, &QAction::triggered, this, [this] { SelectForStatusClick(ItemStatus::Skipped); });
    connect(f.Waiting1, &QAction::triggered, this, [this] { SelectForStatusClick(ItemStatus::Waiting); });
    connect(f.sButtonRemove, &QPushButton::clicked, this, [this] { sButtonRemoveClick(); });
    connect(f.Removeselected1, &QAction::triggered, this, [this] { sButtonRemoveClick(); });
    connect(f.sBitBtnClear, &QPushButton::clicked, this, [this] { sBitBtnClearClick(); });
    connect(f.Removeduplications1, &QAction::triggered, this, [this] { Removeduplications1Click(); });
    connect(f.MenuItemShowgrid, &QAction::triggered, this, [this] { MenuItemShowgridClick(); });

    // Each menu item performs its button's click.
    connect(f.sBitBtnAddImage, &QPushButton::clicked, this, [this] { sBitBtnAddImageClick(); });
    connect(f.Addimage1, &QAction::triggered, f.sBitBtnAddImage, &QPushButton::click);
    connect(f.sBitBtnAddFolder, &QPushButton::clicked, this, [this] { sBitBtnAddFolderClick(); });
    connect(f.Addfolder1, &QAction::triggered, f.sBitBtnAddFolder, &QPushButton::click);

    connect(f.sBitBtnStart, &QPushButton::clicked, this, [this] { sBitBtnStartClick(); });
    connect(f.sRadioButtonOverwrite, &QRadioButton::clicked, this, [this] { sRadioButtonOverwriteClick(); });
}

bool TImageListSide::JobRunning() const {
    return form_.Jobs->BatchRunning.load() || form_.Jobs->ReadingInProgress.load();
}

void TImageListSide::UpdateListInfo() {
    // Every status change of a batch comes here and leaves the counts as they were; measuring and
    // placing the same text again would be all the work.
    const QString text = model_->CounterText();
    if (text == form_.sLabelListInfo->text())
        return;
    form_.sLabelListInfo->setText(text);
    form_.sLabelListInfo->adjustSize();
    form_.PlaceListInfo();
}

void TImageListSide::UpdatePreviewPlaceholder() {
    const bool highlighted = form_.sListViewImages->currentIndex().isValid();
    const bool prompt = model_->Count() > 0 && !form_.Jobs->BatchRunning.load() && !highlighted;
    form_.Preview().SetPrompt(prompt ? QString::fromLatin1(kPlaceholderPrompt) : QString());
}

void TImageListSide::ResetPreview() {
    form_.Preview().ResetPreview();
}

// The list commands. While a job runs their controls are disabled; the guard also covers a
// shortcut that reaches an item of a disabled menu.

void TImageListSide::sButtonSelectAllClick() {
    if (!JobRunning()) {
        model_->SelectAll();
    }
}

void TImageListSide::sButtonDeselectAllClick() {
    if (!JobRunning()) {
        model_->DeselectAll();
    }
}

void TImageListSide::sButtonInverseSelectionClick() {
    if (!JobRunning()) {
        model_->InverseSelection();
    }
}

void TImageListSide::SelectForStatusClick(ItemStatus status) {
    if (!JobRunning()) {
        model_->SelectForStatus(status);
    }
}

template <typename Edit> void TImageListSide::EditRowsKeepingPreview(Edit edit) {
    QTableView* view = form_.sListViewImages;
    const QPersistentModelIndex highlighted = view->currentIndex();
    {
        const QSignalBlocker quiet(view->selectionModel());
        view->setUpdatesEnabled(false);
        edit();
        if (!highlighted.isValid() && view->currentIndex().isValid()) {
            view->selectionModel()->clear();
        }
    }
    view->setUpdatesEnabled(true);
    view->viewport()->update();
}

void TImageListSide::sButtonRemoveClick() {
    if (model_->Count() == 0 || JobRunning()) {
        return;
    }
    const MessageAnswer answer = form_.Seam().ShowMessage(
        &form_, MessageKind::Confirmation, QString::fromLatin1(kRemoveQuestion), MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
        return;
    }
    bool previewRemoved = false;
    const QString previewPath = QString::fromStdString(form_.Image().CurrentImagePath);
    EditRowsKeepingPreview([&] { previewRemoved = model_->RemoveChecked(previewPath); });
    if (previewRemoved) {
        ResetPreview();
    }
    UpdateListInfo();
    UpdatePreviewPlaceholder();
}

void TImageListSide::sBitBtnClearClick() {
    if (model_->Count() == 0 || JobRunning()) {
        return;
    }
    const MessageAnswer answer = form_.Seam().ShowMessage(
        &form_, MessageKind::Confirmation, QString::fromLatin1(kClearQuestion), MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) {
        return;
    }
    EditRowsKeepingPreview([&] { model_->Clear(); });
    ResetPreview();
    UpdateListInfo();
    UpdatePreviewPlaceholder();
}

void TImageListSide::Removeduplications1Click() {
    if (model_->Count() == 0 || JobRunning()) {
        return;
    }
    bool removed = false;
    EditRowsKeepingPreview([&] { removed = model_->RemoveDuplicates(); });
    UpdateListInfo();
    form_.Seam().ShowMessage(&form_, MessageKind::Information,
                             QString::fromLatin1(removed ? kDuplicatesRemoved : kNoDuplicates),
                             MessageButtons::Ok);
}

void TImageListSide::MenuItemShowgridClick() {
    // The action is checkable: its mark has already flipped.
    form_.sListViewImages->setShowGrid(form_.MenuItemShowgrid->isChecked());
}

// Adding images.

void TImageListSide::sBitBtnAddImageClick() {
    if (JobRunning()) {
        return;
    }
    OpenFileRequest request;
    request.filters = AddImageFilters();
    request.multipleSelection = true;
    const QStringList paths = form_.Seam().GetOpenFileNames(&form_, request);
    if (!paths.isEmpty()) {
        StartReadingJob(paths);
    }
}

void TImageListSide::sBitBtnAddFolderClick() {
    if (JobRunning()) {
        return;
    }
    const QString folder =
        form_.Seam().GetExistingDirectory(&form_, QString::fromLatin1(kFolderChooserTitle), lastFolder_);
    if (folder.isEmpty()) {
        return;
    }
    lastFolder_ = folder;
    const QStringList paths = CollectFolderImagePaths(folder);
    if (paths.isEmpty()) {
        form_.Seam().ShowMessage(&form_, MessageKind::Warning, QString::fromLatin1(kNoImagesFoundText),
                                 MessageButtons::Ok);
        return;
    }
    StartReadingJob(paths);
}

void TImageListSide::DropFiles(const QStringList& paths) {
    if (JobRunning()) {
        return;
    }
    form_.raise();
    form_.activateWindow();
    const QStringList collected = CollectDroppedImages(paths);
    if (collected.isEmpty()) {
        form_.Seam().ShowMessage(&form_, MessageKind::Warning, QString::fromLatin1(kNoImagesFoundText),
                                 MessageButtons::Ok);
        return;
    }
    StartReadingJob(collected);
}

bool TImageListSide::eventFilter(QObject* watched, QEvent* event) {
    if (watched != form_.sListViewImages->viewport()) {
        return QObject::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!JobRunning() && !LocalPaths(drag->mimeData()).isEmpty()) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList paths = LocalPaths(drop->mimeData());
        if (paths.isEmpty()) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // The drag source waits for the drop to end; the message box and the job come after it.
        QMetaObject::invokeMethod(
            this, [this, paths] { DropFiles(paths); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace tessoly
