#include "resultmodel.h"

#include "qtext.h"
#include "results/rowlogic.h"

#include <QBrush>
#include <QColor>

namespace vg {

TResultModel::TResultModel(QObject* parent) : QAbstractTableModel(parent) {}

void TResultModel::SetRowCount(int rows) {
    rows = std::max(rows, 0);
    Forget();
    // Rows taken off or added at the end and every row asked for again: a reset would have the header rebuilt and
    // repainted at every keystroke too, for the same columns.
    if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    } else if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
    RowsReordered();
}

void TResultModel::RowsReordered() {
    Forget();
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, kColumnCount - 1));
}

void TResultModel::SetSortColumn(int column) {
    sortColumn_ = column;
    RowsReordered();
}

void TResultModel::SetHighlight(std::shared_ptr<const IMatchSpans> highlight) {
    if (!highlight && !highlight_) return;
    highlight_ = std::move(highlight);
    RowsReordered();
}

const TResultModel::TRowCache& TResultModel::Row(int row) const {
    // Keyed by the records as well: during a search the container changes under the published rows.
    const TString* record = container_->GetItem(row);
    const TString* previous = row > 0 ? container_->GetItem(row - 1) : nullptr;
    if (cache_.row != row || cache_.record != record || cache_.previous != previous) {
        cache_.row = row;
        cache_.record = record;
        cache_.previous = previous;
        cache_.groupStart = IsGroupStart(*container_, row, sortColumn_);
        cache_.spansRead = false;
    }
    if (!cache_.spansRead && highlight_) {
        cache_.spans = highlight_->Spans(*record);
        cache_.spans[0] = FormatPhoneSpans(record->Key(), std::move(cache_.spans[0]));
        cache_.spansRead = true;
    }
    return cache_;
}

bool TResultModel::Cell(const QModelIndex& index, TCell& cell) const {
    if (!container_ || !index.isValid() || index.row() >= container_->Count()) return false;
    const TRowCache& row = Row(index.row());
    const int column = index.column();
    if (column == 0) {
        cell.phone = FormatPhone(row.record->Key());
        cell.text = cell.phone;
    } else {
        cell.text = row.record->Lines().Get(column - 1);
    }
    cell.groupStart = row.groupStart;
    cell.background = row.groupStart ? kGroupStart : column == sortColumn_ ? kSortColumn : 0xFFFFFF;
    cell.spans = highlight_ ? &row.spans[static_cast<std::size_t>(column)] : nullptr;
    return true;
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
    case Qt::AccessibleDescriptionRole: {
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
        if (!Row(row).groupStart) return {};
        QFont bold = font_;
        bold.setBold(true);
        return bold;
    }
    case Qt::BackgroundRole:
        if (Row(row).groupStart) return QBrush(QColor(kGroupStart));
        return QBrush(QColor(index.column() == sortColumn_ ? kSortColumn : 0xFFFFFF));
    case kSpansRole: {
        if (!highlight_) return {};
        const std::vector<TSpan>& spans = Row(row).spans[static_cast<std::size_t>(index.column())];
        return QVariant::fromValue(QList<TSpan>(spans.begin(), spans.end()));
    }
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
