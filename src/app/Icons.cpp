#include "app/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace tessoly {

namespace {

QPixmap Blank(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void Start(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, true);
}

void DrawPlus(QPainter& p, QRectF r, QColor colour) {
    p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
}

void DrawMinus(QPainter& p, QRectF r, QColor colour) {
    p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
}

void DrawFolder(QPainter& p, QRectF r) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 90));
    QPainterPath path;
    path.moveTo(r.left(), r.top() + 2);
    path.lineTo(r.left() + r.width() * 0.4, r.top() + 2);
    path.lineTo(r.left() + r.width() * 0.5, r.top() + 4);
    path.lineTo(r.right(), r.top() + 4);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.drawPath(path);
}

void DrawList(QPainter& p, QRectF r) {
    p.setPen(QPen(QColor(70, 70, 90), 1.5));
    for (int i = 0; i < 3; ++i) {
        const double y = r.top() + 2 + i * 4;
        p.drawLine(QPointF(r.left(), y), QPointF(r.right() - 5, y));
    }
}

void DrawPicture(QPainter& p, QRectF r) {
    p.setPen(QPen(QColor(60, 80, 120), 1));
    p.setBrush(QColor(170, 210, 250));
    p.drawRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 150, 60));
    QPainterPath hill;
    hill.moveTo(r.left() + 0.5, r.bottom() - 0.5);
    hill.lineTo(r.left() + r.width() * 0.4, r.top() + r.height() * 0.45);
    hill.lineTo(r.left() + r.width() * 0.65, r.top() + r.height() * 0.7);
    hill.lineTo(r.left() + r.width() * 0.8, r.top() + r.height() * 0.55);
    hill.lineTo(r.right() - 0.5, r.bottom() - 0.5);
    hill.closeSubpath();
    p.drawPath(hill);
    p.setBrush(QColor(250, 210, 40));
    p.drawEllipse(QPointF(r.right() - r.width() * 0.25, r.top() + r.height() * 0.28), 1.6, 1.6);
}

void DrawTextSymbol(QPainter& p, QRectF r) {
    QFont font;
    font.setPixelSize(15);
    font.setBold(true);
    font.setFamily(QStringLiteral("serif"));
    p.setFont(font);
    p.setPen(QColor(30, 60, 140));
    p.drawText(r, Qt::AlignCenter, QStringLiteral("T"));
}

void DrawMarker(QPainter& p, QPointF centre) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 60, 40));
    p.drawEllipse(centre, 3, 3);
}

void DrawTools(QPainter& p, QRectF r) {
    p.setPen(QPen(QColor(90, 90, 100), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(r.left() + 3, r.bottom() - 3), QPointF(r.right() - 4, r.top() + 4));
    p.setPen(QPen(QColor(90, 90, 100), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(r.right() - 4, r.top() + 4), 3, 3);
    p.setPen(QPen(QColor(200, 60, 40), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(r.left() + 3, r.top() + 3), QPointF(r.right() - 3, r.bottom() - 3));
}

} // namespace

QIcon ToolStripIcon(ToolIcon which) {
    QPixmap pixmap = Blank(16, 16);
    QPainter p(&pixmap);
    Start(p);
    const QRectF full(1.5, 1.5, 13, 13);
    switch (which) {
    case ToolIcon::Plus:
        DrawPlus(p, full, QColor(30, 140, 40));
        break;
    case ToolIcon::FolderPlus:
        DrawFolder(p, QRectF(0.5, 2.5, 12, 10));
        DrawPlus(p, QRectF(9, 8, 6.5, 6.5), QColor(30, 140, 40));
        break;
    case ToolIcon::ArrowLeft:
    case ToolIcon::ArrowRight: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 90, 170));
        const bool right = which == ToolIcon::ArrowRight;
        QPolygonF arrow;
        arrow << QPointF(right ? 13 : 3, 8) << QPointF(right ? 6 : 10, 2) << QPointF(right ? 6 : 10, 14);
        p.drawPolygon(arrow);
        p.drawRect(QRectF(right ? 2 : 9, 6, 5, 4));
        break;
    }
    case ToolIcon::Minus:
        DrawMinus(p, full, QColor(190, 40, 30));
        break;
    case ToolIcon::NoEntry:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(200, 30, 30));
        p.drawEllipse(full);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 7, 8, 2.5));
        break;
    case ToolIcon::Globe:
        p.setPen(QPen(QColor(30, 90, 160), 1.2));
        p.setBrush(QColor(170, 210, 250));
        p.drawEllipse(full);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        break;
    case ToolIcon::ListPlus:
        DrawList(p, QRectF(1, 1, 14, 10));
        DrawPlus(p, QRectF(9, 9, 6.5, 6.5), QColor(30, 140, 40));
        break;
    case ToolIcon::ListMinus:
        DrawList(p, QRectF(1, 1, 14, 10));
        DrawMinus(p, QRectF(9, 9, 6.5, 6.5), QColor(190, 40, 30));
        break;
    case ToolIcon::Play: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 140, 40));
        QPolygonF play;
        play << QPointF(4, 2) << QPointF(14, 8) << QPointF(4, 14);
        p.drawPolygon(play);
        break;
    }
    case ToolIcon::Magnifier:
        p.setPen(QPen(QColor(60, 60, 70), 1.8));
        p.setBrush(QColor(220, 240, 255));
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        p.setPen(QPen(QColor(60, 60, 70), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
        break;
    case ToolIcon::Picture:
        DrawPicture(p, QRectF(1.5, 2.5, 13, 11));
        break;
    }
    p.end();
    return QIcon(pixmap);
}

