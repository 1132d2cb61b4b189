#include "outline_painting.h"

#include <qdrawutil.h>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>

namespace stakora::qt {

namespace {

// One painter pixel is one device pixel, and the outline has an inside to leave alone.
bool inDevicePixels(const QPainter& painter, const QRect& rect) {
    return painter.device()->devicePixelRatio() == 1 &&
           painter.transform().type() <= QTransform::TxTranslate && rect.width() >= 5 &&
           rect.height() >= 5;
}

// The edges of the pixels from (x, y) to (x + w - 1, y + h - 1).
void fillEdges(QPainter& painter, int x, int y, int w, int h, const QColor& colour) {
    painter.fillRect(x, y, w, 1, colour);
    painter.fillRect(x, y + h - 1, w, 1, colour);
    painter.fillRect(x, y + 1, 1, h - 2, colour);
    painter.fillRect(x + w - 1, y + 1, 1, h - 2, colour);
}

}  // namespace

void paintOutline(QPainter& painter, const QRect& rect, const QColor& colour) {
    if (!inDevicePixels(painter, rect)) {
        painter.save();
        painter.setPen(colour);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        painter.restore();
        return;
    }
    fillEdges(painter, rect.x(), rect.y(), rect.width(), rect.height(), colour);
}

void paintSunkenBox(QPainter& painter, const QRect& rect, const QPalette& palette) {
    if (!inDevicePixels(painter, rect)) {
        qDrawShadeRect(&painter, rect, palette, true, 1, 0);
        return;
    }
    const int x = rect.x();
    const int y = rect.y();
    const int w = rect.width();
    const int h = rect.height();
    // A dark box one pixel in from the right and bottom, and a light one inside it and
    // along the outer right and bottom edges: the groove.
    fillEdges(painter, x, y, w - 1, h - 1, palette.dark().color());
    const QColor light = palette.light().color();
    painter.fillRect(x + 1, y + 1, w - 3, 1, light);
    painter.fillRect(x + 1, y + 2, 1, h - 4, light);
    painter.fillRect(x, y + h - 1, w, 1, light);
    painter.fillRect(x + w - 1, y, 1, h - 1, light);
}

}  // namespace stakora::qt
