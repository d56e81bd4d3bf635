#pragma once

#include "directory/strcontainer.h"
#include "results/columnsort.h"
#include "search/highlight.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QList>

#include <memory>
#include <string>
#include <string_view>

namespace vg {

// The result list as a virtual model: row i is record i of the container, read only when the view asks.
// It knows only how many rows were last published; fonts and backgrounds follow the group-start rule, and the
// parts of a cell that the last search matched come with kSpansRole.
class TResultModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TResultModel(QObject* parent = nullptr);

    void SetContainer(const TStrContainer* container) {
        container_ = container;
        Forget();
    }
    const TStrContainer* Container() const { return container_; }
    // Publishes a new row count (the refresh); the rows are asked for again. The view's selection is its own to
    // clear.
    void SetRowCount(int rows);
    // The rows changed order, not number.
    void RowsReordered();
    void SetSortColumn(int column);
    int SortColumn() const { return sortColumn_; }
    void SetCaption(int column, const QString& caption);
    QString Caption(int column) const { return captions_[column]; }
    void SetBaseFont(const QFont& font) { font_ = font; }
    // What the last search matched, asked only for the rows painted; none (null) after a clear.
    void SetHighlight(std::shared_ptr<const IMatchSpans> highlight);
    const IMatchSpans* Highlight() const { return highlight_.get(); }
    std::shared_ptr<const IMatchSpans> SharedHighlight() const { return highlight_; }

    // A cell's matched parts on its text as shown (the phone with its dashes): QList<TSpan>, sorted and
    // disjoint; no value when nothing is highlighted.
    static constexpr int kSpansRole = Qt::UserRole + 1;
    // Everything the delegate paints a cell with, read at once.
    struct TCell {
        TCell() = default;
        TCell(const TCell&) = delete; // `text` may point into `phone`
        TCell& operator=(const TCell&) = delete;
        std::string_view text; // Windows-1251, as shown
        std::string phone;     // the formatted number the phone's text shows
        bool groupStart = false;
        QRgb background = 0xFFFFFF;
        const std::vector<TSpan>* spans = nullptr; // on `text`; null or empty: none
    };
    // False for a row beyond the records.
    bool Cell(const QModelIndex& index, TCell& cell) const;

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
    // The group start and the spans of the row last asked for: a row's cells are painted one after another.
    struct TRowCache {
        int row = -1;
        const TString* record = nullptr;
        const TString* previous = nullptr;
        bool groupStart = false;
        bool spansRead = false;
        TFieldSpans spans;
    };
    const TRowCache& Row(int row) const;
    void Forget() const { cache_ = {}; }

    const TStrContainer* container_ = nullptr;
    std::shared_ptr<const IMatchSpans> highlight_;
    mutable TRowCache cache_;
    int rows_ = 0;
    int sortColumn_ = 0;
    QString captions_[kColumnCount];
    QFont font_;
};

} // namespace vg
