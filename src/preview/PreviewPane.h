#pragma once
// TPreviewPane: the right-hand pane that shows the current image with its watermark: the name bar
// with the Previous and Next buttons, the picture area and the properties and scale labels, and
// LoadPreviewImage, the per-image pipeline (decode, label, render, release) that the list and the
// batch job both run. User-interface thread only.

#include <string>

#include <QString>

class QLabel;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace tessoly {

struct WorkingImage;
class PreviewImageWidget;

//! What the pane needs from the window that holds it.
class PreviewHost {
public:
    virtual ~PreviewHost() = default;
    //! Composes the current image into the preview (and writes it during a batch); throws
    //! RenderError.
    virtual void RenderPreview() = 0;
    //! Brings the window to the front and shows message in a modal error box.
    virtual void ShowLoadError(const QString& message) = 0;
    virtual bool BatchRunning() const = 0;
    //! The "Show guide lines" check mark.
    virtual bool GuideLinesShown() const = 0;
    //! During a batch: does the output of a source of this format keep its transparency, so
    //! that a palette's transparent entries must be decoded as alpha?
    virtual bool OutputKeepsTransparency(int /*sourceFormat*/) const { return false; }
    //! The "Apply Exif orientation" check mark: decode sources upright.
    virtual bool ApplyExifOrientation() const { return true; }
};

//! "Scale: 43 %  " for a W x H picture in a cw x ch area: the fit factor as a float, never above 1,
//! times 100 rounded half away from zero; 0 gives no digits.
QString PreviewScaleText(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);
//! The row Next highlights: the one after current (-1: none), or -1 past the end or on an empty list.
int NextPreviewRow(int rowCount, int current);
//! The row Previous highlights: the one before current (-1: the last), or -1 before the first.
int PreviousPreviewRow(int rowCount, int current);

class TPreviewPane {
public:
    //! Builds the name bar and the picture area into layout (whose widget is sPanel4).
    TPreviewPane(QWidget* sPanel4, QVBoxLayout* layout, WorkingImage& image, PreviewHost& host);

    //! Decodes path, labels the pane and renders; any failure empties the properties and scale
    //! labels and is shown in an error box. The library image is released in every case.
    void LoadPreviewImage(const std::string& path);
    //! Fits the pane to PreviewBitmap: scale label, hiding an empty picture, re-render for guide lines.
    void PreviewResize();
    //! Shows CurrentImagePath (or "Preview Image") shortened to the name bar.
    void UpdatePreviewName();
    //! Hides and empties the picture and resets the labels; CurrentImagePath becomes empty.
    void ResetPreview();
    //! The grey prompt of the picture area, seen only while the picture is hidden.
    void SetPrompt(const QString& prompt);
    QString Prompt() const;

    QWidget* sPanel5 = nullptr;
    QLabel* sLabelName = nullptr;
    QToolButton* sBitBtnPreviewPrev = nullptr;
    QToolButton* sBitBtnPreviewNext = nullptr;
    QWidget* sPanelPreviewImage = nullptr;
    //! The picture area; its text is the prompt.
    QLabel* sPanelContent = nullptr;
    PreviewImageWidget* imagePreview = nullptr;
    QWidget* sPanel10 = nullptr;
    QLabel* sLabelProperties = nullptr;
    QLabel* sLabelScale = nullptr;

private:
    void PlaceNameBar();
    void PlaceScaleLabel();

    WorkingImage& image_;
    PreviewHost& host_;
};

} // namespace tessoly
