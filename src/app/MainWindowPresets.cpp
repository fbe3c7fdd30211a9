// The unit, repeat and spacing controls of the watermark tabs, setting every control from the
// settings records, and the File menu's presets: open, save and the last five used. A preset is
// read whole before anything changes, so a refused one leaves the window exactly as it was.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSlider>
#include <QStandardPaths>
#include <QTabWidget>
#include <QToolButton>

#include "app/HandlerScope.h"
#include "app/MainWindow.h"
#include "app/SpinEdit.h"
#include "batch/PresetFile.h"
#include "render/RenderError.h"

namespace tessoly {

namespace {

int UnitIndex(SizeUnit unit) {
    return unit == SizeUnit::PercentOfImage ? 1 : 0;
}

QStringList PresetFilters() {
    return {QStringLiteral("Tessoly presets (*.tessoly-preset)"), QStringLiteral("All files (*)")};
}

} // namespace

void TMainForm::ConnectUnitHandlers() {
    auto renderOnly = [this] {
        HandlerScope scope(*this);
        RenderFromHandler();
    };
    connect(sComboBoxFontSizeUnitText, &QComboBox::currentIndexChanged, this, [this] {
        HandlerScope scope(*this);
        // A share of the image runs 1..100 on the spin buttons; points 4 and up.
        if (sComboBoxFontSizeUnitText->currentIndex() == 1)
            sSpinEditFontSize->SetRange(1, 100);
        else
            sSpinEditFontSize->SetRange(4, 0);
        RenderFromHandler();
    });
    connect(sComboBoxImageScaleUnitImage, &QComboBox::currentIndexChanged, this, renderOnly);
    for (QComboBox* combo : {sComboBoxHMarginsUnitText, sComboBoxHMarginsUnitImage, sComboBoxVMarginsUnitText,
                             sComboBoxVMarginsUnitImage})
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo] { sComboBoxUnitChange(combo); });
    for (QCheckBox* box : {sCheckBoxTileText, sCheckBoxTileImage})
        connect(box, &QCheckBox::toggled, this, [this, box] { sCheckBoxTileClick(box); });
    for (TSpinEdit* field : {sSpinEditTileSpacingText, sSpinEditTileSpacingImage})
        connect(field, &TSpinEdit::Changed, this, [this, field] { sSpinEditTileSpacingChange(field); });
    connect(OpenPreset1, &QAction::triggered, this, [this] { OpenPreset1Click(); });
    connect(SavePresetAs1, &QAction::triggered, this, [this] { SavePresetAs1Click(); });
    for (std::size_t i = 0; i < RecentPresetItems.size(); ++i) {
        connect(RecentPresetItems[i], &QAction::triggered, this, [this, i] {
            if (i < static_cast<std::size_t>(recentPresets_.size()))
                OpenPreset(recentPresets_[static_cast<qsizetype>(i)]);
        });
    }
}

void TMainForm::sComboBoxUnitChange(QComboBox* combo) {
    HandlerScope scope(*this);
    QComboBox* twin = combo == sComboBoxHMarginsUnitText    ? sComboBoxHMarginsUnitImage
                      : combo == sComboBoxHMarginsUnitImage ? sComboBoxHMarginsUnitText
                      : combo == sComboBoxVMarginsUnitText  ? sComboBoxVMarginsUnitImage
                                                            : sComboBoxVMarginsUnitText;
    twin->setCurrentIndex(combo->currentIndex());
    RenderFromHandler();
}

void TMainForm::sCheckBoxTileClick(QCheckBox* box) {
    HandlerScope scope(*this);
    (box == sCheckBoxTileText ? sCheckBoxTileImage : sCheckBoxTileText)->setChecked(box->isChecked());
    RenderFromHandler();
}

void TMainForm::sSpinEditTileSpacingChange(TSpinEdit* field) {
    HandlerScope scope(*this);
    (field == sSpinEditTileSpacingText ? sSpinEditTileSpacingImage : sSpinEditTileSpacingText)
        ->SetText(field->Text());
    RenderFromHandler();
}

