#include "celldelegate.h"

#include "directory/cp1251.h"
#include "resultmodel.h"
#include "resultview.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHeaderView>
#include <QPainter>
#include <QTextLayout>

namespace vg {

TCellDelegate::TCellDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

TCellDelegate::~TCellDelegate() = default;

TCellDelegate::TFace* TCellDelegate::Faces(const QFont& font) const {
    // The glyphs are read again only when the list's font changes.
    if (faces_[0].fonts.empty() || faces_[0].font != font) {
        QFont bold = font;
        bold.setBold(true);
        for (TFace* face : {&faces_[0], &faces_[1]}) {
            face->font = face == &faces_[0] ? font : bold;
            face->glyphs = {};
            face->fonts.clear();
            const QFontMetricsF metrics(face->font);
            face->ascent = metrics.ascent();
            face->height = metrics.ascent() + metrics.descent();
            face->underline = metrics.underlinePos();
            face->lineWidth = std::max<qreal>(1, metrics.lineWidth());
            face->fonts.push_back(QRawFont::fromFont(face->font));
        }
    }
    return faces_;
}

const TCellDelegate::TGlyph& TCellDelegate::Glyph(TFace& face, int character) const {
    TGlyph& glyph = face.glyphs[static_cast<std::size_t>(character)];
    if (glyph.known) return glyph;
    glyph.known = true;
    // Laid out once, as the text engine lays it out, so that a character the font lacks takes its glyph and
    // advance from the font that stands in for it.
    const QChar c = character == kEllipsis
                        ? QChar(0x2026)
                        : QChar(static_cast<char16_t>(cp1251::ToUnicode(static_cast<unsigned char>(character))));
    QTextLayout layout(QString(c), face.font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.isEmpty() || runs.first().glyphIndexes().isEmpty()) return glyph;
    const QGlyphRun& run = runs.first();
    const QRawFont raw = run.rawFont();
    glyph.index = run.glyphIndexes().first();
    glyph.advance = raw.advancesForGlyphIndexes(QList<quint32>{glyph.index}).value(0).x();
    auto at = std::find(face.fonts.begin(), face.fonts.end(), raw);
    if (at == face.fonts.end()) at = face.fonts.insert(face.fonts.end(), raw);
    glyph.font = static_cast<int>(at - face.fonts.begin());
    return glyph;
}

void TCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (index.model() != model_) {
        model_ = index.model();
        results_ = qobject_cast<const TResultModel*>(model_);
    }
    TResultModel::TCell cell;
    if (!results_) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    if (!results_->Cell(index, cell)) { // a row the container no longer holds, while a search refills it
        painter->fillRect(option.rect, option.palette.brush(QPalette::Base));
        return;
    }
    const QStyleOptionViewItem& opt = option;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled)  ? QPalette::Disabled
                                       : !(opt.state & QStyle::State_Active) ? QPalette::Inactive
                                                                             : QPalette::Normal;
    const bool selected = opt.state & QStyle::State_Selected;
    // The background, or the selection over the whole cell, as the style paints an item without decoration.
    if (selected)
        painter->fillRect(opt.rect, opt.palette.brush(group, QPalette::Highlight));
    else
        painter->fillRect(opt.rect, QColor(cell.background));

    DrawText(painter, opt, cell.text, cell.groupStart, cell.spans,
             opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));

    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &opt, widget);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor = opt.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
}

