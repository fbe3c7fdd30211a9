#pragma once
// TMainForm: the one window of the program. It owns every setting (in its controls), the working
// image with its three bitmaps, the shared font object and the installation facts. Its code is
// split by concern: MainWindow.cpp (creation and state), MainWindowLayout.cpp (the list side and
// the status bar), MainWindowTabs.cpp (the three tabs), MainWindowMenus.cpp (the menu bar),
// MainWindowSettings.cpp (the settings handlers), MainWindowRender.cpp (ReadSettings and the
// render entry), MainWindowPicture.cpp (the watermark picture chooser). The preview pane is
// src/preview/PreviewPane. Everything here runs on the user-interface thread.

#include <array>
#include <memory>
#include <string>

#include <QMainWindow>
#include <QStringList>

#include "app/DialogSeam.h"
#include "app/InstallFacts.h"
#include "batch/JobFlags.h"
#include "imageio/FreeImageLibrary.h"
#include "imageio/OutputSettings.h"
#include "imageio/OutputWriter.h"
#include "imageio/WorkingImage.h"
#include "preview/PreviewPane.h"
#include "render/TrueTypeFont.h"
#include "render/WatermarkSettings.h"

class QAbstractItemModel;
class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFontComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QModelIndex;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QSplitter;
class QStandardItemModel;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;

namespace tessoly {

class TImageListSide;
class TSpinEdit;

//! Where the window reads its installation facts.
struct StartOptions {
    //! The INI file with "Version" and "Website"; DefaultInstallFactsPath() for the program.
    QString installFactsPath;
    //! Start the update check at the end of FormCreate; the program does, tests of the window
    //! leave it off so that they never reach the network.
    bool checkForUpdates = false;
    //! Text file, one path a line, that keeps the recent presets between runs; empty keeps them
    //! for this run only (tests).
    QString recentPresetsPath = QString();
};

class TMainForm : public QMainWindow, public PreviewHost {
    Q_OBJECT
public:
    //! Builds the window and runs FormCreate. The seam must outlive the window.
    TMainForm(DialogSeam& seam, const StartOptions& options, QWidget* parent = nullptr);
    ~TMainForm() override;

    //! True when an installation fact was missing: the message has been shown and the program
    //! must end without running its event loop.
    bool StartupFailed() const { return startupFailed_; }
    const InstallFacts& Facts() const { return facts_; }
    //! The image list, its commands and the two jobs (MainWindowList.h).
    TImageListSide& ListSide() { return *listSide_; }
    DialogSeam& Seam() { return seam_; }
    WorkingImage& Image() { return image_; }
    TTrueTypeFont& Font() { return font_; }
    TPreviewPane& Preview() { return *preview_; }

    // --- Settings and rendering ---
    //! The watermark settings as the controls hold them now; no side effects.
    WatermarkSettings ReadSettings() const;
    //! The output settings as the output tab's controls hold them now.
    OutputSettings ReadOutputSettings() const;
    //! Composes the watermark onto SourceBitmap into ComposedBitmap and shows it; during a batch
    //! also writes the output. Does nothing before an image has been decoded. Throws RenderError.
    void RenderPreview() override;
    //! Sets every watermark and output control (both twins of a pair) from the records and
    //! renders once. The picture path is taken as it is; the screen resolution stays the screen's.
    void ApplySettings(const WatermarkSettings& watermark, const OutputSettings& output);
    //! RenderPreview for a settings handler: an error is shown in an error box.
    void RenderFromHandler();
    //! The preview's fit factor k: how far PreviewBitmap is scaled down in the picture area (<= 1).
    float PreviewFitFactor() const;

    // --- Process-wide state of the window ---
    //! "text" or "image": the watermark of the tab the user picked last.
    WatermarkMode CurrentWatermarkMode() const { return watermarkMode_; }
    //! The guide-line colour; its alpha is forced to 170 when drawn.
    TColor32 GuideColour = 0xAACCCCCCu;
    //! False only while one resize field sets the other.
    bool ResizeGuard = true;
    //! BatchRunning and ReadingInProgress, shared with the jobs so that a job outliving the
    //! window still writes to live memory.
    std::shared_ptr<JobFlags> Jobs = std::make_shared<JobFlags>();
    //! What the output stage did with the current image; reset by the batch before each image.
    OutputOutcome LastOutput;
    //! The files the window's batch run has written; emptied when a run starts.
    WrittenOutputs BatchOutputs;
    //! The text of the last error box the per-image pipeline showed; reset with LastOutput.
    QString LastLoadError;
    //! The TabIcon index each tab shows now.
    std::array<int, 3> TabIcon{0, 5, 6};

