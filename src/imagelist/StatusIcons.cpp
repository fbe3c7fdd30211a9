#include "imagelist/StatusIcons.h"

#include <array>
#include <cmath>

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace tessoly {

namespace {

// Every icon is drawn on a transparent 22 x 12 canvas with its symbol in the left 12 x 12 square,
// so the icons line up with each other and leave a little air before the path text.
constexpr qreal kSide = 12.0;

void DrawHourglass(QPainter& p) {
    QPolygonF glass;
    glass << QPointF(2.5, 0.5) << QPointF(9.5, 0.5) << QPointF(6.5, 6.0) << QPointF(9.5, 11.5)
          << QPointF(2.5, 11.5) << QPointF(5.5, 6.0);
    p.setPen(QPen(QColor(96, 72, 32), 1.0));
    p.setBrush(QColor(250, 236, 196));
    p.drawPolygon(glass);
    QPolygonF sand;
    sand << QPointF(4.0, 10.8) << QPointF(8.0, 10.8) << QPointF(6.0, 7.8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 160, 48));
    p.drawPolygon(sand);
}

void DrawGear(QPainter& p) {
    const QPointF centre(kSide / 2, kSide / 2);
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        const double angle = i * M_PI / 4;
        const QPointF dir(std::cos(angle), std::sin(angle));
        QPolygonF tooth;
        const QPointF side(-dir.y() * 1.3, dir.x() * 1.3);
        tooth << centre + dir * 3.0 + side << centre + dir * 5.8 + side << centre + dir * 5.8 - side
              << centre + dir * 3.0 - side;
        teeth.addPolygon(tooth);
        teeth.closeSubpath();
    }
    teeth.addEllipse(centre, 4.2, 4.2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 96, 200));
    p.drawPath(teeth.simplified());
    p.setBrush(Qt::white);
    p.drawEllipse(centre, 1.6, 1.6);
}

void DrawTick(QPainter& p) {
    QPen pen(QColor(24, 150, 40), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPolygonF tick;
    tick << QPointF(1.8, 6.5) << QPointF(4.8, 9.5) << QPointF(10.3, 2.5);
    p.drawPolyline(tick);
}

void DrawCross(QPainter& p) {
    QPen pen(QColor(210, 30, 30), 2.4, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.drawLine(QPointF(2.5, 2.5), QPointF(9.5, 9.5));
    p.drawLine(QPointF(9.5, 2.5), QPointF(2.5, 9.5));
}

void DrawArrow(QPainter& p) {
    QPolygonF arrow;
    arrow << QPointF(1.0, 4.0) << QPointF(6.0, 4.0) << QPointF(6.0, 1.0) << QPointF(11.5, 6.0)
          << QPointF(6.0, 11.0) << QPointF(6.0, 8.0) << QPointF(1.0, 8.0);
    p.setPen(QPen(QColor(20, 60, 150), 0.8));
    p.setBrush(QColor(60, 120, 230));
    p.drawPolygon(arrow);
}

QImage MakeIcon(ItemStatus status) {
    QImage icon(kStatusIconWidth, kStatusIconHeight, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    switch (status) {
    case ItemStatus::Waiting:
        DrawHourglass(p);
        break;
    case ItemStatus::InProgress:
        DrawGear(p);
        break;
    case ItemStatus::Successful:
        DrawTick(p);
        break;
    case ItemStatus::Unsuccessful:
        DrawCross(p);
        break;
    case ItemStatus::Skipped:
        DrawArrow(p);
        break;
    }
    p.end();
    return icon;
}

} // namespace

const QImage& StatusIcon(ItemStatus status) {
    static const std::array<QImage, 5> icons = {
        MakeIcon(ItemStatus::Waiting),    MakeIcon(ItemStatus::InProgress),
        MakeIcon(ItemStatus::Successful), MakeIcon(ItemStatus::Unsuccessful),
        MakeIcon(ItemStatus::Skipped),
    };
    const int index = static_cast<int>(status);
    return icons[static_cast<std::size_t>(index >= 0 && index < 5 ? index : 0)];
}

} // namespace tessoly
