#include "fmmain.h"

#include "boxpanel.h"
#include "criteriapanel.h"
#include "database.h"
#include "directory/atomicfile.h"
#include "editions.h"
#include "failuretext.h"
#include "filedialog.h"
#include "fmsplash.h"
#include "keymap.h"
#include "notfoundstrip.h"
#include "resultpane.h"
#include "results/columnsort.h"
#include "results/listexport.h"
#include "results/view/qtext.h"
#include "results/view/resultmodel.h"
#include "settings.h"
#include "sound.h"
#include "ui_fmmain.h"
#include "widgets/announcer.h"
#include "windowhints.h"

#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QScopedValueRollback>
#include <QToolBar>

namespace {

// A long operation shows the always-on-top progress window over the main one; once it is hidden again, the
// operator's window is active again with the focus where it was.
class TKeepFocus {
public:
    // The window active before may be the main one or a criterion toolbar floating in a window of its own.
    explicit TKeepFocus(QWidget* window)
        : focus_(QApplication::focusWidget()),
          active_(window->isActiveWindow() ? window : QApplication::activeWindow()) {}
    ~TKeepFocus() {
        if (active_ && !active_->isActiveWindow()) active_->activateWindow();
        if (focus_) focus_->setFocus();
    }
    TKeepFocus(const TKeepFocus&) = delete;
    TKeepFocus& operator=(const TKeepFocus&) = delete;

private:
    QPointer<QWidget> focus_;
    QPointer<QWidget> active_;
};

// The hourglass and the progress window at `text` and 0 of `maximum`, both gone again however the operation ends.
class TBusy {
public:
    TBusy(IProgress& progress, const QString& text, int maximum) : progress_(progress) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        progress_.SetInfoText(text);
        progress_.ProgressCallback(0, maximum);
        progress_.ShowNow();
    }
    ~TBusy() {
        progress_.HideNow();
        QApplication::restoreOverrideCursor();
    }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    IProgress& progress_;
};

