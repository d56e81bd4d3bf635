#include "eslabel.h"

#include <QPainter>

void TEsLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setFont(font());
    const QRect r = contentsRect();
    const int flags = static_cast<int>(alignment()) | Qt::TextSingleLine;
    p.setPen(Qt::black);
    p.drawText(r.translated(1, 1), flags, text());
    p.setPen(Qt::white);
    p.drawText(r.translated(-1, -1), flags, text());
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r, flags, text());
}
