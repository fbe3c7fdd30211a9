// The regions of the main window: the list side with its toolbar and bottom bar, the splitter, the
// preview side (the pane above, the page control below) and the status bar with its five panels.
// Controls inside the bars keep the pixel places of the original layout, so they are placed by
// hand and re-placed when their bar is resized.

#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Icons.h"
#include "app/MainWindow.h"
#include "preview/WidgetEvents.h"

namespace tessoly {

namespace {

QPushButton* BarButton(QWidget* parent, const char* name, const QString& caption, int left, int width,
                       const QString& hint = QString()) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 2, width, 25);
    if (!hint.isEmpty())
        button->setToolTip(hint);
    return button;
}

QToolButton* StatusPicture(QWidget* parent, const char* name, const QString& hint, const QIcon& icon,
                           QSize size, int left) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setIconSize(size);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setGeometry(left, (24 - size.height()) / 2, size.width(), size.height());
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0px; }"));
    return button;
}

} // namespace

void TMainForm::BuildLayout() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("centralWidget"));
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);

    sSplitter1 = new QSplitter(Qt::Horizontal, central);
    sSplitter1->setObjectName(QStringLiteral("sSplitter1"));
    sSplitter1->setHandleWidth(4);
    sSplitter1->setChildrenCollapsible(false);
    sSplitter1->addWidget(BuildListSide());

    sPanel4 = new QWidget(sSplitter1);
    sPanel4->setObjectName(QStringLiteral("sPanel4"));
    sPanel4->setMinimumWidth(420);
    auto* previewLayout = new QVBoxLayout(sPanel4);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->setSpacing(0);
    preview_ = std::make_unique<TPreviewPane>(sPanel4, previewLayout, image_, *this);
    sPanel6 = new QWidget(sPanel4);
    sPanel6->setObjectName(QStringLiteral("sPanel6"));
    sPanel6->setFixedHeight(240);
    sPageControl1 = new QTabWidget(sPanel6);
    sPageControl1->setObjectName(QStringLiteral("sPageControl1"));
    sPageControl1->setGeometry(6, 1, 412, 238);
    sPageControl1->setIconSize(QSize(24, 16));
    previewLayout->addWidget(sPanel6);
    BuildTextTab();
    BuildImageTab();
    BuildSettingsTab();
    sSplitter1->addWidget(sPanel4);
    sSplitter1->setStretchFactor(0, 0);
    sSplitter1->setStretchFactor(1, 1);
    sSplitter1->setSizes({420, 424});

    centralLayout->addWidget(sSplitter1, 1);
    setCentralWidget(central);
    BuildStatusBar();
}

QWidget* TMainForm::BuildListSide() {
    sPanel1 = new QWidget(this);
    sPanel1->setObjectName(QStringLiteral("sPanel1"));
    sPanel1->setMinimumWidth(418);
    auto* layout = new QVBoxLayout(sPanel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    sPanel2 = new QWidget(sPanel1);
    sPanel2->setObjectName(QStringLiteral("sPanel2"));
    sPanel2->setFixedHeight(30);
    sBitBtnAddImage = BarButton(sPanel2, "sBitBtnAddImage", QStringLiteral("Add image"), 4, 80);
    sBitBtnAddImage->setIcon(ToolStripIcon(ToolIcon::Plus));
    sBitBtnAddFolder = BarButton(sPanel2, "sBitBtnAddFolder", QStringLiteral("Add folder"), 88, 80);
    sBitBtnAddFolder->setIcon(ToolStripIcon(ToolIcon::FolderPlus));
    sButtonRemove = BarButton(sPanel2, "sButtonRemove", QStringLiteral("Remove"), 172, 74,
                              QStringLiteral("Remove selected items"));
    sButtonRemove->setIcon(ToolStripIcon(ToolIcon::Minus));
    sBitBtnClear =
        BarButton(sPanel2, "sBitBtnClear", QStringLiteral("Clear"), 250, 74, QStringLiteral("Clear list"));
    sBitBtnClear->setIcon(ToolStripIcon(ToolIcon::NoEntry));
    sBitBtnTutorial = BarButton(sPanel2, "sBitBtnTutorial", QStringLiteral("Tutorial"), 420 - 81, 74,
                                QStringLiteral("Play video tutorial"));
    sBitBtnTutorial->setIcon(ToolStripIcon(ToolIcon::Play));
    sBitBtnTutorial->setVisible(false);
    layout->addWidget(sPanel2);

    sListViewImages = new QTableView(sPanel1);
    sListViewImages->setObjectName(QStringLiteral("sListViewImages"));
    sListViewImages->setMinimumWidth(360);
    sListViewImages->setSelectionBehavior(QAbstractItemView::SelectRows);
    sListViewImages->setSelectionMode(QAbstractItemView::SingleSelection);
    sListViewImages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sListViewImages->setShowGrid(true);
    sListViewImages->setWordWrap(false);
    sListViewImages->verticalHeader()->setVisible(false);
    sListViewImages->verticalHeader()->setDefaultSectionSize(20);
    sListViewImages->horizontalHeader()->setHighlightSections(false);
    sListViewImages->horizontalHeader()->setMinimumSectionSize(50);
    sListViewImages->setSortingEnabled(false);
    QPalette listPalette = sListViewImages->palette();
    listPalette.setColor(QPalette::Base, Qt::white);
    sListViewImages->setPalette(listPalette);
    listModel_ = new QStandardItemModel(0, 5, this);
    const QString titles[] = {QStringLiteral("Image"), QStringLiteral("Format"), QStringLiteral("Dimensions"),
                              QStringLiteral("DPI"), QStringLiteral("File size")};
    for (int column = 0; column < 5; ++column) {
        listModel_->setHeaderData(column, Qt::Horizontal, titles[column]);
        listModel_->setHeaderData(column, Qt::Horizontal,
                                  int(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter),
                                  Qt::TextAlignmentRole);
    }
    SetListModel(listModel_);
    // The "Image" column never gets narrower than 180 pixels.
    connect(sListViewImages->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) {
                if (section == 0 && size < 180)
                    sListViewImages->horizontalHeader()->resizeSection(0, 180);
            });
    layout->addWidget(sListViewImages, 1);

    sPanel8 = new QWidget(sPanel1);
    sPanel8->setObjectName(QStringLiteral("sPanel8"));
    sPanel8->setFixedHeight(30);
    sButtonSelectAll = BarButton(sPanel8, "sButtonSelectAll", QStringLiteral("Select all"), 4, 90);
    sButtonDeselectAll = BarButton(sPanel8, "sButtonDeselectAll", QStringLiteral("Deselect all"), 98, 90);
    sButtonInverseSelection =
        BarButton(sPanel8, "sButtonInverseSelection", QStringLiteral("Inverse selection"), 192, 90);
    sLabelListInfo = new QLabel(QStringLiteral("0 / 0"), sPanel8);
    sLabelListInfo->setObjectName(QStringLiteral("sLabelListInfo"));
    sLabelListInfo->setToolTip(QStringLiteral("Selected / All images"));
    layout->addWidget(sPanel8);

    // sPanel1Resize: the Tutorial button and the counter stay at the right end.
    OnResize(sPanel1, [this] {
        sBitBtnTutorial->move(sPanel1->width() - 74 - 7, sBitBtnTutorial->y());
        PlaceListInfo();
    });
    return sPanel1;
}

