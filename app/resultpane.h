#pragma once

#include <QFont>
#include <QObject>
#include <QString>

namespace Ui {
class FmMain;
}
namespace vg {
class ISortProgress;
class TResultModel;
class TResultView;
class TStrContainer;
} // namespace vg
class QFontMetrics;
class QLabel;
class QWidget;

// The result list over the container, with the status panel under it. It is the one owner of the list's
// state: the published row count (the counter shows it, and nothing else writes it), the sort column and
// direction with the marker of the sorted column, and the empty list's text. The status panel holds the
// counter; what the list was found with and which edition it comes from belong beside it, here.
class TResultPane : public QObject {
    Q_OBJECT

public:
    // Shows `container` (which must outlive the pane) in `form`'s list, with `font` for its rows.
    TResultPane(Ui::FmMain& form, vg::TStrContainer& container, const QFont& font, QObject* parent = nullptr);

    // Publishes `count` records to the list and the counter, puts the sort marker back on column 0 ascending,
    // clears the empty list's text and repaints the list at once.
    void Publish(int count);
    // The number of records last published.
    int Count() const { return count_; }
    // The counter says that the list holds only part of what it should: a search or a reload stopped half-way.
    // The next Publish takes it back.
    void MarkIncomplete();
    bool Incomplete() const { return incomplete_; }
    // Which directory the list comes from, beside the counter (cut to the room left, whole in its tip).
    void ShowEdition(const QString& text);
    QString Edition() const;

    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return sortAscending_; }
    // Sorts the records by `column`: the same column again turns the direction round, a new one starts
    // ascending. The marker, the header and the list follow, also when the sort fails (the failure is passed
    // on, the records in the order reached). `progress` (none: no reports) is the bar the sort moves.
    void SortBy(int column, vg::ISortProgress* progress);
    // The header's arrow on the sort column, pointing the sort's way.
    void ShowSortIndicator();

    // The first row current and selected, scrolled to; nothing in an empty list.
    void SelectFirstRow();
    // Into the list, the first row made current when none is.
    void FocusList();
    bool HasFocus() const;
    // What an empty list says in its own area (nothing: empty).
    void SetEmptyText(const QString& text);
    // The status line beside the counter: what the list was found with ("Абонент начинается с «ПЕТРОВ»").
    void SetFoundWith(const QString& text);
    QString FoundWith() const;

    vg::TResultModel* Model() const { return model_; }
    vg::TResultView* View() const { return view_; }

private:
    // Puts or takes the "* " marker on a column's caption.
    void SetColumnCaption(int column, bool marked);
    void ShowCount();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The edition's text and what the list was found with right of the counter's frame, which may have widened.
    void PlaceEdition();

    // What the status line was last laid out from.
    struct TPlaced {
        int panelWidth = -1, left = 0, counterTop = 0, counterHeight = 0, editionTop = 0;
        QString edition, found;
        QFont editionFont, foundFont;
        bool operator==(const TPlaced&) const = default;
    };

    vg::TStrContainer& container_;
    vg::TResultView* view_;
    vg::TResultModel* model_;
    QLabel* counter_;
    QWidget* counterFrame_;
    QLabel* foundWith_;
    QLabel* edition_;
    int count_ = 0;
    bool incomplete_ = false;
    int sortColumn_ = 0;
    bool sortAscending_ = true;
    TPlaced placed_;
};

// What the list was found with, cut to `width` pixels of `metrics`. The quoted values tell one search from another,
// so the captions around them give way first, each down to its first word, then the values, each keeping its
// beginning and its closing quote; the whole text when it fits.
QString ElideFoundWith(const QString& text, const QFontMetrics& metrics, int width);

// Shows a count in the counter, widening the counter and its frame to the right when the text needs more room.
void ShowCounter(QLabel* counter, QWidget* frame, const QString& text);
