#include "resultview.h"

#include "celldelegate.h"
#include "qtext.h"
#include "resultaccessible.h"
#include "resultmodel.h"
#include "results/rowlogic.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>

#include <algorithm>
#include <numeric>

namespace vg {

namespace {

// The list's header, which paints the same whatever is selected or current while it does not highlight the
// sections of the selection: a new selection at every search would otherwise have it repainted each time.
class TResultHeader : public QHeaderView {
public:
    explicit TResultHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
        if (highlightSections()) QHeaderView::currentChanged(current, previous);
    }
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override {
        if (highlightSections()) QHeaderView::selectionChanged(selected, deselected);
    }
};

} // namespace

TResultView::TResultView(QWidget* parent) : QTableView(parent) {
    TResultAccessible::Install();
    setHorizontalHeader(new TResultHeader(this));
    setShowGrid(true);
    // PaintBesideCells draws the lines and the background around the cells, at a fraction of the cost.
    setGridStyle(Qt::NoPen);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setItemDelegate(new TCellDelegate(this));
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(true);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TResultView::ColumnClicked);
    // A width the operator drags is his; the subscriber's is the rest whatever he does.
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (fitting_ || column < 0 || column >= kColumnCount - 1) return;
        operator_[static_cast<std::size_t>(column)] = width;
        FitColumns();
    });
}

void TResultView::SetDesignWidths(const std::array<int, kColumnCount>& widths) {
    design_ = widths;
    operator_ = {};
    FitColumns();
}

std::array<int, kColumnCount> TResultView::OperatorWidths() const {
    return operator_;
}

void TResultView::SetOperatorWidths(const std::array<int, kColumnCount>& widths) {
    for (int c = 0; c < kColumnCount - 1; ++c) {
        const int width = widths[static_cast<std::size_t>(c)];
        operator_[static_cast<std::size_t>(c)] =
            width > 0 ? std::max(width, horizontalHeader()->minimumSectionSize()) : 0;
    }
    FitColumns();
}

int TResultView::MinimumWidth(int column) const {
    const QFontMetrics metrics(font());
    const int padding = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this) + 8;
    switch (column) {
    case 0: // a six-digit number as shown
        return metrics.horizontalAdvance(QStringLiteral("00-00-00")) + padding;
    case 2: // house and flat: five characters, and their captions
    case 3:
        return std::max(
                   metrics.horizontalAdvance(QStringLiteral("00000")),
                   metrics.horizontalAdvance(QString::fromUtf8(kColumns[static_cast<std::size_t>(column)].caption))) +
               padding;
    case 1:
        return metrics.horizontalAdvance(QStringLiteral("ЛЕНИНГРАДСК")) + padding;
    default: // a surname with initials, or an organisation's name with its kind
        return metrics.horizontalAdvance(QStringLiteral("ООО \"ВЕТЛУГА-ТРАНС\", ДИСПЕТЧЕР")) + padding;
    }
}

void TResultView::FitColumns() {
    if (fitting_ || !model()) return;
    const QScopedValueRollback<bool> guard(fitting_, true);
    constexpr int last = kColumnCount - 1;
    std::array<int, kColumnCount> widths{};
    for (std::size_t c = 0; c < last; ++c)
        widths[c] = operator_[c] > 0 ? operator_[c] : design_[c];
    int excess = std::accumulate(widths.begin(), widths.begin() + last, 0) + MinimumWidth(last) - viewport()->width();
    for (int c : {2, 3, 1, 0}) {
        const auto k = static_cast<std::size_t>(c);
        if (excess <= 0) break;
        if (operator_[k] > 0) continue;
        const int give = std::clamp(widths[k] - MinimumWidth(c), 0, excess);
        widths[k] -= give;
        excess -= give;
    }
    for (int c = 0; c < last; ++c)
        if (horizontalHeader()->sectionSize(c) != widths[static_cast<std::size_t>(c)])
            horizontalHeader()->resizeSection(c, widths[static_cast<std::size_t>(c)]);
}

void TResultView::updateGeometries() {
    QTableView::updateGeometries();
    FitColumns();
}

void TResultView::SetResultModel(TResultModel* model) {
    model_ = model;
    setModel(model);
}

