// ReadSettings, the one read of the watermark controls, and the render entry RenderPreview that
// every settings change, every load and the batch run through.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>

#include "app/MainWindow.h"
#include "app/SpinEdit.h"
#include "preview/PreviewImageWidget.h"
#include "render/Composer.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

int ScreenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return 96;
    const int dpi = qRound(screen->logicalDotsPerInch());
    return dpi > 0 ? dpi : 96;
}

} // namespace

WatermarkSettings TMainForm::ReadSettings() const {
    WatermarkSettings s;
    s.mode = watermarkMode_;
    s.caption = sEditTextCaption->text().toStdU16String();
    s.fontName = sFontComboBox->currentText().toStdString();
    s.fontSize = sSpinEditFontSize->Value();
    s.bold = sCheckBoxBold->isChecked();
    s.italic = sCheckBoxItalic->isChecked();
    s.textColour = 0xFF000000u | (textColour_.rgb() & 0x00FFFFFFu);
    s.outline = sCheckBoxOutline->isChecked();
    s.effect3D = sCheckBox3D->isChecked();
    s.opacityPosition = sTrackBarOpacityText->value();
    s.textAngle = sTrackBarRotateText->value();
    for (std::size_t place = 0; place < AlignText.size(); ++place)
        if (AlignText[place]->isChecked())
            s.position = static_cast<WatermarkPosition>(place);
    s.hMargin = sSpinEditHMarginsImage->Value();
    s.vMargin = sSpinEditVMarginsImage->Value();
    s.picturePath = sFilenameEditWatermark->text().toStdString();
    s.transparentEdges = sCheckBoxTransparent->isChecked();
    s.imageScaleText = sComboBoxWImageScale->currentText().toStdString();
    s.imageRotationPosition = sTrackBarRotateImage->value();
    s.showGuideLines = Showguidelines->isChecked();
    s.guideColour = GuideColour;
    s.screenDpi = ScreenDpi();
    return s;
}

float TMainForm::PreviewFitFactor() const {
    const TBitmap32& preview = image_.PreviewBitmap;
    if (preview.Width() <= 0 || preview.Height() <= 0)
        return 1.0f;
    const QLabel* area = preview_->sPanelContent;
    const float k = std::min(static_cast<float>(area->width()) / static_cast<float>(preview.Width()),
                             static_cast<float>(area->height()) / static_cast<float>(preview.Height()));
    return k > 1.0f ? 1.0f : (k > 0.0f ? k : 1.0f);
}

bool TMainForm::GuideLinesShown() const {
    return Showguidelines->isChecked();
}

void TMainForm::RenderPreview() {
    if (image_.SourceBitmap.Width() == 0)
        return;
    ComposeOptions options;
    options.batchRunning = Jobs->BatchRunning;
    options.previewFitFactor = PreviewFitFactor();
    ComposeWatermark(ReadSettings(), image_.SourceBitmap, image_.ComposedBitmap, font_, options);
    const TBitmap32& composed = image_.ComposedBitmap;
    image_.PreviewBitmap.SetSize(composed.Width(), composed.Height());
    DrawStretched(composed, image_.PreviewBitmap, TRect{0, 0, composed.Width(), composed.Height()});
    preview_->imagePreview->update();
    if (Jobs->BatchRunning)
        LastOutput = SaveOutputImage(image_, ReadOutputSettings());
}

void TMainForm::RenderFromHandler() {
    if (handlerDepth_ > 1)
        return;
    try {
        RenderPreview();
    } catch (const std::exception& error) {
        seam_.ShowMessage(this, MessageKind::Error, QString::fromStdString(error.what()), MessageButtons::Ok);
    }
}

void TMainForm::SetTextColour(const QColor& colour) {
    textColour_ = colour;
    QPixmap swatch(14, 14);
    swatch.fill(colour);
    QPainter painter(&swatch);
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(0, 0, 13, 13);
    painter.end();
    sColorSelectText->setIcon(QIcon(swatch));
}

} // namespace tessoly

namespace tessoly {

OutputSettings TMainForm::ReadOutputSettings() const {
    OutputSettings s;
    s.formatChoice = sComboBoxImageFormat->currentText().toStdString();
    s.resolutionChoice = sComboBoxResolution->currentText().toStdString();
    s.colourMode = sComboBoxColor->currentText().toStdString();
    s.jpegQuality = sTrackBarJPEGQuality->value();
    s.keepMetadata = sCheckBoxExif->isChecked();
    s.rotation = sComboBoxRotate->currentText().toStdString();
    s.resize = sCheckBoxResizeImage->isChecked();
    s.widthText = sDecimalSpinEditWidth->Text().toStdString();
    s.heightText = sDecimalSpinEditHeight->Text().toStdString();
    s.proportional = sCheckBoxProportional->isChecked();
    s.outputFolder = sDirectoryEditOutput->text().toStdString();
    s.existingFilePolicy = sRadioButtonOverwrite->isChecked() ? ExistingFilePolicy::Overwrite
                           : sRadioButtonRename->isChecked()  ? ExistingFilePolicy::Rename
                                                              : ExistingFilePolicy::Skip;
    return s;
}

} // namespace tessoly
