#include "fmmain.h"

#include "database.h"
#include "fmsplash.h"
#include "results/columnsort.h"
#include "results/rowlogic.h"
#include "results/view/qtext.h"
#include "results/view/resultmodel.h"
#include "sound.h"
#include "ui_fmmain.h"
#include "widgets/announcer.h"

#include <algorithm>
#include <cstdio>

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSettings>

namespace {

// A long operation shows the always-on-top progress window over the main one; once it is hidden again, the
// operator's window is active again with the focus where it was.
class TKeepFocus {
public:
    explicit TKeepFocus(QWidget* window)
        : window_(window), focus_(QApplication::focusWidget()), active_(window->isActiveWindow()) {}
    ~TKeepFocus() {
        if (active_ && !window_->isActiveWindow()) window_->activateWindow();
        if (focus_) focus_->setFocus();
    }
    TKeepFocus(const TKeepFocus&) = delete;
    TKeepFocus& operator=(const TKeepFocus&) = delete;

private:
    QWidget* window_;
    QPointer<QWidget> focus_;
    bool active_;
};

QByteArray ReadSound(const QString& name) {
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

} // namespace

TFmMain::TFmMain(TDatabase& database, TFmSplash& progress, ISoundPlayer* sound, QWidget* parent)
    : QMainWindow(parent), ui(new Ui::FmMain), database_(database), progress_(progress), sound_(sound) {
    // The toolbars lie on the wallpaper. Set before the window's widgets are made, so that each is made with
    // it, rather than all of them polished again once it comes.
    setStyleSheet(
        QStringLiteral("QToolBar { background-image: url(:/bitmaps/wallpaper.png); border: none; spacing: 2px; }"));
    ui->setupUi(this);
    QFont base(QStringLiteral("Tahoma"));
    base.setPixelSize(12);
    setFont(base);
    QFont bold = base;
    bold.setBold(true);
    ui->lbCnt->setFont(bold);

    // The criterion panels are defined with the window and live in their toolbars, side by side.
    bars_ = {ui->TBPhone, ui->TBToolbar1, ui->TBHouse, ui->TbFlat, ui->TbUser};
    QToolBar* const* bars = bars_.data();
    TBestPanel* panels[] = {ui->PanelPhone, ui->PanelStreet, ui->PanelHouse, ui->PanelFlat, ui->BestPanel1};
    TComboBoxLabel* combos[] = {ui->cbfPhone, ui->cbfStreet, ui->cbfHouse, ui->cbfFlat, ui->cbfUser};
    QLineEdit* fields[] = {ui->edPhone, ui->edStreet, ui->edHouse, ui->edFlat, ui->edUser};
    QFont small(QStringLiteral("Tahoma"));
    small.setPixelSize(11);
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        panels[k]->setFont(small);
        panels[k]->SetWallsPanel(ui->PanelMain);
        bars[k]->addWidget(panels[k]);
        panels[k]->show();
        groups_[static_cast<std::size_t>(k)] = {combos[k], fields[k]};
        combos[k]->SetCaption(QString::fromUtf8(vg::kCriteria[static_cast<std::size_t>(k)].caption));
        for (const vg::TConditionInfo& condition : vg::kConditions)
            combos[k]->addItem(QString::fromUtf8(condition.caption));
        combos[k]->setCurrentIndex(0);
        combos[k]->installEventFilter(this);
        fields[k]->installEventFilter(this);
        connect(fields[k], &QLineEdit::textChanged, this, [this, k] {
            FieldChanged(k);
            CriteriaEdited();
        });
        connect(combos[k], &QComboBox::currentIndexChanged, this, &TFmMain::CriteriaEdited);
    }
    for (QToolBar* bar : findChildren<QToolBar*>())
        bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    commandsWidth_ = ui->TbEquipment->sizeHint().width();

