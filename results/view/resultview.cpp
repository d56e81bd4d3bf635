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
#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>
#include <climits>
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

// What the row header is given instead of the list: no rows, so that it keeps nothing per row and has nothing to do
// when the list's rows come and go.
class TNoRows : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& = {}) const override { return 0; }
    int columnCount(const QModelIndex& = {}) const override { return 0; }
    QVariant data(const QModelIndex&, int) const override { return {}; }
};

int ClampToInt(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

} // namespace

TResultView::TResultView(QWidget* parent) : QTableView(parent), noRows_(new TNoRows(this)) {
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
    {
        // The table's own places the headers; the bars it sets from the row header, which holds no rows, and the
        // columns' offset it sets with them are put back, then set for the rows there are.
        struct TBar {
            QScrollBar* bar;
            int minimum, maximum, page, single, value;
        };
        std::array<TBar, 2> bars{};
        std::size_t i = 0;
        for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()})
            bars[i++] = {bar, bar->minimum(), bar->maximum(), bar->pageStep(), bar->singleStep(), bar->value()};
        const int offset = horizontalHeader()->offset();
        const QSignalBlocker quietAcross(horizontalScrollBar()), quietDown(verticalScrollBar());
        QTableView::updateGeometries();
        for (const TBar& b : bars) {
            b.bar->setRange(b.minimum, b.maximum);
            b.bar->setPageStep(b.page);
            b.bar->setSingleStep(b.single);
            b.bar->setValue(b.value);
        }
        horizontalHeader()->setOffset(offset);
    }
    SetScrollRanges();
    // The offset follows the bar's range as well as its value: at the end, the last row on the bottom edge.
    if (const int offset = verticalOffset(); offset != shownOffset_) {
        shownOffset_ = offset;
        viewport()->update();
    }
    FitColumns();
}

void TResultView::SetResultModel(TResultModel* model) {
    model_ = model;
    setModel(model);
}

void TResultView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    verticalHeader()->setModel(noRows_);
    scheduleDelayedItemsLayout();
}

void TResultView::setSelectionModel(QItemSelectionModel* selection) {
    QTableView::setSelectionModel(selection);
    // The column header paints the same whatever is selected, but given the list's selection it still asks at every
    // paint whether each column is wholly selected: a walk over every selected row (0.4 s with ten million).
    if (!model()) return;
    QItemSelectionModel* previous = headerSelection_;
    headerSelection_ = new QItemSelectionModel(model(), this);
    horizontalHeader()->setSelectionModel(headerSelection_);
    delete previous;
}

int TResultView::RowHeight() const {
    return verticalHeader()->defaultSectionSize();
}

int TResultView::RowCount() const {
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int TResultView::verticalOffset() const {
    const QScrollBar* bar = verticalScrollBar();
    if (verticalScrollMode() != ScrollPerItem) return bar->value();
    // Scrolled to the end, the last row sits on the bottom edge, the top one shown in part.
    if (bar->maximum() > 0 && bar->value() == bar->maximum())
        return ClampToInt(qint64{RowCount()} * RowHeight() - viewport()->height());
    return bar->value() * RowHeight();
}

int TResultView::rowAt(int y) const {
    const int height = RowHeight();
    const qint64 position = qint64{y} + verticalOffset();
    if (height <= 0 || position < 0 || position / height >= RowCount()) return -1;
    return static_cast<int>(position / height);
}

int TResultView::rowViewportPosition(int row) const {
    if (row < 0 || row >= RowCount()) return -1;
    return ClampToInt(qint64{row} * RowHeight() - verticalOffset());
}

int TResultView::rowHeight(int row) const {
    return row >= 0 && row < RowCount() ? RowHeight() : 0;
}

QModelIndex TResultView::indexAt(const QPoint& point) const {
    const int row = rowAt(point.y()), column = columnAt(point.x());
    return row >= 0 && column >= 0 ? model()->index(row, column, rootIndex()) : QModelIndex();
}

QRect TResultView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() || index.row() >= RowCount() ||
        isColumnHidden(index.column()))
        return {};
    const int grid = showGrid() ? 1 : 0;
    return {columnViewportPosition(index.column()), rowViewportPosition(index.row()),
            columnWidth(index.column()) - grid, RowHeight() - grid};
}

