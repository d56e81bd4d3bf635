#pragma once

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

    // The type-ahead: the first row from the current one on whose sort-column value begins with `text`.
    void keyboardSearch(const QString& text) override;
    // The selected row, tab-separated, as the operator sees it.
    QString SelectedRowText() const;

signals:
    void ColumnClicked(int column);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    TResultModel* model_ = nullptr;
};

} // namespace vg