void TResultView::keyboardSearch(const QString& text) {
    if (!model_ || !model_->Container() || text.isEmpty()) return;
    const bool fresh = !lastKey_.isValid() || lastKey_.elapsed() > QApplication::keyboardInputInterval();
    lastKey_.start();
    typed_ = fresh ? text : typed_ + text;
    std::string find;
    if (!FromQString(typed_, find)) return;
    const QModelIndex current = currentIndex();
    const int row =
        TypeAheadRow(*model_->Container(), find, current.isValid() ? current.row() : -1, fresh, model_->SortColumn());
    if (row < 0 || row >= model_->rowCount()) return;
    const QModelIndex target = model_->index(row, current.isValid() ? current.column() : 0);
    setCurrentIndex(target);
    // The found row with its neighbours below in sight, not on the bottom edge: centred when it would be there.
    const int below = 3 * rowHeight(row);
    if (rowViewportPosition(row) < 0 || rowViewportPosition(row) + rowHeight(row) + below > viewport()->height())
        scrollTo(target, QAbstractItemView::PositionAtCenter);
}

QString TResultView::SelectedRowText() const {
    if (!model_ || !selectionModel()) return {};
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    QString text;
    for (int row : rows)
        text += model_->RowTexts(row).join(QLatin1Char('\t')) + QLatin1Char('\n');
    // One row pastes into one cell line as before, without a line after it.
    if (rows.size() == 1) text.chop(1);
    return text;
}

void TResultView::SetEmptyText(const QString& text) {
    if (text == emptyText_) return;
    emptyText_ = text;
    setAccessibleDescription(text);
    viewport()->update();
}

void TResultView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The table's own handler reports the new cell as focused, even while the keyboard is elsewhere (the row
    // chosen after a search); a reader would then move there and read an empty or unwanted cell.
    if (hasFocus())
        QTableView::currentChanged(current, previous);
    else
        // NOLINTNEXTLINE(bugprone-parent-virtual-call): skipping the table's own handler is the point here.
        QAbstractItemView::currentChanged(current, previous);
}

void TResultView::PaintCells(const QRegion& region) {
    const QHeaderView* rows = verticalHeader();
    const QHeaderView* columns = horizontalHeader();
    QAbstractItemDelegate* delegate = itemDelegate();
    if (!model() || !delegate || rows->count() == 0 || columns->count() == 0) return;
    const std::optional<TCellSpan> cells = CellsUnder(*this, region.boundingRect());
    if (!cells) return;

    // One option for every cell, as the table makes it, changed only where cells differ: copying it per cell
    // cost more than some cells' painting.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    if (state & QStyle::State_Enabled) option.palette.setCurrentColorGroup(QPalette::Normal);
    const int grid = showGrid() ? 1 : 0;
    const QModelIndex current = currentIndex();
    const bool focused = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QItemSelectionModel* selection = selectionModel();
    QPainter painter(viewport());
    for (int v = cells->top; v <= cells->bottom; ++v) {
        const int row = rows->logicalIndex(v);
        if (rows->isSectionHidden(row)) continue;
        const int y = rows->sectionViewportPosition(row), height = rows->sectionSize(row) - grid;
        for (int h = cells->left; h <= cells->right; ++h) {
            const int column = columns->logicalIndex(h);
            if (columns->isSectionHidden(column)) continue;
            const QModelIndex index = model()->index(row, column, rootIndex());
            if (!index.isValid()) continue;
            option.rect =
                QRect(columns->sectionViewportPosition(column), y, columns->sectionSize(column) - grid, height);
            option.state = state;
            if (selection && selection->isSelected(index)) option.state |= QStyle::State_Selected;
            if (focused && index == current) option.state |= QStyle::State_HasFocus;
            delegate->paint(&painter, option, index);
        }
    }
}

void TResultView::paintEvent(QPaintEvent* event) {
    // The list's own delegate paints each cell whole, background and selection included; the table would paint
    // the style's row panel under each cell first, only to have it covered.
    if (qobject_cast<TCellDelegate*>(itemDelegate()) && gridStyle() == Qt::NoPen && !alternatingRowColors() &&
        !isRightToLeft())
        PaintCells(event->region());
    else
        QTableView::paintEvent(event);
    PaintBesideCells(*this, event->region());
    if (emptyText_.isEmpty() || (model() && model()->rowCount() > 0)) return;
    QPainter painter(viewport());
    QFont big = font();
    big.setPixelSize(font().pixelSize() > 0 ? font().pixelSize() * 3 / 2 : 18);
    painter.setFont(big);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect(), Qt::AlignCenter, emptyText_);
}

void TResultView::CopySelection() {
    const QString text = SelectedRowText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void TResultView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace vg