    model_ = new vg::TResultModel(this);
    model_->SetContainer(&database_.Directory());
    model_->SetBaseFont(base);
    ui->ListView->SetResultModel(model_);
    for (int c = 0; c < vg::kColumnCount; ++c) {
        const vg::TColumnInfo& column = vg::kColumns[static_cast<std::size_t>(c)];
        model_->SetCaption(c, QString::fromUtf8(column.caption));
        ui->ListView->setColumnWidth(c, column.width);
    }
    // The subscriber column takes whatever width the others leave; widths the operator sets stay for the session.
    ui->ListView->horizontalHeader()->setStretchLastSection(true);
    ui->ListView->horizontalHeader()->setSortIndicatorShown(true);
    ui->ListView->setAccessibleName(QStringLiteral("Список абонентов"));
    announcer_ = new TAnnouncer(this);

    connect(ui->mnSearch, &QAction::triggered, this, &TFmMain::mnSearchClick);
    connect(ui->mnClear, &QAction::triggered, this, &TFmMain::mnClearClick);
    connect(ui->mnClearFilters, &QAction::triggered, this, &TFmMain::DoClearFilter);
    connect(ui->mnDoClose, &QAction::triggered, this, &TFmMain::mnDoCloseClick);
    connect(ui->ListView, &vg::TResultView::ColumnClicked, this, &TFmMain::ListViewColumnClick);

    Tm.setInterval(255);
    Tm.setSingleShot(false);
    connect(&Tm, &QTimer::timeout, this, &TFmMain::TmTimer);

    // The list may follow the criteria as they are typed, after a pause; the switch is remembered.
    typing_.setSingleShot(true);
    typing_.setInterval(150);
    connect(&typing_, &QTimer::timeout, this, &TFmMain::SearchAsTyped);
    ui->mnSearchAsYouType->setChecked(QSettings().value(QStringLiteral("SearchAsYouType"), false).toBool());
    connect(ui->mnSearchAsYouType, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue(QStringLiteral("SearchAsYouType"), on);
        if (!on) typing_.stop();
    });
    SetUpKeys();
    ui->edPhone->setFocus(); // where the operator starts typing, never the list
    hints_ = std::make_unique<THintManager>([this](THintData& data, const QString& proposed, const THintInfo& info) {
        AppEventsShowHint(data, proposed, info);
    });
    FormCreate();
}

TFmMain::~TFmMain() = default;

void TFmMain::FormCreate() {
    FirstShow = true;
    SortColumn = 0;
    SortAscending = true;
    SetColumnCaption(0, true);
    NotFoundSound = ReadSound(QStringLiteral(":/sounds/NOT_FOUND"));
    FoundSound = ReadSound(QStringLiteral(":/sounds/FOUND"));
}

void TFmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ArrangeCriterionBars();
    if (FirstShow) Tm.start();
}

void TFmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ArrangeCriterionBars();
}

void TFmMain::ArrangeCriterionBars() {
    // The commands keep their captions while they fit; narrower, their pictures stand for them, so that none
    // hides behind the toolbar's extension button.
    const int available = width();
    ui->TbEquipment->setToolButtonStyle(available >= commandsWidth_ ? Qt::ToolButtonTextBesideIcon
                                                                    : Qt::ToolButtonIconOnly);
    // The criteria stand in one row while they fit and wrap to further rows rather than hide one of them.
    int used = 0;
    for (std::size_t k = 0; k < bars_.size(); ++k) {
        QToolBar* bar = bars_[k];
        const int needed = bar->sizeHint().width();
        const bool wrap = k == 0 || used + needed > available;
        if (wrap != toolBarBreak(bar)) {
            if (wrap)
                insertToolBarBreak(bar);
            else
                removeToolBarBreak(bar);
        }
        used = (wrap ? 0 : used) + needed;
    }
}

void TFmMain::TmTimer() {
    Tm.stop();
    FirstShow = false;
    showMaximized();
}

void TFmMain::mnDoCloseClick() {
    close();
}

// ---- the keyboard ----