void TResultView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() || index.row() >= RowCount() ||
        isColumnHidden(index.column()))
        return;
    executeDelayedItemsLayout(); // the bars' ranges for the rows there are now
    QScrollBar* bar = verticalScrollBar();
    {
        // The table's own scrolls the columns; it finds no row in the row header and would scroll to the top.
        const int value = bar->value();
        const QSignalBlocker quiet(bar);
        QTableView::scrollTo(index, hint);
        bar->setValue(value);
    }
    const int height = RowHeight(), room = viewport()->height();
    const qint64 position = qint64{index.row()} * height, top = position - verticalOffset();
    if (hint == EnsureVisible) {
        if (top < 0 || height > room)
            hint = PositionAtTop;
        else if (top + height > room)
            hint = PositionAtBottom;
        else
            return;
    }
    if (verticalScrollMode() == ScrollPerItem) {
        int first = index.row();
        // As many rows above it as fit with it in the viewport, or in its upper half.
        if ((hint == PositionAtBottom || hint == PositionAtCenter) && height > 0)
            first -= std::clamp(((hint == PositionAtCenter ? room / 2 : room) - height) / height, 0, first);
        bar->setValue(first);
    } else if (hint == PositionAtTop) {
        bar->setValue(ClampToInt(position));
    } else if (hint == PositionAtBottom) {
        bar->setValue(ClampToInt(position - room + height));
    } else {
        bar->setValue(ClampToInt(position - (room - height) / 2));
    }
}

int TResultView::ShownColumn(int visual, int step) const {
    const QHeaderView* columns = horizontalHeader();
    for (int v = visual + step; v >= 0 && v < columns->count(); v += step)
        if (!columns->isSectionHidden(columns->logicalIndex(v))) return v;
    return -1;
}

QModelIndex TResultView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    const QHeaderView* columns = horizontalHeader();
    const int bottom = RowCount() - 1;
    const int first = ShownColumn(-1, 1), last = ShownColumn(columns->count(), -1);
    if (bottom < 0 || first < 0) return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return model()->index(0, columns->logicalIndex(first), rootIndex());
    if (isRightToLeft() && (action == MoveLeft || action == MoveRight))
        action = action == MoveLeft ? MoveRight : MoveLeft;
    int row = std::min(current.row(), bottom);
    int visual = columns->visualIndex(current.column());
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    switch (action) {
    case MoveUp:
        row = std::max(row - 1, 0);
        break;
    case MoveDown:
        row = std::min(row + 1, bottom);
        break;
    case MovePageUp: {
        const int to = rowAt(visualRect(current).bottom() - viewport()->height());
        return model()->index(to < 0 ? 0 : to, current.column(), rootIndex());
    }
    case MovePageDown: {
        const int to = rowAt(visualRect(current).top() + viewport()->height());
        return model()->index(to < 0 ? bottom : to, current.column(), rootIndex());
    }
    case MoveHome:
        visual = first;
        if (control) row = 0;
        break;
    case MoveEnd:
        visual = last;
        if (control) row = bottom;
        break;
    case MoveLeft:
    case MovePrevious: {
        int to = ShownColumn(visual, -1);
        if (to < 0 && action == MovePrevious) { // on from the row above's last cell, the bottom's after the top
            to = last;
            row = row > 0 ? row - 1 : bottom;
        }
        if (to >= 0) visual = to;
        break;
    }
    case MoveRight:
    case MoveNext: {
        int to = ShownColumn(visual, 1);
        if (to < 0 && action == MoveNext) {
            to = first;
            row = row < bottom ? row + 1 : 0;
        }
        if (to >= 0) visual = to;
        break;
    }
    }
    return model()->index(row, columns->logicalIndex(visual), rootIndex());
}

void TResultView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const QRect area = rect.normalized();
    const bool reverse = isRightToLeft();
    const QModelIndex from = indexAt(QPoint(reverse ? area.right() : area.left(), area.top()));
    const QModelIndex to = indexAt(QPoint(reverse ? area.left() : area.right(), area.bottom()));
    if (!selectionModel() || !from.isValid() || !to.isValid()) return;
    QItemSelection selection;
    const QHeaderView* columns = horizontalHeader();
    if (columns->sectionsMoved()) {
        const int left = columns->visualIndex(from.column()), right = columns->visualIndex(to.column());
        for (int v = std::min(left, right); v <= std::max(left, right); ++v) {
            const int column = columns->logicalIndex(v);
            selection.append(QItemSelectionRange(model()->index(from.row(), column, rootIndex()),
                                                 model()->index(to.row(), column, rootIndex())));
        }
    } else if (const QItemSelectionRange range(from, to); !range.isEmpty()) {
        selection.append(range);
    }
    selectionModel()->select(selection, command);
}

