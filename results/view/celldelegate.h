#pragma once

#include "search/boxsearch.h"

#include <QFont>
#include <QRawFont>
#include <QStyledItemDelegate>
#include <QTableView>

#include <array>
#include <string_view>
#include <vector>

namespace vg {

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

    TFace& Face(const QFont& font, bool bold) const;
    const TGlyph& Glyph(TFace& face, int character) const;
    void DrawText(QPainter* painter, const QStyleOptionViewItem& option, std::string_view text, bool bold,
                  const std::vector<TSpan>* spans, const QColor& color) const;

    mutable TFace faces_[2]; // regular, bold
};

// The grid of a table view whose grid style is Qt::NoPen (so that its cells keep their room for the lines), in
// the style's grid colour, where the view would draw it: one rectangle per line, the lines cut to the painted
// region and to the rows there are, as the view's own lines with a pen cost many times more.
void PaintGrid(const QTableView& view, const QRegion& region);

} // namespace vg
