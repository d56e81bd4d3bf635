#pragma once

#include "search/searchrun.h"
#include "search/suggest.h"
#include "widgets/newhw.h"

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
class QLabel;
class QLineEdit;
class QToolBar;
class TAnnouncer;
class TComboBoxLabel;
class TDatabase;
class TFmSplash;

// The working window: the command toolbar, the five criterion toolbars, the result list and the counter.
class TFmMain : public QMainWindow, private vg::ISearchHost {
    Q_OBJECT

public:
    // The window works on `database` and shows long operations in `progress`; `sound` (none: silent) plays the
    // outcome of a search. It owns none of them, and each must outlive it.
    TFmMain(TDatabase& database, TFmSplash& progress, ISoundPlayer* sound, QWidget* parent = nullptr);
    ~TFmMain() override;

    // Publishes the container's contents to the list and the counter and puts the sort marker on column 0.
    void RefreshList();

    Ui::FmMain* Form() const { return ui.get(); }
    vg::TResultModel* Model() const { return model_; }
    THintManager* Hints() const { return hints_.get(); }
    QTimer* Timer() { return &Tm; }

    int SortColumn = 0;
    bool SortAscending = true;
    bool FirstShow = true;
    QByteArray FoundSound;
    QByteArray NotFoundSound;
    vg::TCriteria Criteria;
    // The outcome of the last search, for whoever asks (the tests, the status line).
    vg::SearchResult LastSearch;

    // The explanation of the last empty search, as the strip shows it; none when the strip is hidden.
    const std::optional<vg::TExplanation>& Explanation() const { return explanation_; }

public slots:
    void mnSearchClick();
    // The pause after typing is over: the list follows the criteria, quietly.
    void SearchAsTyped();
    // Puts suggestion `index` of the strip into its field and searches.
    void ApplySuggestion(int index);
    void mnClearClick();
    void DoClearFilter();
    void mnDoCloseClick();
    void ListViewColumnClick(int column);
    void TmTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct CriterionGroup {
        TComboBoxLabel* combo;
        QLineEdit* field;
    };

    void FormCreate();
    // The keyboard: a key for every command, criterion, condition list and column.
    void SetUpKeys();
    void FocusCriterion(int criterion);
    void OpenCondition(int criterion);
    // F6: from the criteria to the list, and back to the criterion last worked in.
    void SwitchListAndCriteria();
    void SelectFirstRow();
    void ArrangeCriterionBars();
    void ShowSortIndicator();
    void ShowCount();
    // The strip under the criteria: why the last search found nothing and what would find something.
    void ShowExplanation(const vg::SearchResult& result);
    void HideExplanation();
    // Shows the strip under the criteria, styled.
    void ShowStrip();
    void CriteriaEdited();
    // The change handler of a field: a typed wildcard selects the mask condition.
    void FieldChanged(int criterion);
    void AppEventsShowHint(THintData& data, const QString& proposed, const THintInfo& info);
    void OnHintInit(TNewHW* window, THintData& data);
    void OnHintPaint(TNewHW* window, QPainter& canvas, const QRect& rect, const THintData& data);
    void SetColumnCaption(int column, bool marked);
    void TellLoadFailure(const std::exception& e);
    // A search or sort stopped by a record that lacks fields.
    void TellDamagedRecord(const QString& what, const std::exception& e);
    void TellInvalidMask(const vg::SearchResult& result);
    // Tells a screen reader what the search found, the keyboard staying where it is.
    void Announce(const vg::SearchResult& result);

    // The search as the run sees this window.
    void Reload() override;
    vg::TCriteria ReadCriteria() override;
    void SetInfoText(std::string_view text) override;
    void ProgressCallback(std::int32_t position, std::int32_t maximum) override;
    void ShowProgress() override;
    void Finish(const vg::SearchResult& result) override;

    std::unique_ptr<Ui::FmMain> ui;
    TDatabase& database_;
    TFmSplash& progress_;
    vg::TResultModel* model_ = nullptr;
    TAnnouncer* announcer_ = nullptr;
    ISoundPlayer* sound_;
    std::unique_ptr<THintManager> hints_;
    std::array<CriterionGroup, vg::kCriterionCount> groups_{};
    int lastCriterion_ = 0;
    bool reloading_ = false;
    // A search as the operator types: no progress window, no sound, no message box.
    bool quiet_ = false;
    QTimer typing_;
    std::optional<vg::TExplanation> explanation_;
    std::array<QToolBar*, vg::kCriterionCount> bars_{};
    int commandsWidth_ = 0; // the command toolbar with its captions
    QTimer Tm;
};

// Shows a count in the counter, widening the counter and its frame to the right when the text needs more room.
void ShowCounter(QLabel* counter, QWidget* frame, const QString& text);