// The progress window's bar as the list's logic reports to it.
vg::ProgressCallback ReportTo(IProgress& progress) {
    return [&progress](std::int32_t position, std::int32_t maximum) { progress.ProgressCallback(position, maximum); };
}

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

    criteria_ = std::make_unique<TCriteriaPanel>(*ui, *this);
    box_ = new TBoxPanel(*this, ui->TBPhone);
    recall_ = std::make_unique<TSearchRecall>();
    results_ = std::make_unique<TResultPane>(*ui, database_.Directory(), base);
    strip_ = std::make_unique<TNotFoundStrip>(*ui);
    for (QToolBar* bar : findChildren<QToolBar*>())
        bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    commandsWidth_ = ui->TbEquipment->sizeHint().width();

    connect(ui->mnOpen, &QAction::triggered, this, &TFmMain::mnOpenClick);
    connect(ui->mnSearch, &QAction::triggered, this, &TFmMain::mnSearchClick);
    connect(ui->mnClear, &QAction::triggered, this, &TFmMain::mnClearClick);
    connect(ui->mnClearFilters, &QAction::triggered, this, &TFmMain::DoClearFilter);
    connect(ui->mnDoClose, &QAction::triggered, this, &TFmMain::mnDoCloseClick);
    connect(ui->ListView, &vg::TResultView::ColumnClicked, this, &TFmMain::ListViewColumnClick);
    connect(criteria_.get(), &TCriteriaPanel::Edited, this, &TFmMain::CriteriaEdited);
    connect(criteria_.get(), &TCriteriaPanel::SearchRequested, this, [this] {
        typing_.stop();
        ui->mnSearch->trigger();
    });
    connect(box_, &TBoxPanel::Edited, this, &TFmMain::BoxEdited);
    connect(box_, &TBoxPanel::SearchRequested, this, [this] {
        typing_.stop();
        ui->mnSearch->trigger();
    });
    box_->Field()->installEventFilter(this);
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        criteria_->Field(k)->installEventFilter(this);
        criteria_->Condition(k)->installEventFilter(this); // for Ctrl+Z after F8
    }
    ui->ListView->installEventFilter(this); // F8 is often pressed from the list, Ctrl+Z then too
    connect(strip_.get(), &TNotFoundStrip::SuggestionChosen, this, &TFmMain::ApplySuggestion);

    Tm.setInterval(255);
    Tm.setSingleShot(false);
    connect(&Tm, &QTimer::timeout, this, &TFmMain::TmTimer);

    // The list may follow the criteria as they are typed, after a pause; the switch is remembered.
    typing_.setSingleShot(true);
    typing_.setInterval(150);
    connect(&typing_, &QTimer::timeout, this, &TFmMain::SearchAsTyped);
    ui->mnSearchAsYouType->setChecked(settings::SearchAsYouType.Read());
    connect(ui->mnSearchAsYouType, &QAction::toggled, this, [this](bool on) {
        settings::SearchAsYouType.Write(on);
        if (!on) typing_.stop();
    });
    keys_ = std::make_unique<TKeyMap>(*this, *ui, *criteria_,
                                      TKeyTargets{[this](int column) { ListViewColumnClick(column); },
                                                  [this] { SwitchListAndCriteria(); }, [this] { ApplySuggestion(0); },
                                                  [this] { box_->Focus(); }});
    box_->SetKeyName(QStringLiteral("F2"));
    box_->Field()->setFocus(); // where the operator starts typing, never the list
    // The switch is a real check box that Tab reaches; its key (F9) works from anywhere in the window.
    auto* asTyped = new QCheckBox(ui->mnSearchAsYouType->text(), ui->TbEquipment);
    asTyped->setObjectName(QStringLiteral("cbSearchAsYouType"));
    asTyped->setFocusPolicy(Qt::TabFocus);
    asTyped->setToolTip(ui->mnSearchAsYouType->toolTip().trimmed());
    asTyped->setChecked(ui->mnSearchAsYouType->isChecked());
    ui->TbEquipment->insertWidget(ui->mnSearchAsYouType, asTyped);
    ui->TbEquipment->removeAction(ui->mnSearchAsYouType);
    addAction(ui->mnSearchAsYouType);
    connect(asTyped, &QCheckBox::toggled, ui->mnSearchAsYouType, &QAction::setChecked);
    connect(ui->mnSearchAsYouType, &QAction::toggled, asTyped, &QCheckBox::setChecked);
    // The shown list into a file a spreadsheet opens; also from the list's own menu, with the copy.
    auto* save = new QAction(QStringLiteral("Сохранить список…"), this);
    save->setObjectName(QStringLiteral("mnSaveList"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    save->setShortcutContext(Qt::ApplicationShortcut);
    connect(save, &QAction::triggered, this, &TFmMain::SaveListAs);
    addAction(save);
    auto* copy = new QAction(QStringLiteral("Копировать"), ui->ListView);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &TFmMain::CopyList);
    ui->ListView->addActions({copy, save});
    ui->ListView->setContextMenuPolicy(Qt::ActionsContextMenu);
    // The criterion toolbars stay put unless the operator unlocks them (their menu); a floating one docks again on
    // a double click.
    lockBars_ = new QAction(QStringLiteral("Закрепить панели"), this);
    lockBars_->setCheckable(true);
    lockBars_->setChecked(settings::ToolbarsLocked.Read());
    connect(lockBars_, &QAction::toggled, this, [this](bool locked) {
        settings::ToolbarsLocked.Write(locked);
        LockToolbars(locked);
    });
    LockToolbars(lockBars_->isChecked());
    for (QToolBar* bar : CriterionBars())
        bar->installEventFilter(this);
    announcer_ = new TAnnouncer(this);
    hints_ = std::make_unique<TWindowHints>(*ui->Tip);
    FormCreate();
}

TFmMain::~TFmMain() = default;

vg::TResultModel* TFmMain::Model() const {
    return results_->Model();
}

THintManager* TFmMain::Hints() const {
    return hints_->Manager();
}