void TMainForm::PlaceListInfo() {
    sLabelListInfo->adjustSize();
    sLabelListInfo->move(sPanel1->width() - sLabelListInfo->width() - 8, (30 - sLabelListInfo->height()) / 2);
}

void TMainForm::BuildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("sStatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(24);
    bar->setContentsMargins(0, 0, 0, 0);
    setStatusBar(bar);
    auto* strip = new QWidget(bar);
    strip->setObjectName(QStringLiteral("sStatusBar1Strip"));
    strip->setFixedHeight(24);
    bar->addWidget(strip, 1);
    sStatusBar1 = bar;

    const int widths[] = {52, 65, 233, 330, 50};
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        auto* panel = new QFrame(strip);
        panel->setObjectName(QStringLiteral("sStatusBar1Panel%1").arg(i));
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->resize(widths[i], 22);
        StatusPanels[i] = panel;
    }

    ImageDonate = StatusPicture(strip, "ImageDonate", QStringLiteral("Donation"), QIcon(DonatePicture()),
                                QSize(42, 16), 4);
    ImageSocialFacebook = StatusPicture(strip, "ImageSocialFacebook", QStringLiteral("Facebook"),
                                        SocialIcon(0), QSize(16, 16), 54);
    Image1 = StatusPicture(strip, "Image1", QStringLiteral("Tweet"), SocialIcon(1), QSize(16, 16), 74);
    Image6 = StatusPicture(strip, "Image6", QStringLiteral("Google+"), SocialIcon(2), QSize(16, 16), 94);

    sGaugeProcess = new QProgressBar(strip);
    sGaugeProcess->setObjectName(QStringLiteral("sGaugeProcess"));
    sGaugeProcess->setRange(0, 100);
    sGaugeProcess->setValue(0);
    sGaugeProcess->setFormat(QStringLiteral("%p%"));
    sGaugeProcess->setTextVisible(false);
    sGaugeProcess->setGeometry(119, 3, 224, 19);

    sLabelFXProcessing = new QLabel(QStringLiteral("Processing:"), strip);
    sLabelFXProcessing->setObjectName(QStringLiteral("sLabelFXProcessing"));
    QFont bold = sLabelFXProcessing->font();
    bold.setBold(true);
    sLabelFXProcessing->setFont(bold);
    sLabelFXProcessing->adjustSize();
    sLabelFXProcessing->move(351, (24 - sLabelFXProcessing->height()) / 2);
    sLabelFXProcessing->setVisible(false);

    sLabelFXCurrentImage = new QLabel(strip);
    sLabelFXCurrentImage->setObjectName(QStringLiteral("sLabelFXCurrentImage"));
    sLabelFXCurrentImage->move(420, (24 - sLabelFXProcessing->height()) / 2);
    sLabelFXCurrentImage->setVisible(false);

    // The caption names the maker's domain from the start; a website without it leaves it so.
    sLabelFXWebpage = new QLabel(QString::fromLatin1(kMakerDomain), strip);
    sLabelFXWebpage->setObjectName(QStringLiteral("sLabelFXWebpage"));
    sLabelFXWebpage->setFont(bold);
    sLabelFXWebpage->setCursor(Qt::PointingHandCursor);
    QPalette linkPalette = sLabelFXWebpage->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0, 70, 160));
    sLabelFXWebpage->setPalette(linkPalette);
    sLabelFXWebpage->adjustSize();
    PlaceStatusBar();
}

void TMainForm::PlaceStatusBar() {
    const int outerWidth = frameGeometry().width();
    int left = 0;
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        QFrame* panel = StatusPanels[i];
        if (i == 3)
            panel->resize(std::max(0, outerWidth - 457), panel->height());
        panel->move(left, 1);
        left += panel->width() + 2;
    }
    sLabelFXWebpage->move(outerWidth - sLabelFXWebpage->width() - 26, (24 - sLabelFXWebpage->height()) / 2);
}

} // namespace tessoly