void TFmMain::SetUpKeys() {
    // Function keys and digits mean the same whatever keyboard layout is active.
    struct Command {
        QAction* action;
        QList<QKeySequence> keys;
    };
    const Command commands[] = {
        {ui->mnSearch, {QKeySequence(Qt::Key_F3)}},
        {ui->mnClear, {QKeySequence(Qt::Key_F5)}},
        {ui->mnClearFilters, {QKeySequence(Qt::Key_F8)}},
        {ui->mnDoClose, {QKeySequence(Qt::Key_F10), QKeySequence(QKeySequence::Quit)}},
    };
    for (const Command& c : commands) {
        c.action->setShortcuts(c.keys);
        c.action->setShortcutContext(Qt::WindowShortcut);
        // The hint names the keys; Enter in a criterion searches as well.
        QString keys = c.keys.first().toString(QKeySequence::NativeText);
        if (c.action == ui->mnSearch) keys += QStringLiteral(", Enter");
        QString tip = c.action->toolTip();
        if (!tip.endsWith(QLatin1Char(' '))) tip += QLatin1Char(' ');
        c.action->setToolTip(tip + QStringLiteral("(%1)").arg(keys));
    }
    auto addKey = [this](const QKeySequence& key, const QString& name, auto handler) {
        auto* action = new QAction(name, this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
        return action;
    };
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        const QString caption = QString::fromUtf8(vg::kCriteria[static_cast<std::size_t>(k)].caption);
        const CriterionGroup& g = groups_[static_cast<std::size_t>(k)];
        g.field->setAccessibleName(caption);
        g.combo->setAccessibleName(caption + QStringLiteral(": условие"));
        const QString digit = QString::number(k + 1);
        g.field->setToolTip(QStringLiteral("%1 (Ctrl+%2)").arg(caption, digit));
        g.combo->setToolTip(g.combo->toolTip() + QStringLiteral(" (Alt+%1)").arg(digit));
        addKey(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + k)), caption, [this, k] { FocusCriterion(k); });
        addKey(QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + k)), caption + QStringLiteral(": условие"),
               [this, k] { OpenCondition(k); });
    }
    for (int c = 0; c < vg::kColumnCount; ++c)
        addKey(
            QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_F1 + c)),
            QStringLiteral("Сортировать: %1").arg(QString::fromUtf8(vg::kColumns[static_cast<std::size_t>(c)].caption)),
            [this, c] { ListViewColumnClick(c); });
    addKey(QKeySequence(Qt::Key_F6), QStringLiteral("Список или поле поиска"), [this] { SwitchListAndCriteria(); });
    QAction* apply = addKey(QKeySequence(Qt::CTRL | Qt::Key_Return), QStringLiteral("Принять первое предложение"),
                            [this] { ApplySuggestion(0); });
    apply->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    ui->ListView->setToolTip(QStringLiteral("F6 — к списку и обратно; Ctrl+F1…F5 — сортировка по столбцу"));
}

void TFmMain::FocusCriterion(int criterion) {
    QLineEdit* field = groups_[static_cast<std::size_t>(criterion)].field;
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
    lastCriterion_ = criterion;
}

void TFmMain::OpenCondition(int criterion) {
    TComboBoxLabel* combo = groups_[static_cast<std::size_t>(criterion)].combo;
    combo->setFocus(Qt::ShortcutFocusReason);
    lastCriterion_ = criterion;
    combo->showPopup();
}

void TFmMain::SwitchListAndCriteria() {
    if (ui->ListView->hasFocus()) {
        FocusCriterion(lastCriterion_);
        return;
    }
    ui->ListView->setFocus(Qt::ShortcutFocusReason);
    if (!ui->ListView->currentIndex().isValid() && model_->rowCount() > 0) SelectFirstRow();
}