QRegion TResultView::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    const int height = RowHeight();
    if (height <= 0) return region;
    const QRect shown = viewport()->rect();
    const int grid = showGrid() ? 1 : 0;
    const int firstShown = verticalOffset() / height, lastShown = (verticalOffset() + shown.height()) / height;
    const bool moved = horizontalHeader()->sectionsMoved();
    for (const QItemSelectionRange& range : selection) {
        if (range.parent() != rootIndex() || !range.isValid()) continue;
        // Only the rows in sight: a range may hold millions.
        const int top = std::max(range.top(), firstShown),
                  bottom = std::min({range.bottom(), lastShown, RowCount() - 1});
        if (top > bottom) continue;
        const int y = rowViewportPosition(top), rows = (bottom - top + 1) * height;
        if (moved) {
            for (int c = range.left(); c <= range.right(); ++c)
                if (const QRect cells(columnViewportPosition(c), y, columnWidth(c), rows); shown.intersects(cells))
                    region += cells;
            continue;
        }
        int left = columnViewportPosition(range.left());
        int right = columnViewportPosition(range.right()) + columnWidth(range.right());
        if (isRightToLeft()) {
            left = columnViewportPosition(range.right());
            right = columnViewportPosition(range.left()) + columnWidth(range.left());
        }
        if (const QRect cells(QPoint(left, y), QPoint(right - 1 - grid, y + rows - 1 - grid)); shown.intersects(cells))
            region += cells;
    }
    return region;
}

void TResultView::scrollContentsBy(int dx, int dy) {
    if (dx != 0) QTableView::scrollContentsBy(dx, 0);
    if (dy == 0) return;
    const int offset = verticalOffset();
    viewport()->scroll(0, shownOffset_ - offset);
    shownOffset_ = offset;
}

QSize TResultView::viewportSizeHint() const {
    const int header = horizontalHeader()->isHidden() ? 0 : horizontalHeader()->height();
    return {QTableView::viewportSizeHint().width(), ClampToInt(header + qint64{RowCount()} * RowHeight())};
}

int TResultView::sizeHintForColumn(int column) const {
    if (!model()) return -1;
    ensurePolished();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    // The rows in sight, or as many from the top as the header's precision says while the list is not shown.
    const int first = std::max(rowAt(0), 0);
    int last = rowAt(viewport()->height());
    if (!isVisible() || last < 0) last = RowCount() - 1;
    if (const int precision = horizontalHeader()->resizeContentsPrecision(); precision > 0)
        last = std::min(last, first + precision - 1);
    int hint = 0;
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, column, rootIndex());
        if (QAbstractItemDelegate* delegate = itemDelegateForIndex(index))
            hint = std::max(hint, delegate->sizeHint(option, index).width());
    }
    return showGrid() ? hint + 1 : hint;
}

void TResultView::rowsInserted(const QModelIndex& parent, int first, int last) {
    QTableView::rowsInserted(parent, first, last);
    if (parent == rootIndex()) scheduleDelayedItemsLayout();
}

void TResultView::rowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
    QTableView::rowsAboutToBeRemoved(parent, first, last);
    if (parent == rootIndex()) scheduleDelayedItemsLayout();
}

void TResultView::reset() {
    QTableView::reset();
    scheduleDelayedItemsLayout();
}

