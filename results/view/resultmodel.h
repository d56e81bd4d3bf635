#pragma once

#include "directory/strcontainer.h"
#include "results/columnsort.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>

namespace vg {

// The result list as a virtual model: row i is record i of the container, read only when the view asks.
// It knows only how many rows were last published; fonts and backgrounds follow the group-start rule.
class TResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TResultModel(QObject* parent = nullptr);

    void SetContainer(const TStrContainer* container) { container_ = container; }
    const TStrContainer* Container() const { return container_; }
    // Publishes a new row count (the refresh); the rows are asked for again.
    void SetRowCount(int rows);
    // The rows changed order, not number.
    void RowsReordered();
    void SetSortColumn(int column);
    int SortColumn() const { return sortColumn_; }
    void SetCaption(int column, const QString& caption);
    QString Caption(int column) const { return captions_[column]; }
    void SetBaseFont(const QFont& font) { font_ = font; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The texts of one row as shown: the formatted number, street, house, flat, subscriber.
    QStringList RowTexts(int row) const;

    static constexpr QRgb kGroupStart = 0xD6FFC1;
    static constexpr QRgb kSortColumn = 0xF7F7F7;

private:
    const TStrContainer* container_ = nullptr;
    int rows_ = 0;
    int sortColumn_ = 0;
    QString captions_[kColumnCount];
    QFont font_;
};

} // namespace vg
