#include "app/application.h"
#include "app/criteriapanel.h"
#include "app/database.h"
#include "app/fmmain.h"
#include "app/fmsplash.h"
#include "app/resultpane.h"
#include "app/settings.h"
#include "app/sound.h"
#include "app/startup.h"
#include "directory/cp1251.h"
#include "directory/writer.h"
#include "guitest.h"
#include "results/view/qtext.h"
#include "results/view/resultmodel.h"
#include "search/matching.h"
#include "ui_fmmain.h"
#include "widgets/glprogress.h"
#include "widgets/newhw.h"

#include <QClipboard>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

namespace {

using vg::test::CloseMessages;
using vg::test::RecordingPlayer;
using vg::test::Type;
using vg::test::W;

// Runs `act` once, when `watched` is painted showing `percent`.
class AtPaint : public QObject {
public:
    AtPaint(TglProgress* watched, int percent, std::function<void()> act)
        : watched_(watched), percent_(percent), act_(std::move(act)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && watched_->Percent() == percent_ && act_) std::exchange(act_, {})();
        return false;
    }

private:
    TglProgress* watched_;
    int percent_;
    std::function<void()> act_;
};

// The percentages a sort reports, its bar always showing.
struct SortFigures : vg::ISortProgress {
    bool Visible() const override { return true; }
    int Percent() const override { return figures.empty() ? 0 : figures.back(); }
    void SetPercent(int percent) override { figures.push_back(percent); }
    std::vector<int> figures;
};

// Throws from inside event delivery, as a faulty handler would.
class Thrower : public QObject {
protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) throw std::runtime_error("handler fault");
        return QObject::event(e);
    }
};

} // namespace

class AppTest : public QObject {
    Q_OBJECT

private:
    RecordingPlayer sound;
    // The directory the program reads: the built-in one unless a case puts other bytes here.
    std::optional<std::optional<std::string_view>> source;
    std::unique_ptr<TProgram> program;
    Ui::FmMain* ui = nullptr;
    struct {
        bool splashVisible = false, mainWindow = true;
        QString text;
        int percent = -1;
    } atLoad;

    TFmMain* Main() const { return program->FmMain(); }
    TFmSplash* Splash() const { return program->FmSplash(); }
    const vg::TStrContainer& Dir() const { return program->Database().Directory(); }
    int Count() const { return Main()->Results().Count(); }
    QString Cell(int row, int column) const {
        return Main()->Model()->data(Main()->Model()->index(row, column), Qt::DisplayRole).toString();
    }
    QString Header(int column) const {
        return Main()->Model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    // A program reading its directory through this test.
    std::unique_ptr<TProgram> MakeProgram() {
        return std::make_unique<TProgram>(&sound, [this] { return source ? *source : BuiltinDirectoryResource(); });
    }

    void Search() { ui->mnSearch->trigger(); }
    bool LastWasFound() const { return !sound.played.empty() && sound.played.back() == Main()->FoundSound(); }
    bool LastWasNotFound() const { return !sound.played.empty() && sound.played.back() == Main()->NotFoundSound(); }

private slots:
    void initTestCase() {
        // Start-up, observed at the moment the loader asks for the directory.
        program = std::make_unique<TProgram>(&sound, [this] {
            if (!ui) {
                atLoad.splashVisible = Splash() && Splash()->isVisible();
                atLoad.text = Splash() ? Splash()->InfoText() : QString();
                atLoad.percent = Splash() ? Splash()->Bar()->Percent() : -1;
                atLoad.mainWindow = Main() != nullptr;
            }
            return source ? *source : BuiltinDirectoryResource();
        });
        int status = -1;
        QVERIFY(program->StartUp(status));
        QCOMPARE(status, 0);
        ui = Main()->Form();
    }

    void cleanupTestCase() {
        // The windows go first; the directory they showed is emptied after them.
        QPointer<TFmMain> window = Main();
        program->ShutDown();
        QVERIFY(window.isNull());
        QCOMPARE(Dir().Count(), 0);
        program.reset();
    }

    void init() {
        ui->mnClearFilters->trigger();
        ui->mnClear->trigger();
        sound.played.clear();
    }

    void startUpShowsTheSplashAtZeroBeforeTheLoad() {
        QVERIFY(atLoad.splashVisible);
        QCOMPARE(atLoad.text, QStringLiteral("Загрузка базы данных в память ..."));
        QCOMPARE(atLoad.percent, 0); // never the design value 50
        QVERIFY(!atLoad.mainWindow);
    }

    void startUpListsTheWholeDirectory() {
        QCOMPARE(Dir().Count(), 45129);
        QCOMPARE(Count(), 45129);
        QCOMPARE(Main()->Model()->rowCount(), 45129);
        QCOMPARE(ui->lbCnt->text(), QStringLiteral("45,129"));
        QCOMPARE(Header(0), QStringLiteral("* Номер тел."));
        QCOMPARE(Header(1), QStringLiteral("Улица"));
        QCOMPARE(Main()->Results().SortColumn(), 0);
        QVERIFY(Main()->Results().SortAscending());
        // The progress window waits hidden and is never the main window.
        QVERIFY(Splash());
        QVERIFY(!Splash()->isVisible());
        QVERIFY(Splash()->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(Splash()->InfoText(), QStringLiteral("Загрузка базы данных в память ..."));
        QCOMPARE(Splash()->Bar()->Percent(), 100);
        QCOMPARE(Main()->windowTitle(), QStringLiteral("09-Ветлоград — встроенный справочник"));
        // The program's icon on its windows, drawn for the sizes a window system shows.
        for (const QWidget* window : {static_cast<const QWidget*>(Main()), static_cast<const QWidget*>(Splash())})
            for (int size : {32, 64})
                QCOMPARE(window->windowIcon().actualSize(QSize(size, size)), QSize(size, size));
        QVERIFY(!Main()->FoundSound().isEmpty());
        QVERIFY(!Main()->NotFoundSound().isEmpty());
        TWaveFormat format;
        QByteArray samples;
        QVERIFY(ParseWave(Main()->FoundSound(), format, samples));
        QCOMPARE(format.sampleRate, 11025);
        QCOMPARE(format.channels, 1);
        QCOMPARE(format.bits, 8);
    }

    void windowMaximisesOnceAfterTheFirstShow() {
        QVERIFY(Main()->FirstShow());
        Main()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Main()));
        QVERIFY(Main()->Timer()->isActive());
        QCOMPARE(Main()->Timer()->interval(), 255);
        QTRY_VERIFY(!Main()->FirstShow());
        QVERIFY(!Main()->Timer()->isActive());
        Main()->hide();
        Main()->show();
        QVERIFY(!Main()->Timer()->isActive());
    }