    // --- The list side (its commands and jobs live with the list) ---
    //! Replaces the list's model (the window starts with an empty QStandardItemModel of the five
    //! columns) and re-connects the highlight notification to the preview.
    void SetListModel(QAbstractItemModel* model);
    //! The row's path: column 0, display role.
    QString ListRowPath(int row) const;
    //! Re-places the counter label at the right end of the bar under the list.
    void PlaceListInfo();
    //! Selects a tab from code: the tab-change handler does not run.
    void SelectTab(int index);
    //! The width [pixels] of status-bar panel index (0..4).
    int StatusPanelWidth(int index) const;

    // --- Part of the preview pane the list and jobs call ---
    void LoadPreviewImage(const std::string& path) { preview_->LoadPreviewImage(path); }
    void SelectImageFromList(const QModelIndex& index);
    void sBitBtnPreviewNextClick();
    void sBitBtnPreviewPrevClick();
    void ResizeMainForm();

    // --- Settings handlers ---
    void ShowguidelinesClick();
    void Guidelinescolor1Click();
    void sTrackBarOpacityChange(QSlider* bar);
    void sTrackBarRotateChange(QSlider* bar);
    void sSpinEditRotateChange();
    void sRadioButtonPositionClick(QRadioButton* button);
    void sSpinEditMarginsChange(TSpinEdit* field);
    void sPageControl1Change(int index);
    void MirrorTabSettings(int fromTab, int toTab);
    void TimerBlinkTimer();
    void BlinkActiveTab();
    void AddSpecialSign(QChar sign);
    void Startconversion1Click();
    void sTrackBarJPEGQualityChange();
    void sCheckBoxResizeImageClick();
    void sCheckBoxProportionalClick();
    void sDecimalSpinEditWidthChange();
    void sDecimalSpinEditHeightChange();
    void sDirectoryEditOutputClick();
    void sDirectoryEditOutputChange();
    void ImageClearOutputClick();
    void sSpeedButtonOpenFolderClick();
    void sCheckBoxAutoOrientClick();
    void sComboBoxWImageScaleChange();
    void sColorSelectTextClick();
    //! The twin of a unit combo, tile check box or spacing field follows it; then a render.
    void sComboBoxUnitChange(QComboBox* combo);
    void sCheckBoxTileClick(QCheckBox* box);
    void sSpinEditTileSpacingChange(TSpinEdit* field);
    // --- Presets ---
    void OpenPreset1Click();
    void SavePresetAs1Click();
    //! Opens a preset file: a refused one is reported naming the file and the key, and changes
    //! nothing; unknown keys are reported as a warning after the settings are applied. Returns
    //! whether the preset was applied.
    bool OpenPreset(const QString& path);
    //! Writes the current settings to path; a failure is reported. Returns whether it was written.
    bool SavePreset(const QString& path);
    //! The last presets opened or saved, newest first, at most kRecentPresetCount.
    const QStringList& RecentPresets() const { return recentPresets_; }
    static constexpr int kRecentPresetCount = 5;
    //! The watermark picture chooser and clearer.
    void ChooseWatermarkPicture();
    //! Puts path in the picture field with its thumbnail and information hint; no render.
    void ShowWatermarkPicture(const QString& path);
    void ClearWatermarkPicture();

    // --- PreviewHost ---
    void ShowLoadError(const QString& message) override;
    bool BatchRunning() const override { return Jobs->BatchRunning; }
    bool GuideLinesShown() const override;
    bool OutputKeepsTransparency(int sourceFormat) const override;
    bool ApplyExifOrientation() const override;