QIcon TabStripIcon(int index) {
    QPixmap pixmap = Blank(24, 16);
    QPainter p(&pixmap);
    Start(p);
    // Marked and unmarked icons share the symbol's place, so the blink does not shift it.
    const QRectF left(0, 0, 16, 16);
    const QRectF centred(4, 0, 16, 16);
    switch (index) {
    case 0:
        DrawTextSymbol(p, left);
        DrawMarker(p, QPointF(20, 8));
        break;
    case 1:
        DrawTextSymbol(p, left);
        break;
    case 2:
        DrawTextSymbol(p, centred);
        break;
    case 3:
        DrawPicture(p, QRectF(1.5, 2.5, 13, 11));
        DrawMarker(p, QPointF(20, 8));
        break;
    case 4:
        DrawPicture(p, QRectF(1.5, 2.5, 13, 11));
        break;
    case 5:
        DrawPicture(p, QRectF(5.5, 2.5, 13, 11));
        break;
    default:
        DrawTools(p, centred);
        break;
    }
    p.end();
    return QIcon(pixmap);
}

QIcon StartButtonIcon(int index) {
    QPixmap pixmap = Blank(24, 24);
    QPainter p(&pixmap);
    Start(p);
    p.setPen(Qt::NoPen);
    if (index == 0) {
        p.setBrush(QColor(30, 150, 40));
        p.drawEllipse(QRectF(1, 1, 22, 22));
        p.setBrush(Qt::white);
        QPolygonF play;
        play << QPointF(9, 6) << QPointF(18, 12) << QPointF(9, 18);
        p.drawPolygon(play);
    } else {
        p.setBrush(QColor(200, 40, 30));
        p.drawEllipse(QRectF(1, 1, 22, 22));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7.5, 7.5, 9, 9));
    }
    p.end();
    return QIcon(pixmap);
}

QIcon EraseIcon() {
    QPixmap pixmap = Blank(16, 16);
    QPainter p(&pixmap);
    Start(p);
    p.translate(8, 8);
    p.rotate(-40);
    p.setPen(QPen(QColor(120, 60, 60), 1));
    p.setBrush(QColor(240, 130, 140));
    p.drawRect(QRectF(-6.5, -3.5, 7, 7));
    p.setBrush(QColor(235, 235, 240));
    p.drawRect(QRectF(0.5, -3.5, 6, 7));
    p.end();
    return QIcon(pixmap);
}

QPixmap DonatePicture() {
    QPixmap pixmap = Blank(42, 16);
    QPainter p(&pixmap);
    Start(p);
    p.setPen(QPen(QColor(190, 130, 20), 1));
    p.setBrush(QColor(255, 200, 60));
    p.drawRoundedRect(QRectF(0.5, 0.5, 41, 15), 6, 6);
    QFont font;
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(20, 40, 110));
    p.drawText(QRectF(0, 0, 42, 16), Qt::AlignCenter, QStringLiteral("Donate"));
    p.end();
    return pixmap;
}

QIcon SocialIcon(int index) {
    QPixmap pixmap = Blank(16, 16);
    QPainter p(&pixmap);
    Start(p);
    const QColor colours[] = {QColor(59, 89, 152), QColor(29, 161, 242), QColor(219, 68, 55)};
    const QString letters[] = {QStringLiteral("f"), QStringLiteral("t"), QStringLiteral("g+")};
    const int i = index < 0 || index > 2 ? 0 : index;
    p.setPen(Qt::NoPen);
    p.setBrush(colours[i]);
    p.drawRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
    QFont font;
    font.setPixelSize(i == 2 ? 9 : 12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, letters[i]);
    p.end();
    return QIcon(pixmap);
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 64}) {
        QPixmap pixmap = Blank(size, size);
        QPainter p(&pixmap);
        Start(p);
        p.scale(size / 32.0, size / 32.0);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 90, 170));
        p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
        p.setBrush(QColor(255, 255, 255, 150));
        QFont font;
        font.setPixelSize(22);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(255, 255, 255, 200));
        p.drawText(QRectF(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("T"));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace tessoly
