#pragma once

#include "recall.h"
#include "search/boxsearch.h"
#include "search/highlight.h"
#include "search/searchrun.h"
#include "search/suggest.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>

namespace Ui {
class FmMain;
}
namespace vg {
class TResultModel;
}
class ISoundPlayer;
class QToolBar;
class TAnnouncer;
class TBoxPanel;
class TCriteriaPanel;
class TDatabase;
class TFmSplash;
class THintManager;
class TKeyMap;
class TNotFoundStrip;
class TResultPane;
class TWindowHints;

// The working window: the command toolbar over the criteria, the nothing-found strip, the result list and its
// status panel. It owns one part for each of them (the criteria panel, the strip, the result pane), the
// keyboard map and the hints, and runs the commands between them: the search, the reload, the sort and the
// messages that tell their failures. Each part is the one owner of its own state.
class TFmMain : public QMainWindow, private vg::ISearchHost {
    Q_OBJECT

public:
    // The window works on `database` and shows long operations in `progress`; `sound` (none: silent) plays the
    // outcome of a search. It owns none of them, and each must outlive it.
    TFmMain(TDatabase& database, TFmSplash& progress, ISoundPlayer* sound, QWidget* parent = nullptr);
    // Writes the shown list, in its order, to `path` as a spreadsheet's CSV (vg::TListCsv), replacing the file all
    // at once, the progress window's bar moving with the rows written; false, with the reason in `error`, when
    // nothing was written.
    bool SaveList(const QString& path, QString& error);
    // Remembers the window's place, size and state and the operator's column widths for the next start (on
    // closing); the sort is remembered as it is chosen.
    void RememberDesk();
    // Puts back the operator's column widths and sort of the last run; start-up does so before the window shows,
    // so that no key of the operator's comes before it (a sort chosen earlier would be clicked again, turned round).
    // The sort shows its progress in `progress` (start-up's splash), or in the window's own progress window.
    void RestoreListDesk(TFmSplash* progress = nullptr);
    ~TFmMain() override;

    // Publishes the container's contents to the list and the counter, puts the sort marker on column 0 and
    // hides the strip; `highlight` is what the search that filled the container matched (none: nothing), `foundWith`
    // what the status line says the list was found with (empty: the whole directory).
    void RefreshList(std::shared_ptr<const vg::IMatchSpans> highlight = {}, const QString& foundWith = {});
    // Makes the directory file at `path` the one the window works on, through the progress window, and
    // remembers it for the next start. A file that cannot be read or is damaged is refused with the reason
    // and the directory on screen stays. True when it was opened.
    bool OpenEdition(const QString& path);
    // Names the edition shown in the title and the status line, with `note` (what start-up could not open)
    // after it.
    void ShowEdition(const QString& note = {});

    TBoxPanel& Box() const { return *box_; }
    TCriteriaPanel& CriteriaPanel() const { return *criteria_; }
    TSearchRecall& Recall() const { return *recall_; }
    TResultPane& Results() const { return *results_; }
    TNotFoundStrip& Strip() const { return *strip_; }
    Ui::FmMain* Form() const { return ui.get(); }
    vg::TResultModel* Model() const;
    THintManager* Hints() const;
    QTimer* Timer() { return &Tm; }