void TMainForm::ApplySettings(const WatermarkSettings& w, const OutputSettings& o) {
    {
        HandlerScope scope(*this);
        sEditTextCaption->setText(QString::fromStdU16String(w.caption));
        sFontComboBox->setEditText(QString::fromStdString(w.fontName));
        // The unit first: it sets the size field's limits.
        sComboBoxFontSizeUnitText->setCurrentIndex(UnitIndex(w.fontSizeUnit));
        sSpinEditFontSize->SetText(QString::number(w.fontSize));
        sCheckBoxBold->setChecked(w.bold);
        sCheckBoxItalic->setChecked(w.italic);
        SetTextColour(QColor::fromRgb(w.textColour & 0x00FFFFFFu));
        sCheckBoxOutline->setChecked(w.outline);
        sCheckBox3D->setChecked(w.effect3D);
        sTrackBarOpacityText->setValue(w.opacityPosition);
        sTrackBarOpacityImage->setValue(w.opacityPosition);
        sTrackBarRotateText->setValue(w.textAngle);
        sSpinEditRotateText->SetValue(w.textAngle);
        const auto place = static_cast<std::size_t>(w.position);
        AlignText[place]->setChecked(true);
        AlignImage[place]->setChecked(true);
        for (TSpinEdit* field : {sSpinEditHMarginsText, sSpinEditHMarginsImage})
            field->SetText(QString::number(w.hMargin));
        for (TSpinEdit* field : {sSpinEditVMarginsText, sSpinEditVMarginsImage})
            field->SetText(QString::number(w.vMargin));
        for (QComboBox* combo : {sComboBoxHMarginsUnitText, sComboBoxHMarginsUnitImage})
            combo->setCurrentIndex(UnitIndex(w.hMarginUnit));
        for (QComboBox* combo : {sComboBoxVMarginsUnitText, sComboBoxVMarginsUnitImage})
            combo->setCurrentIndex(UnitIndex(w.vMarginUnit));
        if (w.picturePath.empty()) {
            sFilenameEditWatermark->clear();
            sFilenameEditWatermark->setToolTip(QStringLiteral("Select watermark image"));
            AdvGDIPPictureWatermark->setVisible(false);
            AdvGDIPPictureWatermark->clear();
        } else {
            ShowWatermarkPicture(QString::fromStdString(w.picturePath));
        }
        sCheckBoxTransparent->setChecked(w.transparentEdges);
        sComboBoxWImageScale->setCurrentText(QString::fromStdString(w.imageScaleText));
        sComboBoxImageScaleUnitImage->setCurrentIndex(UnitIndex(w.imageScaleUnit));
        sTrackBarRotateImage->setValue(w.imageRotationPosition);
        sCheckBoxTileText->setChecked(w.tile);
        sCheckBoxTileImage->setChecked(w.tile);
        sSpinEditTileSpacingText->SetText(QString::number(w.tileSpacing));
        sSpinEditTileSpacingImage->SetText(QString::number(w.tileSpacing));

        sComboBoxImageFormat->setCurrentText(QString::fromStdString(o.formatChoice));
        sComboBoxResolution->setCurrentText(QString::fromStdString(o.resolutionChoice));
        sComboBoxColor->setCurrentText(QString::fromStdString(o.colourMode));
        sTrackBarJPEGQuality->setValue(o.jpegQuality);
        sCheckBoxExif->setChecked(o.keepMetadata);
        sCheckBoxAutoOrient->setChecked(o.applyExifOrientation);
        sCheckBoxLosslessJpeg->setChecked(o.losslessJpeg);
        for (QAction* action : sActionJPEGSubsampling)
            action->setChecked(action->data().toString().toStdString() == o.jpegSubsampling);
        sActionJPEGProgressive->setChecked(o.jpegProgressive);
        sActionWebPLossless->setChecked(o.webpLossless);
        sComboBoxRotate->setCurrentText(QString::fromStdString(o.rotation));
        sCheckBoxProportional->setChecked(o.proportional);
        ResizeGuard = false;
        sDecimalSpinEditWidth->SetText(QString::fromStdString(o.widthText));
        sDecimalSpinEditHeight->SetText(QString::fromStdString(o.heightText));
        ResizeGuard = true;
        sCheckBoxResizeImage->setChecked(o.resize);
        sCheckBoxResizeImageClick();
        sDirectoryEditOutput->setText(QString::fromStdString(o.outputFolder));
        (o.existingFilePolicy == ExistingFilePolicy::Overwrite ? sRadioButtonOverwrite
         : o.existingFilePolicy == ExistingFilePolicy::Rename  ? sRadioButtonRename
                                                               : sRadioButtonSkip)
            ->setChecked(true);

        // The preset's watermark kind is the one drawn; the output tab stays shown if it is.
        const bool text = w.mode == kModeText;
        watermarkMode_ = text ? WatermarkMode(kModeText) : WatermarkMode(kModeImage);
        SetTabIcon(0, text ? 0 : 2);
        SetTabIcon(1, text ? 5 : 3);
        if (sPageControl1->currentIndex() != 2)
            SelectTab(text ? 0 : 1);
    }
    RenderFromHandler();
}

