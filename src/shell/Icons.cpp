#include "shell/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

const QColor kInk(0x2B, 0x4A, 0x6F);
const QColor kAccent(0x3C, 0x8D, 0xD8);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kGreen(0x3A, 0x9A, 0x4A);
const QColor kRed(0xC8, 0x3A, 0x32);
const QColor kYellow(0xF0, 0xC0, 0x40);

QIcon Draw(const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1));
    paint(p);
    return QIcon(pixmap);
}

void Page(QPainter& p, const QColor& fill = kPaper) {
    QPainterPath path;
    path.moveTo(3.5, 1.5);
    path.lineTo(10.5, 1.5);
    path.lineTo(13.5, 4.5);
    path.lineTo(13.5, 14.5);
    path.lineTo(3.5, 14.5);
    path.closeSubpath();
    p.setBrush(fill);
    p.drawPath(path);
}

void Arrow(QPainter& p, bool right, qreal x, const QColor& color) {
    QPolygonF tri;
    if (right)
        tri << QPointF(x, 3.5) << QPointF(x + 6, 8) << QPointF(x, 12.5);
    else
        tri << QPointF(x + 6, 3.5) << QPointF(x, 8) << QPointF(x + 6, 12.5);
    p.setBrush(color);
    p.drawPolygon(tri);
}

void Cylinder(QPainter& p, const QColor& fill) {
    p.setBrush(fill);
    p.drawRect(QRectF(2.5, 4, 11, 9));
    p.drawEllipse(QRectF(2.5, 10, 11, 4.5));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(3, 4, 10, 8));
    p.setPen(QPen(kInk, 1));
    p.drawEllipse(QRectF(2.5, 1.5, 11, 4.5));
}

} // namespace

ImageList::ImageList(const QString& name, QList<QIcon> images, QObject* parent)
    : QObject(parent), m_images(std::move(images)) {
    setObjectName(name);
}

QList<QIcon> DrawToolImages() {
    QList<QIcon> images;
    // 0 import: a page with an arrow pointing into it.
    images << Draw([](QPainter& p) {
        Page(p);
        Arrow(p, true, 1, kGreen);
    });
    // 1 exit: an open door with an arrow leaving.
    images << Draw([](QPainter& p) {
        p.setBrush(QColor(0xB0, 0x7A, 0x40));
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        p.setBrush(kYellow);
        p.drawEllipse(QPointF(8, 8), 0.8, 0.8);
        Arrow(p, true, 9, kRed);
    });
    // 2 export: a grid sheet with an arrow pointing out.
    images << Draw([](QPainter& p) {
        p.setBrush(QColor(0xE6, 0xF4, 0xE6));
        p.drawRect(QRectF(1.5, 1.5, 10, 13));
        p.drawLine(QPointF(1.5, 6), QPointF(11.5, 6));
        p.drawLine(QPointF(1.5, 10), QPointF(11.5, 10));
        p.drawLine(QPointF(6.5, 1.5), QPointF(6.5, 14.5));
        Arrow(p, true, 9, kGreen);
    });
    // 3 open file: a folder.
    images << Draw([](QPainter& p) {
        p.setBrush(kYellow);
        QPainterPath path;
        path.moveTo(1.5, 3.5);
        path.lineTo(6, 3.5);
        path.lineTo(7.5, 5);
        path.lineTo(14.5, 5);
        path.lineTo(14.5, 13.5);
        path.lineTo(1.5, 13.5);
        path.closeSubpath();
        p.drawPath(path);
    });
    // 4 connect server: a server tower with a link.
    images << Draw([](QPainter& p) {
        p.setBrush(QColor(0xD8, 0xDE, 0xE8));
        p.drawRect(QRectF(4.5, 1.5, 7, 13));
        p.setBrush(kGreen);
        p.drawEllipse(QPointF(8, 11.5), 1, 1);
        p.drawLine(QPointF(6, 4.5), QPointF(10, 4.5));
        p.drawLine(QPointF(6, 6.5), QPointF(10, 6.5));
    });
    // 5 about: an "i" in a circle.
    images << Draw([](QPainter& p) {
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(kPaper, 2));
        p.drawLine(QPointF(8, 7), QPointF(8, 12));
        p.drawPoint(QPointF(8, 4.5));
    });
    // 6 previous, 7 next, 8 first, 9 last page.
    images << Draw([](QPainter& p) { Arrow(p, false, 5, kAccent); });
    images << Draw([](QPainter& p) { Arrow(p, true, 5, kAccent); });
    images << Draw([](QPainter& p) {
        p.setBrush(kAccent);
        p.drawRect(QRectF(2.5, 3.5, 2, 9));
        Arrow(p, false, 6, kAccent);
    });
    images << Draw([](QPainter& p) {
        Arrow(p, true, 4, kAccent);
        p.setBrush(kAccent);
        p.drawRect(QRectF(11.5, 3.5, 2, 9));
    });
    // 10 document details: a page with lines and a magnifier.
    images << Draw([](QPainter& p) {
        Page(p);
        p.drawLine(QPointF(5, 5), QPointF(10, 5));
        p.drawLine(QPointF(5, 7.5), QPointF(10, 7.5));
        p.setBrush(QColor(0xCF, 0xE6, 0xFA));
        p.drawEllipse(QRectF(7.5, 8.5, 4.5, 4.5));
        p.setPen(QPen(kInk, 2));
        p.drawLine(QPointF(11.5, 12.5), QPointF(14.5, 15));
    });
    return images;
}

QList<QIcon> DrawListImages() {
    QList<QIcon> images;
    images << Draw([](QPainter& p) { Cylinder(p, QColor(0xCF, 0xE6, 0xFA)); });
    images << Draw([](QPainter& p) {
        p.setBrush(kYellow);
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
    });
    images << Draw([](QPainter& p) {
        Page(p);
        p.drawLine(QPointF(5, 6), QPointF(11, 6));
        p.drawLine(QPointF(5, 9), QPointF(11, 9));
    });
    // 3 view: a table with a heading row.
    images << Draw([](QPainter& p) {
        p.setBrush(kPaper);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setBrush(kAccent);
        p.drawRect(QRectF(1.5, 2.5, 13, 3));
        p.drawLine(QPointF(1.5, 9), QPointF(14.5, 9));
        p.drawLine(QPointF(6, 5.5), QPointF(6, 13.5));
    });
    return images;
}
