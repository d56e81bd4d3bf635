#pragma once

#include "search/criteria.h"

#include <QObject>
#include <QString>

#include <array>

namespace Ui {
class FmMain;
}
class QLineEdit;
class QMainWindow;
class QToolBar;
class TComboBoxLabel;

// The five criterion groups of the window: each a toolbar holding a panel with a condition list above a field.
// It is the one owner of what the groups hold: the texts, the conditions, the criteria record last read from
// them and the group last worked in. Whatever else asks the operator for a search (a single search box, a
// recalled search) stands beside it and talks to the window, not to these groups.
class TCriteriaPanel : public QObject {
    Q_OBJECT

public:
    // Takes the groups of `form` into its care; their toolbars stand in `window`'s top area.
    TCriteriaPanel(Ui::FmMain& form, QMainWindow& window);

    // Reads the five groups into the criteria record and keeps it.
    const vg::TCriteria& ReadCriteria();
    // The record as last read (or cleared).
    const vg::TCriteria& Criteria() const { return criteria_; }
    // Whether the record last read has any criterion set.
    bool AnySet() const;
    // Every condition back to the first and every field empty.
    void Clear();

    void FocusCriterion(int criterion);
    void OpenCondition(int criterion);
    // The group last worked in, or the first.
    int LastCriterion() const { return lastCriterion_; }
    bool HasFocus() const;
    // Puts `text` (Windows-1251) into a criterion's field and then, unless NoCondition, selects `condition`.
    void Put(vg::Field field, const std::string& text, vg::MatchCondition condition);
    // The text of a criterion's field as typed.
    QString Text(int criterion) const;
    // Moves the cursor to the 1-based `position` of a criterion's field, focused.
    void ShowPosition(int criterion, int position);
    // The groups' toolbars stand in one row while they fit `width` and wrap to further rows rather than hide.
    void Arrange(int width);

    QLineEdit* Field(int criterion) const { return groups_[static_cast<std::size_t>(criterion)].field; }
    TComboBoxLabel* Condition(int criterion) const { return groups_[static_cast<std::size_t>(criterion)].combo; }

signals:
    // A text or a condition changed.
    void Edited();
    // Enter in a field or a condition list (Ctrl+Enter excepted).
    void SearchRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Group {
        QToolBar* bar = nullptr;
        TComboBoxLabel* combo = nullptr;
        QLineEdit* field = nullptr;
    };

    // The change handler of a field: a typed wildcard selects the mask condition.
    void FieldChanged(int criterion);

    QMainWindow& window_;
    std::array<Group, vg::kCriterionCount> groups_{};
    vg::TCriteria criteria_;
    int lastCriterion_ = 0;
};
