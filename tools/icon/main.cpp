// Draws the program's icon (a database cylinder before a worksheet) as PNG files of the usual
// sizes: verdanix-icon <folder> writes <folder>/<size>x<size>/apps/verdanix.png.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

QImage Icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    // The worksheet behind, with its grid.
    p.setPen(QPen(QColor(0x2E, 0x7D, 0x32), 2));
    p.setBrush(QColor(0xF1, 0xF8, 0xE9));
    p.drawRoundedRect(QRectF(22, 6, 38, 46), 4, 4);
    p.setPen(QPen(QColor(0x81, 0xC7, 0x84), 1.5));
    for (int y = 16; y < 50; y += 8)
        p.drawLine(QPointF(24, y), QPointF(58, y));
    p.drawLine(QPointF(36, 8), QPointF(36, 50));
    // The database in front.
    QLinearGradient body(6, 0, 38, 0);
    body.setColorAt(0, QColor(0x15, 0x65, 0xC0));
    body.setColorAt(1, QColor(0x42, 0xA5, 0xF5));
    QPainterPath cylinder;
    cylinder.setFillRule(Qt::WindingFill);
    cylinder.addRect(QRectF(6, 26, 32, 28));
    cylinder.addEllipse(QRectF(6, 48, 32, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawPath(cylinder.simplified());
    p.setBrush(QColor(0x90, 0xCA, 0xF9));
    p.drawEllipse(QRectF(6, 20, 32, 12));
    p.setPen(QPen(QColor(0xE3, 0xF2, 0xFD), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(6, 28, 32, 12), 180 * 16, 180 * 16);
    p.drawArc(QRectF(6, 37, 32, 12), 180 * 16, 180 * 16);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: verdanix-icon <folder>\n");
        return 2;
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(dir) || !Icon(size).save(dir + QStringLiteral("/verdanix.png"))) {
            std::fprintf(stderr, "verdanix-icon: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
