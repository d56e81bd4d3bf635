#include "criteriapanel.h"

#include "results/view/qtext.h"
#include "ui_fmmain.h"

#include <algorithm>

#include <QKeyEvent>

TCriteriaPanel::TCriteriaPanel(Ui::FmMain& form, QMainWindow& window) : window_(window) {
    // The criterion panels are defined with the window and live in their toolbars, side by side.
    QToolBar* bars[] = {form.TBPhone, form.TBToolbar1, form.TBHouse, form.TbFlat, form.TbUser};
    TBestPanel* panels[] = {form.PanelPhone, form.PanelStreet, form.PanelHouse, form.PanelFlat, form.BestPanel1};
    TComboBoxLabel* combos[] = {form.cbfPhone, form.cbfStreet, form.cbfHouse, form.cbfFlat, form.cbfUser};
    QLineEdit* fields[] = {form.edPhone, form.edStreet, form.edHouse, form.edFlat, form.edUser};
    QFont small(QStringLiteral("Tahoma"));
    small.setPixelSize(11);
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        const QString caption = QString::fromUtf8(vg::kCriteria[static_cast<std::size_t>(k)].caption);
        panels[k]->setFont(small);
        panels[k]->SetWallsPanel(form.PanelMain);
        bars[k]->addWidget(panels[k]);
        panels[k]->show();
        groups_[static_cast<std::size_t>(k)] = {bars[k], combos[k], fields[k]};
        combos[k]->SetCaption(caption);
        for (const vg::TConditionInfo& condition : vg::kConditions)
            combos[k]->addItem(QString::fromUtf8(condition.caption));
        combos[k]->setCurrentIndex(0);
        fields[k]->setAccessibleName(caption);
        combos[k]->setAccessibleName(caption + QStringLiteral(": условие"));
        combos[k]->installEventFilter(this);
        fields[k]->installEventFilter(this);
        connect(fields[k], &QLineEdit::textChanged, this, [this, k] {
            FieldChanged(k);
            emit Edited();
        });
        connect(combos[k], &QComboBox::currentIndexChanged, this, &TCriteriaPanel::Edited);
    }
}

const vg::TCriteria& TCriteriaPanel::ReadCriteria() {
    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs;
    for (std::size_t k = 0; k < groups_.size(); ++k) {
        inputs[k].text = vg::ToCp1251ForSearch(groups_[k].field->text());
        inputs[k].selected = groups_[k].combo->currentIndex();
    }
    criteria_ = vg::ReadCriteria(inputs);
    return criteria_;
}

bool TCriteriaPanel::AnySet() const {
    return std::any_of(criteria_.Conditions.begin(), criteria_.Conditions.end(),
                       [](vg::MatchCondition c) { return c != vg::MatchCondition::NoCondition; });
}

void TCriteriaPanel::Clear() {
    criteria_ = vg::TCriteria{};
    for (const Group& g : groups_) {
        g.combo->setCurrentIndex(0);
        g.field->clear();
    }
}

void TCriteriaPanel::FocusCriterion(int criterion) {
    QLineEdit* field = Field(criterion);
    field->activateWindow(); // its toolbar may float in a window of its own, or the key come from one
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
    lastCriterion_ = criterion;
}

void TCriteriaPanel::OpenCondition(int criterion) {
    TComboBoxLabel* combo = Condition(criterion);
    combo->activateWindow();
    combo->setFocus(Qt::ShortcutFocusReason);
    lastCriterion_ = criterion;
    combo->showPopup();
}

bool TCriteriaPanel::HasFocus() const {
    return std::any_of(groups_.begin(), groups_.end(),
                       [](const Group& g) { return g.field->hasFocus() || g.combo->hasFocus(); });
}

void TCriteriaPanel::Put(vg::Field field, const std::string& text, vg::MatchCondition condition) {
    const Group& g = groups_[vg::Index(field)];
    g.field->setText(vg::ToQString(text));
    // After the text: a wildcard in it would otherwise choose the condition.
    if (condition != vg::MatchCondition::NoCondition) g.combo->setCurrentIndex(vg::ItemOf(condition));
}

QString TCriteriaPanel::Text(int criterion) const {
    return Field(criterion)->text();
}

void TCriteriaPanel::ShowPosition(int criterion, int position) {
    QLineEdit* field = Field(criterion);
    field->setFocus(Qt::OtherFocusReason);
    field->setCursorPosition(position - 1);
    lastCriterion_ = criterion;
}

void TCriteriaPanel::Arrange(int width) {
    int used = 0;
    for (std::size_t k = 0; k < groups_.size(); ++k) {
        QToolBar* bar = groups_[k].bar;
        const int needed = bar->sizeHint().width();
        const bool wrap = k == 0 || used + needed > width;
        if (wrap != window_.toolBarBreak(bar)) {
            if (wrap)
                window_.insertToolBarBreak(bar);
            else
                window_.removeToolBarBreak(bar);
        }
        used = (wrap ? 0 : used) + needed;
    }
}

void TCriteriaPanel::FieldChanged(int criterion) {
    const Group& g = groups_[static_cast<std::size_t>(criterion)];
    // The wildcards are ASCII: any encoding of the field's text shows them.
    const int next = vg::ConditionAfterEdit(g.field->text().toStdString(), g.combo->currentIndex());
    if (next != g.combo->currentIndex()) g.combo->setCurrentIndex(next);
}

bool TCriteriaPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        for (int k = 0; k < vg::kCriterionCount; ++k) {
            const Group& g = groups_[static_cast<std::size_t>(k)];
            if (watched == g.field || watched == g.combo) lastCriterion_ = k;
        }
    // Enter in any criterion field or condition list runs the search; the key goes on as usual.
    if (event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const int key = press->key();
        // Ctrl+Enter takes the first suggestion instead.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(press->modifiers() & Qt::ControlModifier))
            emit SearchRequested();
    }
    return QObject::eventFilter(watched, event);
}