    // --- Controls, by their names ---
    QSplitter* sSplitter1 = nullptr;
    QWidget* sPanel1 = nullptr;
    QWidget* sPanel2 = nullptr;
    QPushButton* sBitBtnAddImage = nullptr;
    QPushButton* sBitBtnAddFolder = nullptr;
    QPushButton* sButtonRemove = nullptr;
    QPushButton* sBitBtnClear = nullptr;
    QPushButton* sBitBtnTutorial = nullptr;
    QTableView* sListViewImages = nullptr;
    QWidget* sPanel8 = nullptr;
    QPushButton* sButtonSelectAll = nullptr;
    QPushButton* sButtonDeselectAll = nullptr;
    QPushButton* sButtonInverseSelection = nullptr;
    QLabel* sLabelListInfo = nullptr;
    QWidget* sPanel4 = nullptr;
    QWidget* sPanel6 = nullptr;
    QTabWidget* sPageControl1 = nullptr;
    QWidget* sTabSheetText = nullptr;
    QWidget* sTabSheetImage = nullptr;
    QWidget* sTabSheetSettings = nullptr;

    // Tab 0.
    QLineEdit* sEditTextCaption = nullptr;
    QSlider* sTrackBarOpacityText = nullptr;
    QLabel* sLabelPercentText = nullptr;
    QFontComboBox* sFontComboBox = nullptr;
    QCheckBox* sCheckBoxBold = nullptr;
    QCheckBox* sCheckBoxItalic = nullptr;
    QCheckBox* sCheckBoxOutline = nullptr;
    QCheckBox* sCheckBox3D = nullptr;
    TSpinEdit* sSpinEditFontSize = nullptr;
    QPushButton* sColorSelectText = nullptr;
    QSlider* sTrackBarRotateText = nullptr;
    TSpinEdit* sSpinEditRotateText = nullptr;
    //! The nine position buttons of each tab, in reading order (TopLeft ... BottomRight).
    std::array<QRadioButton*, 9> AlignText{};
    std::array<QRadioButton*, 9> AlignImage{};
    TSpinEdit* sSpinEditHMarginsText = nullptr;
    TSpinEdit* sSpinEditVMarginsText = nullptr;
    //! "pt" or "% of image" for the font size.
    QComboBox* sComboBoxFontSizeUnitText = nullptr;
    //! "px" or "% of image" for each margin, mirrored by the image tab's pair.
    QComboBox* sComboBoxHMarginsUnitText = nullptr;
    QComboBox* sComboBoxVMarginsUnitText = nullptr;
    //! "Repeat across the image" and the gap between copies [percent of the mark], mirrored.
    QCheckBox* sCheckBoxTileText = nullptr;
    TSpinEdit* sSpinEditTileSpacingText = nullptr;

    // Tab 1.
    QToolButton* ImageClearWatermark = nullptr;
    QLineEdit* sFilenameEditWatermark = nullptr;
    QSlider* sTrackBarOpacityImage = nullptr;
    QLabel* sLabelPercentImage = nullptr;
    QFrame* sPanel14 = nullptr;
    QLabel* AdvGDIPPictureWatermark = nullptr;
    QCheckBox* sCheckBoxTransparent = nullptr;
    QComboBox* sComboBoxWImageScale = nullptr;
    QSlider* sTrackBarRotateImage = nullptr;
    QLabel* sLabelImageAngle = nullptr;
    TSpinEdit* sSpinEditHMarginsImage = nullptr;
    TSpinEdit* sSpinEditVMarginsImage = nullptr;
    //! "% of picture" or "% of image" for the image scale.
    QComboBox* sComboBoxImageScaleUnitImage = nullptr;
    QComboBox* sComboBoxHMarginsUnitImage = nullptr;
    QComboBox* sComboBoxVMarginsUnitImage = nullptr;
    QCheckBox* sCheckBoxTileImage = nullptr;
    TSpinEdit* sSpinEditTileSpacingImage = nullptr;

    // Tab 2.
    QComboBox* sComboBoxImageFormat = nullptr;
    QComboBox* sComboBoxResolution = nullptr;
    QComboBox* sComboBoxColor = nullptr;
    QSlider* sTrackBarJPEGQuality = nullptr;
    QLabel* sLabelJPEGQuality = nullptr;
    QCheckBox* sCheckBoxExif = nullptr;
    //! "Apply Exif orientation": sources are turned upright after decoding.
    QCheckBox* sCheckBoxAutoOrient = nullptr;
    QComboBox* sComboBoxRotate = nullptr;
    QCheckBox* sCheckBoxResizeImage = nullptr;
    TSpinEdit* sDecimalSpinEditWidth = nullptr;
    TSpinEdit* sDecimalSpinEditHeight = nullptr;
    QCheckBox* sCheckBoxProportional = nullptr;
    QToolButton* ImageClearOutput = nullptr;
    QLineEdit* sDirectoryEditOutput = nullptr;
    QToolButton* sSpeedButtonOpenFolder = nullptr;
    QRadioButton* sRadioButtonSkip = nullptr;
    QRadioButton* sRadioButtonRename = nullptr;
    QRadioButton* sRadioButtonOverwrite = nullptr;
    QPushButton* sBitBtnStart = nullptr;