void TResultView::SetScrollRanges() {
    const QHeaderView* columns = horizontalHeader();
    const int height = RowHeight(), rows = RowCount();
    const qint64 rowsLength = qint64{rows} * height;
    QSize size = viewport()->size();
    if (const QSize most = maximumViewportSize(); most.width() >= columns->length() && most.height() >= rowsLength)
        size = most;
    // The columns that fit whole, counted from the last one; at least one.
    int columnsInViewport = 0;
    for (int width = 0, v = columns->count() - 1; v >= 0; --v) {
        const int column = columns->logicalIndex(v);
        if (columns->isSectionHidden(column)) continue;
        width += columns->sectionSize(column);
        if (width > size.width()) break;
        ++columnsInViewport;
    }
    columnsInViewport = std::max(columnsInViewport, 1);
    const int shownColumns = columns->count() - columns->hiddenSectionCount();
    QScrollBar* across = horizontalScrollBar();
    if (horizontalScrollMode() == ScrollPerItem) {
        across->setRange(0, shownColumns - columnsInViewport);
        across->setPageStep(columnsInViewport);
        across->setSingleStep(1);
        if (columnsInViewport >= shownColumns) horizontalHeader()->setOffset(0);
    } else {
        across->setPageStep(size.width());
        across->setRange(0, columns->length() - size.width());
        across->setSingleStep(std::max(size.width() / (columnsInViewport + 1), 2));
    }
    const int rowsInViewport = std::max(std::min(rows, height > 0 ? size.height() / height : rows), 1);
    QScrollBar* down = verticalScrollBar();
    if (verticalScrollMode() == ScrollPerItem) {
        down->setRange(0, rows - rowsInViewport);
        down->setPageStep(rowsInViewport);
        down->setSingleStep(1);
    } else {
        down->setPageStep(size.height());
        down->setRange(0, ClampToInt(rowsLength - size.height()));
        down->setSingleStep(std::max(size.height() / (rowsInViewport + 1), 2));
    }
}

void TResultView::keyboardSearch(const QString& text) {
    if (!model_ || !model_->Container() || text.isEmpty()) return;
    const bool fresh = !lastKey_.isValid() || lastKey_.elapsed() > QApplication::keyboardInputInterval();
    // The pause is counted from the end of the last key's search: on a long list the keys typed while it ran have
    // waited in the queue and belong to the same text.
    struct TRestart {
        QElapsedTimer& timer;
        ~TRestart() { timer.start(); }
    } restart{lastKey_};
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

std::vector<std::pair<int, int>> TResultView::SelectedRuns() const {
    std::vector<std::pair<int, int>> runs;
    const int columns = model_->columnCount();
    bool wholeRows = true;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        wholeRows = wholeRows && range.left() == 0 && range.right() == columns - 1;
        runs.emplace_back(range.top(), range.bottom());
    }
    if (!wholeRows) {
        // Rows selected a part at a time, not as the list selects them: the model's own answer, row by row.
        runs.clear();
        for (const QModelIndex& index : selectionModel()->selectedRows())
            runs.emplace_back(index.row(), index.row());
    }
    std::sort(runs.begin(), runs.end());
    std::size_t merged = 0;
    for (const auto& run : runs) {
        if (merged > 0 && run.first <= runs[merged - 1].second + 1)
            runs[merged - 1].second = std::max(runs[merged - 1].second, run.second);
        else
            runs[merged++] = run;
    }
    runs.resize(merged);
    return runs;
}

