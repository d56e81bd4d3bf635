#pragma once

#include "search/boxsearch.h"

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QStyledItemDelegate>
#include <QTableView>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace vg {

class TResultModel;
class TResultView;

// Paints the result list's cells: the background and selection as the style paints them, the text elided on the
// right as the default delegate elides it, and the parts of the text that the last search matched in bold and
// underlined (underlined is what tells them apart on a group start, which is bold already). The text is drawn
// from glyphs kept per character of the code page and per face, so a cell costs no text layout: this is what
// keeps a repaint of the list within a fraction of a millisecond. Cells of another model are left to the default.
class TCellDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit TCellDelegate(QObject* parent = nullptr);
    ~TCellDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    // One character of the code page (or the ellipsis) in one face: where its glyph is and how far it advances.
    struct TGlyph {
        bool known = false;
        int font = -1; // index into TFace::fonts; -1: nothing to draw
        quint32 index = 0;
        qreal advance = 0;
    };
    // The list's font in one style, with the glyphs read so far and the fonts they come from (a character the
    // font lacks comes from the font that stands in for it).
    struct TFace {
        QFont font;
        std::array<TGlyph, 257> glyphs; // 256: the ellipsis
        std::vector<QRawFont> fonts;
        qreal ascent = 0, height = 0, underline = 0, lineWidth = 1;
    };
    static constexpr int kEllipsis = 256;

    // The regular and the bold face of the list's font.
    TFace* Faces(const QFont& font) const;
    const TGlyph& Glyph(TFace& face, int character) const;
    void DrawText(QPainter* painter, const QStyleOptionViewItem& option, std::string_view text, bool bold,
                  const std::vector<TSpan>* spans, const QColor& color) const;

    mutable TFace faces_[2];                            // regular, bold
    mutable const QAbstractItemModel* model_ = nullptr; // the last model asked, and whether it is a TResultModel
    mutable const TResultModel* results_ = nullptr;
    // A cell's glyphs and their places, kept from cell to cell so that drawing one allocates nothing.
    mutable std::vector<quint32> indexes_;
    mutable std::vector<QPointF> positions_;
    mutable QGlyphRun run_;
};

// What a table view paints around its cells, for a view whose grid style is Qt::NoPen (so that its cells keep their
// room for the lines) and whose viewport is opaque, not filled before each paint: the grid, in the style's grid
// colour where the view would draw it, one rectangle per line (the view's own lines, drawn with a pen, cost many
// times more), and the base colour beyond the last row and column (filling the whole viewport first, only to
// cover it with cells, cost a tenth of a repaint).
void PaintBesideCells(const TResultView& view, const QRegion& region);

// The cells a viewport rectangle covers, as visual row and column numbers, bounds included; none when it covers no
// cell. The rectangle is first cut to the cells there are.
struct TCellSpan {
    int top, bottom, left, right;
};
std::optional<TCellSpan> CellsUnder(const TResultView& view, QRect area);

} // namespace vg
