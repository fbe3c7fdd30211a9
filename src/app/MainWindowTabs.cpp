// The three tabs of the page control: the text watermark, the image watermark and the output
// settings with the Start button. Controls keep the original pixel places inside their groups.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include "app/Icons.h"
#include "app/MainWindow.h"
#include "app/SpinEdit.h"

namespace tessoly {

namespace {

const char* const kPlaceNames[9] = {"TopLeft", "TopCenter",  "TopRight", "Left",       "Center",
                                    "Right",   "BottomLeft", "Bottom",   "BottomRight"};

QGroupBox* Group(QWidget* parent, const char* name, const QString& title, QRect geometry) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(QLatin1String(name));
    group->setGeometry(geometry);
    return group;
}

QLabel* Label(QWidget* parent, const QString& text, int left, int top, const char* name = nullptr) {
    auto* label = new QLabel(text, parent);
    if (name != nullptr)
        label->setObjectName(QLatin1String(name));
    label->adjustSize();
    label->move(left, top);
    return label;
}

TSpinEdit* Spin(QWidget* parent, const char* name, QRect geometry, int minimum, int maximum, int value) {
    auto* spin = new TSpinEdit(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setGeometry(geometry);
    spin->SetRange(minimum, maximum);
    spin->SetValue(value);
    return spin;
}

QSlider* Slider(QWidget* parent, const char* name, QRect geometry, int minimum, int maximum, int value) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setGeometry(geometry);
    slider->setRange(minimum, maximum);
    slider->setValue(value);
    return slider;
}

QCheckBox* Check(QWidget* parent, const char* name, const QString& caption, QRect geometry, bool checked,
                 const QString& hint = QString()) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    box->setChecked(checked);
    if (!hint.isEmpty())
        box->setToolTip(hint);
    return box;
}

QComboBox* Combo(QWidget* parent, const char* name, QRect geometry, const QStringList& items,
                 const QString& value) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setGeometry(geometry);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentText(value);
    return combo;
}

//! A fixed list of units; the first item is the control's own unit.
QComboBox* UnitCombo(QWidget* parent, const char* name, QRect geometry, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setGeometry(geometry);
    combo->addItems(items);
    combo->setCurrentIndex(0);
    return combo;
}

QStringList MarginUnits() {
    return {QStringLiteral("px"), QStringLiteral("% of image")};
}

QToolButton* EraseButton(QWidget* parent, const char* name, const QString& hint, QPoint place) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setIcon(EraseIcon());
    button->setIconSize(QSize(16, 16));
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setGeometry(place.x(), place.y(), 16, 16);
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0px; }"));
    return button;
}

//! The 3 x 3 grid of position buttons, 18 pixels apart; Center checked.
std::array<QRadioButton*, 9> AlignGroup(QWidget* page, const char* suffix) {
    QGroupBox* group = Group(page, suffix[0] == 'T' ? "sGroupBoxAlignText" : "sGroupBoxAlignImage",
                             QStringLiteral("Align"), QRect(339, 58, 64, 72));
    auto* buttons = new QButtonGroup(group);
    std::array<QRadioButton*, 9> radios{};
    for (int i = 0; i < 9; ++i) {
        auto* radio = new QRadioButton(group);
        radio->setObjectName(QStringLiteral("sRadioButton") + QLatin1String(kPlaceNames[i]) +
                             QLatin1String(suffix));
        radio->setGeometry(8 + 18 * (i % 3), 16 + 18 * (i / 3), 16, 16);
        radio->setAccessibleName(QLatin1String(kPlaceNames[i]));
        buttons->addButton(radio, i);
        radios[static_cast<std::size_t>(i)] = radio;
    }
    radios[4]->setChecked(true);
    return radios;
}

