#include "resultaccessible.h"

#include "resultview.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include <algorithm>

namespace vg {

namespace {

// One cell of the list, or with row -1 the header of its column. It reads the model each time it is asked, so
// that it stays right while the rows keep their place; the table forgets its cells when they move.
class TCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    TCellAccessible(QTableView* view, int row, int column) : view_(view), row_(row), column_(column) {}

    bool isValid() const override {
        return view_ && view_->model() && column_ < view_->model()->columnCount() && row_ < view_->model()->rowCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface ? static_cast<QAccessibleTableCellInterface*>(this) : nullptr;
    }

    QString text(QAccessible::Text type) const override {
        if (!isValid()) return {};
        const QAbstractItemModel* model = view_->model();
        if (row_ < 0)
            return type == QAccessible::Name ? model->headerData(column_, Qt::Horizontal).toString() : QString();
        const QModelIndex index = Index();
        if (type == QAccessible::Description) return index.data(Qt::AccessibleDescriptionRole).toString();
        if (type != QAccessible::Name) return {};
        const QVariant text = index.data(Qt::AccessibleTextRole);
        return text.isValid() ? text.toString() : index.data(Qt::DisplayRole).toString();
    }

    QRect rect() const override {
        if (!isValid()) return {};
        if (row_ < 0) {
            const QHeaderView* header = view_->horizontalHeader();
            return QRect(header->sectionViewportPosition(column_), 0, header->sectionSize(column_), header->height())
                .translated(header->viewport()->mapToGlobal(QPoint(0, 0)));
        }
        return view_->visualRect(Index()).translated(view_->viewport()->mapToGlobal(QPoint(0, 0)));
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const QWidget* area = row_ < 0 ? static_cast<QWidget*>(view_->horizontalHeader()) : view_->viewport();
        state.invisible =
            !area->isVisible() || !rect().intersects(QRect(area->mapToGlobal(QPoint(0, 0)), area->size()));
        if (row_ >= 0) {
            state.selectable = state.focusable = true;
            state.selected = isSelected();
            state.focused = view_->hasFocus() && view_->currentIndex() == Index();
        }
        return state;
    }

    bool isSelected() const override {
        return isValid() && row_ >= 0 && view_->selectionModel() && view_->selectionModel()->isSelected(Index());
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        const auto* table = dynamic_cast<TResultAccessible*>(parent());
        QAccessibleInterface* header = table ? table->Cell(-1, column_) : nullptr;
        return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QModelIndex Index() const { return view_->model()->index(row_, column_, view_->rootIndex()); }

    QPointer<QTableView> view_;
    int row_;
    int column_;
};

// The children are numbered as the view numbers them in its events: the header row first when the header shows,
// then the rows, each of them column by column.
int HeaderRows(const QTableView* view) {
    return view->horizontalHeader()->isHidden() ? 0 : 1;
}

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (auto* view = qobject_cast<TResultView*>(object);
        view && className == QLatin1String(TResultView::staticMetaObject.className()))
        return new TResultAccessible(view);
    return nullptr;
}

} // namespace

TResultAccessible::TResultAccessible(QTableView* view) : QAccessibleWidget(view, QAccessible::Table) {}

TResultAccessible::~TResultAccessible() {
    Forget();
}

void TResultAccessible::Install() {
    static const bool installed = (QAccessible::installFactory(&Factory), true);
    (void)installed;
}

QTableView* TResultAccessible::View() const {
    return static_cast<QTableView*>(widget());
}

void* TResultAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

int TResultAccessible::childCount() const {
    return (rowCount() + HeaderRows(View())) * columnCount();
}

QAccessibleInterface* TResultAccessible::child(int index) const {
    const int columns = columnCount();
    if (index < 0 || columns == 0) return nullptr;
    return Cell(index / columns - HeaderRows(View()), index % columns);
}