    void exceptionsFromHandlersAreDiscarded() {
        auto* app = static_cast<TApplication*>(QCoreApplication::instance());
        const int before = app->DiscardedExceptions();
        Thrower thrower;
        QEvent sent(QEvent::User);
        QCoreApplication::sendEvent(&thrower, &sent);
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QCoreApplication::processEvents();
        QCOMPARE(app->DiscardedExceptions(), before + 2);
        QVERIFY(Main()); // and the program goes on
    }

    void emptyCriteriaListEverythingWithTheFoundSound() {
        Search();
        QCOMPARE(Count(), 45129);
        QCOMPARE(ui->lbCnt->text(), QStringLiteral("45,129"));
        QVERIFY(LastWasFound());
        QVERIFY(!Splash()->isVisible());
        QCOMPARE(Splash()->InfoText(), QStringLiteral("Поиск в базе данных ..."));
        QCOMPARE(Splash()->Bar()->Percent(), 100);
    }

    void noMatchEmptiesTheListWithTheNotFoundSound() {
        Type(ui->edUser, QStringLiteral("ТАКОГО АБОНЕНТА НЕТ"));
        Search();
        QCOMPARE(Count(), 0);
        QCOMPARE(Main()->Model()->rowCount(), 0);
        QCOMPARE(ui->lbCnt->text(), QStringLiteral("0"));
        QVERIFY(LastWasNotFound());
    }

    void everySearchStartsFromTheWholeDirectoryAndCriteriaCombine() {
        Type(ui->edStreet, QStringLiteral("ленин"));
        Search();
        const int street = Count();
        QVERIFY(street > 0 && street < 45129);
        for (int r = 0; r < Count(); ++r)
            QVERIFY(Cell(r, 1).startsWith(QStringLiteral("ЛЕНИН")));
        // A second search with another street finds what the first one removed.
        ui->edStreet->clear();
        Type(ui->edStreet, QStringLiteral("МИРА"));
        Search();
        QVERIFY(Count() > 0);
        QVERIFY(Cell(0, 1).startsWith(QStringLiteral("МИРА")));
        // Street and house together: both must hold (house greater than 20, as addresses: 20А is above 20).
        ui->cbfHouse->setCurrentIndex(4);
        Type(ui->edHouse, QStringLiteral("20"));
        const int mira = Count();
        Search();
        QVERIFY(Count() > 0 && Count() < mira);
        for (int r = 0; r < Count(); ++r) {
            QVERIFY(Cell(r, 1).startsWith(QStringLiteral("МИРА")));
            const auto house = QRegularExpression(QStringLiteral("^(\\d+)(.*)")).match(Cell(r, 2));
            QVERIFY(house.captured(1).toInt() > 20 ||
                    (house.captured(1) == QStringLiteral("20") && house.capturedLength(2)));
        }
        // The list keeps the stored order: ascending by the key's text.
        for (int r = 1; r < Count(); ++r)
            QVERIFY(Dir().GetKey(r - 1) <= Dir().GetKey(r));
    }