void MarginRow(QWidget* page, const char* suffix, TSpinEdit*& hField, TSpinEdit*& vField, QComboBox*& hUnit,
               QComboBox*& vUnit) {
    // Two rows under the Rotate and Align groups, right of the Font group, each with its unit.
    const QByteArray s(suffix);
    Label(page, QStringLiteral("HMargins:"), 181, 143);
    hField = Spin(page, QByteArray("sSpinEditHMargins" + s).constData(), QRect(230, 140, 46, 21), 0, 0, 30);
    hField->setToolTip(QStringLiteral("Horizontal margins"));
    hUnit = UnitCombo(page, QByteArray("sComboBoxHMarginsUnit" + s).constData(), QRect(280, 140, 90, 21), MarginUnits());
    hUnit->setToolTip(QStringLiteral("Horizontal margins in pixels or in percent of the image's width"));
    Label(page, QStringLiteral("VMargins:"), 181, 169);
    vField = Spin(page, QByteArray("sSpinEditVMargins" + s).constData(), QRect(230, 166, 46, 21), 0, 0, 30);
    vField->setToolTip(QStringLiteral("Vertical margins"));
    vUnit = UnitCombo(page, QByteArray("sComboBoxVMarginsUnit" + s).constData(), QRect(280, 166, 90, 21), MarginUnits());
    vUnit->setToolTip(QStringLiteral("Vertical margins in pixels or in percent of the image's height"));
}

//! "Repeat across the image" and the spacing of the copies, under the left group.
void TileRow(QWidget* page, const char* suffix, QCheckBox*& tile, TSpinEdit*& spacing) {
    const QByteArray s(suffix);
    tile = Check(page, QByteArray("sCheckBoxTile" + s).constData(), QStringLiteral("Repeat across the image"), QRect(6, 164, 170, 18),
                 false, QStringLiteral("Repeat the watermark in a grid over the whole image"));
    Label(page, QStringLiteral("Spacing:"), 8, 190);
    spacing = Spin(page, QByteArray("sSpinEditTileSpacing" + s).constData(), QRect(56, 187, 46, 21), 0, 1000, 50);
    spacing->setToolTip(QStringLiteral("Gap between the copies, in percent of the watermark's size"));
    Label(page, QStringLiteral("% of mark"), 106, 190);
}

} // namespace

