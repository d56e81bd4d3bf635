#include "glprogress.h"

#include "edges.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

TglProgress::TglProgress(QWidget* parent) : QWidget(parent) {
    // What lies under the bar shows through where it does not paint.
    setAttribute(Qt::WA_NoSystemBackground);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    f.setBold(true);
    setFont(f);
}

void TglProgress::SetPercent(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == percent_) return;
    percent_ = percent;
    repaint();
}

QString TglProgress::CaptionText() const {
    return QStringLiteral(" %1%").arg(percent_);
}

QVector<TglProgress::Band> TglProgress::Bands(int width, int percent) {
    QVector<Band> bands;
    if (percent <= 0 || width <= 0) return bands;
    const int n = std::min(255, width);
    const QColor from(kFrom), to(kTo);
    auto channel = [n](int a, int b, int i) {
        return n == 1 ? a : a + static_cast<int>(std::lround(static_cast<double>(b - a) * i / (n - 1)));
    };
    for (int i = 0; i < n; ++i) {
        QColor c(channel(from.red(), to.red(), i), channel(from.green(), to.green(), i),
                 channel(from.blue(), to.blue(), i));
        bands.push_back({i * width / n, (i + 1) * width / n, c});
        if (static_cast<double>(i) / n * 100.0 > percent) break;
    }
    return bands;
}

void TglProgress::paintEvent(QPaintEvent*) {
    ++paints_;
    // Composed off-screen and copied in one step.
    QPixmap canvas(size() * devicePixelRatioF());
    canvas.setDevicePixelRatio(devicePixelRatioF());
    canvas.fill(Qt::transparent);
    {
        QPainter p(&canvas);
        const QRect area = rect().adjusted(1, 1, -1, -1);
        for (const Band& b : Bands(area.width(), percent_))
            p.fillRect(QRect(area.left() + b.left, area.top(), b.right - b.left, area.height()), b.color);
        DrawEdge(p, rect().adjusted(0, 0, -1, -1), palette(), false);
        // White bold caption with a one-pixel black outline.
        QPainterPath path;
        const QFontMetrics fm(font());
        const QString text = CaptionText();
        const int x = (width() - fm.horizontalAdvance(text)) / 2;
        const int y = (height() + fm.ascent() - fm.descent()) / 2;
        path.addText(x, y, font(), text);
        p.setRenderHint(QPainter::Antialiasing);
        p.strokePath(path, QPen(Qt::black, 2));
        p.fillPath(path, Qt::white);
    }
    QPainter(this).drawPixmap(0, 0, canvas);
}
