// The window's 1-pixel outlines, painted as solid fills: the same pixels as Qt's pen-drawn
// outlines at a small part of the cost, which counts when 45 cells and 3 frames paint at
// start-up. Where pixels are not device pixels (a scaled screen or painter) the fills would
// not match, so those paint the way Qt does.
#pragma once

class QColor;
class QPainter;
class QPalette;
class QRect;

namespace stakora::qt {

// What QPainter::drawRect(rect.adjusted(0, 0, -1, -1)) paints with a 1-pixel pen.
void paintOutline(QPainter& painter, const QRect& rect, const QColor& colour);

// What qDrawShadeRect(&painter, rect, palette, true, 1, 0) paints: an etched, sunken box.
void paintSunkenBox(QPainter& painter, const QRect& rect, const QPalette& palette);

}  // namespace stakora::qt