void TMainForm::BuildTextTab() {
    sTabSheetText = new QWidget();
    sTabSheetText->setObjectName(QStringLiteral("sTabSheetText"));
    sPageControl1->addTab(sTabSheetText, TabStripIcon(0), QStringLiteral("Text Watermark "));
    QWidget* page = sTabSheetText;

    QGroupBox* properties =
        Group(page, "sGroupBoxTextProperties", QStringLiteral("Text Properties"), QRect(1, 6, 402, 48));
    Label(properties, QStringLiteral("Caption:"), 8, 21);
    sEditTextCaption = new QLineEdit(QStringLiteral("\u00A9 Tessoly"), properties);
    sEditTextCaption->setObjectName(QStringLiteral("sEditTextCaption"));
    sEditTextCaption->setGeometry(56, 17, 172, 21);
    Label(properties, QStringLiteral("Opacity:"), 236, 21);
    sTrackBarOpacityText = Slider(properties, "sTrackBarOpacityText", QRect(280, 17, 80, 21), 0, 50, 30);
    sLabelPercentText =
        Label(properties, QString::fromStdString(OpacityPercentText(30)), 364, 21, "sLabelPercentText");

    QGroupBox* font = Group(page, "sGroupBoxFont", QStringLiteral("Font"), QRect(1, 58, 172, 102));
    sFontComboBox = new QFontComboBox(font);
    sFontComboBox->setObjectName(QStringLiteral("sFontComboBox"));
    sFontComboBox->setGeometry(8, 16, 156, 21);
    sFontComboBox->setFontFilters(QFontComboBox::ScalableFonts | QFontComboBox::NonScalableFonts);
    sFontComboBox->setEditable(true);
    sFontComboBox->setEditText(QStringLiteral("Arial"));
    Label(font, QStringLiteral("Style:"), 8, 45);
    sCheckBoxBold = Check(font, "sCheckBoxBold", QStringLiteral("B"), QRect(40, 43, 30, 18), true,
                          QStringLiteral("Bold"));
    sCheckBoxItalic = Check(font, "sCheckBoxItalic", QStringLiteral("I"), QRect(72, 43, 28, 18), false,
                            QStringLiteral("Italic"));
    sCheckBoxOutline = Check(font, "sCheckBoxOutline", QStringLiteral("O"), QRect(100, 43, 30, 18), true,
                             QStringLiteral("Outline"));
    sCheckBox3D = Check(font, "sCheckBox3D", QStringLiteral("3D"), QRect(130, 43, 36, 18), true,
                        QStringLiteral("3D effect"));
    Label(font, QStringLiteral("Size:"), 8, 73);
    sSpinEditFontSize = Spin(font, "sSpinEditFontSize", QRect(34, 70, 40, 21), 4, 0, 60);
    sComboBoxFontSizeUnitText = UnitCombo(font, "sComboBoxFontSizeUnitText", QRect(76, 70, 40, 21),
                                          {QStringLiteral("pt"), QStringLiteral("% of image")});
    sComboBoxFontSizeUnitText->view()->setMinimumWidth(100);
    sComboBoxFontSizeUnitText->setToolTip(
        QStringLiteral("Size in points, or the text's height in percent of the image's shorter side"));
    sColorSelectText = new QPushButton(QStringLiteral("Color"), font);
    sColorSelectText->setObjectName(QStringLiteral("sColorSelectText"));
    sColorSelectText->setGeometry(118, 69, 48, 23);
    SetTextColour(textColour_);

    QGroupBox* rotate = Group(page, "sGroupBoxRotateText", QStringLiteral("Rotate"), QRect(181, 58, 150, 72));
    sTrackBarRotateText = Slider(rotate, "sTrackBarRotateText", QRect(6, 16, 138, 22), -180, 180, 0);
    Label(rotate, QStringLiteral("Angle:"), 8, 46);
    sSpinEditRotateText = Spin(rotate, "sSpinEditRotateText", QRect(44, 43, 54, 21), -180, 180, 0);
    Label(rotate, QStringLiteral("degree"), 102, 46);

    AlignText = AlignGroup(page, "Text");
    MarginRow(page, "Text", sSpinEditHMarginsText, sSpinEditVMarginsText, sComboBoxHMarginsUnitText,
              sComboBoxVMarginsUnitText);
    TileRow(page, "Text", sCheckBoxTileText, sSpinEditTileSpacingText);
}