const std::optional<vg::TExplanation>& TFmMain::Explanation() const {
    return strip_->Explanation();
}

void TFmMain::FormCreate() {
    firstShow_ = true;
    notFoundSound_ = ReadSound(QStringLiteral(":/sounds/NOT_FOUND"));
    foundSound_ = ReadSound(QStringLiteral(":/sounds/FOUND"));
}

void TFmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ArrangeCriterionBars();
    if (firstShow_) Tm.start();
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
    criteria_->Arrange(available);
}

void TFmMain::TmTimer() {
    Tm.stop();
    firstShow_ = false;
    // Where the operator left the window; restoring keeps it on a screen that is there, and a saved geometry
    // that cannot be read leaves the first start's maximised window.
    if (!restoreGeometry(settings::WindowGeometry.Read())) showMaximized();
}

void TFmMain::RestoreListDesk(TFmSplash* progress) {
    const QStringList widths = settings::ColumnWidths.Read().split(QLatin1Char(','));
    if (widths.size() == vg::kColumnCount) {
        std::array<int, vg::kColumnCount> set{};
        for (int c = 0; c < vg::kColumnCount; ++c)
            set[static_cast<std::size_t>(c)] = widths[c].toInt();
        ui->ListView->SetOperatorWidths(set);
    }
    // The order the operator last chose, clicked only as far as the list is not in it yet.
    const int column = std::clamp(settings::SortColumn.Read(), 0, vg::kColumnCount - 1);
    const bool ascending = settings::SortAscending.Read();
    TFmSplash& shownIn = progress ? *progress : progress_;
    if (column != results_->SortColumn()) SortList(column, shownIn);
    if (ascending != results_->SortAscending()) SortList(column, shownIn);
}

void TFmMain::RememberDesk() {
    settings::WindowGeometry.Write(saveGeometry());
    QStringList widths;
    for (int width : ui->ListView->OperatorWidths())
        widths << QString::number(width);
    settings::ColumnWidths.Write(widths.join(QLatin1Char(',')));
}

void TFmMain::closeEvent(QCloseEvent* event) {
    RememberDesk();
    QMainWindow::closeEvent(event);
}

QMenu* TFmMain::createPopupMenu() {
    QMenu* menu = QMainWindow::createPopupMenu();
    if (!menu) menu = new QMenu(this);
    menu->addSeparator();
    menu->addAction(lockBars_);
    return menu;
}

std::array<QToolBar*, vg::kCriterionCount> TFmMain::CriterionBars() const {
    return {ui->TBPhone, ui->TBToolbar1, ui->TBHouse, ui->TbFlat, ui->TbUser};
}

void TFmMain::LockToolbars(bool locked) {
    for (QToolBar* bar : CriterionBars()) {
        bar->setMovable(!locked);
        bar->setFloatable(!locked);
    }
}

void TFmMain::mnDoCloseClick() {
    close();
}

void TFmMain::SwitchListAndCriteria() {
    if (results_->HasFocus())
        criteria_->FocusCriterion(criteria_->LastCriterion());
    else
        results_->FocusList();
}

// ---- the list ----

void TFmMain::RefreshList(std::shared_ptr<const vg::IMatchSpans> highlight, const QString& foundWith) {
    strip_->HideExplanation();
    clearedMarks_.reset();
    results_->Model()->SetHighlight(std::move(highlight));
    results_->Publish(database_.Directory().Count());
    results_->SetFoundWith(foundWith.isEmpty() ? QStringLiteral("Весь справочник") : foundWith);
}

QString TFmMain::DescribeCriteria() const {
    const vg::TCriteria& criteria = criteria_->Criteria();
    QStringList said;
    for (const vg::TCriterionInfo& info : vg::kCriteria)
        if (criteria.Condition(info.field) != vg::MatchCondition::NoCondition)
            said << QString::fromStdString(
                vg::DescribeCriterion(info.field, criteria.Condition(info.field), criteria.Text(info.field)));
    return said.isEmpty() ? QStringLiteral("Весь справочник") : said.join(QStringLiteral("; "));
}

