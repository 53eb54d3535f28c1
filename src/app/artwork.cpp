#include "artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

// A quiet night-blue sky over the outline of a school with its clock and its windows lit.
void paintSchool(QPainter &p, const QRectF &area, qreal scale)
{
    const qreal base = area.bottom() - 20 * scale;
    const qreal cx = area.center().x();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 28));
    p.drawRect(QRectF(cx - 120 * scale, base - 60 * scale, 240 * scale, 60 * scale));
    QPainterPath roof;
    roof.moveTo(cx - 135 * scale, base - 60 * scale);
    roof.lineTo(cx, base - 105 * scale);
    roof.lineTo(cx + 135 * scale, base - 60 * scale);
    roof.closeSubpath();
    p.drawPath(roof);
    p.setBrush(QColor(255, 226, 140, 70));
    for (int i = -3; i <= 3; ++i) {
        if (i == 0)
            continue;
        p.drawRect(QRectF(cx + i * 32 * scale - 8 * scale, base - 45 * scale, 16 * scale, 20 * scale));
    }
    p.drawRect(QRectF(cx - 11 * scale, base - 36 * scale, 22 * scale, 36 * scale));
    p.setBrush(QColor(255, 255, 255, 60));
    p.drawEllipse(QPointF(cx, base - 78 * scale), 11 * scale, 11 * scale);
    p.setPen(QPen(QColor(20, 40, 90, 160), 1.5 * scale));
    p.drawLine(QPointF(cx, base - 78 * scale), QPointF(cx, base - 85 * scale));
    p.drawLine(QPointF(cx, base - 78 * scale), QPointF(cx + 6 * scale, base - 78 * scale));
}

QPixmap paint(int width, int height, qreal scale)
{
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0.0, QColor(18, 38, 86));
    sky.setColorAt(0.7, QColor(36, 78, 140));
    sky.setColorAt(1.0, QColor(58, 110, 150));
    p.fillRect(pixmap.rect(), sky);
    QRadialGradient glow(QPointF(width * 0.82, height * 0.18), height * 0.5);
    glow.setColorAt(0.0, QColor(255, 255, 255, 45));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.fillRect(pixmap.rect(), glow);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 60, 40, 120));
    p.drawRect(QRectF(0, height - 20 * scale, width, 20 * scale));
    paintSchool(p, QRectF(0, 0, width, height), scale);
    return pixmap;
}

} // namespace

QPixmap Artwork::splash()
{
    return paint(350, 250, 0.8);
}

QPixmap Artwork::mainWindow()
{
    return paint(870, 564, 1.6);
}
