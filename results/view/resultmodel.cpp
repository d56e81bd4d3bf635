#include "resultmodel.h"

#include "qtext.h"
#include "results/rowlogic.h"

#include <QBrush>
#include <QColor>

namespace vg {

TResultModel::TResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void TResultModel::SetRowCount(int rows) {
    beginResetModel();
    rows_ = std::max(rows, 0);
    endResetModel();
}

void TResultModel::RowsReordered() {
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, kColumnCount - 1));
}

void TResultModel::SetSortColumn(int column) {
    sortColumn_ = column;
    RowsReordered();
}

void TResultModel::SetCaption(int column, const QString& caption) {
    captions_[column] = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

int TResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}
int TResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

Qt::ItemFlags TResultModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

QVariant TResultModel::data(const QModelIndex& index, int role) const {
    if (!container_ || !index.isValid()) return {};
    const int row = index.row();
    // While the published count and the container disagree, a row beyond the records stays empty.
    if (row >= container_->Count()) return {};
    switch (role) {
    case Qt::AccessibleDescriptionRole:
    {
        const std::string_view caption = kColumns[static_cast<std::size_t>(index.column())].caption;
        return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    }
    case Qt::AccessibleTextRole:
    case Qt::DisplayRole: {
        const TString* r = container_->GetItem(row);
        if (index.column() == 0) return ToQString(FormatPhone(r->Key()));
        return ToQString(r->Lines().Get(index.column() - 1));
    }
    case Qt::FontRole: {
        if (!IsGroupStart(*container_, row, sortColumn_)) return {};
        QFont bold = font_;
        bold.setBold(true);
        return bold;
    }
    case Qt::BackgroundRole:
        if (IsGroupStart(*container_, row, sortColumn_)) return QBrush(QColor(kGroupStart));
        return QBrush(QColor(index.column() == sortColumn_ ? kSortColumn : 0xFFFFFF));
    default:
        return {};
    }
}

QVariant TResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumnCount)
        return captions_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

QStringList TResultModel::RowTexts(int row) const {
    QStringList texts;
    for (int c = 0; c < kColumnCount; ++c)
        texts << data(index(row, c), Qt::DisplayRole).toString();
    return texts;
}

} // namespace vg
