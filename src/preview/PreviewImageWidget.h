#pragma once
// The picture control of the preview pane. It shows a TBitmap32 at 1:1 when it fits and scaled
// down uniformly otherwise, never enlarged, centred, nearest-neighbour, on the scroll-bar colour.
// Painting wraps the bitmap's pixels in a QImage without copying them and lets the raster engine
// sample only the scaled pixels that are on screen, so a 6000 x 4000 picture costs no more to
// paint than the widget's area. The alpha byte is not shown: the picture is drawn opaque.

#include <QWidget>

#include "render/Bitmap32.h"

namespace tessoly {

class PreviewImageWidget : public QWidget {
    Q_OBJECT
public:
    //! bitmap must outlive the widget; it is read at every paint.
    explicit PreviewImageWidget(const TBitmap32& bitmap, QWidget* parent = nullptr);

    //! The rectangle the picture occupies at the current size; empty for an empty bitmap.
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const TBitmap32& bitmap_;
};

} // namespace tessoly
