#pragma once

#include <QKeySequence>
#include <QList>

#include <functional>

namespace Ui {
class FmMain;
}
class QAction;
class QWidget;
class TCriteriaPanel;

// What the window's keys do beyond its commands.
struct TKeyTargets {
    std::function<void(int column)> sortColumn;
    std::function<void()> switchListAndCriteria;
    std::function<void()> applyFirstSuggestion;
    std::function<void()> focusBox;
};

// The window's keyboard, in one place: a key for every command, criterion, condition list and column, and the
// hints that name them. Function keys and digits mean the same whatever keyboard layout is active. A new
// command gets its keys here with one row in the command table.
class TKeyMap {
public:
    TKeyMap(QWidget& window, Ui::FmMain& form, TCriteriaPanel& criteria, TKeyTargets targets);

private:
    // A command of the toolbar takes `keys`; its hint names the first (and `more`).
    static void Bind(QAction* action, const QList<QKeySequence>& keys, const QString& more = {});
    // A key of the window's own, without a toolbar command.
    QAction* AddKey(const QKeySequence& key, const QString& name, std::function<void()> handler);

    QWidget& window_;
    TKeyTargets targets_;
};