bool TMainForm::OpenPreset(const QString& path) {
    PresetSettings preset;
    const PresetLoad load = LoadPresetFile(path.toStdString(), preset);
    if (!load.ok) {
        seam_.ShowMessage(this, MessageKind::Error, QString::fromStdString(load.error), MessageButtons::Ok);
        return false;
    }
    ApplySettings(preset.watermark, preset.output);
    RememberPreset(path);
    if (!load.warnings.empty()) {
        QStringList lines;
        for (const std::string& warning : load.warnings)
            lines << QString::fromStdString(warning);
        seam_.ShowMessage(this, MessageKind::Warning, lines.join(QLatin1Char('\n')), MessageButtons::Ok);
    }
    return true;
}

bool TMainForm::SavePreset(const QString& path) {
    try {
        SavePresetFile(path.toStdString(), PresetSettings{ReadSettings(), ReadOutputSettings()});
    } catch (const std::exception& error) {
        seam_.ShowMessage(this, MessageKind::Error,
                          QStringLiteral("The preset \"%1\" could not be saved. %2")
                              .arg(path, QString::fromStdString(error.what())),
                          MessageButtons::Ok);
        return false;
    }
    RememberPreset(path);
    return true;
}

void TMainForm::OpenPreset1Click() {
    OpenFileRequest request;
    request.title = QStringLiteral("Open preset");
    request.initialFolder = presetFolder_.isEmpty()
                                ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                : presetFolder_;
    request.filters = PresetFilters();
    const QStringList chosen = seam_.GetOpenFileNames(this, request);
    if (!chosen.isEmpty())
        OpenPreset(chosen.constFirst());
}

void TMainForm::SavePresetAs1Click() {
    OpenFileRequest request;
    request.title = QStringLiteral("Save preset as");
    request.initialFolder = presetFolder_.isEmpty()
                                ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                                : presetFolder_;
    request.filters = PresetFilters();
    QString path = seam_.GetSaveFileName(this, request);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".") + QLatin1String(kPresetExtension);
    SavePreset(path);
}

void TMainForm::RememberPreset(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    presetFolder_ = QFileInfo(absolute).absolutePath();
    recentPresets_.removeAll(absolute);
    recentPresets_.prepend(absolute);
    while (recentPresets_.size() > kRecentPresetCount)
        recentPresets_.removeLast();
    UpdateRecentPresetItems();
    if (recentPresetsPath_.isEmpty())
        return;
    // The list is a convenience: a folder that cannot be written just keeps it for this run.
    QDir().mkpath(QFileInfo(recentPresetsPath_).absolutePath());
    QSaveFile file(recentPresetsPath_);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        file.write((recentPresets_.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        file.commit();
    }
}

void TMainForm::LoadRecentPresets(const QString& path) {
    recentPresetsPath_ = path;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    for (const QString& line : QString::fromUtf8(file.read(64 * 1024)).split(QLatin1Char('\n'))) {
        const QString entry = line.trimmed();
        if (!entry.isEmpty() && !recentPresets_.contains(entry) && recentPresets_.size() < kRecentPresetCount)
            recentPresets_.append(entry);
    }
    UpdateRecentPresetItems();
}

void TMainForm::UpdateRecentPresetItems() {
    for (std::size_t i = 0; i < RecentPresetItems.size(); ++i) {
        QAction* item = RecentPresetItems[i];
        const bool used = i < static_cast<std::size_t>(recentPresets_.size());
        item->setVisible(used);
        if (used) {
            const QString& path = recentPresets_[static_cast<qsizetype>(i)];
            item->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
            item->setToolTip(path);
        }
    }
}

} // namespace tessoly
