#pragma once

#include "directory/progress.h"
#include "results/columnsort.h"

#include <QElapsedTimer>
#include <QTableView>

#include <array>
#include <utility>
#include <vector>

namespace vg {

class TResultModel;

// The result list's view: grid lines, whole-row selection, read-only; type-ahead answered by the find over the
// container; Ctrl+C copies the selected rows as text. The columns keep their design widths while the list is wide
// enough, the subscriber (the last one) taking the rest; narrower, house and flat give way first (to five
// characters), then the street and the number, so that the subscriber stays readable without scrolling sideways. A
// width the operator sets is kept as set.
//
// Every row is as high as the others, so a row's place is worked out from its number (y = row * height), never
// kept per row: the table's row header, which would hold an entry for each of millions of rows and walk the rows
// added or taken away at every search, is given no rows. Selection, keys, scrolling and what a screen reader asks
// work as in the table.
class TResultView : public QTableView {
    Q_OBJECT

public:
    explicit TResultView(QWidget* parent = nullptr);
    void SetResultModel(TResultModel* model);
    // The widths the columns have when nothing is short; the operator's own widths forgotten.
    void SetDesignWidths(const std::array<int, kColumnCount>& widths);
    // The widths of the columns as they are now, and the operator's own ones (0: the column's width is not the
    // operator's); SetOperatorWidths restores those.
    std::array<int, kColumnCount> OperatorWidths() const;
    void SetOperatorWidths(const std::array<int, kColumnCount>& widths);
    // The narrowest a column gets before the next one gives way; the subscriber's is what keeps it readable.
    int MinimumWidth(int column) const;
    TResultModel* ResultModel() const { return model_; }
    void setModel(QAbstractItemModel* model) override;

    // The height of every row, and the rows' places in the viewport; these take the table's own, which read the
    // row header.
    int RowHeight() const;
    int RowCount() const;
    int rowAt(int y) const;
    int rowViewportPosition(int row) const;
    int rowHeight(int row) const;
    // The content's position at the viewport's top edge.
    int RowsOffset() const { return verticalOffset(); }
    QModelIndex indexAt(const QPoint& point) const override;
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    int sizeHintForColumn(int column) const override;

    // The type-ahead: characters typed in quick succession make one text; the first row from the current one
    // on (from the next one for a new text) whose sort-column value begins with it becomes current.
    void keyboardSearch(const QString& text) override;
    // The selected rows in the list's order, a line each, the fields tab-separated as the operator sees them: what
    // a spreadsheet pastes into columns. Tells `progress` (rows written, rows) as it goes, 0 first and all of
    // them last; nothing when no row is selected.
    QString SelectedRowText(const ProgressCallback& progress = {}) const;
    // Puts SelectedRowText on the clipboard (Ctrl+C); nothing when no row is selected.
    void CopySelection();
    // What an empty list says in its own area (nothing when empty); also its accessible description.
    void SetEmptyText(const QString& text);
    QString EmptyText() const { return emptyText_; }

signals:
    void ColumnClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void scrollContentsBy(int dx, int dy) override;
    QSize viewportSizeHint() const override;
    void rowsInserted(const QModelIndex& parent, int first, int last) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) override;
    void reset() override;
    // Moves the current row without telling a screen reader of a focus the list does not have.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    // The cells in `region`, each painted by the delegate with the option the table would give it.
    void PaintCells(const QRegion& region);
    // Narrows the columns that are not the operator's until the subscriber's readable width fits the list.
    void FitColumns();
    // The scroll bars' ranges and steps for the rows and columns there are, as the table sets them.
    void SetScrollRanges();
    // The selected rows as runs (first, last), in order, neither overlapping nor touching.
    std::vector<std::pair<int, int>> SelectedRuns() const;
    // The visual column `step` columns on from `visual` that is shown; -1 when there is none.
    int ShownColumn(int visual, int step) const;

    QAbstractItemModel* noRows_ = nullptr; // the row header's model
    int shownOffset_ = 0;                  // the rows' offset the viewport shows

    TResultModel* model_ = nullptr;
    std::array<int, kColumnCount> design_{};
    std::array<int, kColumnCount> operator_{};
    bool fitting_ = false;
    QString typed_;
    QString emptyText_;
    QElapsedTimer lastKey_;
};

} // namespace vg