    // Menus.
    QMenu* FileMenu = nullptr;
    QAction* Addimage1 = nullptr;
    QAction* Addfolder1 = nullptr;
    QAction* OpenPreset1 = nullptr;
    QAction* SavePresetAs1 = nullptr;
    //! The recent presets' items RecentPreset1 ... RecentPreset5; hidden while unused.
    std::array<QAction*, 5> RecentPresetItems{};
    QAction* Startconversion1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* EditMenu = nullptr;
    QAction* Selectallimages1 = nullptr;
    QAction* Deselectall1 = nullptr;
    QAction* InverseSelection1 = nullptr;
    QMenu* Selectforstatus1 = nullptr;
    QAction* Successful1 = nullptr;
    QAction* Unsuccessful1 = nullptr;
    QAction* Skipped1 = nullptr;
    QAction* Waiting1 = nullptr;
    QAction* Removeduplications1 = nullptr;
    QAction* Removeselected1 = nullptr;
    QAction* MenuItemShowgrid = nullptr;
    QMenu* Guidelines = nullptr;
    QAction* Showguidelines = nullptr;
    QAction* Guidelinescolor1 = nullptr;
    QMenu* SpecialCharMenu = nullptr;
    QAction* Copyright1 = nullptr;
    QAction* Trademark1 = nullptr;
    QAction* Registered1 = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* Website = nullptr;
    QAction* VideoTutorial1 = nullptr;
    QAction* Feedback1 = nullptr;
    QAction* Donate1 = nullptr;
    QAction* About1 = nullptr;

    // Status bar.
    QWidget* sStatusBar1 = nullptr;
    std::array<QFrame*, 5> StatusPanels{};
    QToolButton* ImageDonate = nullptr;
    QToolButton* ImageSocialFacebook = nullptr;
    QToolButton* Image1 = nullptr;
    QToolButton* Image6 = nullptr;
    QProgressBar* sGaugeProcess = nullptr;
    QLabel* sLabelFXProcessing = nullptr;
    QLabel* sLabelFXCurrentImage = nullptr;
    QLabel* sLabelFXWebpage = nullptr;

    //! The 700 ms blink of the active watermark tab's marker.
    QTimer* TimerBlink = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate(const StartOptions& options);
    void BuildLayout();
    QWidget* BuildListSide();
    void BuildStatusBar();
    void PlaceStatusBar();
    void BuildMenus();
    void BuildTextTab();
    void BuildImageTab();
    void BuildSettingsTab();
    void ConnectHandlers();
    void ConnectListSelection();
    void SetTabIcon(int tab, int icon);
    void SetTextColour(const QColor& colour);
    void RememberPreset(const QString& path);
    void UpdateRecentPresetItems();
    void LoadRecentPresets(const QString& path);
    void ConnectUnitHandlers();

    DialogSeam& seam_;
    InstallFacts facts_;
    bool startupFailed_ = false;
    //! Declared before the image so the library outlives the open library image.
    FreeImageLibrary freeImage_;
    WorkingImage image_;
    TTrueTypeFont font_;
    std::unique_ptr<TPreviewPane> preview_;
    QStandardItemModel* listModel_ = nullptr;
    WatermarkMode watermarkMode_ = kModeText;
    QColor textColour_ = QColor(0xFF, 0xFF, 0xFF);
    //! Set while a tab is selected from code, so the tab-change handler stays out.
    bool selectingTab_ = false;
    //! Set while the rotation field moves its track bar.
    bool rotateFromField_ = false;
    //! Nesting of settings handlers: a handler run by another handler's change leaves the render
    //! to the outer one, so one user action composes once.
    int handlerDepth_ = 0;
    QStringList recentPresets_;
    QString recentPresetsPath_;
    //! The folder of the last preset opened or saved, where the dialogs start.
    QString presetFolder_;
    friend class HandlerScope;
    //! Last, so it goes first: it stops the jobs while everything they may touch still exists.
    std::unique_ptr<TImageListSide> listSide_;
};

} // namespace tessoly