QString TResultView::SelectedRowText(const ProgressCallback& progress) const {
    if (!model_ || !selectionModel() || !model_->Container()) return {};
    const TStrContainer& container = *model_->Container();
    const std::vector<std::pair<int, int>> runs = SelectedRuns();
    qsizetype rows = 0;
    for (const auto& [first, last] : runs)
        rows += last - first + 1;
    if (rows == 0) return {};
    const auto total = static_cast<std::int32_t>(rows);
    if (progress) progress(0, total);

    // A row's fields (empty cells for a row beyond the records, the container changing under the list), and its
    // length in the text: every byte one unit, the phone's dashes (FormatPhone), the tabs and the line's end.
    const int records = container.Count();
    auto fieldsOf = [&](int row, std::string_view(&fields)[kColumnCount]) {
        if (row >= records) return;
        const TString& record = *container.GetItem(row);
        const TLineList lines = record.Lines();
        fields[0] = record.Key();
        for (int line = 0; line < kColumnCount - 1; ++line)
            fields[line + 1] = lines.Get(line);
    };
    auto lengthOf = [](const std::string_view(&fields)[kColumnCount]) {
        qsizetype length = kColumnCount + (fields[0].size() == 5 || fields[0].size() == 6 ? 2 : 0);
        for (const std::string_view field : fields)
            length += static_cast<qsizetype>(field.size());
        return length;
    };

    // Written in place, in one pass over the rows, into text sized for rows as long as the first thousand
    // and a little more; longer rows after all make it grow by half.
    qsizetype sampled = 0, sampledLength = 0;
    for (auto run = runs.begin(); run != runs.end() && sampled < 1024; ++run)
        for (int row = run->first; row <= run->second && sampled < 1024; ++row, ++sampled) {
            std::string_view fields[kColumnCount] = {};
            fieldsOf(row, fields);
            sampledLength += lengthOf(fields);
        }
    QString text(rows * sampledLength / sampled * 17 / 16 + 64, Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    char16_t* end = out + text.size();
    qsizetype done = 0;
    for (const auto& [first, last] : runs) {
        for (int row = first; row <= last; ++row) {
            std::string_view fields[kColumnCount] = {};
            fieldsOf(row, fields);
            const qsizetype length = lengthOf(fields);
            if (end - out < length) {
                const qsizetype used = out - reinterpret_cast<char16_t*>(text.data());
                // (QString's resize leaves what it adds uninitialised.)
                text.resize(used + std::max(length, (rows - done) * length * 3 / 2));
                out = reinterpret_cast<char16_t*>(text.data()) + used;
                end = reinterpret_cast<char16_t*>(text.data()) + text.size();
            }
            const std::string_view key = fields[0];
            if (key.size() == 5 || key.size() == 6) {
                const std::size_t head = key.size() - 4;
                out = WriteUtf16(key.substr(0, head), out);
                *out++ = u'-';
                out = WriteUtf16(key.substr(head, 2), out);
                *out++ = u'-';
                out = WriteUtf16(key.substr(head + 2), out);
            } else {
                out = WriteUtf16(key, out);
            }
            for (int column = 1; column < kColumnCount; ++column) {
                *out++ = u'\t';
                out = WriteUtf16(fields[column], out);
            }
            *out++ = u'\n';
            if ((++done & 0xFFFF) == 0 && progress) progress(static_cast<std::int32_t>(done), total);
        }
    }
    // One row pastes into one cell line as before, without a line after it.
    if (rows == 1) --out;
    text.truncate(out - reinterpret_cast<char16_t*>(text.data()));
    if (progress) progress(total, total);
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
    const QHeaderView* columns = horizontalHeader();
    QAbstractItemDelegate* delegate = itemDelegate();
    if (!model() || !delegate || RowCount() == 0 || columns->count() == 0) return;
    const std::optional<TCellSpan> cells = CellsUnder(*this, region.boundingRect());
    if (!cells) return;

    // One option for every cell, as the table makes it, changed only where cells differ: copying it per cell
    // cost more than some cells' painting.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    if (state & QStyle::State_Enabled) option.palette.setCurrentColorGroup(QPalette::Normal);
    const int grid = showGrid() ? 1 : 0, height = RowHeight() - grid, shift = grid != 0 && isRightToLeft() ? 1 : 0;
    // The list's own delegate paints each cell whole, background and selection included; another one gets the
    // style's row panel under each cell first, as the table gives it.
    const bool panel = qobject_cast<TCellDelegate*>(delegate) == nullptr;
    const QModelIndex current = currentIndex();
    const bool focused = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const QItemSelectionModel* selection = selectionModel();
    QPainter painter(viewport());
    for (int row = cells->top; row <= cells->bottom; ++row) {
        const int y = rowViewportPosition(row);
        option.features.setFlag(QStyleOptionViewItem::Alternate, alternatingRowColors() && (row & 1) != 0);
        for (int h = cells->left; h <= cells->right; ++h) {
            const int column = columns->logicalIndex(h);
            if (columns->isSectionHidden(column)) continue;
            const QModelIndex index = model()->index(row, column, rootIndex());
            if (!index.isValid()) continue;
            option.rect =
                QRect(columns->sectionViewportPosition(column) + shift, y, columns->sectionSize(column) - grid, height);
            option.state = state;
            if (selection && selection->isSelected(index)) option.state |= QStyle::State_Selected;
            if (focused && index == current) option.state |= QStyle::State_HasFocus;
            if (panel) style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, this);
            delegate->paint(&painter, option, index);
        }
    }
}

void TResultView::paintEvent(QPaintEvent* event) {
    // The table's own painting finds no row in the row header.
    PaintCells(event->region());
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
    const QString text = SelectedRowText({});
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