void TMainForm::BuildImageTab() {
    sTabSheetImage = new QWidget();
    sTabSheetImage->setObjectName(QStringLiteral("sTabSheetImage"));
    sPageControl1->addTab(sTabSheetImage, TabStripIcon(5), QStringLiteral("Image Watermark "));
    QWidget* page = sTabSheetImage;

    QGroupBox* properties =
        Group(page, "sGroupBoxImageProperties", QStringLiteral("Image Properties"), QRect(1, 6, 402, 48));
    Label(properties, QStringLiteral("Path:"), 8, 21);
    ImageClearWatermark = EraseButton(properties, "ImageClearWatermark",
                                      QStringLiteral("Clear watermark image path"), QPoint(36, 20));
    sFilenameEditWatermark = new QLineEdit(properties);
    sFilenameEditWatermark->setObjectName(QStringLiteral("sFilenameEditWatermark"));
    sFilenameEditWatermark->setGeometry(56, 17, 172, 21);
    sFilenameEditWatermark->setReadOnly(true);
    sFilenameEditWatermark->setToolTip(QStringLiteral("Select watermark image"));
    QAction* browsePicture =
        sFilenameEditWatermark->addAction(ToolStripIcon(ToolIcon::Picture), QLineEdit::TrailingPosition);
    browsePicture->setObjectName(QStringLiteral("sFilenameEditWatermarkBrowse"));
    connect(browsePicture, &QAction::triggered, this, [this] { ChooseWatermarkPicture(); });
    Label(properties, QStringLiteral("Opacity:"), 236, 21);
    sTrackBarOpacityImage = Slider(properties, "sTrackBarOpacityImage", QRect(280, 17, 80, 21), 0, 50, 30);
    sLabelPercentImage =
        Label(properties, QString::fromStdString(OpacityPercentText(30)), 364, 21, "sLabelPercentImage");

    QGroupBox* picture =
        Group(page, "sGroupBoxWatermarkImage", QStringLiteral("Watermark Image"), QRect(1, 58, 172, 102));
    sPanel14 = new QFrame(picture);
    sPanel14->setObjectName(QStringLiteral("sPanel14"));
    sPanel14->setFrameShape(QFrame::StyledPanel);
    sPanel14->setFrameShadow(QFrame::Sunken);
    sPanel14->setGeometry(6, 16, 84, 80);
    sPanel14->setToolTip(QStringLiteral("Select watermark image"));
    sPanel14->setCursor(Qt::PointingHandCursor);
    AdvGDIPPictureWatermark = new QLabel(sPanel14);
    AdvGDIPPictureWatermark->setObjectName(QStringLiteral("AdvGDIPPictureWatermark"));
    AdvGDIPPictureWatermark->setGeometry(4, 2, 76, 76);
    AdvGDIPPictureWatermark->setAlignment(Qt::AlignCenter);
    AdvGDIPPictureWatermark->setVisible(false);
    sCheckBoxTransparent = Check(picture, "sCheckBoxTransparent", QStringLiteral("Transparent\n edges"),
                                 QRect(93, 16, 78, 30), false);
    Label(picture, QStringLiteral("Image scale:"), 96, 46);
    sComboBoxWImageScale =
        Combo(picture, "sComboBoxWImageScale", QRect(96, 61, 56, 21),
              {QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("50"), QStringLiteral("80"),
               QStringLiteral("100"), QStringLiteral("150"), QStringLiteral("200"), QStringLiteral("300"),
               QStringLiteral("400"), QStringLiteral("500")},
              QStringLiteral("100"));
    sComboBoxImageScaleUnitImage = UnitCombo(picture, "sComboBoxImageScaleUnitImage", QRect(96, 83, 72, 18),
                                             {QStringLiteral("% of picture"), QStringLiteral("% of image")});
    sComboBoxImageScaleUnitImage->view()->setMinimumWidth(100);
    sComboBoxImageScaleUnitImage->setToolTip(
        QStringLiteral("Scale in percent of the picture, or its width in percent of the image's width"));

    QGroupBox* rotate =
        Group(page, "sGroupBoxRotateImage", QStringLiteral("Rotate"), QRect(181, 58, 150, 72));
    sTrackBarRotateImage = Slider(rotate, "sTrackBarRotateImage", QRect(6, 16, 138, 24), 0, 4, 2);
    sTrackBarRotateImage->setTickPosition(QSlider::TicksBelow);
    sTrackBarRotateImage->setPageStep(1);
    Label(rotate, QStringLiteral("Angle:"), 8, 46);
    sLabelImageAngle = Label(rotate, QString::fromStdString(ImageAngleText(2)), 44, 46, "sLabelImageAngle");

    AlignImage = AlignGroup(page, "Image");
    MarginRow(page, "Image", sSpinEditHMarginsImage, sSpinEditVMarginsImage, sComboBoxHMarginsUnitImage,
              sComboBoxVMarginsUnitImage);
    TileRow(page, "Image", sCheckBoxTileImage, sSpinEditTileSpacingImage);
}

