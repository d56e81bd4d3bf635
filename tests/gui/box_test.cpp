// The one box through the real window: where the focus starts, spoken texts finding their records, the box and
// the criteria replacing each other, recall across restarts and undo after F8, the matched parts of each row.

#include "app/application.h"
#include "app/boxpanel.h"
#include "app/criteriapanel.h"
#include "app/fmmain.h"
#include "app/resultpane.h"
#include "app/startup.h"
#include "guitest.h"
#include "results/view/resultmodel.h"
#include "ui_fmmain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QtTest>

using vg::test::Type;

class BoxTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TProgram> program;
    TFmMain* window = nullptr;
    Ui::FmMain* ui = nullptr;

    QLineEdit* Box() const { return window->Box().Field(); }
    int Counter() const { return ui->lbCnt->text().remove(QLatin1Char(',')).toInt(); }
    QString Cell(int row, int column) const { return window->Model()->index(row, column).data().toString(); }
    // The cell's text with its matched parts in brackets.
    QString Marked(int row, int column) const {
        QString text = Cell(row, column);
        const QModelIndex index = window->Model()->index(row, column);
        const QList<vg::TSpan> spans = index.data(vg::TResultModel::kSpansRole).value<QList<vg::TSpan>>();
        for (auto s = spans.rbegin(); s != spans.rend(); ++s)
            text.insert(s->begin + s->length, QLatin1Char(']')).insert(s->begin, QLatin1Char('['));
        return text;
    }
    void Search(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        Type(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(vg::test::Reactivate(window)); // the progress window took the keyboard
    }

private slots:
    void initTestCase() {
        program = std::make_unique<TProgram>(nullptr);
        window = vg::test::StartShown(*program);
        QVERIFY(window);
        ui = window->Form();
        // The operator starts typing in the box.
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Box()));
    }
    void cleanupTestCase() { program.reset(); }
    void init() {
        QVERIFY(vg::test::Reactivate(window));
        ui->mnClearFilters->trigger();
    }

    void aSpokenTextFindsItsRecord_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("street");
        QTest::newRow("surname, street, house") << "коновалова гагарина 6"
                                                << "КОНОВАЛОВА О.Я."
                                                << "ГАГАРИНА";
        QTest::newRow("address as spoken") << "улица Гагарина дом 6 кв. 90"
                                           << "КОНОВАЛОВА О.Я."
                                           << "ГАГАРИНА";
        QTest::newRow("house and flat after the street") << "гагарина 6-90"
                                                         << "КОНОВАЛОВА О.Я."
                                                         << "ГАГАРИНА";
        QTest::newRow("initials first, spaced") << "О. Я. Коновалова"
                                                << "КОНОВАЛОВА О.Я."
                                                << "ГАГАРИНА";
        QTest::newRow("dictated number") << "21-39-18"
                                         << "ЛИТВИНЕНКО Г."
                                         << "ГАГАРИНА";
        QTest::newRow("organisation in quotes") << "«ветлуга-транс» панфилова"
                                                << "ООО \"ВЕТЛУГА-ТРАНС\""
                                                << "ПАНФИЛОВА";
    }
    void aSpokenTextFindsItsRecord() {
        QFETCH(QString, text);
        QFETCH(QString, user);
        QFETCH(QString, street);
        // A criterion typed before gives way to the box, and the box is reached by its key from the list.
        Type(ui->edStreet, QStringLiteral("ЛЕН"));
        ui->ListView->setFocus();
        QTest::keyClick(ui->ListView, Qt::Key_F2);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Box()));
        Search(Box(), text);
        QCOMPARE(ui->edStreet->text(), QString());
        QVERIFY2(Counter() >= 1 && Counter() <= 5, qPrintable(Box()->text()));
        bool found = false;
        for (int row = 0; row < Counter(); ++row)
            found = found || (Cell(row, 4) == user && Cell(row, 1) == street);
        QVERIFY2(found, qPrintable(Cell(0, 4)));
        QCOMPARE(window->Results().FoundWith(), QStringLiteral("Что сказал абонент: «%1»").arg(text));
        // Typing a criterion empties the box in turn.
        Type(ui->edHouse, QStringLiteral("6"));
        QCOMPARE(Box()->text(), QString());
    }

    void recallAndUndoBringSearchesBack() {
        Search(Box(), QStringLiteral("коновалова 6"));
        ui->cbfUser->setCurrentIndex(vg::ItemOf(vg::MatchCondition::Contains));
        Search(ui->edUser, QStringLiteral("ТРАНС"));
        const int found = Counter();
        // Back to the box's search, and forward again to the criterion with its condition.
        QTest::keyClick(ui->edUser, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(Box()->text(), QStringLiteral("коновалова 6"));
        QCOMPARE(ui->edUser->text(), QString());
        QTest::keyClick(Box(), Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(Box()->text(), QString());
        QCOMPARE(ui->edUser->text(), QStringLiteral("ТРАНС"));
        QCOMPARE(ui->cbfUser->currentIndex(), vg::ItemOf(vg::MatchCondition::Contains));
        // F8 clears everything; Ctrl+Z right after brings every field and condition back at once.
        QTest::keyClick(ui->edUser, Qt::Key_F8);
        QCOMPARE(ui->edUser->text(), QString());
        QCOMPARE(ui->cbfUser->currentIndex(), 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(ui->edUser->text(), QStringLiteral("ТРАНС"));
        QCOMPARE(ui->cbfUser->currentIndex(), vg::ItemOf(vg::MatchCondition::Contains));
        QTest::keySequence(ui->ListView, QKeySequence(QKeyCombination(Qt::Key_F8), Qt::CTRL | Qt::Key_Z)); // the list
        QCOMPARE(ui->edUser->text(), QStringLiteral("ТРАНС"));
        QTest::keyClick(ui->edUser, Qt::Key_Return);
        QCOMPARE(Counter(), found);
        // Kept across restarts, newest first.
        TProgram next(nullptr);
        int status = -1;
        QVERIFY(next.StartUp(status));
        const std::vector<TSearchState>& kept = next.FmMain()->Recall().Searches();
        QVERIFY(kept.size() >= 2);
        QCOMPARE(kept[0].texts[4], QStringLiteral("ТРАНС"));
        QCOMPARE(kept[1].box, QStringLiteral("коновалова 6"));
    }
    // Each shown cell holds what the last search matched in it, painted; F8 takes it all away.
    void cellsHoldWhatTheSearchMatched_data() {
        QTest::addColumn<QString>("field"); // the box, or a criterion's field
        QTest::addColumn<int>("condition");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("columns"); // per column, what every row shows, matched parts in brackets
        const QString plain = QStringLiteral("[^\\[]*");
        QTest::newRow("box: surname and street") << QStringLiteral("box") << 0 << QStringLiteral("иванова лени")
                                                 << QStringList{plain, QStringLiteral("(ПР\\. )?\\[ЛЕНИ\\]НА"), plain,
                                                                plain, QStringLiteral("(?i)\\[ИВАНОВА\\] .*")};
        QTest::newRow("box: a dictated number")
            << QStringLiteral("box") << 0 << QStringLiteral("21 39 18")
            << QStringList{QStringLiteral("\\[21-39-18\\]"), plain, plain, plain, plain};
        QTest::newRow("criteria: the subscriber contains")
            << QStringLiteral("edUser") << vg::ItemOf(vg::MatchCondition::Contains) << QStringLiteral("транс")
            << QStringList{plain, plain, plain, plain, QStringLiteral(".*\\[ТРАНС\\].*")};
        QTest::newRow("criteria: the number begins with")
            << QStringLiteral("edPhone") << vg::ItemOf(vg::MatchCondition::BeginsWith) << QStringLiteral("2-13")
            << QStringList{QStringLiteral("\\[2-13\\]-\\d\\d|\\[21-3\\]\\d-\\d\\d"), plain, plain, plain, plain};
    }
    void cellsHoldWhatTheSearchMatched() {
        QFETCH(QString, field);
        QFETCH(int, condition);
        QFETCH(QString, text);
        QFETCH(QStringList, columns);
        ui->mnClear->trigger();
        if (field == QStringLiteral("box")) {
            Search(Box(), text);
            QVERIFY2(window->Results().FoundWith().contains(text), qPrintable(window->Results().FoundWith()));
        } else {
            auto* edit = window->findChild<QLineEdit*>(field);
            QVERIFY(edit);
            window->findChild<QComboBox*>(QStringLiteral("cbf") + field.mid(2))->setCurrentIndex(condition);
            Search(edit, text);
        }
        QVERIFY(Counter() > 0);
        for (int row = 0; row < Counter(); ++row)
            for (int column = 0; column < columns.size(); ++column)
                QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(columns[column]))
                             .match(Marked(row, column))
                             .hasMatch(),
                         qPrintable(Marked(row, column)));
        // The matched parts show; F8 takes them away, the list staying.
        const QImage marked = ui->ListView->viewport()->grab().toImage();
        const int listed = Counter();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F8);
        QCOMPARE(Counter(), listed);
        QVERIFY(!window->Model()->index(0, 0).data(vg::TResultModel::kSpansRole).isValid());
        QVERIFY(ui->ListView->viewport()->grab().toImage() != marked);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier); // Ctrl+Z brings them back
        QVERIFY(window->Model()->index(0, 0).data(vg::TResultModel::kSpansRole).isValid());
    }

    // Unmatched cells are painted pixel for pixel as the default delegate paints them: backgrounds, the bold
    // group starts, the sort column, the selection, the focus and text cut short.
    void paintsAsTheDefaultDoes_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("sortColumn");
        QTest::addColumn<int>("narrow");
        QTest::newRow("by number") << QString() << 0 << 200;
        QTest::newRow("by street, cut short") << QString() << 1 << 60;
        QTest::newRow("by subscriber, everything cut short") << QString() << 4 << 25;
        QTest::newRow("a few rows") << QStringLiteral("иванова лени") << 2 << 80;
        QTest::newRow("one row") << QStringLiteral("константинопольский") << 0 << 80;
    }
    void paintsAsTheDefaultDoes() {
        QFETCH(QString, box);
        QFETCH(int, sortColumn);
        QFETCH(int, narrow);
        ui->mnClear->trigger();
        if (!box.isEmpty()) Search(Box(), box);
        window->Model()->SetHighlight(nullptr);
        window->ListViewColumnClick(sortColumn);
        for (int c = 0; c < 4; ++c)
            ui->ListView->setColumnWidth(c, narrow);
        window->Results().FocusList();
        QTest::keyClick(ui->ListView, Qt::Key_Down);
        QTest::keyClick(ui->ListView, Qt::Key_Down);
        QAbstractItemDelegate* ours = ui->ListView->itemDelegate();
        const QImage drawn = ui->ListView->viewport()->grab().toImage();
        // The view's own grid and background as well, under those drawn for it.
        QStyledItemDelegate plain;
        ui->ListView->setItemDelegate(&plain);
        ui->ListView->setGridStyle(Qt::SolidLine);
        ui->ListView->viewport()->setAutoFillBackground(true);
        ui->ListView->viewport()->setAttribute(Qt::WA_OpaquePaintEvent, false);
        const QImage expected = ui->ListView->viewport()->grab().toImage();
        ui->ListView->setItemDelegate(ours);
        ui->ListView->setGridStyle(Qt::NoPen);
        ui->ListView->viewport()->setAutoFillBackground(false);
        ui->ListView->viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
        if (drawn != expected) {
            drawn.save(QDir::temp().filePath(QStringLiteral("hilite-drawn.png")));
            expected.save(QDir::temp().filePath(QStringLiteral("hilite-expected.png")));
        }
        QVERIFY(drawn == expected);
    }
};

int main(int argc, char** argv) {
    // The searches are remembered in the settings of a folder of the test's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    BoxTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "box_test.moc"