    void textTheCodePageCannotHoldMatchesNothing() {
        Type(ui->edUser, QStringLiteral("日本"));
        Search();
        QCOMPARE(Count(), 0);
        ui->cbfUser->setCurrentIndex(2); // не содержит
        Search();
        QCOMPARE(Count(), 45129);
    }

    void aTypedWildcardSelectsTheMaskCondition() {
        ui->cbfStreet->setCurrentIndex(1); // содержит
        Type(ui->edStreet, QStringLiteral("*СК"));
        QCOMPARE(ui->cbfStreet->currentIndex(), 8);
        QCOMPARE(ui->cbfStreet->currentText(), QStringLiteral("подходит к маске (*, ?)"));
        ui->edStreet->clear();
        QCOMPARE(ui->cbfStreet->currentIndex(), 8); // stays
        ui->cbfUser->setCurrentIndex(9);
        Type(ui->edUser, QStringLiteral("?"));
        QCOMPARE(ui->cbfUser->currentIndex(), 9);
        Type(ui->edHouse, QStringLiteral("[1"));
        QCOMPARE(ui->cbfHouse->currentIndex(), 0); // '[' alone does not switch
    }

    void enterInAFieldOrAComboSearchesButNotInTheList() {
        Type(ui->edStreet, QStringLiteral("МИРА"));
        QTest::keyClick(ui->edStreet, Qt::Key_Return);
        QVERIFY(Count() > 0 && Count() < 45129);
        QVERIFY(LastWasFound());
        Type(ui->edHouse, QStringLiteral("999"));
        ui->cbfHouse->setCurrentIndex(3); // равно
        sound.played.clear();
        QTest::keyClick(ui->cbfHouse, Qt::Key_Enter);
        QCOMPARE(Count(), 0);
        QVERIFY(LastWasNotFound());
        ui->mnClear->trigger();
        sound.played.clear();
        QTest::keyClick(ui->ListView, Qt::Key_Return);
        QVERIFY(sound.played.empty());
        QCOMPARE(Count(), 45129);
    }

