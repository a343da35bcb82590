#include "ui/window_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace window_icons {
namespace {

QIcon drawn(int size, const std::function<void(QPainter&)>& draw) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);  // every picture is drawn on a 16 x 16 grid
    draw(painter);
    painter.end();
    return QIcon(pixmap);
}

}  // namespace

QIcon application() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        icon.addPixmap(drawn(size, [](QPainter& p) {
                           p.setPen(QPen(QColor(40, 40, 40), 0.8));
                           p.setBrush(QColor(255, 196, 0));
                           p.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 2, 2);
                           p.setBrush(QColor(200, 220, 190));
                           p.drawRect(QRectF(4, 2, 8, 4.5));
                           p.setPen(QPen(Qt::black, 0.9));
                           p.drawLine(QPointF(5, 5), QPointF(7, 3.5));
                           p.drawLine(QPointF(8, 3.5), QPointF(11, 5));
                           p.setPen(QPen(QColor(40, 40, 40), 0.8));
                           p.setBrush(QColor(70, 70, 70));
                           p.drawEllipse(QPointF(8, 10.5), 2.6, 2.6);
                           p.setBrush(Qt::red);
                           p.drawEllipse(QPointF(5, 14), 0.9, 0.9);
                           p.setBrush(Qt::black);
                           p.drawEllipse(QPointF(11, 14), 0.9, 0.9);
                       }).pixmap(size));
    }
    return icon;
}

QIcon openFile() {
    return drawn(16, [](QPainter& p) {
        p.setPen(QPen(QColor(120, 90, 0), 0.8));
        p.setBrush(QColor(230, 190, 80));
        p.drawRect(QRectF(1, 4, 11, 9));
        QPainterPath flap;
        flap.moveTo(3, 7);
        flap.lineTo(15, 7);
        flap.lineTo(12, 13);
        flap.lineTo(1, 13);
        flap.closeSubpath();
        p.setBrush(QColor(250, 220, 120));
        p.drawPath(flap);
        p.setPen(QPen(QColor(0, 90, 200), 1.2));
        p.drawLine(QPointF(11, 1.5), QPointF(14, 4));
        p.drawLine(QPointF(14, 4), QPointF(14, 1.5));
    });
}

QIcon saveFile() {
    return drawn(16, [](QPainter& p) {
        p.setPen(QPen(QColor(20, 20, 60), 0.8));
        p.setBrush(QColor(40, 70, 160));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(QRectF(4, 9, 8, 5.5));
        p.setBrush(QColor(40, 70, 160));
        p.drawRect(QRectF(9, 2.5, 1.8, 3));
    });
}

QIcon print() {
    return drawn(16, [](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 60), 0.8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 1, 8, 5));
        p.setBrush(QColor(170, 170, 170));
        p.drawRoundedRect(QRectF(1, 6, 14, 6), 1, 1);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4, 10, 8, 5));
        p.setPen(QPen(QColor(60, 60, 60), 0.6));
        p.drawLine(QPointF(5.5, 12), QPointF(10.5, 12));
        p.drawLine(QPointF(5.5, 13.5), QPointF(10.5, 13.5));
        p.setBrush(QColor(0, 180, 0));
        p.drawEllipse(QPointF(13, 8), 0.8, 0.8);
    });
}

QIcon clearLog() {
    return drawn(16, [](QPainter& p) {
        p.setPen(QPen(QColor(80, 80, 80), 0.8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2, 1, 10, 14));
        p.setPen(QPen(QColor(150, 150, 150), 0.7));
        for (double y = 4; y < 13; y += 2.5)
            p.drawLine(QPointF(4, y), QPointF(10, y));
        p.setPen(QPen(QColor(220, 0, 0), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(14, 14));
        p.drawLine(QPointF(14, 8), QPointF(8, 14));
    });
}

}  // namespace window_icons
