// ReadSettings, the one read of the watermark controls, and the render entry RenderPreview that
// every settings change, every load and the batch run through.

#include <algorithm>
#include <cstddef>
#include <utility>

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
#include "batch/FrameOutput.h"
#include "batch/OutputCompose.h"
#include "imageio/OutputCapabilities.h"
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

//! The unit combos list the control's own unit first and "% of image" second.
SizeUnit UnitOf(const QComboBox* combo) {
    return combo->currentIndex() == 1 ? SizeUnit::PercentOfImage : SizeUnit::Pixels;
}

//! preview becomes a copy of picture. The composed bitmap is opaque and of its own size, so this is
//! what drawing it stretched onto its own rectangle gives, without a pass of zeroing or sampling;
//! a preview of the same size keeps its storage.
void CopyIntoPreview(const TBitmap32& picture, TBitmap32& preview) {
    preview.SetSizeForOverwrite(picture.Width(), picture.Height());
    std::copy(picture.Bits(), picture.Bits() + std::size_t(picture.Width()) * std::size_t(picture.Height()),
              preview.Bits());
}

//! Swaps the pixels of two bitmaps; each keeps its own draw mode, combine mode and master alpha.
void ExchangePixels(TBitmap32& a, TBitmap32& b) noexcept {
    std::swap(a, b);
    std::swap(a.DrawMode, b.DrawMode);
    std::swap(a.CombineMode, b.CombineMode);
    std::swap(a.MasterAlpha, b.MasterAlpha);
}

} // namespace

WatermarkSettings TMainForm::ReadSettings() const {
    WatermarkSettings s;
    s.mode = watermarkMode_;
    s.caption = sEditTextCaption->text().toStdU16String();
    s.fontName = sFontComboBox->currentText().toStdString();
    s.fontSize = sSpinEditFontSize->Value();
    s.fontSizeUnit = UnitOf(sComboBoxFontSizeUnitText);
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
    s.hMarginUnit = UnitOf(sComboBoxHMarginsUnitImage);
    s.vMargin = sSpinEditVMarginsImage->Value();
    s.vMarginUnit = UnitOf(sComboBoxVMarginsUnitImage);
    s.picturePath = sFilenameEditWatermark->text().toStdString();
    s.transparentEdges = sCheckBoxTransparent->isChecked();
    s.imageScaleText = sComboBoxWImageScale->currentText().toStdString();
    s.imageScaleUnit = UnitOf(sComboBoxImageScaleUnitImage);
    s.imageRotationPosition = sTrackBarRotateImage->value();
    s.tile = sCheckBoxTileImage->isChecked();
    s.tileSpacing = sSpinEditTileSpacingImage->Value();
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

bool TMainForm::OutputKeepsTransparency(int sourceFormat) const {
    return OutputHoldsAlpha(ReadOutputSettings(), sourceFormat);
}

bool TMainForm::GuideLinesShown() const {
    return Showguidelines->isChecked();
}

bool TMainForm::ApplyExifOrientation() const {
    return sCheckBoxAutoOrient->isChecked();
}

void TMainForm::RenderPreview() {
    if (image_.SourceBitmap.Width() == 0)
        return;
    const bool batchRunning = Jobs->BatchRunning;
    ComposeOptions options;
    options.batchRunning = batchRunning;
    options.previewFitFactor = PreviewFitFactor();
    OutputSettings output;
    try {
        if (batchRunning) {
            output = ComposeForOutput(ReadSettings(), ReadOutputSettings(), image_.SourceBitmap,
                                      image_.ComposedBitmap, font_, options);
        } else {
            ComposeWatermark(ReadSettings(), image_.SourceBitmap, image_.ComposedBitmap, font_, options);
        }
    } catch (...) {
        // A batch decodes into the source alone; the failed image is still shown, unmarked, as an
        // image whose decode also filled the preview would be.
        if (batchRunning)
            CopyIntoPreview(image_.SourceBitmap, image_.PreviewBitmap);
        throw;
    }
    if (!batchRunning) {
        CopyIntoPreview(image_.ComposedBitmap, image_.PreviewBitmap);
        preview_->imagePreview->update();
        return;
    }
    // The output stage reads the composed picture; then the preview takes it over whole instead of
    // copying it, and its old storage becomes the composition target of the next image.
    try {
        LastOutput = SaveItemOutput(image_, ReadSettings(), output, font_, &BatchOutputs);
    } catch (...) {
        ExchangePixels(image_.ComposedBitmap, image_.PreviewBitmap);
        preview_->imagePreview->update();
        throw;
    }
    ExchangePixels(image_.ComposedBitmap, image_.PreviewBitmap);
    preview_->imagePreview->update();
    // An error in the output settings is the pipeline's error: its box names the reason, and the
    // flags still make the row Unsuccessful.
    if (LastOutput.errorRaised)
        throw RenderError(LastOutput.reason);
}

void TMainForm::RenderFromHandler() {
    // During a batch the preview shows the run's pictures and the source bitmap is not theirs: a
    // handler reached anyway (a menu shortcut) must neither draw nor write.
    if (handlerDepth_ > 1 || Jobs->BatchRunning)
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
    s.losslessJpeg = sCheckBoxLosslessJpeg->isChecked();
    for (const QAction* action : sActionJPEGSubsampling) {
        if (action->isChecked())
            s.jpegSubsampling = action->data().toString().toStdString();
    }
    s.jpegProgressive = sActionJPEGProgressive->isChecked();
    s.webpLossless = sActionWebPLossless->isChecked();
    s.applyExifOrientation = sCheckBoxAutoOrient->isChecked();
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