    void focusStaysWhereTheOperatorLeftIt() {
        Main()->show();
        QVERIFY(vg::test::Reactivate(Main()));
        ui->edUser->setFocus();
        Type(ui->edUser, QStringLiteral("ИВАН"));
        QTest::keyClick(ui->edUser, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui->edUser));
    }

    void clearFieldsKeepsTheListAndClearResultsBringsEverythingBack() {
        Type(ui->edStreet, QStringLiteral("МИРА"));
        ui->cbfStreet->setCurrentIndex(2);
        Search();
        const int found = Count();
        Main()->ListViewColumnClick(1);
        QCOMPARE(Header(1), QStringLiteral("* Улица"));
        ui->mnClearFilters->trigger();
        for (TComboBoxLabel* c : {ui->cbfPhone, ui->cbfStreet, ui->cbfHouse, ui->cbfFlat, ui->cbfUser})
            QCOMPARE(c->currentText(), QStringLiteral("начинается с"));
        QVERIFY(ui->edStreet->text().isEmpty());
        QCOMPARE(Count(), found); // the results stay
        QCOMPARE(Main()->CriteriaPanel().Criteria().Condition(vg::Field::Street), vg::MatchCondition::NoCondition);

        ui->mnClear->trigger();
        QCOMPARE(Count(), 45129);
        QCOMPARE(ui->lbCnt->text(), QStringLiteral("45,129"));
        QCOMPARE(Header(0), QStringLiteral("* Номер тел."));
        QCOMPARE(Header(1), QStringLiteral("Улица"));
        QVERIFY(!Splash()->isVisible());
    }

    void twoClicksOnStreetSortUpThenDownAndANewColumnStartsUp() {
        Main()->ListViewColumnClick(1);
        QVERIFY(Main()->Results().SortAscending());
        for (int r = 1; r < 2000; ++r)
            QVERIFY(vg::StrCompare(Dir().GetItem(r - 1)->Lines()[0], Dir().GetItem(r)->Lines()[0]) <= 0);
        QVERIFY(!Splash()->isVisible());
        QCOMPARE(Splash()->InfoText(), QStringLiteral("Сортировка телефонного справочника ..."));
        Main()->ListViewColumnClick(1);
        QVERIFY(!Main()->Results().SortAscending());
        QCOMPARE(Header(1), QStringLiteral("* Улица"));
        QCOMPARE(Header(0), QStringLiteral("Номер тел."));
        for (int r = 1; r < 2000; ++r)
            QVERIFY(vg::StrCompare(Dir().GetItem(r - 1)->Lines()[0], Dir().GetItem(r)->Lines()[0]) >= 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // A new column starts ascending, whatever the direction of the one before.
        Main()->ListViewColumnClick(2);
        QVERIFY(Main()->Results().SortAscending());
        QCOMPARE(ui->ListView->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
        QVERIFY(vg::CompareAddress(Dir().GetItem(0)->Lines()[1], Dir().GetItem(Count() - 1)->Lines()[1]) < 0);
        for (int r = 1; r < Count(); ++r)
            QVERIFY(vg::CompareAddress(Dir().GetItem(r - 1)->Lines()[1], Dir().GetItem(r)->Lines()[1]) <= 0);
    }

    void theFirstClickOnThePhoneAfterARefreshSortsDescending() {
        Main()->ListViewColumnClick(0);
        QVERIFY(!Main()->Results().SortAscending());
        QVERIFY(!Dir().GetKey(0).empty());
        QVERIFY(Dir().GetKey(Dir().Count() - 1).empty()); // no number sorts as 0, last going down
    }

    void headerClickInTheViewSorts() {
        QHeaderView* header = ui->ListView->horizontalHeader();
        Main()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Main()));
        const int x = header->sectionViewportPosition(4) + 10;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
        QCOMPARE(Main()->Results().SortColumn(), 4);
        QCOMPARE(Header(4), QStringLiteral("* Абонент"));
    }

    // A header click while a sort runs, taken at once (the progress window takes events) or
    // held back until the sort's end, is ignored: one click, one sort, the arrow and the remembered sort saying so.
    void sortRequestsDuringASortAreIgnored_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("a header click taken at once") << 0;
        QTest::newRow("a header click held back") << 1;
    }
    void sortRequestsDuringASortAreIgnored() {
        QFETCH(int, how);
        QHeaderView* header = ui->ListView->horizontalHeader();
        Main()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Main()));
        const QPoint at(header->sectionViewportPosition(2) + 10, header->height() / 2);
        Splash()->SetShowDelay(0);
        AtPaint atEnd(Splash()->Bar(), 100, [&] { // the sort's last report, the records not yet in their order
            if (how == 0) QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                if (how == 1)
                    QCoreApplication::postEvent(header->viewport(),
                                                new QMouseEvent(type, at, header->viewport()->mapToGlobal(at),
                                                                Qt::LeftButton, Qt::LeftButton, {}));
        });
        Main()->ListViewColumnClick(2);
        Splash()->SetShowDelay(TFmSplash::kShowDelayMs);
        QCoreApplication::processEvents();
        QCOMPARE(Main()->Results().SortColumn(), 2);
        QVERIFY(Main()->Results().SortAscending());
        QCOMPARE(header->sortIndicatorSection(), 2);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        QCOMPARE(settings::SortColumn.Read(), 2);
        QVERIFY(settings::SortAscending.Read());
        for (int r = 1; r < Count(); ++r)
            QVERIFY(vg::CompareAddress(Dir().GetItem(r - 1)->Lines()[1], Dir().GetItem(r)->Lines()[1]) <= 0);
        Main()->ListViewColumnClick(2); // after it, a click sorts again
        QVERIFY(!Main()->Results().SortAscending());
    }

    // The bar through the pane's sort of the city, by each column both ways: forward only, to the end, a few percent
    // at a time.
    void theSortMovesTheBarSteadilyToTheEnd_data() {
        QTest::addColumn<int>("column");
        for (int column = 0; column < vg::kColumnCount; ++column)
            QTest::addRow("column %d", column) << column;
    }
    void theSortMovesTheBarSteadilyToTheEnd() {
        QFETCH(int, column);
        for (int way = 0; way < 2; ++way) {
            SortFigures bar;
            Main()->Results().SortBy(column, &bar);
            QVERIFY(!bar.figures.empty());
            QCOMPARE(bar.figures.back(), 100);
            int before = 0;
            for (int percent : bar.figures) {
                QVERIFY2(percent > before && percent - before <= 2, qPrintable(QString::number(percent)));
                before = percent;
            }
        }
    }

    void groupStartsAndTintsFollowTheSortColumn() {
        vg::TResultModel* m = Main()->Model();
        auto background = [m](int row, int column) {
            return m->data(m->index(row, column), Qt::BackgroundRole).value<QBrush>().color().rgb() & 0xFFFFFF;
        };
        auto bold = [m](int row) { return m->data(m->index(row, 2), Qt::FontRole).value<QFont>().bold(); };
        // Stored order, column 0: the records without a number, then blocks by the leading digit.
        QVERIFY(!bold(0));
        QCOMPARE(background(0, 0), 0xF7F7F7u);
        QCOMPARE(background(0, 1), 0xFFFFFFu);
        QVERIFY(bold(5137));
        QCOMPARE(background(5137, 3), 0xD6FFC1u);
        QVERIFY(!bold(5138));
        // By street: the first row of each street is a group start, the street column is grey elsewhere.
        Main()->ListViewColumnClick(1);
        int starts = 0;
        const int from = 5529; // past the records without a street, which never start a group
        for (int r = from + 1; r < from + 3000; ++r) {
            const bool start = vg::StrCompare(Dir().GetItem(r - 1)->Lines()[0], Dir().GetItem(r)->Lines()[0]) != 0 &&
                               !Dir().GetItem(r)->Lines()[0].empty();
            QCOMPARE(bold(r), start);
            QCOMPARE(background(r, 1), start ? 0xD6FFC1u : 0xF7F7F7u);
            QCOMPARE(background(r, 0), start ? 0xD6FFC1u : 0xFFFFFFu);
            starts += start;
        }
        QVERIFY(starts > 5);
        // By subscriber: names with quotes never open a block.
        Main()->ListViewColumnClick(4);
        for (int r = 1; r < Dir().Count(); ++r)
            if (Dir().GetItem(r)->Lines()[3].find('"') != std::string_view::npos) QVERIFY(!bold(r));
    }

    void typeAheadFindsTheRawKeyUnderColumnZero() {
        Main()->ListViewColumnClick(1);
        ui->mnClear->trigger(); // back to column 0, stored order
        ui->ListView->setFocus();
        ui->ListView->setCurrentIndex(Main()->Model()->index(0, 0));
        QTest::keyClicks(ui->ListView, QStringLiteral("45"));
        const int row = ui->ListView->currentIndex().row();
        QVERIFY(row > 0);
        QVERIFY(Dir().GetKey(row).substr(0, 2) == "45");
        QVERIFY(Dir().GetKey(row - 1).substr(0, 2) != "45"); // the first such row
        QVERIFY(Cell(row, 0).startsWith(QStringLiteral("4-5")));
        QTest::qWait(QApplication::keyboardInputInterval() + 50);
        QTest::keyClicks(ui->ListView, QStringLiteral("4"));
        const int four = ui->ListView->currentIndex().row();
        QVERIFY(Dir().GetKey(four).substr(0, 1) == "4");
        QTest::keyClicks(ui->ListView, QStringLiteral("-"));
        QCOMPARE(ui->ListView->currentIndex().row(), four); // "4-" matches no key: the dashes are only shown
    }

    void ctrlCCopiesTheSelectedRowsAsShown() {
        // From the first row, keys: d Shift+Down, j Ctrl+Down (moves without selecting), s Ctrl+Space (toggles the
        // current row), a Ctrl+A; the rows then selected, as the selection model counts them.
        const struct {
            int first;
            const char* keys;
            int selected;
        } cases[] = {{5137, "", 1},    {5137, "dd", 3},      {0, "a", 45129},
                     {5137, "jjs", 2}, {5137, "ddjjsjs", 5}, {0, "asjjs", 45127}};
        for (const auto& c : cases) {
            ui->ListView->setFocus();
            ui->ListView->clearSelection();
            ui->ListView->setCurrentIndex(Main()->Model()->index(c.first, 0));
            for (const char* k = c.keys; *k; ++k)
                QTest::keyClick(ui->ListView,
                                *k == 'd'   ? Qt::Key_Down
                                : *k == 'j' ? Qt::Key_Down
                                : *k == 's' ? Qt::Key_Space
                                            : Qt::Key_A,
                                *k == 'd' ? Qt::ShiftModifier : Qt::ControlModifier);
            QList<int> rows;
            for (const QModelIndex& index : ui->ListView->selectionModel()->selectedRows())
                rows << index.row();
            std::sort(rows.begin(), rows.end());
            QCOMPARE(rows.size(), c.selected);
            QString expected;
            for (int row : rows)
                expected += Main()->Model()->RowTexts(row).join(QLatin1Char('\t')) + QLatin1Char('\n');
            if (rows.size() == 1) expected.chop(1); // one row pastes into one line's cells
            QTest::keyClick(ui->ListView, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(QApplication::clipboard()->text(), expected);
            QCOMPARE(Splash()->Percent(), 100);
            QVERIFY(!Splash()->isVisible() && !QApplication::overrideCursor());
        }
    }

    void anInvalidMaskIsReportedAndNeverFound() {
        ui->cbfStreet->setCurrentIndex(8);
        Type(ui->edStreet, QStringLiteral("[0-9"));
        Search();
        QVERIFY(LastWasNotFound());
        QCOMPARE(Main()->LastSearch().outcome, vg::SearchOutcome::Failed);
        QCOMPARE(Count(), 45129);
        QVERIFY(!Splash()->isVisible());
        const QStringList messages = CloseMessages();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(QStringLiteral("[0-9")));
        QVERIFY(messages[0].contains(QStringLiteral("«Улица»")));
        QVERIFY(messages[0].contains(QStringLiteral("позиции 5")));
    }

    void hintsShowTheirTextWithTheirBlanks() {
        THintManager* hints = Main()->Hints();
        QWidget* button = ui->TbEquipment->widgetForAction(ui->mnClear);
        QVERIFY(button);
        QVERIFY(hints->ShowHintFor(button, QPoint(10, 10)));
        QCOMPARE(hints->Window()->Text(), QStringLiteral(" Очистить результаты поиска  (F5)"));
        QCOMPARE(hints->Window()->PaintMode, 2);
        QCOMPARE(hints->Window()->HintColor, QColor(0x0080C0));
        QVERIFY(hints->Window()->isVisible());
        hints->HideHint();
        QVERIFY(hints->ShowHintFor(ui->cbfHouse, QPoint(10, 10)));
        QCOMPARE(hints->Window()->Text(), QStringLiteral("Укажите условие поиска (Alt+3)"));
        hints->HideHint();
        QVERIFY(hints->ShowHintFor(ui->edHouse, QPoint(10, 10)));
        QCOMPARE(hints->Window()->Text(), QStringLiteral("Здание (Ctrl+3)"));
        hints->HideHint();
        QVERIFY(!hints->ShowHintFor(ui->PanelMain, QPoint(10, 10))); // no hint of its own, none proposed
    }

    void aDamagedDirectoryAtAReloadIsToldAndTheWindowGoesOn() {
        std::vector<vg::DirectoryRecord> recs;
        for (int i = 0; i < 500; ++i)
            recs.push_back({std::to_string(10000 + i), "S", "1", "", "U"});
        static std::string damaged;
        damaged = vg::PackDirectory(recs);
        damaged.resize(damaged.size() / 2);
        source = std::optional<std::string_view>(damaged);
        ui->mnClear->trigger();
        QVERIFY(!Splash()->isVisible()); // the always-on-top window does not stay
        QStringList messages = CloseMessages();
        QCOMPARE(messages.size(), 1);
        // The operator reads why in Russian: not a word of the core's English.
        QVERIFY(messages[0].startsWith(QStringLiteral("Справочник не удалось загрузить: данные ")));
        QVERIFY2(!messages[0].contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(messages[0]));
        QCOMPARE(Main()->Model()->rowCount(), Dir().Count()); // the list shows what was read
        Search();
        QVERIFY(!Splash()->isVisible());
        messages = CloseMessages();
        QCOMPARE(messages.size(), 1);
        source.reset();
        ui->mnClear->trigger();
        QCOMPARE(Count(), 45129);
    }

    void progressWindowArithmetic() {
        TFmSplash splash;
        QCOMPARE(splash.Bar()->Percent(), 50); // the design value, replaced before anyone sees it
        struct Case {
            int pos, max, percent;
        };
        for (Case c :
             {Case{0, 100, 0}, {1, 200, 0}, {3, 200, 2}, {5, 200, 2}, {1, 3, 33}, {2, 3, 67}, {5, 0, 100}, {0, 0, 0}}) {
            splash.ProgressCallback(c.pos, c.max);
            QCOMPARE(splash.Bar()->Percent(), c.percent);
        }
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        splash.ProgressCallback(2, 3);
        QTRY_COMPARE(splash.Bar()->PaintedPercent(), 67);
        QTest::qSleep(TglProgress::kFrameMs + 2); // a frame after its last paint, taking no event meanwhile
        const int paints = splash.Bar()->PaintCount();
        splash.ProgressCallback(2, 3);
        splash.ProgressCallback(203, 301); // 67.4 %: rounds to 67, no change
        QCOMPARE(splash.Bar()->PaintCount(), paints);
        splash.ProgressCallback(199, 301); // 66.1 %: rounds to 66, one repaint
        QCOMPARE(splash.Bar()->PaintCount(), paints + 1);
        int labelPaints = 0;
        struct Counter : QObject {
            int* n;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) ++*n;
                return false;
            }
        } counter;
        counter.n = &labelPaints;
        splash.InfoLabel()->installEventFilter(&counter);
        splash.SetInfoText(QStringLiteral("abc"));
        const int after = labelPaints;
        QVERIFY(after >= 1);
        splash.SetInfoText(QStringLiteral("abc"));
        QCOMPARE(labelPaints, after);
    }

    void theBarRepaintsAfterItsWindowWasHidden() {
        // The progress window of the searches: shown, hidden, shown again, as for two searches in a row.
        TFmSplash splash;
        for (int run = 0; run < 3; ++run) {
            splash.ProgressCallback(0, 100);
            const int beforeShow = splash.Bar()->PaintCount();
            splash.ShowNow();
            QVERIFY(splash.Bar()->PaintCount() > beforeShow); // shown and painted before the thread is busy
            for (int percent : {1, 50, 99}) {
                QTest::qWait(TglProgress::kFrameMs + 2); // the thread works a frame between two reports
                const int paints = splash.Bar()->PaintCount();
                splash.ProgressCallback(percent, 100);
                QCOMPARE(splash.Bar()->PaintCount(), paints + 1); // at once
                QCOMPARE(splash.Bar()->PaintedPercent(), percent);
            }
            for (int percent = 0; percent <= 100; ++percent) // a run faster than the screen
                splash.ProgressCallback(percent, 100);
            QCOMPARE(splash.Bar()->PaintedPercent(), 100); // the end, at once
            splash.hide();
        }
        splash.ProgressCallback(0, 100);
        splash.ShowNow();
        QCOMPARE(splash.Bar()->PaintedPercent(), 0);
    }

    void aWindowWorksOnTheDirectoryItIsGiven() {
        // No program around it: a directory of three, a progress window and a player of the test's own.
        const std::string packed = vg::PackDirectory({{"22222", W("МИРА"), "1", "", W("ИВАНОВ И.")},
                                                      {"11111", W("ЛЕНИНА"), "2", "5", W("ПЕТРОВ П.")},
                                                      {"", W("МИРА"), "3", "", W("СИДОРОВ С.")}});
        TDatabase database([&packed] { return std::optional<std::string_view>(packed); });
        database.LoadDatabase(nullptr, true);
        TFmSplash progress;
        RecordingPlayer player;
        {
            TFmMain window(database, progress, &player);
            Ui::FmMain* form = window.Form();
            window.RefreshList();
            QCOMPARE(form->lbCnt->text(), QStringLiteral("3"));
            QCOMPARE(window.Model()->data(window.Model()->index(1, 4), Qt::DisplayRole).toString(),
                     QStringLiteral("ПЕТРОВ П."));
            Type(form->edStreet, QStringLiteral("МИРА"));
            form->mnSearch->trigger();
            QCOMPARE(form->lbCnt->text(), QStringLiteral("2"));
            QCOMPARE(database.Directory().Count(), 2);
            QCOMPARE(player.played.size(), std::size_t{1});
            QCOMPARE(player.played.back(), window.FoundSound());
            QCOMPARE(Count(), 45129); // the program's own directory is untouched
        }
        QCOMPARE(database.Directory().Count(), 2); // the directory outlives its window
    }

    void aDamagedRecordIsToldAndTheListAndCounterAgree() {
        // A zero byte ends a record's text: the second record keeps only its street.
        const std::string packed = vg::PackDirectory({{"11111", W("МИРА"), "1", "", W("ИВАНОВ И.")},
                                                      {"22222", std::string("\xCB\0", 2), "2", "5", W("ПЕТРОВ П.")},
                                                      {"33333", W("МИРА"), "3", "", W("СИДОРОВ С.")}});
        TDatabase database([&packed] { return std::optional<std::string_view>(packed); });
        database.LoadDatabase(nullptr, true);
        QCOMPARE(database.Directory().GetItem(1)->Lines().Count(), 1);
        TFmSplash progress;
        TFmMain window(database, progress, nullptr);
        Ui::FmMain* form = window.Form();
        window.RefreshList();
        window.resize(866, 420);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!form->ListView->viewport()->grab().isNull()); // drawing the short record throws nothing
        auto agree = [&](const QString& after) {
            QCOMPARE(window.Model()->rowCount(), database.Directory().Count());
            QCOMPARE(form->lbCnt->text(), QString::number(database.Directory().Count()) + after);
        };
        // Each message names the record by its place and phone, and the field it lacks, in Russian alone; an
        // interrupted search's counter says that its list is not all.
        for (const bool search : {false, true}) {
            if (search) Type(form->edUser, QStringLiteral("ИВАН"));
            search ? form->mnSearch->trigger() : window.ListViewColumnClick(4); // by subscriber: the record has none
            const QStringList told = CloseMessages();
            QCOMPARE(told.size(), 1);
            QCOMPARE(
                told[0].section(QLatin1Char('\n'), 0, 0),
                QStringLiteral("%1: повреждена запись 2 (телефон 22222): в ней нет поля «%2».")
                    .arg(search ? QStringLiteral("Поиск прерван") : QStringLiteral("Список не удалось упорядочить"),
                         search ? QStringLiteral("Здание") : QStringLiteral("Абонент, организация")));
            QVERIFY(!told[0].contains(QRegularExpression(QStringLiteral("[A-Za-z]"))));
            QVERIFY(!progress.isVisible());
            agree(search ? QStringLiteral(" — список неполный") : QString());
        }
        window.hide();
    }

    void theCounterShowsLargeCountsWhole() {
        QLabel* counter = ui->lbCnt;
        const int right = counter->geometry().right();
        // A count wider than the counter as designed, whatever font stands in for Tahoma.
        QString count = QStringLiteral("20,000,000");
        while (counter->fontMetrics().horizontalAdvance(count) <= counter->width())
            count.prepend(QStringLiteral("999,"));
        ShowCounter(counter, ui->Bevel1, count);
        QCOMPARE(counter->text(), count);
        QVERIFY(counter->fontMetrics().horizontalAdvance(counter->text()) <= counter->width());
        QVERIFY(ui->Bevel1->geometry().right() > counter->geometry().right());
        QVERIFY(counter->geometry().right() >= right);
        ui->mnClear->trigger();
        QCOMPARE(counter->text(), QStringLiteral("45,129"));
    }

    void aMissingDirectoryEndsStartUpWithAMessage() {
        // A second program, of a build that carries no directory.
        source = std::optional<std::string_view>();
        std::unique_ptr<TProgram> second = MakeProgram();
        QStringList told;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&told] { told += CloseMessages(); });
        closer.start(20);
        int status = 0;
        QVERIFY(!second->StartUp(status));
        closer.stop();
        source.reset();
        QCOMPARE(told.size(), 1);
        QVERIFY(told[0].contains(QStringLiteral("RCD")));
        QCOMPARE(status, 2);
        QVERIFY(!second->FmMain());
        QVERIFY(!second->FmSplash());
        QVERIFY(Main()); // the first program is untouched
    }

    void theAudioLibrariesAreLoadedWithTheFirstSoundOnly() {
        auto audioLoaded = [] {
            QFile maps(QStringLiteral("/proc/self/maps"));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
        };
        QVERIFY(!audioLoaded()); // a started program with its window: no audio library yet
        TWavePlayer player({QStringLiteral("/nowhere/vetlograd09-sound.so"), QStringLiteral(VG_SOUND_MODULE)});
        QVERIFY(!audioLoaded());
        QVERIFY(player.Load()); // the first place holds nothing: the next one is taken
        QVERIFY(player.Failure().isEmpty());
        QVERIFY(audioLoaded());
    }

    void withoutItsSoundModuleTheProgramIsSilent() {
        TWavePlayer player({QStringLiteral("/nowhere/vetlograd09-sound.so"), QStringLiteral("/nowhere/else.so")});
        player.Play(Main()->FoundSound()); // nothing to play it with: no failure, no sound
        QVERIFY(!player.Load());
        QVERIFY(player.Failure().contains(QStringLiteral("/nowhere/else.so")));
        // A library that is not the module: found, but without the module's entry.
        TWavePlayer impostor({QStringLiteral(VG_NOT_A_SOUND_MODULE)});
        QVERIFY(!impostor.Load());
        QVERIFY(impostor.Failure().contains(QLatin1String(kNewWavePlayer)));
    }
};

int main(int argc, char** argv) {
    QTemporaryDir config; // what the window remembers stays with the test
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    AppTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "app_test.moc"
