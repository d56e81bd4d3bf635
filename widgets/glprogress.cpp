#include "glprogress.h"

#include "edges.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

TglProgress::TglProgress(QWidget* parent) : QWidget(parent) {
    // The bar paints every pixel itself, what lies under it included (captured once per size): nothing
    // beneath needs repainting when the percentage changes.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    f.setBold(true);
    setFont(f);
}

void TglProgress::SetPercent(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent == percent_) return;
    percent_ = percent;
    // The thread that sets the percentage is busy: a change is painted at once, unless the bar was painted
    // less than a frame ago. Then it waits for the next change a frame later, or for the event loop, whichever
    // comes first. The end is always painted at once. A load of 13 ms reports a hundred changes: painting
    // each one would cost more than the load itself and would show no more than a screen can.
    if (percent_ == 100 || !lastPaint_.isValid() || lastPaint_.elapsed() >= kFrameMs)
        repaint();
    else
        update();
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

void TglProgress::resizeEvent(QResizeEvent* event) {
    Forget();
    QWidget::resizeEvent(event);
}

void TglProgress::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) Forget();
    QWidget::changeEvent(event);
}

void TglProgress::Forget() {
    background_ = QPixmap();
    gradient_ = QPixmap();
    bands_.clear();
    composed_.clear();
}

void TglProgress::Prepare() {
    const qreal ratio = devicePixelRatioF();
    if (!background_.isNull() && background_.devicePixelRatio() == ratio) return;
    composed_.clear();
    // The parent's own painting under the bar (its wallpaper), without its children; a bar of its own shows
    // nothing under it.
    background_ = QPixmap(size() * ratio);
    background_.setDevicePixelRatio(ratio);
    background_.fill(Qt::transparent);
    if (QWidget* parent = parentWidget())
        parent->render(&background_, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    gradient_ = QPixmap(size() * ratio);
    gradient_.setDevicePixelRatio(ratio);
    gradient_.fill(Qt::transparent);
    const QRect area = rect().adjusted(1, 1, -1, -1);
    bands_ = Bands(area.width(), 100);
    QPainter p(&gradient_);
    for (const Band& b : bands_)
        p.fillRect(QRect(area.left() + b.left, area.top(), b.right - b.left, area.height()), b.color);
}

void TglProgress::paintEvent(QPaintEvent*) {
    ++paints_;
    painted_ = percent_;
    lastPaint_.start();
    Prepare();
    auto found = composed_.constFind(percent_);
    if (found == composed_.constEnd()) found = composed_.insert(percent_, Compose());
    // Composed off-screen and copied in one step.
    QPainter(this).drawPixmap(0, 0, *found);
}

QPixmap TglProgress::Compose() {
    QPixmap canvas(size() * devicePixelRatioF());
    canvas.setDevicePixelRatio(devicePixelRatioF());
    canvas.fill(Qt::transparent);
    QPainter p(&canvas);
    p.drawPixmap(0, 0, background_);
    // The bands up to the one where this percentage stops: that part of the whole fill.
    if (percent_ > 0 && !bands_.isEmpty()) {
        qsizetype last = 0;
        while (last + 1 < bands_.size() && !(static_cast<double>(last) / bands_.size() * 100.0 > percent_))
            ++last;
        const QRect part(1, 1, bands_[last].right, height() - 2);
        p.drawPixmap(part, gradient_, part);
    }
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
    return canvas;
}
