#pragma once

#include <QElapsedTimer>
#include <QTableView>

namespace vg {

class TResultModel;

// The result list's view: grid lines, whole-row single selection, read-only; type-ahead answered by the
// find over the container; Ctrl+C copies the selected row as text.
class TResultView : public QTableView {
    Q_OBJECT

public:
    explicit TResultView(QWidget* parent = nullptr);
    void SetResultModel(TResultModel* model);
    TResultModel* ResultModel() const { return model_; }

    // The type-ahead: characters typed in quick succession make one text; the first row from the current one
    // on (from the next one for a new text) whose sort-column value begins with it becomes current.
    void keyboardSearch(const QString& text) override;
    // The selected row, tab-separated, as the operator sees it.
    QString SelectedRowText() const;
    // What an empty list says in its own area (nothing when empty); also its accessible description.
    void SetEmptyText(const QString& text);
    QString EmptyText() const { return emptyText_; }

signals:
    void ColumnClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Moves the current row without telling a screen reader of a focus the list does not have.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    TResultModel* model_ = nullptr;
    QString typed_;
    QString emptyText_;
    QElapsedTimer lastKey_;
};

} // namespace vg
