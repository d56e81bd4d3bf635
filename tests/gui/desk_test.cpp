// The operator's desk with the keyboard alone: shortcuts, focus, the list after a search, the window at narrow
// and wide sizes, and what a screen reader is told.

#include "app/application.h"
#include "app/fmmain.h"
#include "app/fmsplash.h"
#include "app/resultpane.h"
#include "app/startup.h"
#include "directory/csv.h"
#include "guitest.h"
#include "results/columnsort.h"
#include "results/view/qtext.h"
#include "results/view/resultmodel.h"
#include "ui_fmmain.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using vg::test::Type;

class DeskTest : public QObject {
    Q_OBJECT

private:
    vg::test::RecordingPlayer sound;
    std::unique_ptr<TProgram> program;
    TFmMain* window = nullptr;
    Ui::FmMain* ui = nullptr;

    QLineEdit* Field(int k) const {
        QLineEdit* fields[] = {ui->edPhone, ui->edStreet, ui->edHouse, ui->edFlat, ui->edUser};
        return fields[k];
    }
    TComboBoxLabel* Combo(int k) const {
        TComboBoxLabel* combos[] = {ui->cbfPhone, ui->cbfStreet, ui->cbfHouse, ui->cbfFlat, ui->cbfUser};
        return combos[k];
    }
    int Counter() const { return ui->lbCnt->text().remove(QLatin1Char(',')).toInt(); }
    QWidget* Focus() const { return QApplication::focusWidget(); }
    // A key as the operator presses it; a long command's progress window has come and gone when it returns.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Focus() ? Focus() : window, static_cast<Qt::Key>(key), modifiers);
        QVERIFY(
            QTest::qWaitFor([this] { return window->isActiveWindow() || QApplication::activeModalWidget(); }, 2000));
    }
    void Settle() { QVERIFY(vg::test::Reactivate(window)); }
    // Types into whatever has the keyboard; there must be something.
    void TypeHere(const QString& text) {
        QVERIFY(Focus());
        Type(Focus(), text);
    }
    static QString AccessibleName(QObject* object) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(object);
        return a ? a->text(QAccessible::Name) : QString();
    }

