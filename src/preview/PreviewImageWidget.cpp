#include "preview/PreviewImageWidget.h"

#include <algorithm>

#include <QImage>
#include <QPainter>
#include <QPalette>

namespace tessoly {

PreviewImageWidget::PreviewImageWidget(const TBitmap32& bitmap, QWidget* parent)
    : QWidget(parent), bitmap_(bitmap) {
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

QRect PreviewImageWidget::PictureRect() const {
    const int w = bitmap_.Width();
    const int h = bitmap_.Height();
    if (w <= 0 || h <= 0)
        return {};
    const double scale = std::min({1.0, double(width()) / w, double(height()) / h});
    const int dw = std::max(1, int(w * scale));
    const int dh = std::max(1, int(h * scale));
    return QRect((width() - dw) / 2, (height() - dh) / 2, dw, dh);
}

void PreviewImageWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The area around the picture, like a window's scroll-bar background.
    painter.fillRect(rect(), palette().color(QPalette::Midlight));
    const QRect target = PictureRect();
    if (target.isEmpty())
        return;
    const QImage view(reinterpret_cast<const uchar*>(bitmap_.Bits()), bitmap_.Width(), bitmap_.Height(),
                      qsizetype(bitmap_.Width()) * 4, QImage::Format_RGB32);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, view, view.rect());
}

} // namespace tessoly
