#include "preview/PreviewPane.h"

#include <algorithm>
#include <cmath>

#include <QGridLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "imageio/SourceDecoder.h"
#include "imageio/WorkingImage.h"
#include "preview/PreviewImageWidget.h"
#include "preview/StatusPath.h"
#include "preview/WidgetEvents.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

constexpr int kNameBarHeight = 30;
constexpr int kStripHeight = 21;
constexpr int kFrame = 4;

QWidget* FrameEdge(QWidget* parent, const char* name, int width, int height) {
    auto* edge = new QWidget(parent);
    edge->setObjectName(QLatin1String(name));
    if (width > 0)
        edge->setFixedWidth(width);
    if (height > 0)
        edge->setFixedHeight(height);
    return edge;
}

} // namespace

QString PreviewScaleText(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight) {
    const float sx = static_cast<float>(static_cast<double>(clientWidth) / pictureWidth);
    const float sy = static_cast<float>(static_cast<double>(clientHeight) / pictureHeight);
    float s = std::min(sx, sy);
    if (s > 1.0f)
        s = 1.0f;
    const double percent = std::round(static_cast<double>(s) * 100.0);
    const QString digits = percent == 0.0 ? QString() : QString::number(static_cast<long long>(percent));
    return QStringLiteral("Scale: ") + digits + QStringLiteral(" %  ");
}

int NextPreviewRow(int rowCount, int current) {
    if (rowCount <= 0)
        return -1;
    const int target = current < 0 ? 0 : current + 1;
    return target < rowCount ? target : -1;
}

int PreviousPreviewRow(int rowCount, int current) {
    if (rowCount <= 0)
        return -1;
    const int target = current < 0 ? rowCount - 1 : current - 1;
    return target >= 0 ? target : -1;
}

TPreviewPane::TPreviewPane(QWidget* sPanel4, QVBoxLayout* layout, WorkingImage& image, PreviewHost& host)
    : image_(image), host_(host) {
    sPanel5 = new QWidget(sPanel4);
    sPanel5->setObjectName(QStringLiteral("sPanel5"));
    sPanel5->setFixedHeight(kNameBarHeight);
    sLabelName = new QLabel(QStringLiteral("Preview Image"), sPanel5);
    sLabelName->setObjectName(QStringLiteral("sLabelName"));
    QFont nameFont = sLabelName->font();
    nameFont.setBold(true);
    sLabelName->setFont(nameFont);
    sBitBtnPreviewPrev = new QToolButton(sPanel5);
    sBitBtnPreviewPrev->setObjectName(QStringLiteral("sBitBtnPreviewPrev"));
    sBitBtnPreviewPrev->setToolTip(QStringLiteral("Previous image"));
    sBitBtnPreviewNext = new QToolButton(sPanel5);
    sBitBtnPreviewNext->setObjectName(QStringLiteral("sBitBtnPreviewNext"));
    sBitBtnPreviewNext->setToolTip(QStringLiteral("Next image"));
    for (QToolButton* button : {sBitBtnPreviewPrev, sBitBtnPreviewNext}) {
        button->setFixedSize(30, 25);
        button->setAutoRaise(true);
    }
    OnResize(sPanel5, [this] { PlaceNameBar(); });

    sPanelPreviewImage = new QWidget(sPanel4);
    sPanelPreviewImage->setObjectName(QStringLiteral("sPanelPreviewImage"));
    sPanelPreviewImage->setMinimumHeight(120);
    auto* grid = new QGridLayout(sPanelPreviewImage);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    sPanelContent = new QLabel(sPanelPreviewImage);
    sPanelContent->setObjectName(QStringLiteral("sPanelContent"));
    sPanelContent->setAlignment(Qt::AlignCenter);
    sPanelContent->setWordWrap(true);
    sPanelContent->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    QPalette promptPalette = sPanelContent->palette();
    promptPalette.setColor(QPalette::WindowText, QColor(128, 128, 128));
    sPanelContent->setPalette(promptPalette);
    imagePreview = new PreviewImageWidget(image_.PreviewBitmap, sPanelContent);
    imagePreview->setObjectName(QStringLiteral("imagePreview"));
    OnResize(sPanelContent, [this] { imagePreview->setGeometry(sPanelContent->rect()); });
    sPanel10 = new QWidget(sPanelPreviewImage);
    sPanel10->setObjectName(QStringLiteral("sPanel10"));
    sPanel10->setFixedHeight(kStripHeight);
    sLabelProperties = new QLabel(sPanel10);
    sLabelProperties->setObjectName(QStringLiteral("sLabelProperties"));
    QFont propertiesFont = sLabelProperties->font();
    propertiesFont.setPixelSize(9);
    sLabelProperties->setFont(propertiesFont);
    sLabelScale = new QLabel(sPanel10);
    sLabelScale->setObjectName(QStringLiteral("sLabelScale"));
    QFont scaleFont = sLabelScale->font();
    scaleFont.setPixelSize(8);
    sLabelScale->setFont(scaleFont);
    OnResize(sPanel10, [this] { PlaceScaleLabel(); });

    grid->addWidget(FrameEdge(sPanelPreviewImage, "Image2", 0, kFrame), 0, 0, 1, 3);
    grid->addWidget(FrameEdge(sPanelPreviewImage, "Image3", kFrame, 0), 1, 0);
    grid->addWidget(sPanelContent, 1, 1);
    grid->addWidget(FrameEdge(sPanelPreviewImage, "Image5", kFrame, 0), 1, 2);
    grid->addWidget(sPanel10, 2, 1);
    grid->addWidget(FrameEdge(sPanelPreviewImage, "Image4", 0, kFrame), 3, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);

    layout->addWidget(sPanel5);
    layout->addWidget(sPanelPreviewImage, 1);
}