void TFmMain::SelectFirstRow() {
    if (model_->rowCount() <= 0) return;
    const QModelIndex first = model_->index(0, 0);
    ui->ListView->selectionModel()->setCurrentIndex(first,
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    ui->ListView->scrollToTop();
}

// ---- the list ----

void TFmMain::SetColumnCaption(int column, bool marked) {
    QString caption = model_->Caption(column);
    if (marked) {
        caption.prepend(QStringLiteral("* "));
    } else {
        const qsizetype at = caption.indexOf(QStringLiteral("* "));
        if (at >= 0) caption.remove(at, 2);
    }
    model_->SetCaption(column, caption);
}

void TFmMain::RefreshList() {
    database_.ResultCount = database_.Directory().Count();
    ShowCount();
    model_->SetRowCount(database_.ResultCount);
    SortAscending = true;
    SetColumnCaption(SortColumn, false);
    SortColumn = 0;
    SetColumnCaption(0, true);
    model_->SetSortColumn(0);
    ShowSortIndicator();
    ui->ListView->SetEmptyText(QString());
    HideExplanation();
    ui->ListView->viewport()->repaint();
}

void TFmMain::ShowCount() {
    ShowCounter(ui->lbCnt, ui->Bevel1, vg::ToQString(vg::FormatThousands(database_.ResultCount)));
}

void ShowCounter(QLabel* counter, QWidget* frame, const QString& text) {
    counter->setText(text);
    // A screen reader reads the number with what it counts, and hears of a new one by the name changing.
    const QString name = QStringLiteral("Абонентов в списке: ") + text;
    if (counter->accessibleName() != name) {
        counter->setAccessibleName(name);
        QAccessibleEvent changed(counter, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    // A count wider than the design's counter widens it, and its frame with it, rather than losing digits.
    const int needed = counter->fontMetrics().horizontalAdvance(text) + 2;
    if (needed > counter->width()) {
        counter->resize(needed, counter->height());
        frame->resize(counter->geometry().right() + 5 - frame->x(), frame->height());
    }
}

void TFmMain::ShowSortIndicator() {
    ui->ListView->horizontalHeader()->setSortIndicator(SortColumn,
                                                       SortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void TFmMain::mnClearClick() {
    TKeepFocus keep(this);
    try {
        database_.LoadDatabase(&progress_, false);
    } catch (const std::exception& e) {
        RefreshList();
        TellLoadFailure(e);
        return;
    }
    RefreshList();
    SelectFirstRow();
}

void TFmMain::ListViewColumnClick(int column) {
    if (column == SortColumn) {
        SortAscending = !SortAscending;
    } else {
        SortAscending = true;
        SetColumnCaption(SortColumn, false);
        SortColumn = column;
        SetColumnCaption(column, true);
    }
    TKeepFocus keep(this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    auto cleanUp = [this] {
        progress_.hide();
        model_->SetSortColumn(SortColumn);
        ShowSortIndicator();
        ui->ListView->viewport()->repaint();
        const QModelIndexList selected = ui->ListView->selectionModel()->selectedRows();
        if (!selected.isEmpty()) ui->ListView->scrollTo(selected.first(), QAbstractItemView::EnsureVisible);
        QApplication::restoreOverrideCursor();
    };
    try {
        progress_.SetInfoText(vg::ToQString(vg::SortInfoText()));
        progress_.ProgressCallback(0, database_.ResultCount);
        progress_.ShowNow();
        vg::SortByColumn(database_.Directory(), SortColumn, SortAscending, &progress_);
    } catch (const std::exception& e) {
        cleanUp();
        TellDamagedRecord(QStringLiteral("Список не удалось упорядочить"), e);
        return;
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
}

// ---- criteria ----

void TFmMain::FieldChanged(int criterion) {
    const CriterionGroup& g = groups_[static_cast<std::size_t>(criterion)];
    // The wildcards are ASCII: any encoding of the field's text shows them.
    const int next = vg::ConditionAfterEdit(g.field->text().toStdString(), g.combo->currentIndex());
    if (next != g.combo->currentIndex()) g.combo->setCurrentIndex(next);
}

bool TFmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        for (int k = 0; k < vg::kCriterionCount; ++k) {
            const CriterionGroup& g = groups_[static_cast<std::size_t>(k)];
            if (watched == g.field || watched == g.combo) lastCriterion_ = k;
        }
    // Enter in any criterion field or condition list runs the search; the key goes on as usual.
    if (event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const int key = press->key();
        // Ctrl+Enter takes the first suggestion instead.
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(press->modifiers() & Qt::ControlModifier)) {
            typing_.stop();
            ui->mnSearch->trigger();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFmMain::DoClearFilter() {
    Criteria = vg::TCriteria{};
    for (const CriterionGroup& g : groups_) {
        g.combo->setCurrentIndex(0);
        g.field->clear();
    }
}

vg::TCriteria TFmMain::ReadCriteria() {
    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs;
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        const CriterionGroup& g = groups_[static_cast<std::size_t>(k)];
        vg::TCriterionInput& in = inputs[static_cast<std::size_t>(k)];
        in.text = vg::ToCp1251ForSearch(g.field->text());
        in.selected = g.combo->currentIndex();
    }
    Criteria = vg::ReadCriteria(inputs);
    return Criteria;
}

// ---- the search ----

void TFmMain::mnSearchClick() {
    {
        TKeepFocus keep(this);
        try {
            LastSearch = vg::RunSearch(database_.Directory(), *this);
        } catch (const EDirectoryMissing&) {
            throw;
        } catch (const std::exception& e) {
            progress_.hide();
            RefreshList(); // the list shows what the container holds now
            if (reloading_)
                TellLoadFailure(e);
            else
                TellDamagedRecord(QStringLiteral("Поиск прерван"), e);
        }
        reloading_ = false;
    }
    if (LastSearch.outcome == vg::SearchOutcome::Failed) TellInvalidMask(LastSearch);
}

void TFmMain::SearchAsTyped() {
    quiet_ = true;
    // An unfinished mask leaves the last result in the list; the strip says what is unfinished.
    if (const std::optional<vg::SearchResult> invalid = vg::InvalidMask(ReadCriteria()))
        TellInvalidMask(*invalid);
    else
        mnSearchClick();
    quiet_ = false;
}

void TFmMain::CriteriaEdited() {
    if (ui->mnSearchAsYouType->isChecked()) typing_.start();
}

// ---- when nothing is found ----

void TFmMain::ShowExplanation(const vg::SearchResult& result) {
    HideExplanation();
    if (result.outcome != vg::SearchOutcome::NotFound) return;
    const bool anySet = std::any_of(Criteria.Conditions.begin(), Criteria.Conditions.end(),
                                    [](vg::MatchCondition c) { return c != vg::MatchCondition::NoCondition; });
    if (!anySet) return;
    try {
        explanation_ = database_.Advisor().Explain(Criteria);
    } catch (const std::exception& e) {
        // Only a help: without it the operator still has the empty list and the sound.
        std::fprintf(stderr, "vetlograd09: no explanation: %s\n", e.what());
        return;
    }
    ui->lbWhy->setText(QString::fromStdString(vg::FormatCounts(*explanation_)));
    QStringList spoken{ui->lbWhy->text()};
    for (std::size_t i = 0; i < explanation_->suggestions.size(); ++i) {
        QString text = QString::fromStdString(vg::FormatSuggestion(explanation_->suggestions[i]));
        if (i == 0) text = QStringLiteral("Ctrl+Enter: ") + text;
        auto* button = new QPushButton(text, ui->pnNotFound);
        button->setObjectName(QStringLiteral("Suggestion%1").arg(i));
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setFocusPolicy(Qt::TabFocus);
        button->setToolTip(QStringLiteral("Подставить в поле и искать"));
        connect(button, &QPushButton::clicked, this, [this, i] { ApplySuggestion(static_cast<int>(i)); });
        ui->suggestionsLayout->addWidget(button);
        spoken << text;
    }
    if (explanation_->suggestions.empty()) spoken << QStringLiteral("Предложений нет");
    ui->pnNotFound->setAccessibleDescription(spoken.join(QStringLiteral(". ")));
    ShowStrip();
}

void TFmMain::ShowStrip() {
    // Its style sheet is set when it is first needed: a style sheet makes its widgets polish themselves anew,
    // a cost that start-up need not pay for a strip most starts never show.
    if (ui->pnNotFound->styleSheet().isEmpty())
        ui->pnNotFound->setStyleSheet(
            QStringLiteral("#pnNotFound { background: #FFF8D6; } QPushButton { text-align: left; padding: 1px 6px; }"));
    ui->pnNotFound->show();
}

void TFmMain::HideExplanation() {
    explanation_.reset();
    ui->pnNotFound->hide();
    ui->pnNotFound->setAccessibleDescription(QString());
    ui->lbWhy->clear();
    while (QLayoutItem* item = ui->suggestionsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

void TFmMain::ApplySuggestion(int index) {
    if (!explanation_ || index < 0 || static_cast<std::size_t>(index) >= explanation_->suggestions.size()) return;
    const vg::TSuggestion suggestion = explanation_->suggestions[static_cast<std::size_t>(index)];
    const CriterionGroup& g = groups_[vg::Index(suggestion.field)];
    g.field->setText(vg::ToQString(suggestion.text));
    // After the text: a wildcard in it would otherwise choose the condition.
    if (suggestion.condition != vg::MatchCondition::NoCondition)
        g.combo->setCurrentIndex(vg::ItemOf(suggestion.condition));
    typing_.stop();
    FocusCriterion(static_cast<int>(suggestion.field));
    ui->mnSearch->trigger();
}

void TFmMain::Reload() {
    LastSearch = vg::SearchResult{};
    reloading_ = true;
    database_.LoadDatabase(quiet_ ? nullptr : &progress_, true);
    reloading_ = false;
}

void TFmMain::SetInfoText(std::string_view text) {
    if (!quiet_) progress_.SetInfoText(vg::ToQString(text));
}

void TFmMain::ProgressCallback(std::int32_t position, std::int32_t maximum) {
    if (!quiet_) progress_.ProgressCallback(position, maximum);
}

void TFmMain::ShowProgress() {
    if (!quiet_) progress_.ShowNow();
}

void TFmMain::Finish(const vg::SearchResult& result) {
    LastSearch = result;
    RefreshList();
    // The operator reads the answer from the top; Down goes on to the second row and Ctrl+C copies the first.
    SelectFirstRow();
    ui->ListView->SetEmptyText(result.outcome == vg::SearchOutcome::NotFound ? QStringLiteral("Ничего не найдено")
                                                                             : QString());
    // An invalid mask is a failed search, never a found one.
    const bool found = result.outcome != vg::SearchOutcome::Failed && database_.ResultCount > 0;
    const QByteArray& wave = found ? FoundSound : NotFoundSound;
    if (sound_ && !wave.isEmpty() && !quiet_) sound_->Play(wave);
    ShowExplanation(result);
    progress_.hide();
    Announce(result);
}

void TFmMain::Announce(const vg::SearchResult& result) {
    if (result.outcome == vg::SearchOutcome::Failed) return; // the mask's fault is told on its own
    QString said;
    if (database_.ResultCount > 0) {
        said = QStringLiteral("Найдено ") + ui->lbCnt->text();
    } else {
        said = QStringLiteral("Ничего не найдено");
        if (explanation_ && !explanation_->suggestions.empty())
            said += QStringLiteral(". Ctrl+Enter: ") +
                    QString::fromStdString(vg::FormatSuggestion(explanation_->suggestions.front()));
    }
    announcer_->Announce(said);
}

void TFmMain::TellInvalidMask(const vg::SearchResult& result) {
    const CriterionGroup& g = groups_[static_cast<std::size_t>(result.criterion)];
    // The position counts in the field's text as typed; one past its end means the mask ends too early.
    const QString typed = g.field->text();
    const int position = std::clamp(result.position, 1, static_cast<int>(typed.size()) + 1);
    // The message shows the mask without its leading blanks and counts in what it shows.
    int blanks = 0;
    while (blanks < typed.size() && typed[blanks].isSpace())
        ++blanks;
    const QString reason = result.reason == vg::MaskError::None
                               ? QString()
                               : QString::fromUtf8(vg::InfoOf(result.reason).text.data(),
                                                   static_cast<qsizetype>(vg::InfoOf(result.reason).text.size()));
    QString text =
        QStringLiteral("Маска «%1» в поле «%2» задана неверно: ошибка в позиции %3")
            .arg(typed.trimmed(), QString::fromUtf8(vg::kCriteria[static_cast<std::size_t>(result.criterion)].caption))
            .arg(std::max(1, position - blanks));
    text += reason.isEmpty() ? QStringLiteral(".") : QStringLiteral(" — %1.").arg(reason);
    if (quiet_) {
        // While the operator types, a mask is often unfinished: say so in the strip, never in a box.
        HideExplanation();
        ui->lbWhy->setText(text);
        ui->pnNotFound->setAccessibleDescription(text);
        ShowStrip();
        announcer_->Announce(text);
        return;
    }
    // The operator mends the mask where it goes wrong.
    g.field->setFocus(Qt::OtherFocusReason);
    g.field->setCursorPosition(position - 1);
    lastCriterion_ = result.criterion;
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                text + QStringLiteral("\n\nВ маске * означает любые символы, ? — один любой символ, "
                                                      "[абв] или [0-9] — один символ из набора, [!0-9] — не из "
                                                      "набора; скобка [ должна закрываться скобкой ]."),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("InvalidMaskMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TFmMain::TellDamagedRecord(const QString& what, const std::exception& e) {
    auto* box = new QMessageBox(QMessageBox::Critical, windowTitle(),
                                QStringLiteral("%1: в справочнике повреждена запись.\n%2\n\n"
                                               "Список показывает записи в том порядке, в каком они остались.")
                                    .arg(what, QString::fromUtf8(e.what())),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("DamagedRecordMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TFmMain::TellLoadFailure(const std::exception& e) {
    auto* box = new QMessageBox(QMessageBox::Critical, windowTitle(),
                                QStringLiteral("Справочник не удалось загрузить: данные повреждены.\n%1\n\n"
                                               "В списке остались прочитанные записи.")
                                    .arg(QString::fromUtf8(e.what())),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("LoadFailureMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// ---- hints ----

void TFmMain::AppEventsShowHint(THintData& data, const QString& proposed, const THintInfo& info) {
    data = THintData{};
    data.Text = info.HintControl ? info.HintControl->toolTip() : QString();
    if (data.Text.isEmpty()) data.Text = proposed;
    data.OnHintInit = [this](TNewHW* w, THintData& d) { OnHintInit(w, d); };
    data.OnHintCalcRect = [](TNewHW*, int, const QString&, const THintData*, QRect&) {};
    data.OnHintPaint = [this](TNewHW* w, QPainter& p, const QRect& r, const THintData& d) { OnHintPaint(w, p, r, d); };
    data.HintInfo = info;
}

void TFmMain::OnHintInit(TNewHW* window, THintData&) {
    window->TextFormat = Qt::TextWordWrap;
    window->WallpaperOn = false;
    window->TipOn = !ui->Tip->pixmap().isNull();
    window->TipBitmap = ui->Tip->pixmap();
    window->TipKeyColor = QColor();
    window->PaintMode = 2;
    window->HintColor = QColor(0x0080C0);
    QFont f(QStringLiteral("Tahoma"), 8);
    f.setBold(true);
    window->setFont(f);
}

void TFmMain::OnHintPaint(TNewHW* window, QPainter& canvas, const QRect& rect, const THintData& data) {
    if (data.Text.isEmpty()) return;
    const QString text = data.Text.left(1024);
    canvas.setFont(window->font());
    const int height =
        canvas.fontMetrics().boundingRect(QRect(0, 0, rect.width(), 0), window->TextFormat, text).height() + 2;
    QRect r = rect;
    r.setTop(r.top() + (r.height() - height) / 2);
    canvas.setPen(Qt::black);
    canvas.drawText(r.translated(2, 2), window->TextFormat, text);
    canvas.setPen(Qt::white);
    canvas.drawText(r.translated(1, 1), window->TextFormat, text);
}