void TMainForm::BuildSettingsTab() {
    sTabSheetSettings = new QWidget();
    sTabSheetSettings->setObjectName(QStringLiteral("sTabSheetSettings"));
    const int index = sPageControl1->addTab(sTabSheetSettings, TabStripIcon(6),
                                            QStringLiteral("Output Settings && Start "));
    sPageControl1->tabBar()->setTabTextColor(index, QColor(0, 70, 160));
    // All three tabs stay in view, as in a page control, rather than behind scroll arrows.
    sPageControl1->setUsesScrollButtons(false);
    sPageControl1->setElideMode(Qt::ElideNone);
    sPageControl1->tabBar()->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 1px 3px 1px; }"));
    QWidget* page = sTabSheetSettings;

    QGroupBox* output =
        Group(page, "sGroupBoxOutputImage", QStringLiteral("Output Image Settings"), QRect(1, 0, 401, 98));
    Label(output, QStringLiteral("Format:"), 6, 20);
    sComboBoxImageFormat = Combo(output, "sComboBoxImageFormat", QRect(46, 16, 88, 21),
                                 {QStringLiteral("Unchanged"), QStringLiteral("BMP"), QStringLiteral("GIF"),
                                  QStringLiteral("JPEG"), QStringLiteral("JPEG-2000"), QStringLiteral("PNG"),
                                  QStringLiteral("TIFF"), QStringLiteral("TGA")},
                                 QStringLiteral("Unchanged"));
    Label(output, QStringLiteral("Resolution:"), 140, 20);
    sComboBoxResolution =
        Combo(output, "sComboBoxResolution", QRect(196, 16, 56, 21),
              {QStringLiteral("Src"), QStringLiteral("72"), QStringLiteral("96"), QStringLiteral("144"),
               QStringLiteral("200"), QStringLiteral("300"), QStringLiteral("400"), QStringLiteral("600")},
              QStringLiteral("Src"));
    Label(output, QStringLiteral("DPI"), 256, 20);
    Label(output, QStringLiteral("Color:"), 282, 20);
    sComboBoxColor = Combo(output, "sComboBoxColor", QRect(316, 16, 80, 21),
                           {QStringLiteral("RGB"), QStringLiteral("Greyscale"), QStringLiteral("Monochrome")},
                           QStringLiteral("RGB"));

    Label(output, QStringLiteral("JPEG Quality:"), 6, 48);
    sTrackBarJPEGQuality = Slider(output, "sTrackBarJPEGQuality", QRect(74, 44, 104, 21), 1, 100, 80);
    sLabelJPEGQuality = Label(output, QStringLiteral("80%"), 180, 48, "sLabelJPEGQuality");
    sCheckBoxExif = Check(output, "sCheckBoxExif", QStringLiteral("Exif"), QRect(216, 45, 48, 18), true,
                          QStringLiteral("Keep Exif, IPTC informations"));
    Label(output, QStringLiteral("Rotate:"), 272, 48);
    sComboBoxRotate = Combo(output, "sComboBoxRotate", QRect(316, 44, 80, 21),
                            {QStringLiteral("None"), QStringLiteral("90\u00B0 CW"),
                             QStringLiteral("90\u00B0 CCW"), QStringLiteral("180\u00B0")},
                            QStringLiteral("None"));

    sCheckBoxResizeImage = Check(output, "sCheckBoxResizeImage", QStringLiteral("Resize"),
                                 QRect(6, 73, 60, 18), false, QStringLiteral("Resize image"));
    Label(output, QStringLiteral("Width:"), 68, 76);
    sDecimalSpinEditWidth = Spin(output, "sDecimalSpinEditWidth", QRect(102, 72, 54, 21), 0, 9999, 800);
    sDecimalSpinEditWidth->setEnabled(false);
    Label(output, QStringLiteral("px"), 158, 76);
    Label(output, QStringLiteral("Height:"), 176, 76);
    sDecimalSpinEditHeight = Spin(output, "sDecimalSpinEditHeight", QRect(214, 72, 54, 21), 0, 9999, 0);
    sDecimalSpinEditHeight->setEnabled(false);
    Label(output, QStringLiteral("px"), 270, 76);
    sCheckBoxProportional = Check(output, "sCheckBoxProportional", QStringLiteral("Proportional"),
                                  QRect(292, 73, 104, 18), true, QStringLiteral("Maintain aspect ratio"));
    sCheckBoxProportional->setEnabled(false);
    // Above the Start button, beside the folder group: the output group's three rows are full.
    sCheckBoxAutoOrient = Check(page, "sCheckBoxAutoOrient", QStringLiteral("Apply Exif orientation"),
                                QRect(277, 100, 129, 18), true,
                                QStringLiteral("Turn photos upright as their Exif orientation says"));

    QGroupBox* folder =
        Group(page, "sGroupBoxOutputFolder", QStringLiteral("Output Folder"), QRect(1, 100, 274, 66));
    ImageClearOutput =
        EraseButton(folder, "ImageClearOutput", QStringLiteral("Clear output folder"), QPoint(6, 20));
    sDirectoryEditOutput = new QLineEdit(folder);
    sDirectoryEditOutput->setObjectName(QStringLiteral("sDirectoryEditOutput"));
    sDirectoryEditOutput->setGeometry(26, 17, 216, 21);
    sDirectoryEditOutput->setReadOnly(true);
    sDirectoryEditOutput->setToolTip(QStringLiteral("Select output folder"));
    QAction* browseFolder =
        sDirectoryEditOutput->addAction(ToolStripIcon(ToolIcon::FolderPlus), QLineEdit::TrailingPosition);
    browseFolder->setObjectName(QStringLiteral("sDirectoryEditOutputBrowse"));
    connect(browseFolder, &QAction::triggered, this, [this] { sDirectoryEditOutputClick(); });
    sSpeedButtonOpenFolder = new QToolButton(folder);
    sSpeedButtonOpenFolder->setObjectName(QStringLiteral("sSpeedButtonOpenFolder"));
    sSpeedButtonOpenFolder->setGeometry(246, 17, 22, 21);
    sSpeedButtonOpenFolder->setCheckable(true);
    sSpeedButtonOpenFolder->setChecked(true);
    sSpeedButtonOpenFolder->setIcon(ToolStripIcon(ToolIcon::Magnifier));
    sSpeedButtonOpenFolder->setToolTip(QStringLiteral("Open folder after watermarking<br>Status: <b>on</b>"));
    Label(folder, QStringLiteral("Existing file:"), 6, 45);
    auto* policy = new QButtonGroup(folder);
    sRadioButtonSkip = new QRadioButton(QStringLiteral("Skip"), folder);
    sRadioButtonSkip->setObjectName(QStringLiteral("sRadioButtonSkip"));
    sRadioButtonSkip->setGeometry(76, 43, 52, 18);
    sRadioButtonRename = new QRadioButton(QStringLiteral("Rename"), folder);
    sRadioButtonRename->setObjectName(QStringLiteral("sRadioButtonRename"));
    sRadioButtonRename->setGeometry(130, 43, 68, 18);
    sRadioButtonOverwrite = new QRadioButton(QStringLiteral("Overwrite"), folder);
    sRadioButtonOverwrite->setObjectName(QStringLiteral("sRadioButtonOverwrite"));
    sRadioButtonOverwrite->setGeometry(200, 43, 72, 18);
    for (QRadioButton* radio : {sRadioButtonSkip, sRadioButtonRename, sRadioButtonOverwrite})
        policy->addButton(radio);
    sRadioButtonSkip->setChecked(true);

    sBitBtnStart = new QPushButton(QStringLiteral("Start"), page);
    sBitBtnStart->setObjectName(QStringLiteral("sBitBtnStart"));
    sBitBtnStart->setGeometry(318, 120, 84, 46);
    QFont startFont = sBitBtnStart->font();
    startFont.setBold(true);
    startFont.setPixelSize(13);
    sBitBtnStart->setFont(startFont);
    sBitBtnStart->setIcon(StartButtonIcon(0));
    sBitBtnStart->setIconSize(QSize(24, 24));
}

} // namespace tessoly