bool TFmMain::SaveList(const QString& path, QString& error) {
    std::string why;
    bool saved = false;
    {
        // Millions of rows take seconds: the bar moves with the rows written.
        TBusy busy(progress_, QStringLiteral("Сохранение списка в файл ..."), results_->Count());
        saved = vg::SaveListCsv(QFile::encodeName(path).toStdString(), database_.Directory(), results_->Count(), why,
                                ReportTo(progress_));
    }
    if (saved) return true;
    error = QString::fromStdString(why);
    return false;
}

void TFmMain::SaveListAs() {
    TFileDialog dialog(this, QStringLiteral("Сохранить список"), QDir::home().filePath(QStringLiteral("список.csv")),
                       QStringLiteral("Таблица CSV (*.csv)"));
    dialog.setObjectName(QStringLiteral("SaveListDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().constFirst();
    QString error;
    // The dialog's place is painted over before the writing starts, rather than left standing for its length.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    bool saved = false;
    {
        TKeepFocus keep(this);
        saved = SaveList(path, error);
    }
    if (saved) return;
    auto* box = new QMessageBox(QMessageBox::Critical, windowTitle(),
                                QStringLiteral("Список не сохранён.\n%1").arg(error), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("SaveFailureMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TFmMain::CopyList() {
    vg::TResultView* view = ui->ListView;
    TKeepFocus keep(this);
    // The whole of millions of rows takes a while to put into text; the bar moves with the rows.
    TBusy busy(progress_, QStringLiteral("Копирование списка ..."), 100);
    const QString text = view->SelectedRowText(ReportTo(progress_));
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
}

void TFmMain::mnClearClick() {
    TKeepFocus keep(this);
    try {
        database_.LoadDatabase(&progress_, false);
    } catch (const std::exception& e) {
        RefreshList();
        results_->MarkIncomplete();
        TellLoadFailure(e);
        return;
    }
    RefreshList();
    results_->SelectFirstRow();
}

// ---- editions ----

void TFmMain::mnOpenClick() {
    const QString current = database_.Edition().path;
    TFileDialog dialog(this, QStringLiteral("Открыть справочник"),
                       current.isEmpty() ? QString() : QFileInfo(current).absolutePath(),
                       QStringLiteral("Справочники (*.rcd);;Все файлы (*)"));
    dialog.setObjectName(QStringLiteral("OpenEditionDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    OpenEdition(dialog.selectedFiles().constFirst());
}

bool TFmMain::OpenEdition(const QString& path) {
    typing_.stop();
    {
        TKeepFocus keep(this);
        try {
            TBusy busy(progress_, LoadingText(), 100);
            database_.OpenEdition(path, [this](std::int32_t position, std::int32_t maximum) {
                progress_.ProgressCallback(position, maximum);
            });
        } catch (const std::exception& e) {
            TellRefusedEdition(path, e);
            return false;
        }
    }
    settings::Edition.Write(database_.Edition().path);
    RefreshList();
    results_->SelectFirstRow();
    ShowEdition();
    return true;
}

void TFmMain::ShowEdition(const QString& note) {
    const TEdition& edition = database_.Edition();
    setWindowTitle(QStringLiteral("09-Ветлоград — %1").arg(EditionName(edition.path)));
    // What went wrong at the start comes first: it is what the line is cut short of otherwise.
    const QString status = EditionStatus(edition);
    results_->ShowEdition(note.isEmpty() ? status : note + QLatin1Char(' ') + status);
}

void TFmMain::ListViewColumnClick(int column) {
    SortList(column, progress_);
}

void TFmMain::SortList(int column, TFmSplash& progress) {
    if (sorting_) {
        // A click on the header has turned its arrow round by itself: it shows the sort the list has again.
        results_->ShowSortIndicator();
        return;
    }
    const QScopedValueRollback sorting(sorting_, true);
    {
        TKeepFocus keep(this);
        settings::SortColumn.Write(column);
        settings::SortAscending.Write(column != results_->SortColumn() ? true : !results_->SortAscending());
        try {
            TBusy busy(progress, vg::ToQString(vg::SortInfoText()), results_->Count());
            results_->SortBy(column, &progress);
        } catch (const std::exception& e) {
            TellDamagedRecord(QStringLiteral("Список не удалось упорядочить"), e);
        }
    }
    // The operator's clicks and keys held back while the sort ran are taken now, where the ones that would sort
    // again are ignored; the rest (typing into a field, for one) goes where it was meant to.
    if (isVisible()) QCoreApplication::processEvents();
}

// ---- the criteria ----

void TFmMain::DoClearFilter() {
    const TSearchState before = State();
    putting_ = true;
    criteria_->Clear();
    box_->Put({});
    putting_ = false;
    std::shared_ptr<const vg::IMatchSpans> marks = results_->Model()->SharedHighlight();
    results_->Model()->SetHighlight(nullptr); // the list stays, but no longer answers what is typed
    CriteriaEdited();
    if (!before.Empty()) cleared_ = before;
    clearedMarks_ = std::move(marks);
}

TSearchState TFmMain::State() const {
    TSearchState state;
    state.box = box_->Text();
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        state.texts[static_cast<std::size_t>(k)] = criteria_->Text(k);
        state.conditions[static_cast<std::size_t>(k)] = criteria_->Condition(k)->currentIndex();
    }
    return state;
}

void TFmMain::PutState(const TSearchState& state) {
    putting_ = true;
    box_->Put(state.box);
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        // The text first: a wildcard in it would otherwise choose the condition.
        criteria_->Field(k)->setText(state.texts[static_cast<std::size_t>(k)]);
        criteria_->Condition(k)->setCurrentIndex(state.conditions[static_cast<std::size_t>(k)]);
    }
    putting_ = false;
    cleared_.reset();
    if (ui->mnSearchAsYouType->isChecked()) typing_.start();
}

bool TFmMain::RecallSearch(int direction) {
    const TSearchState now = State();
    for (const TSearchState* s = recall_->Step(direction); s; s = recall_->Step(direction))
        if (!(*s == now)) {
            const TSearchState recalled = *s;
            PutState(recalled);
            FocusWhereTyped(recalled);
            return true;
        }
    return false;
}

void TFmMain::FocusWhereTyped(const TSearchState& state) {
    for (int k = 0; k < vg::kCriterionCount && state.box.isEmpty(); ++k)
        if (!state.texts[static_cast<std::size_t>(k)].isEmpty()) {
            criteria_->FocusCriterion(k);
            return;
        }
    box_->Focus();
}

bool TFmMain::eventFilter(QObject* watched, QEvent* event) {
    // A double click on a floating toolbar puts it back among the others.
    auto* bar = qobject_cast<QToolBar*>(watched);
    if (bar && event->type() == QEvent::MouseButtonDblClick && bar->isFloating()) {
        // Docked (only adding a toolbar takes its window's flags away, and hides it with them), then moved to its
        // place: before the next criterion toolbar that is docked.
        addToolBar(Qt::TopToolBarArea, bar);
        bar->show();
        const auto bars = CriterionBars();
        const auto* next = std::find_if(std::find(bars.begin(), bars.end(), bar) + 1, bars.end(),
                                        [](const QToolBar* b) { return !b->isFloating(); });
        if (next != bars.end()) insertToolBar(*next, bar);
        ArrangeCriterionBars();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = press->modifiers() & ~Qt::KeypadModifier;
        if (qobject_cast<QLineEdit*>(watched) && mods == Qt::AltModifier &&
            (press->key() == Qt::Key_Up || press->key() == Qt::Key_Down)) {
            RecallSearch(press->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
        if (cleared_ && press->matches(QKeySequence::Undo)) {
            const TSearchState back = *cleared_;
            std::shared_ptr<const vg::IMatchSpans> marks = std::move(clearedMarks_);
            PutState(back);
            results_->Model()->SetHighlight(std::move(marks)); // none when the list changed since
            FocusWhereTyped(back);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

vg::TCriteria TFmMain::ReadCriteria() {
    return criteria_->ReadCriteria();
}

void TFmMain::CriteriaEdited() {
    if (putting_) return;
    cleared_.reset();
    if (!box_->Text().isEmpty()) box_->Put({});
    if (ui->mnSearchAsYouType->isChecked()) typing_.start();
}

void TFmMain::BoxEdited() {
    if (putting_) return;
    cleared_.reset();
    const TSearchState state = State();
    if (std::any_of(state.texts.begin(), state.texts.end(), [](const QString& t) { return !t.isEmpty(); })) {
        putting_ = true;
        criteria_->Clear();
        putting_ = false;
    }
    if (ui->mnSearchAsYouType->isChecked()) typing_.start();
}

// ---- the search ----

void TFmMain::mnSearchClick() {
    {
        TKeepFocus keep(this);
        try {
            const QString box = box_->Text().trimmed();
            if (!quiet_) recall_->Record(State());
            if (box.isEmpty()) {
                boxQuery_.reset();
                lastSearch_ = vg::RunSearch(database_.Directory(), *this);
            } else {
                boxQuery_.emplace(vg::ToCp1251ForSearch(box));
                lastSearch_ = vg::RunBoxSearch(database_.Directory(), *this, *boxQuery_);
            }
        } catch (const EDirectoryMissing&) {
            throw;
        } catch (const std::exception& e) {
            progress_.HideNow();
            RefreshList(); // the list shows what the container holds now, and says it is not all
            results_->MarkIncomplete();
            if (reloading_)
                TellLoadFailure(e);
            else
                TellDamagedRecord(QStringLiteral("Поиск прерван"), e);
        }
        reloading_ = false;
    }
    if (lastSearch_.outcome == vg::SearchOutcome::Failed) TellInvalidMask(lastSearch_);
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

void TFmMain::Reload() {
    lastSearch_ = vg::SearchResult{};
    reloading_ = true;
    database_.LoadDatabase(quiet_ ? nullptr : &progress_, true);
    reloading_ = false;
}

const vg::TPreparedDirectory* TFmMain::Prepared() {
    return database_.Prepared();
}

void TFmMain::ReloadOnly(const std::vector<std::uint32_t>& positions) {
    lastSearch_ = vg::SearchResult{};
    reloading_ = true;
    database_.LoadDatabase(quiet_ ? nullptr : &progress_, true, positions);
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
    lastSearch_ = result;
    std::shared_ptr<const vg::IMatchSpans> highlight;
    if (boxQuery_ && !boxQuery_->Empty())
        highlight = std::make_shared<vg::TBoxSpans>(*boxQuery_);
    else if (!boxQuery_ && criteria_->AnySet())
        highlight = std::make_shared<vg::TCriteriaSpans>(criteria_->Criteria());
    // What the list was found with: the box's words as the operator typed them, or the criteria.
    QString foundWith;
    if (result.outcome != vg::SearchOutcome::Failed)
        foundWith =
            boxQuery_ ? QStringLiteral("Что сказал абонент: «%1»").arg(box_->Text().trimmed()) : DescribeCriteria();
    RefreshList(std::move(highlight), foundWith);
    // The operator reads the answer from the top; Down goes on to the second row and Ctrl+C copies the first.
    results_->SelectFirstRow();
    results_->SetEmptyText(result.outcome == vg::SearchOutcome::NotFound ? QStringLiteral("Ничего не найдено")
                                                                         : QString());
    // An invalid mask is a failed search, never a found one.
    const bool found = result.outcome != vg::SearchOutcome::Failed && results_->Count() > 0;
    const QByteArray& wave = found ? foundSound_ : notFoundSound_;
    if (sound_ && !wave.isEmpty() && !quiet_) sound_->Play(wave);
    ExplainEmptySearch(result);
    progress_.HideNow();
    Announce(result);
}

void TFmMain::Announce(const vg::SearchResult& result) {
    if (result.outcome == vg::SearchOutcome::Failed) return; // the mask's fault is told on its own
    QString said;
    if (results_->Count() > 0) {
        said = QStringLiteral("Найдено ") + ui->lbCnt->text();
    } else {
        said = QStringLiteral("Ничего не найдено");
        const std::optional<vg::TExplanation>& explanation = strip_->Explanation();
        if (explanation && !explanation->suggestions.empty())
            said += QStringLiteral(". Ctrl+Enter: ") +
                    QString::fromStdString(vg::FormatSuggestion(explanation->suggestions.front()));
    }
    announcer_->Announce(said);
}

// ---- when nothing is found ----

void TFmMain::ExplainEmptySearch(const vg::SearchResult& result) {
    if (result.outcome != vg::SearchOutcome::NotFound) return;
    if (!boxQuery_ && !criteria_->AnySet()) return;
    try {
        strip_->ShowExplanation(boxQuery_ ? database_.ExplainBox(*boxQuery_)
                                          : database_.Advisor().Explain(criteria_->Criteria()));
    } catch (const std::exception& e) {
        // Only a help: without it the operator still has the empty list and the sound.
        std::fprintf(stderr, "vetlograd09: no explanation: %s\n", e.what());
    }
}

void TFmMain::ApplySuggestion(int index) {
    const std::optional<vg::TExplanation>& explanation = strip_->Explanation();
    if (!explanation || index < 0 || static_cast<std::size_t>(index) >= explanation->suggestions.size()) return;
    const vg::TSuggestion suggestion = explanation->suggestions[static_cast<std::size_t>(index)];
    if (boxQuery_) {
        // The box's suggestions are whole box texts.
        box_->Put(vg::ToQString(suggestion.text));
        typing_.stop();
        box_->Focus();
        ui->mnSearch->trigger();
        return;
    }
    criteria_->Put(suggestion.field, suggestion.text, suggestion.condition);
    for (vg::Field field : suggestion.cleared)
        criteria_->Put(field, {}, vg::MatchCondition::NoCondition);
    typing_.stop();
    criteria_->FocusCriterion(static_cast<int>(suggestion.field));
    ui->mnSearch->trigger();
}

// ---- what went wrong ----

void TFmMain::TellInvalidMask(const vg::SearchResult& result) {
    // The position counts in the field's text as typed; one past its end means the mask ends too early.
    const QString typed = criteria_->Text(result.criterion);
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
        strip_->ShowText(text);
        announcer_->Announce(text);
        return;
    }
    // The operator mends the mask where it goes wrong.
    criteria_->ShowPosition(result.criterion, position);
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
    std::fprintf(stderr, "vetlograd09: %s\n", e.what());
    auto* box = new QMessageBox(QMessageBox::Critical, windowTitle(),
                                QStringLiteral("%1: %2.\n\n"
                                               "Список показывает записи в том порядке, в каком они остались.")
                                    .arg(what, DamagedRecordReason(e)),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("DamagedRecordMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TFmMain::TellLoadFailure(const std::exception& e) {
    std::fprintf(stderr, "vetlograd09: the directory could not be loaded: %s\n", e.what());
    auto* box = new QMessageBox(QMessageBox::Critical, windowTitle(),
                                QStringLiteral("Справочник не удалось загрузить: %1.\n\n"
                                               "В списке остались прочитанные записи.")
                                    .arg(LoadFailureReason(e)),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("LoadFailureMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void TFmMain::TellRefusedEdition(const QString& path, const std::exception& e) {
    std::fprintf(stderr, "vetlograd09: %s: %s\n", qPrintable(path), e.what());
    auto* box =
        new QMessageBox(QMessageBox::Critical, windowTitle(),
                        QStringLiteral("Справочник «%1» не открыт: %2.\n\nВ окне остался %3.")
                            .arg(QFileInfo(path).fileName(), LoadFailureReason(e),
                                 database_.Edition().BuiltIn()
                                     ? EditionName(QString())
                                     : QStringLiteral("справочник «%1»").arg(EditionName(database_.Edition().path))),
                        QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("EditionRefusedMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
