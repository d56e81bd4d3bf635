#include "newhw.h"

#include "edges.h"

#include <QApplication>
#include <QBitmap>
#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

namespace {

// A picture with its key colour left out, as the hint draws its bitmaps.
QPixmap Keyed(const QPixmap& pixmap, const QColor& key) {
    if (pixmap.isNull() || !key.isValid()) return pixmap;
    QPixmap out = pixmap;
    out.setMask(pixmap.createMaskFromColor(key, Qt::MaskInColor));
    return out;
}

} // namespace

TNewHW::TNewHW(QWidget* parent) : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent); // never erases its background separately
    setWindowOpacity(kOpacity);
    // Optional pictures: a missing one leaves its feature off.
    WallpaperBitmap = QPixmap(QStringLiteral(":/bitmaps/BK_NAVY.png"));
    WallpaperOn = !WallpaperBitmap.isNull();
    TipBitmap = QPixmap(QStringLiteral(":/bitmaps/TIPBMP.png"));
    TipOn = !TipBitmap.isNull();
}

QRect TNewHW::CalcHintRect(int maxWidth, const QString& hint, const THintData* data) {
    Q_UNUSED(maxWidth);
    if (hint.isEmpty() || hint == QStringLiteral(" ")) return {};
    data_ = THintData{};
    data_.Text = hint.section(QLatin1Char('|'), 0, 0);
    if (data && data->Accepted()) data_ = *data;
    data_.HintControl = data_.HintInfo.HintControl;
    if (data_.OnHintInit) {
        try {
            data_.OnHintInit(this, data_);
        } catch (...) {
        }
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int wrap = screen ? screen->geometry().width() / 2 : 640;
    QRect r = QFontMetrics(font()).boundingRect(QRect(0, 0, wrap, 0), TextFormat, data_.Text);
    r.moveTopLeft(QPoint(0, 0));
    r.adjust(0, 0, 6, 2);
    if (PaintMode != 3) {
        bool calcFailed = false;
        if (data_.OnHintCalcRect) {
            try {
                data_.OnHintCalcRect(this, wrap, data_.Text, data, r);
            } catch (...) {
                calcFailed = true;
            }
        }
        if (!calcFailed) {
            if (data_.Text.isEmpty()) r.adjust(0, 0, 0, -2);
            if (TipOn && !TipBitmap.isNull()) {
                r.setWidth(r.width() + TipBitmap.width() + 3);
                r.setHeight(std::max(r.height(), TipBitmap.height() + 3));
            }
        }
    }
    return r;
}

void TNewHW::ActivateHint(const QPoint& topLeft, const QRect& rect) {
    setGeometry(QRect(topLeft, rect.size() + QSize(FrameFlag ? 4 : 0, FrameFlag ? 4 : 0)));
    show();
    raise();
}

void TNewHW::PaintContent(QPainter& p, int textLeftShift) {
    const QRect client = rect().adjusted(FrameFlag ? 2 : 0, FrameFlag ? 2 : 0, FrameFlag ? -2 : 0, FrameFlag ? -2 : 0);
    if (WallpaperOn && !WallpaperBitmap.isNull()) p.drawTiledPixmap(client, Keyed(WallpaperBitmap, WallpaperKeyColor));
    QRect textArea = client;
    if (TipOn && !TipBitmap.isNull()) {
        p.drawPixmap(client.topLeft() + QPoint(1, 1), Keyed(TipBitmap, TipKeyColor));
        textArea.setLeft(textArea.left() + TipBitmap.width() + textLeftShift);
    }
    if (data_.OnHintPaint) {
        p.save();
        try {
            data_.OnHintPaint(this, p, textArea, data_);
        } catch (...) {
        }
        p.restore();
    }
}

void TNewHW::paintEvent(QPaintEvent*) {
    QPainter w(this);
    const QRect client = rect().adjusted(FrameFlag ? 2 : 0, FrameFlag ? 2 : 0, FrameFlag ? -2 : 0, FrameFlag ? -2 : 0);
    switch (PaintMode) {
    case 0:
        w.fillRect(rect(), HintColor);
        PaintContent(w, 2);
        break;
    case 1:
    case 2: {
        // Off-screen, then one plain copy: the only transfer the windows use.
        QPixmap canvas(size());
        canvas.fill(HintColor);
        {
            QPainter p(&canvas);
            p.setFont(font());
            PaintContent(p, 5);
        }
        w.drawPixmap(0, 0, canvas);
        break;
    }
    default:
        w.fillRect(rect(), HintColor);
        w.setPen(palette().color(QPalette::ToolTipText));
        w.drawText(client.adjusted(1, 1, -1, -1), TextFormat, data_.Text);
        break;
    }
    if (FrameFlag) DrawEdge(w, rect().adjusted(0, 0, -1, -1), palette(), true);
}

// ---- THintManager ----

THintManager::THintManager(Filler fill, QObject* parent) : QObject(parent), fill_(std::move(fill)) {
    window_ = new TNewHW();
    qApp->installEventFilter(this);
}

THintManager::~THintManager() {
    if (qApp) qApp->removeEventFilter(this);
    delete window_.data();
}

bool THintManager::ShowHintFor(QWidget* widget, const QPoint& globalPos) {
    if (!window_) return false;
    THintInfo info;
    info.HintControl = widget;
    info.CursorPos = globalPos;
    THintData data;
    const QString proposed = widget ? widget->toolTip() : QString();
    if (fill_)
        fill_(data, proposed, info);
    else
        data.Text = proposed;
    const QRect r = window_->CalcHintRect(0, data.Text, &data);
    if (r.isEmpty()) {
        HideHint();
        return false;
    }
    window_->ActivateHint(globalPos + QPoint(0, 20), r);
    window_->update();
    if (hideTimer_) killTimer(hideTimer_);
    hideTimer_ = startTimer(hidePauseMs_);
    return true;
}

void THintManager::HideHint() {
    if (hideTimer_) killTimer(hideTimer_);
    hideTimer_ = 0;
    if (window_) window_->hide();
}

void THintManager::timerEvent(QTimerEvent* event) {
    if (event->timerId() == hideTimer_) HideHint();
}

bool THintManager::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->toolTip().isEmpty()) return false; // the parent may have one
        ShowHintFor(widget, static_cast<QHelpEvent*>(event)->globalPos());
        return true;
    }
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::WindowDeactivate:
        if (window_ && window_->isVisible() && watched != window_) HideHint();
        break;
    default:
        break;
    }
    return false;
}
