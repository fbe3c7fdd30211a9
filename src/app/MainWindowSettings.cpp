// The change handlers of the settings controls: twin controls of the two watermark tabs kept
// equal, the tab choice that sets the watermark mode, the blinking marker of the active kind,
// the special signs, the output tab's labels, resize fields and folder field. Every watermark
// handler ends with a render; a handler run by another handler's change leaves the render to
// the outer one (HandlerScope), so a user's action composes the picture once.

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "app/HandlerScope.h"
#include "app/MainWindow.h"
#include "app/SpinEdit.h"
#include "preview/WidgetEvents.h"

namespace tessoly {

namespace {

//! Blanks and control characters, as trimmed from the caption before a sign is added.
bool IsBlankOrControl(QChar c) {
    return c.unicode() <= 0x20;
}

QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlankOrControl(text[first]))
        ++first;
    while (last > first && IsBlankOrControl(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

} // namespace

void TMainForm::ConnectHandlers() {
    auto renderOnly = [this] {
        HandlerScope scope(*this);
        RenderFromHandler();
    };
    connect(sEditTextCaption, &QLineEdit::textChanged, this, renderOnly);
    connect(sFontComboBox, &QComboBox::currentTextChanged, this, renderOnly);
    for (QCheckBox* box :
         {sCheckBoxBold, sCheckBoxItalic, sCheckBoxOutline, sCheckBox3D, sCheckBoxTransparent})
        connect(box, &QCheckBox::toggled, this, renderOnly);
    connect(sSpinEditFontSize, &TSpinEdit::Changed, this, renderOnly);
    connect(sColorSelectText, &QPushButton::clicked, this, [this] { sColorSelectTextClick(); });

    connect(Showguidelines, &QAction::triggered, this, [this] { ShowguidelinesClick(); });
    connect(Guidelinescolor1, &QAction::triggered, this, [this] { Guidelinescolor1Click(); });
    for (QSlider* bar : {sTrackBarOpacityText, sTrackBarOpacityImage})
        connect(bar, &QSlider::valueChanged, this, [this, bar] { sTrackBarOpacityChange(bar); });
    for (QSlider* bar : {sTrackBarRotateText, sTrackBarRotateImage})
        connect(bar, &QSlider::valueChanged, this, [this, bar] { sTrackBarRotateChange(bar); });
    connect(sSpinEditRotateText, &TSpinEdit::Changed, this, [this] { sSpinEditRotateChange(); });
    for (const auto& group : {AlignText, AlignImage})
        for (QRadioButton* radio : group)
            connect(radio, &QRadioButton::toggled, this, [this, radio](bool checked) {
                if (checked)
                    sRadioButtonPositionClick(radio);
            });
    for (TSpinEdit* field :
         {sSpinEditHMarginsText, sSpinEditVMarginsText, sSpinEditHMarginsImage, sSpinEditVMarginsImage})
        connect(field, &TSpinEdit::Changed, this, [this, field] { sSpinEditMarginsChange(field); });
    connect(sPageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (!selectingTab_)
            sPageControl1Change(index);
    });
    TimerBlink = new QTimer(this);
    TimerBlink->setObjectName(QStringLiteral("TimerBlink"));
    TimerBlink->setInterval(700);
    connect(TimerBlink, &QTimer::timeout, this, [this] { TimerBlinkTimer(); });

    connect(Copyright1, &QAction::triggered, this, [this] { AddSpecialSign(QChar(0x00A9)); });
    connect(Trademark1, &QAction::triggered, this, [this] { AddSpecialSign(QChar(0x2122)); });
    connect(Registered1, &QAction::triggered, this, [this] { AddSpecialSign(QChar(0x00AE)); });
    connect(Startconversion1, &QAction::triggered, this, [this] { Startconversion1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { close(); });

    connect(sTrackBarJPEGQuality, &QSlider::valueChanged, this, [this] { sTrackBarJPEGQualityChange(); });
    connect(sCheckBoxResizeImage, &QCheckBox::toggled, this, [this] { sCheckBoxResizeImageClick(); });
    connect(sCheckBoxProportional, &QCheckBox::toggled, this, [this] { sCheckBoxProportionalClick(); });
    connect(sDecimalSpinEditWidth, &TSpinEdit::Changed, this, [this] { sDecimalSpinEditWidthChange(); });
    connect(sDecimalSpinEditHeight, &TSpinEdit::Changed, this, [this] { sDecimalSpinEditHeightChange(); });
    OnClick(sDirectoryEditOutput, [this] { sDirectoryEditOutputClick(); });
    connect(sDirectoryEditOutput, &QLineEdit::textChanged, this, [this] { sDirectoryEditOutputChange(); });
    connect(ImageClearOutput, &QToolButton::clicked, this, [this] { ImageClearOutputClick(); });
    connect(sSpeedButtonOpenFolder, &QToolButton::toggled, this, [this] { sSpeedButtonOpenFolderClick(); });
    connect(sComboBoxWImageScale, &QComboBox::currentTextChanged, this,
            [this] { sComboBoxWImageScaleChange(); });
    connect(sCheckBoxAutoOrient, &QCheckBox::toggled, this, [this] { sCheckBoxAutoOrientClick(); });

    OnClick(sFilenameEditWatermark, [this] { ChooseWatermarkPicture(); });
    OnClick(sPanel14, [this] { ChooseWatermarkPicture(); });
    OnClick(AdvGDIPPictureWatermark, [this] { ChooseWatermarkPicture(); });
    connect(ImageClearWatermark, &QToolButton::clicked, this, [this] { ClearWatermarkPicture(); });

    connect(preview_->sBitBtnPreviewNext, &QToolButton::clicked, this, [this] { sBitBtnPreviewNextClick(); });
    connect(preview_->sBitBtnPreviewPrev, &QToolButton::clicked, this, [this] { sBitBtnPreviewPrevClick(); });
    ConnectUnitHandlers();
}

void TMainForm::ShowguidelinesClick() {
    // The action has already flipped its check mark, which is the setting itself.
    HandlerScope scope(*this);
    RenderFromHandler();
}

void TMainForm::Guidelinescolor1Click() {
    const std::optional<QColor> chosen =
        seam_.GetColour(this, QColor(RedOf(GuideColour), GreenOf(GuideColour), BlueOf(GuideColour)));
    if (!chosen)
        return;
    GuideColour = 0xFF000000u | (chosen->rgb() & 0x00FFFFFFu);
    if (Showguidelines->isChecked()) {
        HandlerScope scope(*this);
        RenderFromHandler();
    }
}

void TMainForm::sColorSelectTextClick() {
    const std::optional<QColor> chosen = seam_.GetColour(this, textColour_);
    if (!chosen || *chosen == textColour_)
        return;
    SetTextColour(*chosen);
    HandlerScope scope(*this);
    RenderFromHandler();
}

void TMainForm::sTrackBarOpacityChange(QSlider* bar) {
    HandlerScope scope(*this);
    QSlider* other = bar == sTrackBarOpacityText ? sTrackBarOpacityImage : sTrackBarOpacityText;
    other->setValue(bar->value());
    const QString percent = QString::fromStdString(OpacityPercentText(bar->value()));
    sLabelPercentText->setText(percent);
    sLabelPercentText->adjustSize();
    sLabelPercentImage->setText(percent);
    sLabelPercentImage->adjustSize();
    RenderFromHandler();
}

void TMainForm::sTrackBarRotateChange(QSlider* bar) {
    HandlerScope scope(*this);
    if (bar == sTrackBarRotateText) {
        // A bar moved by the field leaves the field's typed text alone (500 stays until focus loss).
        if (!rotateFromField_)
            sSpinEditRotateText->SetValue(bar->value());
    } else {
        sLabelImageAngle->setText(QString::fromStdString(ImageAngleText(bar->value())));
        sLabelImageAngle->adjustSize();
    }
    RenderFromHandler();
}

void TMainForm::sSpinEditRotateChange() {
    HandlerScope scope(*this);
    // The track bar limits the value; the field keeps what was typed until it loses the focus.
    rotateFromField_ = true;
    sTrackBarRotateText->setValue(sSpinEditRotateText->Value());
    rotateFromField_ = false;
    RenderFromHandler();
}

void TMainForm::sRadioButtonPositionClick(QRadioButton* button) {
    HandlerScope scope(*this);
    for (std::size_t place = 0; place < AlignText.size(); ++place) {
        if (button == AlignText[place])
            AlignImage[place]->setChecked(true);
        else if (button == AlignImage[place])
            AlignText[place]->setChecked(true);
    }
    RenderFromHandler();
}

void TMainForm::sSpinEditMarginsChange(TSpinEdit* field) {
    HandlerScope scope(*this);
    TSpinEdit* twin = field == sSpinEditHMarginsText    ? sSpinEditHMarginsImage
                      : field == sSpinEditHMarginsImage ? sSpinEditHMarginsText
                      : field == sSpinEditVMarginsText  ? sSpinEditVMarginsImage
                                                        : sSpinEditVMarginsText;
    twin->SetText(field->Text());
    RenderFromHandler();
}

void TMainForm::sPageControl1Change(int index) {
    if (Jobs->ReadingInProgress || Jobs->BatchRunning) {
        // The output tab stays while a job runs.
        SelectTab(2);
        return;
    }
    HandlerScope scope(*this);
    const bool special = index == 0;
    Copyright1->setEnabled(special);
    Trademark1->setEnabled(special);
    Registered1->setEnabled(special);
    if (index == 0) {
        watermarkMode_ = kModeText;
        SetTabIcon(0, 0);
        SetTabIcon(1, 5);
        MirrorTabSettings(1, 0);
        RenderFromHandler();
    } else if (index == 1) {
        watermarkMode_ = kModeImage;
        SetTabIcon(0, 2);
        SetTabIcon(1, 3);
        MirrorTabSettings(0, 1);
        RenderFromHandler();
    }
}

void TMainForm::MirrorTabSettings(int fromTab, int toTab) {
    if (fromTab == toTab)
        return;
    const bool fromText = fromTab == 0;
    QLabel* toLabel = fromText ? sLabelPercentImage : sLabelPercentText;
    toLabel->setText((fromText ? sLabelPercentText : sLabelPercentImage)->text());
    toLabel->adjustSize();
    TSpinEdit* fromH = fromText ? sSpinEditHMarginsText : sSpinEditHMarginsImage;
    TSpinEdit* fromV = fromText ? sSpinEditVMarginsText : sSpinEditVMarginsImage;
    TSpinEdit* toH = fromText ? sSpinEditHMarginsImage : sSpinEditHMarginsText;
    TSpinEdit* toV = fromText ? sSpinEditVMarginsImage : sSpinEditVMarginsText;
    toH->SetValue(fromH->Value());
    toV->SetValue(fromV->Value());
    (fromText ? sComboBoxHMarginsUnitImage : sComboBoxHMarginsUnitText)
        ->setCurrentIndex((fromText ? sComboBoxHMarginsUnitText : sComboBoxHMarginsUnitImage)->currentIndex());
    (fromText ? sComboBoxVMarginsUnitImage : sComboBoxVMarginsUnitText)
        ->setCurrentIndex((fromText ? sComboBoxVMarginsUnitText : sComboBoxVMarginsUnitImage)->currentIndex());
    (fromText ? sCheckBoxTileImage : sCheckBoxTileText)
        ->setChecked((fromText ? sCheckBoxTileText : sCheckBoxTileImage)->isChecked());
    (fromText ? sSpinEditTileSpacingImage : sSpinEditTileSpacingText)
        ->SetValue((fromText ? sSpinEditTileSpacingText : sSpinEditTileSpacingImage)->Value());
    const auto& from = fromText ? AlignText : AlignImage;
    const auto& to = fromText ? AlignImage : AlignText;
    for (std::size_t place = 0; place < from.size(); ++place)
        if (from[place]->isChecked())
            to[place]->setChecked(true);
}

void TMainForm::TimerBlinkTimer() {
    BlinkActiveTab();
}

void TMainForm::BlinkActiveTab() {
    if (watermarkMode_ == kModeText)
        SetTabIcon(0, TabIcon[0] % 3 == 0 ? 1 : 0);
    else
        SetTabIcon(1, TabIcon[1] % 3 == 0 ? 4 : 3);
}

void TMainForm::AddSpecialSign(QChar sign) {
    // Setting the text runs the caption's own change handler, which renders.
    sEditTextCaption->setText(TrimBlanks(sEditTextCaption->text()) + QLatin1Char(' ') + sign);
}

void TMainForm::Startconversion1Click() {
    SelectTab(2);
    sBitBtnStart->click();
}

void TMainForm::sTrackBarJPEGQualityChange() {
    sLabelJPEGQuality->setText(QString::number(sTrackBarJPEGQuality->value()) + QLatin1Char('%'));
    sLabelJPEGQuality->adjustSize();
}

void TMainForm::sCheckBoxResizeImageClick() {
    const bool resize = sCheckBoxResizeImage->isChecked();
    sDecimalSpinEditWidth->setEnabled(resize);
    sDecimalSpinEditHeight->setEnabled(resize);
    sCheckBoxProportional->setEnabled(resize);
}

void TMainForm::sCheckBoxProportionalClick() {
    if (!sCheckBoxProportional->isChecked())
        return;
    const bool widthZero = sDecimalSpinEditWidth->Text() == QLatin1String("0");
    const bool heightZero = sDecimalSpinEditHeight->Text() == QLatin1String("0");
    if (widthZero == heightZero) {
        ResizeGuard = false;
        sDecimalSpinEditWidth->SetText(QStringLiteral("800"));
        sDecimalSpinEditHeight->SetText(QStringLiteral("0"));
        ResizeGuard = true;
    }
}

void TMainForm::sDecimalSpinEditWidthChange() {
    if (ResizeGuard && sCheckBoxProportional->isChecked()) {
        ResizeGuard = false;
        sDecimalSpinEditHeight->SetValue(0);
        ResizeGuard = true;
    }
}

void TMainForm::sDecimalSpinEditHeightChange() {
    if (ResizeGuard && sCheckBoxProportional->isChecked()) {
        ResizeGuard = false;
        sDecimalSpinEditWidth->SetValue(0);
        ResizeGuard = true;
    }
}

void TMainForm::sDirectoryEditOutputClick() {
    sBitBtnStart->setFocus();
    const QString folder =
        seam_.GetExistingDirectory(this, QStringLiteral("Select output folder"),
                                   QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (!folder.isEmpty())
        sDirectoryEditOutput->setText(folder);
}

void TMainForm::sDirectoryEditOutputChange() {
    const QString text = sDirectoryEditOutput->text();
    sDirectoryEditOutput->setToolTip(text.isEmpty() ? QStringLiteral("Select output folder") : text);
}

void TMainForm::ImageClearOutputClick() {
    sDirectoryEditOutput->clear();
    sDirectoryEditOutput->setToolTip(QStringLiteral("Select output folder"));
}

void TMainForm::sSpeedButtonOpenFolderClick() {
    sSpeedButtonOpenFolder->setToolTip(
        sSpeedButtonOpenFolder->isChecked()
            ? QStringLiteral("Open folder after watermarking<br>Status: <b>on</b>")
            : QStringLiteral("Open folder after watermarking<br>Status: <b>off</b>"));
}

void TMainForm::sCheckBoxAutoOrientClick() {
    // The shown image was decoded with the old choice: decode it again, upright or as stored.
    if (Jobs->BatchRunning || image_.CurrentImagePath.empty() || image_.PreviewBitmap.Empty())
        return;
    const std::string path = image_.CurrentImagePath;
    LoadPreviewImage(path);
}

void TMainForm::sComboBoxWImageScaleChange() {
    HandlerScope scope(*this);
    bool ok = false;
    sComboBoxWImageScale->currentText().trimmed().toInt(&ok, 10);
    if (!ok) {
        // Bad text goes back to "100"; the handler that reset runs leaves the render to this one.
        sComboBoxWImageScale->setCurrentText(QStringLiteral("100"));
    }
    RenderFromHandler();
}

} // namespace tessoly
