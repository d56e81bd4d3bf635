#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

class QTableView;

namespace vg {

// What a screen reader reads of the result list: a table whose first row of children are the column headers and
// whose other children are the shown cells, numbered as the list view numbers them in its focus and selection
// events. The headers stay readable while the list is empty: a cell asked for in the first row of an empty table
// answers with its column's header (the bus finds a column's header through that cell), and no question about the
// table, however far out of range, prints anything.
class TResultAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit TResultAccessible(QTableView* view);
    ~TResultAccessible() override;

    // Makes every result list answer a screen reader through this class; once per program, before the first
    // question.
    static void Install();

    void* interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override;
    int rowCount() const override;
    int selectedCellCount() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    // The header of `column` (row -1) or a shown cell; none outside the table.
    QAccessibleInterface* Cell(int row, int column) const;

private:
    QTableView* View() const;
    void Forget();

    mutable QHash<qint64, QAccessible::Id> cells_; // by row (-1: the header) and column
};

} // namespace vg
