#include "app/MainWindow.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include "app/CheckForNewVersionProcess.h"
#include "app/HintWrap.h"
#include "app/Icons.h"
#include "app/MainWindowList.h"
#include "app/WebLinks.h"
#include "preview/StatusPath.h"

namespace tessoly {

namespace {

// The window's client size at start-up [pixels]: the list side (420), the splitter (4) and a
// preview side whose picture area is 416 x 255; the height is that of the preview side (554:
// the tabs are 42 taller for the unit and repeat rows), the status bar (24) and the menu bar.
constexpr int kClientWidth = 848;
constexpr int kPreviewSideHeight = 554;
constexpr int kStatusBarHeight = 24;

} // namespace

TMainForm::TMainForm(DialogSeam& seam, const StartOptions& options, QWidget* parent)
    : QMainWindow(parent), seam_(seam) {
    setObjectName(QStringLiteral("MainForm"));
    // The layout was made for an 11-pixel sans serif; Liberation Sans keeps Arial's metrics.
    QFont windowFont = font();
    if (QFontDatabase::hasFamily(QStringLiteral("Liberation Sans")))
        windowFont.setFamily(QStringLiteral("Liberation Sans"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    setWindowIcon(ApplicationIcon());
    BuildMenus();
    BuildLayout();
    preview_->sBitBtnPreviewPrev->setIcon(ToolStripIcon(ToolIcon::ArrowLeft));
    preview_->sBitBtnPreviewNext->setIcon(ToolStripIcon(ToolIcon::ArrowRight));
    ConnectHandlers();
    ConnectWebLinks(this, seam_, facts_);
    listSide_ = std::make_unique<TImageListSide>(*this);
    resize(kClientWidth, menuBar()->sizeHint().height() + kPreviewSideHeight + kStatusBarHeight);
    LoadRecentPresets(options.recentPresetsPath);
    FormCreate(options);
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate(const StartOptions& options) {
    const QString problem = ReadInstallFacts(options.installFactsPath, facts_);
    if (!problem.isEmpty()) {
        // The window is not shown yet, so the box is centred on the screen.
        seam_.ShowMessage(nullptr, MessageKind::Error, problem + QStringLiteral("\r\n"), MessageButtons::Ok);
        startupFailed_ = true;
    } else if (!facts_.SiteDomain.isEmpty()) {
        sLabelFXWebpage->setText(facts_.SiteDomain);
        sLabelFXWebpage->adjustSize();
    }
    setWindowTitle(QStringLiteral("Tessoly"));
    preview_->sLabelName->setText(QStringLiteral("Preview Image"));
    preview_->sLabelProperties->clear();
    preview_->sLabelScale->clear();
    Jobs->BatchRunning = false;
    image_.CurrentImagePath.clear();
    sLabelListInfo->setText(QStringLiteral("0 / 0"));
    sLabelListInfo->adjustSize();
    PlaceListInfo();
    // The list is empty, so there is no prompt.
    preview_->SetPrompt(QString());
    SelectTab(0);
    TimerBlink->start();
    // Hints stay up for 15 seconds, long enough to read the picture's facts.
    for (QWidget* widget : findChildren<QWidget*>())
        widget->setToolTipDuration(15000);
    InstallHintWrapping(this);
    // The check releases itself; it is pointless when the program is about to end for want of its
    // installation facts.
    if (options.checkForUpdates && !startupFailed_)
        TCheckForNewVersionProcess::Launch(this, seam_, facts_.InstalledVersion, facts_.WebsiteUrl,
                                           kMakerDomain);
}

void TMainForm::SelectTab(int index) {
    selectingTab_ = true;
    sPageControl1->setCurrentIndex(index);
    selectingTab_ = false;
}

void TMainForm::SetTabIcon(int tab, int icon) {
    TabIcon[static_cast<std::size_t>(tab)] = icon;
    sPageControl1->setTabIcon(tab, TabStripIcon(icon));
}

int TMainForm::StatusPanelWidth(int index) const {
    return StatusPanels[static_cast<std::size_t>(index)]->width();
}

void TMainForm::SetListModel(QAbstractItemModel* model) {
    sListViewImages->setModel(model);
    QHeaderView* header = sListViewImages->horizontalHeader();
    const int widths[] = {180, 50, 66, 50, 50};
    for (int column = 0; column < model->columnCount() && column < 5; ++column) {
        header->setSectionResizeMode(column, column == 0 ? QHeaderView::Interactive : QHeaderView::Fixed);
        header->resizeSection(column, widths[column]);
    }
    ConnectListSelection();
}

void TMainForm::ConnectListSelection() {
    connect(sListViewImages->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                // The row losing the highlight is reported first, then the row gaining it.
                if (previous.isValid())
                    SelectImageFromList(previous);
                if (current.isValid())
                    SelectImageFromList(current);
            });
}

QString TMainForm::ListRowPath(int row) const {
    const QAbstractItemModel* model = sListViewImages->model();
    return model->data(model->index(row, 0), Qt::DisplayRole).toString();
}

void TMainForm::SelectImageFromList(const QModelIndex& index) {
    const std::string path = ListRowPath(index.row()).toStdString();
    if (path != image_.CurrentImagePath)
        preview_->LoadPreviewImage(path);
}

void TMainForm::sBitBtnPreviewNextClick() {
    const QAbstractItemModel* model = sListViewImages->model();
    const int current =
        sListViewImages->currentIndex().isValid() ? sListViewImages->currentIndex().row() : -1;
    const int target = NextPreviewRow(model->rowCount(), current);
    if (target >= 0)
        sListViewImages->setCurrentIndex(model->index(target, 0));
}

void TMainForm::sBitBtnPreviewPrevClick() {
    const QAbstractItemModel* model = sListViewImages->model();
    const int current =
        sListViewImages->currentIndex().isValid() ? sListViewImages->currentIndex().row() : -1;
    const int target = PreviousPreviewRow(model->rowCount(), current);
    if (target >= 0)
        sListViewImages->setCurrentIndex(model->index(target, 0));
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ResizeMainForm();
}

void TMainForm::ResizeMainForm() {
    if (!preview_)
        return;
    PlaceStatusBar();
    preview_->UpdatePreviewName();
    try {
        preview_->PreviewResize();
    } catch (const std::exception& error) {
        seam_.ShowMessage(this, MessageKind::Error, QString::fromStdString(error.what()), MessageButtons::Ok);
    }
}

void TMainForm::ShowLoadError(const QString& message) {
    LastLoadError = message;
    raise();
    activateWindow();
    seam_.ShowMessage(this, MessageKind::Error, message, MessageButtons::Ok);
}

} // namespace tessoly
