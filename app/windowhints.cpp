#include "windowhints.h"

#include <QLabel>
#include <QPainter>

TWindowHints::TWindowHints(const QLabel& tip)
    : tip_(tip),
      manager_(std::make_unique<THintManager>([this](THintData& data, const QString& proposed, const THintInfo& info) {
          AppEventsShowHint(data, proposed, info);
      })) {}

TWindowHints::~TWindowHints() = default;

void TWindowHints::AppEventsShowHint(THintData& data, const QString& proposed, const THintInfo& info) {
    data = THintData{};
    data.Text = info.HintControl ? info.HintControl->toolTip() : QString();
    if (data.Text.isEmpty()) data.Text = proposed;
    data.OnHintInit = [this](TNewHW* w, THintData& d) { OnHintInit(w, d); };
    data.OnHintCalcRect = [](TNewHW*, int, const QString&, const THintData*, QRect&) {};
    data.OnHintPaint = [this](TNewHW* w, QPainter& p, const QRect& r, const THintData& d) { OnHintPaint(w, p, r, d); };
    data.HintInfo = info;
}

void TWindowHints::OnHintInit(TNewHW* window, THintData&) {
    window->TextFormat = Qt::TextWordWrap;
    window->WallpaperOn = false;
    window->TipOn = !tip_.pixmap().isNull();
    window->TipBitmap = tip_.pixmap();
    window->TipKeyColor = QColor();
    window->PaintMode = 2;
    window->HintColor = QColor(0x0080C0);
    QFont f(QStringLiteral("Tahoma"), 8);
    f.setBold(true);
    window->setFont(f);
}

void TWindowHints::OnHintPaint(TNewHW* window, QPainter& canvas, const QRect& rect, const THintData& data) {
    if (data.Text.isEmpty()) return;
    const QString text = data.Text.left(1024);
    canvas.setFont(window->font());
    const int height =
        canvas.fontMetrics().boundingRect(QRect(0, 0, rect.width(), 0), window->TextFormat, text).height() + 2;
    QRect r = rect;
    r.setTop(r.top() + (r.height() - height) / 2);
    canvas.setPen(Qt::black);
    canvas.drawText(r.translated(2, 2), window->TextFormat, text);
    canvas.setPen(Qt::white);
    canvas.drawText(r.translated(1, 1), window->TextFormat, text);
}