void TPreviewPane::PlaceNameBar() {
    const int width = sPanel5->width();
    sBitBtnPreviewNext->move(width - 30 - 4, (kNameBarHeight - 25) / 2);
    sBitBtnPreviewPrev->move(width - 60 - 6, (kNameBarHeight - 25) / 2);
    sLabelName->setGeometry(8, 0, sLabelName->width(), kNameBarHeight);
}

void TPreviewPane::PlaceScaleLabel() {
    sLabelProperties->setGeometry(0, 0, LabelTextWidth(sLabelProperties, sLabelProperties->text()),
                                  kStripHeight);
    const int scaleWidth = LabelTextWidth(sLabelScale, sLabelScale->text());
    sLabelScale->setGeometry(sPanel10->width() - scaleWidth, 0, scaleWidth, kStripHeight);
}

void TPreviewPane::LoadPreviewImage(const std::string& path) {
    try {
        // In a batch the render overwrites the preview before anything paints it, so the decode
        // fills the source alone and the render gives the preview its only copy.
        const DecodeTargets targets =
            host_.BatchRunning() ? DecodeTargets::SourceOnly : DecodeTargets::PreviewAndSource;
        PaletteAlphaRule keepPaletteAlpha;
        if (host_.BatchRunning())
            keepPaletteAlpha = [this](int format) { return host_.OutputKeepsTransparency(format); };
        if (!DecodeSourceImage(image_, path, targets, host_.ApplyExifOrientation(), keepPaletteAlpha))
            throw RenderError(path);
        UpdatePreviewName();
        host_.RenderPreview();
        // Read after the render: only then does the preview have the new image's size in a batch.
        sLabelProperties->setText(QString::fromStdString(PropertiesText(image_)));
        imagePreview->setVisible(true);
        PreviewResize();
    } catch (const std::exception& error) {
        // RenderError carries the user's text; anything else (a refused allocation) is shown too
        // rather than taking the program down.
        sLabelProperties->clear();
        sLabelScale->clear();
        host_.ShowLoadError(QString::fromStdString(error.what()));
    }
    ReleaseSourceImage(image_);
}

void TPreviewPane::PreviewResize() {
    const TBitmap32& preview = image_.PreviewBitmap;
    if (preview.Width() == 0 || preview.Height() == 0) {
        sLabelName->setText(QStringLiteral("Preview Image"));
        sLabelName->adjustSize();
        PlaceNameBar();
        sLabelProperties->clear();
        sLabelScale->clear();
        imagePreview->setVisible(false);
        return;
    }
    sLabelScale->setText(
        PreviewScaleText(sPanelContent->width(), sPanelContent->height(), preview.Width(), preview.Height()));
    PlaceScaleLabel();
    imagePreview->update();
    if (host_.GuideLinesShown() && !host_.BatchRunning())
        host_.RenderPreview();
}

void TPreviewPane::UpdatePreviewName() {
    const int available = sPanel5->width() - 90;
    // Nothing paints while this runs, so the label is fitted in place: hiding it meanwhile would
    // only cost the name bar a relayout and a repaint per image of a batch.
    const QString path = QString::fromStdString(image_.CurrentImagePath);
    sLabelName->setText(path.isEmpty() ? QStringLiteral("Preview Image") : path);
    ShortenStatusPath(sLabelName, available);
    PlaceNameBar();
    sLabelName->setVisible(true);
}

void TPreviewPane::ResetPreview() {
    imagePreview->setVisible(false);
    image_.PreviewBitmap.SetSize(0, 0);
    image_.CurrentImagePath.clear();
    sLabelName->setText(QStringLiteral("Preview Image"));
    sLabelName->adjustSize();
    PlaceNameBar();
    sLabelProperties->clear();
    sLabelScale->clear();
}

void TPreviewPane::SetPrompt(const QString& prompt) {
    sPanelContent->setText(prompt);
}

QString TPreviewPane::Prompt() const {
    return sPanelContent->text();
}

} // namespace tessoly
