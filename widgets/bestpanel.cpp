#include "bestpanel.h"

#include "edges.h"

#include <QPainter>

TBestPanel::TBestPanel(QWidget* parent) : QFrame(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
}

void TBestPanel::SetWallsSrc(TWallsSource source) {
    if (source == source_) return;
    own_ = QPixmap();
    panel_.clear();
    image_.clear();
    source_ = source;
    update();
}

QPixmap TBestPanel::Wallpaper() const {
    return source_ == wfOwnWalls ? own_ : QPixmap();
}

void TBestPanel::SetWallpaper(const QPixmap& wallpaper) {
    if (source_ != wfOwnWalls) SetWallsSrc(wfOwnWalls);
    own_ = wallpaper;
    update();
}

TBestPanel* TBestPanel::WallsPanel() const {
    return source_ == wfBestPanel ? panel_.data() : nullptr;
}

bool TBestPanel::SetWallsPanel(TBestPanel* panel) {
    if (panel == this) return false;
    if (panel) {
        // Follow the chain of sources: it must neither come back here nor go round in a circle.
        QList<const TBestPanel*> seen{this};
        for (const TBestPanel* p = panel; p; p = p->WallsPanel()) {
            if (seen.contains(p)) return false;
            seen.append(p);
            if (p->WallsSrc() != wfBestPanel) break;
        }
    }
    own_ = QPixmap();
    image_.clear();
    source_ = wfBestPanel;
    panel_ = panel;
    if (panel) connect(panel, &QObject::destroyed, this, qOverload<>(&QWidget::update));
    update();
    return true;
}

QLabel* TBestPanel::WallsImage() const {
    return source_ == wfImage ? image_.data() : nullptr;
}

bool TBestPanel::SetWallsImage(QLabel* image) {
    if (image && image->pixmap().isNull()) return false;
    own_ = QPixmap();
    panel_.clear();
    source_ = wfImage;
    image_ = image;
    if (image) connect(image, &QObject::destroyed, this, qOverload<>(&QWidget::update));
    update();
    return true;
}

void TBestPanel::SetUseWallpaper(bool use) {
    if (use == useWallpaper_) return;
    useWallpaper_ = use;
    update();
}

QPixmap TBestPanel::CurrentWallpaper() const {
    QList<const TBestPanel*> seen;
    return CurrentWallpaper(seen);
}

QPixmap TBestPanel::CurrentWallpaper(QList<const TBestPanel*>& seen) const {
    if (seen.contains(this)) return {};
    seen.append(this);
    switch (source_) {
    case wfOwnWalls:
        return own_;
    case wfBestPanel:
        return panel_ ? panel_->CurrentWallpaper(seen) : QPixmap();
    case wfImage:
        return image_ ? image_->pixmap() : QPixmap();
    }
    return {};
}

void TBestPanel::SetBevelOuter(TBevel bevel) {
    outer_ = bevel;
    update();
}
void TBestPanel::SetBevelInner(TBevel bevel) {
    inner_ = bevel;
    update();
}
void TBestPanel::SetBevelWidth(int width) {
    bevelWidth_ = width;
    update();
}
void TBestPanel::SetBorderWidth(int width) {
    borderWidth_ = width;
    update();
}
void TBestPanel::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TBestPanel::DrawBevel(QPainter& p, QRect& r, TBevel bevel) const {
    if (bevel == bvNone) return;
    for (int k = 0; k < bevelWidth_; ++k) {
        DrawEdge(p, r, palette(), bevel == bvRaised);
        r.adjust(1, 1, -1, -1);
    }
}

void TBestPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPixmap walls = CurrentWallpaper();
    if (useWallpaper_ && !walls.isNull())
        p.drawTiledPixmap(rect(), walls);
    else
        p.fillRect(rect(), palette().color(QPalette::Window));
    QRect r = rect();
    DrawBevel(p, r, outer_);
    if (borderWidth_ > 0) {
        p.setPen(QPen(palette().color(QPalette::Window), borderWidth_));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(borderWidth_ / 2, borderWidth_ / 2, -(borderWidth_ + 1) / 2, -(borderWidth_ + 1) / 2));
        r.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
    }
    DrawBevel(p, r, inner_);
    if (!caption_.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter | Qt::TextExpandTabs, caption_);
    }
}
