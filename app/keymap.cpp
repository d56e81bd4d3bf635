#include "keymap.h"

#include "criteriapanel.h"
#include "results/columnsort.h"
#include "results/rowlogic.h"
#include "ui_fmmain.h"

TKeyMap::TKeyMap(QWidget& window, Ui::FmMain& form, TCriteriaPanel& criteria, TKeyTargets targets)
    : window_(window), targets_(std::move(targets)) {
    struct Command {
        QAction* action;
        QList<QKeySequence> keys;
        QString more; // keys the hint names besides, handled elsewhere
    };
    const Command commands[] = {
        {form.mnOpen, {QKeySequence(Qt::CTRL | Qt::Key_O)}, {}},
        {form.mnSearch, {QKeySequence(Qt::Key_F3)}, QStringLiteral("Enter")}, // Enter in a criterion searches too
        {form.mnClear, {QKeySequence(Qt::Key_F5)}, {}},
        {form.mnClearFilters, {QKeySequence(Qt::Key_F8)}, {}},
        {form.mnDoClose, {QKeySequence(Qt::Key_F10), QKeySequence(QKeySequence::Quit)}, {}},
        {form.mnSearchAsYouType, {QKeySequence(Qt::Key_F9)}, {}},
    };
    for (const Command& c : commands)
        Bind(c.action, c.keys, c.more);
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        const QString caption = QString::fromUtf8(vg::kCriteria[static_cast<std::size_t>(k)].caption);
        const QString digit = QString::number(k + 1);
        QWidget* field = criteria.Field(k);
        QWidget* combo = criteria.Condition(k);
        field->setToolTip(QStringLiteral("%1 (Ctrl+%2)").arg(caption, digit));
        combo->setToolTip(combo->toolTip() + QStringLiteral(" (Alt+%1)").arg(digit));
        AddKey(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + k)), caption,
               [&criteria, k] { criteria.FocusCriterion(k); });
        AddKey(QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + k)), caption + QStringLiteral(": условие"),
               [&criteria, k] { criteria.OpenCondition(k); });
    }
    for (int c = 0; c < vg::kColumnCount; ++c)
        AddKey(
            QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_F1 + c)),
            QStringLiteral("Сортировать: %1").arg(QString::fromUtf8(vg::kColumns[static_cast<std::size_t>(c)].caption)),
            [this, c] { targets_.sortColumn(c); });
    AddKey(QKeySequence(Qt::Key_F2), QStringLiteral("Что сказал абонент"), [this] { targets_.focusBox(); });
    AddKey(QKeySequence(Qt::Key_F6), QStringLiteral("Список или поле поиска"),
           [this] { targets_.switchListAndCriteria(); });
    QAction* apply = AddKey(QKeySequence(Qt::CTRL | Qt::Key_Return), QStringLiteral("Принять первое предложение"),
                            [this] { targets_.applyFirstSuggestion(); });
    apply->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    form.ListView->setToolTip(QStringLiteral("F6 — к списку и обратно; Ctrl+F1…F5 — сортировка по столбцу"));
}

void TKeyMap::Bind(QAction* action, const QList<QKeySequence>& keys, const QString& more) {
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    QString named = keys.first().toString(QKeySequence::NativeText);
    if (!more.isEmpty()) named += QStringLiteral(", ") + more;
    QString tip = action->toolTip();
    if (!tip.endsWith(QLatin1Char(' '))) tip += QLatin1Char(' ');
    action->setToolTip(tip + QStringLiteral("(%1)").arg(named));
}

QAction* TKeyMap::AddKey(const QKeySequence& key, const QString& name, std::function<void()> handler) {
    auto* action = new QAction(name, &window_);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, &window_, std::move(handler));
    window_.addAction(action);
    return action;
}
