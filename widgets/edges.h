#pragma once

#include <QPainter>
#include <QPalette>
#include <QRect>

// A one-pixel edge around `r`: raised is light at the top and left and dark at the bottom and right; lowered
// the other way round.
inline void DrawEdge(QPainter& p, const QRect& r, const QPalette& palette, bool raised) {
    const QColor light = palette.color(QPalette::Light);
    const QColor dark = palette.color(QPalette::Dark);
    p.setPen(raised ? light : dark);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(raised ? dark : light);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}