int TResultAccessible::indexOfChild(const QAccessibleInterface* child) const {
    QAccessibleTableCellInterface* cell =
        child ? const_cast<QAccessibleInterface*>(child)->tableCellInterface() : nullptr;
    if (!cell || cell->table() != this) return -1;
    return (cell->rowIndex() + HeaderRows(View())) * columnCount() + cell->columnIndex();
}

QAccessibleInterface* TResultAccessible::childAt(int x, int y) const {
    const QHeaderView* header = View()->horizontalHeader();
    const QPoint onHeader = header->mapFromGlobal(QPoint(x, y));
    if (header->isVisible() && header->rect().contains(onHeader)) return Cell(-1, header->logicalIndexAt(onHeader));
    const QModelIndex index = View()->indexAt(View()->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? Cell(index.row(), index.column()) : nullptr;
}

QAccessibleInterface* TResultAccessible::focusChild() const {
    const QModelIndex current = View()->currentIndex();
    return View()->hasFocus() && current.isValid() ? Cell(current.row(), current.column()) : nullptr;
}

QAccessibleInterface* TResultAccessible::cellAt(int row, int column) const {
    // The bus asks the first row's cell for its column's header; an empty table has only the header to give.
    if (row == 0 && rowCount() == 0) return Cell(-1, column);
    return row >= 0 ? Cell(row, column) : nullptr;
}

QAccessibleInterface* TResultAccessible::Cell(int row, int column) const {
    if (row < -1 || row >= rowCount() || column < 0 || column >= columnCount()) return nullptr;
    const qint64 key = (static_cast<qint64>(row + 1) << 32) | column;
    if (const auto found = cells_.constFind(key); found != cells_.cend())
        if (QAccessibleInterface* cell = QAccessible::accessibleInterface(found.value())) return cell;
    auto* cell = new TCellAccessible(View(), row, column);
    cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

void TResultAccessible::Forget() {
    for (const QAccessible::Id id : std::as_const(cells_))
        QAccessible::deleteAccessibleInterface(id);
    cells_.clear();
}

QString TResultAccessible::columnDescription(int column) const {
    return View()->model() ? View()->model()->headerData(column, Qt::Horizontal).toString() : QString();
}

int TResultAccessible::columnCount() const {
    return View()->model() ? View()->model()->columnCount(View()->rootIndex()) : 0;
}

int TResultAccessible::rowCount() const {
    return View()->model() ? View()->model()->rowCount(View()->rootIndex()) : 0;
}

int TResultAccessible::selectedCellCount() const {
    return View()->selectionModel() ? static_cast<int>(View()->selectionModel()->selectedIndexes().size()) : 0;
}

int TResultAccessible::selectedRowCount() const {
    return static_cast<int>(selectedRows().size());
}

QList<QAccessibleInterface*> TResultAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    if (View()->selectionModel())
        for (const QModelIndex& index : View()->selectionModel()->selectedIndexes())
            if (QAccessibleInterface* cell = Cell(index.row(), index.column())) cells << cell;
    return cells;
}

QList<int> TResultAccessible::selectedRows() const {
    QList<int> rows;
    if (View()->selectionModel())
        for (const QModelIndex& index : View()->selectionModel()->selectedRows())
            rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool TResultAccessible::isRowSelected(int row) const {
    return View()->selectionModel() && View()->selectionModel()->isRowSelected(row, View()->rootIndex());
}

bool TResultAccessible::selectRow(int row) {
    if (!View()->selectionModel() || row < 0 || row >= rowCount()) return false;
    View()->selectionModel()->select(View()->model()->index(row, 0, View()->rootIndex()),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    return true;
}

bool TResultAccessible::unselectRow(int row) {
    if (!View()->selectionModel() || row < 0 || row >= rowCount()) return false;
    View()->selectionModel()->select(View()->model()->index(row, 0, View()->rootIndex()),
                                     QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

void TResultAccessible::modelChange(QAccessibleTableModelChangeEvent* event) {
    // A cell is its place in the list; when the rows or columns move, the places are new.
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged) Forget();
}

} // namespace vg