    // True until the first tick of the timer has maximised the window.
    bool FirstShow() const { return firstShow_; }
    const QByteArray& FoundSound() const { return foundSound_; }
    const QByteArray& NotFoundSound() const { return notFoundSound_; }
    // The outcome of the last search, for whoever asks (the tests, the status line).
    const vg::SearchResult& LastSearch() const { return lastSearch_; }
    // The explanation of the last empty search, as the strip shows it; none when the strip is hidden.
    const std::optional<vg::TExplanation>& Explanation() const;

public slots:
    // "Открыть справочник…": a directory file chosen in a file dialog.
    void mnOpenClick();
    void mnSearchClick();
    // The pause after typing is over: the list follows the criteria, quietly.
    void SearchAsTyped();
    // Puts suggestion `index` of the strip into its field and searches.
    void ApplySuggestion(int index);
    void mnClearClick();
    void DoClearFilter();
    void mnDoCloseClick();
    // Sorts the list by `column` (again: the other way round). While a sort runs, another is not started: a click or a
    // key that would sort, then or in the input taken just after it, is ignored.
    void ListViewColumnClick(int column);
    void TmTimer();

protected:
    // Alt+Up and Alt+Down in the box or a criterion field recall a search; Ctrl+Z right after F8, there, in a
    // condition or in the list, undoes it. A
    // double click on a floating criterion toolbar docks it.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    QMenu* createPopupMenu() override;

private:
    void FormCreate();
    // F6: from the criteria to the list, and back to the criterion last worked in.
    void SwitchListAndCriteria();
    // The commands keep their captions while they fit; the criteria wrap rather than hide.
    void ArrangeCriterionBars();
    // A text or condition changed: with the switch on, the list follows after a pause. The box and the
    // criteria replace each other: typing into one empties the other.
    void CriteriaEdited();
    void BoxEdited();
    // The box and every criterion as they stand, and put back.
    TSearchState State() const;
    void PutState(const TSearchState& state);
    // Puts the search `direction` steps back (1) or forward (-1) in the recall; false past either end.
    bool RecallSearch(int direction);
    // Into the box when the state has a box text, else into its first criterion with a text.
    void FocusWhereTyped(const TSearchState& state);
    // After an empty search: why, and what would find something, in the strip.
    void ExplainEmptySearch(const vg::SearchResult& result);
    void TellLoadFailure(const std::exception& e);
    void TellRefusedEdition(const QString& path, const std::exception& e);
    // A search or sort stopped by a record that lacks fields.
    void TellDamagedRecord(const QString& what, const std::exception& e);
    void TellInvalidMask(const vg::SearchResult& result);
    std::array<QToolBar*, vg::kCriterionCount> CriterionBars() const;
    void LockToolbars(bool locked);
    // The set criteria as they read, for the status line; "Весь справочник" when none is set.
    QString DescribeCriteria() const;
    // Asks where, and saves the shown list there (SaveList), saying so when it cannot.
    void SaveListAs();
    // Ctrl+C in the list: the selected rows onto the clipboard (TResultView::SelectedRowText), the progress
    // window's bar moving with the rows.
    void CopyList();
    // Tells a screen reader what the search found, the keyboard staying where it is.
    void Announce(const vg::SearchResult& result);

    // The search as the run sees this window.
    void Reload() override;
    const vg::TPreparedDirectory* Prepared() override;
    void ReloadOnly(const std::vector<std::uint32_t>& positions) override;
    vg::TCriteria ReadCriteria() override;
    void SortList(int column, TFmSplash& progress);
    void SetInfoText(std::string_view text) override;
    void ProgressCallback(std::int32_t position, std::int32_t maximum) override;
    void ShowProgress() override;
    void Finish(const vg::SearchResult& result) override;

    std::unique_ptr<Ui::FmMain> ui;
    TDatabase& database_;
    TFmSplash& progress_;
    ISoundPlayer* sound_;
    std::unique_ptr<TCriteriaPanel> criteria_;
    TBoxPanel* box_ = nullptr; // a child of the window
    std::unique_ptr<TSearchRecall> recall_;
    // The box's words the last search ran with; none after a criteria search.
    std::optional<vg::TBoxQuery> boxQuery_;
    // What F8 cleared, until anything else is typed, and the list's marks it took away, until the list changes.
    std::optional<TSearchState> cleared_;
    std::shared_ptr<const vg::IMatchSpans> clearedMarks_;
    bool putting_ = false; // the fields are being filled by the window, not typed
    std::unique_ptr<TResultPane> results_;
    std::unique_ptr<TNotFoundStrip> strip_;
    std::unique_ptr<TKeyMap> keys_;
    std::unique_ptr<TWindowHints> hints_;
    TAnnouncer* announcer_ = nullptr;
    QAction* lockBars_ = nullptr;
    bool firstShow_ = true;
    QByteArray foundSound_;
    QByteArray notFoundSound_;
    vg::SearchResult lastSearch_;
    bool reloading_ = false;
    bool sorting_ = false; // a sort, or the operator's input that came during it, is being taken
    // A search as the operator types: no progress window, no sound, no message box.
    bool quiet_ = false;
    QTimer typing_;
    int commandsWidth_ = 0; // the command toolbar with its captions
    QTimer Tm;
};