void TCellDelegate::DrawText(QPainter* painter, const QStyleOptionViewItem& option, std::string_view text, bool bold,
                             const std::vector<TSpan>* spans, const QColor& color) const {
    if (text.empty()) return;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect rect = option.rect.adjusted(margin, 0, -margin, 0);
    TFace* faces = Faces(option.font);

    // Per character its face: bold on a group start and in a matched part.
    const bool anySpans = spans && !spans->empty();
    std::size_t span = 0;
    auto matched = [&](std::size_t at) {
        if (!anySpans) return false;
        while (span < spans->size() && (*spans)[span].begin + (*spans)[span].length <= at)
            ++span;
        return span < spans->size() && (*spans)[span].begin <= at;
    };

    // The widths, and where the text is cut for the ellipsis: after the last character whose end leaves room for
    // the ellipsis, as the default delegate cuts it.
    qreal width = 0;
    for (char c : text)
        width += Glyph(faces[bold ? 1 : 0], static_cast<unsigned char>(c)).advance;
    std::size_t shown = text.size();
    bool elided = false;
    const TGlyph& ellipsis = Glyph(faces[bold ? 1 : 0], kEllipsis);
    if (anySpans || width > rect.width()) {
        width = 0;
        span = 0;
        for (std::size_t i = 0; i < text.size(); ++i)
            width += Glyph(faces[bold || matched(i) ? 1 : 0], static_cast<unsigned char>(text[i])).advance;
        if (width > rect.width()) {
            elided = true;
            const qreal room = rect.width() - ellipsis.advance;
            qreal used = 0;
            span = 0;
            shown = 0;
            while (shown < text.size()) {
                used += Glyph(faces[bold || matched(shown) ? 1 : 0], static_cast<unsigned char>(text[shown])).advance;
                if (used >= room) break;
                ++shown;
            }
        }
    }

    // The glyphs, one run per font, and the underlines of the matched parts.
    const TFace& base = faces[bold ? 1 : 0];
    const int above = (rect.height() - qRound(base.height)) / 2; // whole pixels, so that the text stays sharp
    const qreal top = rect.top() + above;
    const qreal baseline = top + base.ascent;
    int runFont = -1;
    const TFace* runFace = nullptr;
    auto flush = [&] {
        if (indexes_.empty() || runFace == nullptr) return; // a glyph is gathered only once its face is set
        run_.setRawFont(runFace->fonts[static_cast<std::size_t>(runFont)]);
        run_.setRawData(indexes_.data(), positions_.data(), static_cast<int>(indexes_.size()));
        painter->drawGlyphRun(QPointF(), run_);
        indexes_.clear();
        positions_.clear();
    };
    painter->setPen(color);
    qreal x = rect.left(), underlineFrom = -1;
    span = 0;
    for (std::size_t i = 0; i <= shown; ++i) {
        const bool last = i == shown;
        const bool mark = !last && matched(i);
        if (underlineFrom >= 0 && !mark) {
            painter->fillRect(
                QRectF(underlineFrom, baseline + faces[1].underline, x - underlineFrom, faces[1].lineWidth), color);
            underlineFrom = -1;
        }
        if (last && !elided) break;
        const TFace& face = faces[bold || mark ? 1 : 0];
        const TGlyph& g = last ? ellipsis : Glyph(faces[bold || mark ? 1 : 0], static_cast<unsigned char>(text[i]));
        if (mark && underlineFrom < 0) underlineFrom = x;
        if (g.font >= 0) {
            if (&face != runFace || g.font != runFont) {
                flush();
                runFace = &face;
                runFont = g.font;
            }
            indexes_.push_back(g.index);
            positions_.emplace_back(x, baseline);
        }
        x += g.advance;
    }
    flush();
}

std::optional<TCellSpan> CellsUnder(const TResultView& view, QRect area) {
    const QHeaderView* columns = view.horizontalHeader();
    const qint64 rowsBottom = qint64{view.RowCount()} * view.RowHeight() - view.RowsOffset() - 1;
    area.setBottom(static_cast<int>(std::min<qint64>(area.bottom(), rowsBottom)));
    area.setRight(std::min(area.right(), columns->length() - columns->offset() - 1));
    if (area.isEmpty()) return std::nullopt;
    TCellSpan cells{view.rowAt(area.top()), view.rowAt(area.bottom()), columns->visualIndexAt(area.left()),
                    columns->visualIndexAt(area.right())};
    if (cells.bottom < 0) cells.bottom = view.RowCount() - 1;
    if (cells.left < 0) cells.left = 0;
    if (cells.right < 0) cells.right = columns->count() - 1;
    if (cells.top < 0 || cells.top > cells.bottom) return std::nullopt;
    return cells;
}

void PaintBesideCells(const TResultView& view, const QRegion& region) {
    const QHeaderView* columns = view.horizontalHeader();
    QPainter painter(view.viewport());
    if (view.RowCount() == 0 || columns->count() == 0) {
        for (const QRect& area : region)
            painter.fillRect(area, view.palette().brush(QPalette::Base));
        return;
    }
    QStyleOptionViewItem option;
    option.initFrom(&view);
    const QColor color =
        QColor::fromRgba(static_cast<QRgb>(view.style()->styleHint(QStyle::SH_Table_GridLineColor, &option, &view)));
    const int contentRight = columns->length() - columns->offset() - 1;
    const int contentBottom = static_cast<int>(std::min<qint64>(
        qint64{view.RowCount()} * view.RowHeight() - view.RowsOffset() - 1, view.viewport()->height()));
    const QRegion beyond = region.subtracted(QRect(0, 0, contentRight + 1, contentBottom + 1));
    for (const QRect& area : beyond)
        painter.fillRect(area, view.palette().brush(QPalette::Base));
    for (QRect area : region) {
        area.setBottom(std::min(area.bottom(), contentBottom));
        area.setRight(std::min(area.right(), contentRight));
        const std::optional<TCellSpan> cells = CellsUnder(view, area);
        if (!cells) continue;
        for (int row = cells->top; row <= cells->bottom; ++row) {
            const int y = view.rowViewportPosition(row) + view.RowHeight() - 1;
            painter.fillRect(QRect(area.left(), y, area.width(), 1), color);
        }
        for (int h = cells->left; h <= cells->right; ++h) {
            const int column = columns->logicalIndex(h);
            if (columns->isSectionHidden(column)) continue;
            const int x = columns->sectionViewportPosition(column) + columns->sectionSize(column) - 1;
            painter.fillRect(QRect(x, area.top(), 1, area.height()), color);
        }
    }
}

} // namespace vg