private slots:
    void initTestCase() {
        program = std::make_unique<TProgram>(&sound);
        window = vg::test::StartShown(*program);
        QVERIFY(window);
        ui = window->Form();
        window->resize(866, 520);
    }

    void cleanupTestCase() { program.reset(); }

    void init() {
        Settle();
        Key(Qt::Key_F8); // clear the fields
        Key(Qt::Key_F5); // and the results
        ui->edPhone->setFocus();
        sound.played.clear();
    }

    void startUpPutsTheCaretInThePhoneField() {
        QCOMPARE(Focus(), static_cast<QWidget*>(ui->edPhone));
        QCOMPARE(Counter(), 45129);
    }

    void ctrlDigitsGoToTheFieldsAndSelectTheirText() {
        for (int k = 0; k < 5; ++k)
            Field(k)->setText(QStringLiteral("1%1").arg(k));
        ui->ListView->setFocus();
        for (int k = 4; k >= 0; --k) {
            Key(Qt::Key_1 + k, Qt::ControlModifier);
            QCOMPARE(Focus(), static_cast<QWidget*>(Field(k)));
            QCOMPARE(Field(k)->selectedText(), QStringLiteral("1%1").arg(k));
        }
        // Typing replaces the selection, as the operator expects after jumping to a field.
        Key(Qt::Key_3, Qt::ControlModifier);
        QVERIFY(Focus());
        QTest::keyClicks(Focus(), QStringLiteral("7"));
        QCOMPARE(ui->edHouse->text(), QStringLiteral("7"));
    }

    void altDigitsOpenTheConditionLists() {
        for (int k = 0; k < 5; ++k) {
            Key(Qt::Key_1 + k, Qt::AltModifier);
            QTRY_VERIFY(Combo(k)->view()->isVisible());
            // Down and Enter in the open list choose a condition without the mouse.
            QTest::keyClick(Combo(k)->view(), Qt::Key_Down);
            QTest::keyClick(Combo(k)->view(), Qt::Key_Return);
            QTRY_VERIFY(!Combo(k)->view()->isVisible());
            QCOMPARE(Combo(k)->currentIndex(), 1);
        }
    }

    void functionKeysRunTheCommands() {
        Key(Qt::Key_2, Qt::ControlModifier);
        TypeHere(QStringLiteral("МИРА"));
        Key(Qt::Key_F3);
        const int mira = Counter();
        QVERIFY(mira > 0 && mira < 45129);
        QCOMPARE(sound.played.size(), std::size_t{1});
        Key(Qt::Key_F8);
        QVERIFY(ui->edStreet->text().isEmpty());
        QCOMPARE(Counter(), mira); // the fields go, the results stay
        Key(Qt::Key_F5);
        QCOMPARE(Counter(), 45129);
        // Each command's hint names its keys.
        QVERIFY(ui->mnSearch->toolTip().contains(QStringLiteral("F3")));
        QVERIFY(ui->mnClear->toolTip().contains(QStringLiteral("F5")));
        QVERIFY(ui->mnClearFilters->toolTip().contains(QStringLiteral("F8")));
        QVERIFY(ui->mnDoClose->toolTip().contains(QStringLiteral("F10")));
    }

    void ctrlFunctionKeysSortAndReverseWithTheArrowShown() {
        QHeaderView* header = ui->ListView->horizontalHeader();
        Key(Qt::Key_F2, Qt::ControlModifier);
        QCOMPARE(window->Results().SortColumn(), 1);
        QVERIFY(window->Results().SortAscending());
        QCOMPARE(header->sortIndicatorSection(), 1);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        Key(Qt::Key_F2, Qt::ControlModifier);
        QVERIFY(!window->Results().SortAscending());
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QCOMPARE(window->Model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("* Улица"));
        Key(Qt::Key_F5, Qt::ControlModifier);
        QCOMPARE(header->sortIndicatorSection(), 4);
        Key(Qt::Key_F5);
        QCOMPARE(header->sortIndicatorSection(), 0); // the refresh puts the marker back on the phone
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    }

    void f6GoesToTheListAndBackToTheLastField() {
        Key(Qt::Key_4, Qt::ControlModifier);
        Key(Qt::Key_F6);
        QCOMPARE(Focus(), static_cast<QWidget*>(ui->ListView));
        QCOMPARE(ui->ListView->currentIndex().row(), 0);
        Key(Qt::Key_Down);
        QCOMPARE(ui->ListView->currentIndex().row(), 1);
        Key(Qt::Key_F6);
        QCOMPARE(Focus(), static_cast<QWidget*>(ui->edFlat));
        ui->TbFlat->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint); // floated by the operator: its own window
        ui->TbFlat->show();
        QTRY_COMPARE(QApplication::activeWindow(), ui->TbFlat); // the operator works in it: Ctrl+4, F6 out, back
        QTest::keySequence(Focus() ? Focus() : window, Qt::CTRL | Qt::Key_4);
        for (QWidget* next : std::initializer_list<QWidget*>{ui->ListView, ui->edFlat}) {
            QTest::keySequence(Focus() ? Focus() : window, Qt::Key_F6);
            QTRY_VERIFY(next->hasFocus() && next->isActiveWindow());
        }
        QTest::mouseDClick(ui->TbFlat, Qt::LeftButton, {}, QPoint(1, 1)); // docks it, in its place
        QTRY_VERIFY(!ui->TbFlat->isFloating() && ui->TbFlat->x() == ui->TBHouse->geometry().right() + 1);
    }

    void afterASearchTheFirstRowIsCurrentAtTheTopAndTheCaretStays() {
        // Scroll away and pick a row far down first: the search must bring the list back to its top.
        ui->ListView->setCurrentIndex(window->Model()->index(3000, 0));
        ui->ListView->scrollTo(window->Model()->index(3000, 0));
        QVERIFY(ui->ListView->verticalScrollBar()->value() > 0);
        Key(Qt::Key_5, Qt::ControlModifier);
        TypeHere(QStringLiteral("ИВАН"));
        Key(Qt::Key_Return);
        QVERIFY(Counter() > 1);
        QCOMPARE(Focus(), static_cast<QWidget*>(ui->edUser));
        QCOMPARE(ui->ListView->verticalScrollBar()->value(), 0);
        QCOMPARE(ui->ListView->currentIndex().row(), 0);
        QCOMPARE(ui->ListView->selectionModel()->selectedRows().size(), 1);
        QCOMPARE(ui->ListView->selectionModel()->selectedRows().first().row(), 0);
        // Down goes to the second row; Ctrl+C copied the first before that.
        ui->ListView->setFocus();
        QTest::keyClick(ui->ListView, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(QApplication::clipboard()->text().startsWith(
            window->Model()->data(window->Model()->index(0, 0), Qt::DisplayRole).toString()));
        QVERIFY(QApplication::clipboard()->text().contains(QStringLiteral("ИВАН")));
        QTest::keyClick(ui->ListView, Qt::Key_Down);
        QCOMPARE(ui->ListView->currentIndex().row(), 1);
    }

    void typeAheadKeepsTheRowsBelowTheFoundOneInSight() {
        ui->ListView->setFocus();
        for (const QString& text : {QStringLiteral("5"), QStringLiteral("4")}) { // far down, then back up
            ui->ListView->scrollToTop();
            QTest::qWait(QApplication::keyboardInputInterval() + 50); // a new text, not a continued one
            Type(ui->ListView, text);
            const int row = ui->ListView->currentIndex().row(), height = ui->ListView->rowHeight(row);
            QVERIFY(window->Model()->data(window->Model()->index(row, 0), Qt::DisplayRole).toString().startsWith(text));
            QVERIFY(ui->ListView->rowViewportPosition(row) > 0);
            QVERIFY(ui->ListView->rowViewportPosition(row) + 4 * height <= ui->ListView->viewport()->height());
        }
    }

    void anEmptyListSaysNothingWasFound() {
        Key(Qt::Key_5, Qt::ControlModifier);
        TypeHere(QStringLiteral("ЯЯЯЯЯЯЯ"));
        Key(Qt::Key_Return);
        QCOMPARE(Counter(), 0);
        QCOMPARE(ui->ListView->EmptyText(), QStringLiteral("Ничего не найдено"));
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(ui->ListView);
        QCOMPARE(list->text(QAccessible::Description), QStringLiteral("Ничего не найдено"));
        // The words are painted in the list's own area.
        const QImage empty = ui->ListView->viewport()->grab().toImage();
        Key(Qt::Key_F5);
        QVERIFY(ui->ListView->EmptyText().isEmpty());
        ui->ListView->SetEmptyText(QString());
        QCOMPARE(window->Model()->rowCount(), 45129);
        QVERIFY(!empty.isNull());
        int ink = 0;
        const QRgb base = empty.pixel(2, empty.height() - 3);
        for (int y = empty.height() / 2 - 10; y < empty.height() / 2 + 10; ++y)
            for (int x = empty.width() / 4; x < empty.width() * 3 / 4; ++x)
                ink += empty.pixel(x, y) != base;
        QVERIFY(ink > 50);
    }

    void anInvalidMaskIsNamedAndTheCaretWaitsAtTheFault() {
        Key(Qt::Key_2, Qt::ControlModifier);
        ui->cbfStreet->setCurrentIndex(vg::ItemOf(vg::MatchCondition::FitsMask));
        TypeHere(QStringLiteral("  [Я-А]*"));
        Key(Qt::Key_Return);
        QTRY_VERIFY(QApplication::activeModalWidget());
        const QStringList told = vg::test::CloseMessages();
        Settle();
        QCOMPARE(told.size(), 1);
        // Counted in the mask as shown, without the leading blanks: the range starts at its second character.
        QVERIFY2(told[0].contains(QStringLiteral("«[Я-А]*»")), qPrintable(told[0]));
        QVERIFY2(told[0].contains(QStringLiteral("в позиции 2")), qPrintable(told[0]));
        QVERIFY2(told[0].contains(QStringLiteral("диапазон идёт в обратную сторону")), qPrintable(told[0]));
        QTRY_COMPARE(Focus(), static_cast<QWidget*>(ui->edStreet));
        QCOMPARE(ui->edStreet->cursorPosition(), 3); // before the 'Я', in the field as typed
        QCOMPARE(Counter(), 45129);                  // nothing was searched
    }

    void theWindowUsesTahomaAndNoConditionIsClipped() {
        if (!QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf")))
            QSKIP("Debian's fonts-wine is not installed here");
        QCOMPARE(QFontInfo(ui->edStreet->font()).family(), QStringLiteral("Tahoma"));
        QCOMPARE(QFontInfo(ui->cbfPhone->font()).family(), QStringLiteral("Tahoma"));
        for (int k = 0; k < 5; ++k) {
            TComboBoxLabel* combo = Combo(k);
            QStyleOptionComboBox option;
            option.initFrom(combo);
            const QRect field =
                combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
            for (int i = 0; i < combo->count(); ++i) {
                const QString text = combo->itemText(i);
                const QFont shown = combo->DisplayFont(text);
                // Drawn a pixel in from the field's left, as the style draws it, its ink stays within the field.
                QVERIFY(field.left() + 1 + QFontMetricsF(shown).tightBoundingRect(text).right() <= field.right());
                QVERIFY(shown.stretch() == 0 || shown.stretch() >= 80); // condensed a little at most
                QCOMPARE(QFontInfo(shown).family(), QStringLiteral("Tahoma"));
            }
        }
        // Only what would be cut is condensed.
        QCOMPARE(ui->cbfStreet->DisplayFont(QStringLiteral("подходит к маске (*, ?)")).stretch(),
                 ui->cbfStreet->font().stretch());
    }

    void atTheNarrowestSizeEveryCriterionStaysInSight() {
        window->resize(window->minimumSize());
        QTRY_COMPARE(window->size(), QSize(620, 420));
        QApplication::processEvents();
        for (int k = 0; k < 5; ++k) {
            QWidget* panel = Field(k)->parentWidget();
            QTRY_VERIFY(Field(k)->isVisible());
            const QRect onWindow(panel->mapTo(window, QPoint(0, 0)), panel->size());
            QVERIFY2(window->rect().contains(onWindow), qPrintable(Combo(k)->Caption()));
        }
        QVERIFY(ui->ListView->isVisible());
        QVERIFY(ui->ListView->height() > 100);
        // No command hides behind the toolbar's extension button either.
        for (QAction* action : ui->TbEquipment->actions()) {
            if (action->isSeparator()) continue;
            QWidget* button = ui->TbEquipment->widgetForAction(action);
            QVERIFY2(button && button->isVisible(), qPrintable(action->text()));
            QVERIFY2(window->rect().contains(QRect(button->mapTo(window, QPoint(0, 0)), button->size())),
                     qPrintable(action->text()));
        }
        window->resize(866, 520);
    }

    // At each size, after a search for a street ("ЯЯЯЯ": nothing), with an operator's street width (0: none): house,
    // flat, street and number give way in turn to their least widths, the design's from the design size up.
    void theSubscriberIsReadableAtEverySize() {
        for (const auto& [size, street, width] :
             {std::tuple{QSize(620, 420), "", 0}, std::tuple{QSize(865, 420), "ЯЯЯЯ", 0},
              std::tuple{QSize(865, 420), "", 0}, std::tuple{QSize(1600, 700), "", 0},
              std::tuple{QSize(620, 420), "", 320}}) {
            auto* view = ui->ListView;
            QHeaderView* header = view->horizontalHeader();
            const std::array<int, 5> design{100, 275, 100, 100, 335};
            view->SetDesignWidths(design);
            if (width) header->resizeSection(1, width);
            ui->edStreet->setText(QString::fromUtf8(street));
            Key(Qt::Key_F3);
            window->resize(size);
            QTRY_COMPARE(window->size(), size);
            QVERIFY(!view->horizontalScrollBar()->isVisible() && header->length() == view->viewport()->width());
            // From the design size up, or once one kept more than its least width, the others keep the design's.
            bool kept = size.width() >= 865;
            for (int c : {2, 3, 1, 0}) {
                const int w = header->sectionSize(c), least = view->MinimumWidth(c);
                QVERIFY2(c == 1 && width ? w == width : w >= least && w <= design[c] && (!kept || w == design[c]),
                         qPrintable(QStringLiteral("column %1 at %2 px: %3 px").arg(c).arg(size.width()).arg(w)));
                kept = kept || (w > least && !(c == 1 && width)); // the operator's own width aside
            }
            QVERIFY(width || header->sectionSize(4) >= view->MinimumWidth(4));
            view->SetDesignWidths(design);
        }
        window->resize(866, 520);
    }

    // The list is saved, in its order, as a spreadsheet's CSV, and the status line says what it was found with.
    void theShownListIsSavedAndSaysWhatItWasFoundWith() {
        Key(Qt::Key_2, Qt::ControlModifier);
        TypeHere(QStringLiteral("ЛЕН"));
        Key(Qt::Key_Return);
        QCOMPARE(window->Results().FoundWith(), QStringLiteral("Улица начинается с «ЛЕН»"));
        Key(Qt::Key_F5, Qt::ControlModifier); // by subscriber
        QTemporaryDir dir;
        QString error;
        QFile file(dir.filePath(QStringLiteral("список.csv"))), old(dir.filePath(QStringLiteral("старый.csv")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        QString shown; // Ctrl+S: the dialog, its list's times in Russian too
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            const auto* files = qobject_cast<QFileSystemModel*>(dialog->proxyModel()->sourceModel());
            shown = dialog->proxyModel()->mapFromSource(files->index(old.fileName(), 3)).data().toString();
            dialog->selectFile(file.fileName());
            static_cast<QDialog*>(dialog)->accept();
        });
        QTest::keyClick(Focus(), Qt::Key_S, Qt::ControlModifier);
        Settle();
        QCOMPARE(shown,
                 QLocale(QLocale::Russian).toString(old.fileTime(QFile::FileModificationTime), QLocale::ShortFormat));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray csv = file.readAll();
        QVERIFY(csv.startsWith("\xEF\xBB\xBFphone;street;house;flat;user\r\n"));
        const vg::CsvParseResult read = vg::ParseDirectoryCsv(std::string_view(csv.constData(), csv.size()));
        QCOMPARE(static_cast<int>(read.records.size()), Counter());
        for (int row = 0; row < Counter(); row += 37)
            QCOMPARE(vg::ToQString(read.records[static_cast<std::size_t>(row)].user),
                     window->Model()->RowTexts(row)[4]);
        QVERIFY(!window->SaveList(dir.filePath(QStringLiteral("нет/список.csv")), error) &&
                error.contains(QStringLiteral("нет")));
        Key(Qt::Key_F5);
        QCOMPARE(window->Results().FoundWith(), QStringLiteral("Весь справочник"));
        // The switch of searching as one types: a real check box, its key named in its hint.
        auto* asTyped = window->findChild<QAbstractButton*>(QStringLiteral("cbSearchAsYouType"));
        QVERIFY(asTyped->inherits("QCheckBox") && asTyped->toolTip().contains(QStringLiteral("F9")) &&
                (asTyped->focusPolicy() & Qt::TabFocus));
        Key(Qt::Key_F9);
        QVERIFY(asTyped->isChecked() && ui->mnSearchAsYouType->isChecked());
        ui->mnSearchAsYouType->setChecked(false);
    }

    // What the list was found with, too long for its room: the captions give way before the values, and it fits.
    void theStatusLineKeepsTheValuesWhenCut() {
        const QFontMetrics m(window->font());
        const char* box = "Что сказал абонент: «коновалова гагарина 6»";
        const char* two = "Улица начинается с «ЛЕН»; Абонент начинается с «ПЕТРОВ»";
        const auto w = [&m](const char* text) { return m.horizontalAdvance(QString::fromUtf8(text)) + 4; };
        for (const auto& [text, room, kept] : // what must stay of each text, in this order
             {std::tuple{box, w(box) - 4, std::vector<const char*>{box}},
              {box, w("Что сказ… «коновалова гагарина 6»"), {"Что сказ", " «коновалова гагарина 6»"}},
              {two, w("Улица… «ЛЕН»; Абонент… «ПЕТРОВ»"), {"Улица", "«ЛЕН»; Абонент", " «ПЕТРОВ»"}},
              {two, w("Улица… «Л…»; Абонент… «П…»"), {"Улица… «", "»; Абонент… «П"}}}) {
            const QString cut = ElideFoundWith(QString::fromUtf8(text), m, room);
            qsizetype at = 0;
            for (const char* part : kept)
                QVERIFY2((at = cut.indexOf(QString::fromUtf8(part), at)) >= 0 && m.horizontalAdvance(cut) <= room,
                         qPrintable(cut));
        }
        QTRY_VERIFY(!window->FirstShow()); // maximised by then
        window->resize(620, 420); // the window's narrowest: the label says the same, its tip and name all of it
        Key(Qt::Key_F2);
        TypeHere(QStringLiteral("коновалова проспект гагарина 6"));
        Key(Qt::Key_Return);
        const auto* found = window->findChild<QLabel*>(QStringLiteral("lbFoundWith"));
        const QString all = window->Results().FoundWith();
        QVERIFY(window->width() == 620 && all.endsWith(QStringLiteral("6»")) && found->toolTip() == all &&
                found->accessibleDescription() == all);
        QTRY_COMPARE(found->text(), ElideFoundWith(all, found->fontMetrics(), found->width()));
        window->resize(866, 520);
    }

    // Place, size, column widths and sort come back at the next start; toolbars start locked.
    void theDeskIsAsTheOperatorLeftIt() {
        window->showNormal();
        window->setGeometry(40, 50, 700, 450);
        ui->ListView->horizontalHeader()->resizeSection(1, 150);
        Key(Qt::Key_F5, Qt::ControlModifier);
        Key(Qt::Key_F5, Qt::ControlModifier); // by subscriber, descending
        window->RememberDesk();
        // The sort put back at start-up says so on the splash, which stays up through it.
        struct SplashWatch : QObject {
            bool sortShown = false;
            bool eventFilter(QObject* o, QEvent* e) override {
                auto* info = qobject_cast<QLabel*>(o);
                if (e->type() == QEvent::Paint && info && info->objectName() == QStringLiteral("LbInf") &&
                    info->text() == vg::ToQString(vg::SortInfoText()) && info->window()->isVisible())
                    sortShown = true;
                return false;
            }
        } watch;
        qApp->installEventFilter(&watch);
        TProgram next(nullptr);
        TFmMain* again = vg::test::StartShown(next);
        qApp->removeEventFilter(&watch);
        QVERIFY(watch.sortShown);
        QVERIFY(again && again->Results().SortColumn() == 4 && !again->Results().SortAscending());
        QTRY_COMPARE(again->size(), QSize(700, 450));
        QCOMPARE(again->Form()->ListView->horizontalHeader()->sectionSize(1), 150);
        QVERIFY(!again->Form()->TBToolbar1->isMovable());
        // Unlocked from the toolbars' menu, they move, and stay so for the next start.
        for (QAction* lock : window->findChildren<QAction*>())
            if (lock->text() == QStringLiteral("Закрепить панели")) lock->setChecked(false);
        QVERIFY(ui->TBToolbar1->isMovable());
        window->showMaximized(); // and maximised, it starts maximised, its size before kept for when it is not
        window->RememberDesk();
        TProgram unlocked(nullptr);
        TFmMain* big = vg::test::StartShown(unlocked);
        QTRY_VERIFY(big->Form()->TBToolbar1->isMovable() && !big->FirstShow() && big->isMaximized());
        QCOMPARE(big->normalGeometry().size(), QSize(700, 450));
        window->showNormal();
        for (QAction* lock : window->findChildren<QAction*>())
            if (lock->text() == QStringLiteral("Закрепить панели")) lock->setChecked(true);
        ui->ListView->SetDesignWidths({100, 275, 100, 100, 335});
        window->resize(866, 520);
    }

    void aScreenReaderHearsEveryControlByName() {
        const char* const captions[] = {"Телефон", "Улица", "Здание", "Квартира, офис", "Абонент, организация"};
        for (int k = 0; k < 5; ++k) {
            const QString caption = QString::fromUtf8(captions[k]);
            QCOMPARE(AccessibleName(Field(k)), caption);
            // A combo's name is its choice on this platform; its caption reaches the reader as its label.
            QCOMPARE(Combo(k)->accessibleName(), caption + QStringLiteral(": условие"));
            QAccessibleInterface* combo = QAccessible::queryAccessibleInterface(Combo(k));
            const auto labels = combo->relations(QAccessible::Label);
            QCOMPARE(labels.size(), 1);
            QCOMPARE(labels.first().first->text(QAccessible::Name), caption);
            QVERIFY(combo->text(QAccessible::Name) == caption + QStringLiteral(": условие") ||
                    combo->text(QAccessible::Name) == Combo(k)->currentText());
        }
        QCOMPARE(AccessibleName(ui->lbCnt), QStringLiteral("Абонентов в списке: ") + ui->lbCnt->text());
        QCOMPARE(QAccessible::queryAccessibleInterface(ui->lbCnt)->role(), QAccessible::StaticText);
        for (QAction* action : {ui->mnSearch, ui->mnClear, ui->mnClearFilters, ui->mnDoClose}) {
            QWidget* button = ui->TbEquipment->widgetForAction(action);
            QVERIFY(button);
            QCOMPARE(AccessibleName(button), action->text());
        }
        // The list reads a row as its five fields, each with its column.
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(ui->ListView);
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Список абонентов"));
        QAccessibleTableInterface* table = list->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->columnCount(), 5);
        const int row = 5137;
        ui->ListView->scrollTo(window->Model()->index(row, 0));
        const QStringList shown = window->Model()->RowTexts(row);
        for (int c = 0; c < 5; ++c) {
            QAccessibleInterface* cell = table->cellAt(row, c);
            QVERIFY(cell);
            QCOMPARE(cell->text(QAccessible::Name), shown[c]);
            QCOMPARE(cell->text(QAccessible::Description),
                     window->Model()->data(window->Model()->index(row, c), Qt::AccessibleDescriptionRole).toString());
        }
        QCOMPARE(table->cellAt(row, 1)->text(QAccessible::Description), QStringLiteral("Улица"));
    }
};

int main(int argc, char** argv) {
    QTemporaryDir config; // what the window remembers stays with the test
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    DeskTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "desk_test.moc"
