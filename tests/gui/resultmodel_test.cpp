// The result list's model through the real view: Qt's model tester watches every change, and damaged records
// (fewer than four lines, none at all) are painted with their missing fields empty.
#include "directory/errors.h"
#include "results/columnsort.h"
#include "results/view/resultmodel.h"
#include "results/view/resultview.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QHeaderView>
#include <QScrollBar>
#include <QtTest>

namespace {

// A record with the given key and lines, each line ended by CR LF as the directory stores them.
std::unique_ptr<vg::TString> Record(const std::string& key, const std::vector<std::string>& lines) {
    auto r = std::make_unique<vg::TString>(key);
    r->SetLines(lines);
    return r;
}

QStringList Texts(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* t : texts)
        list << QString::fromUtf8(t);
    return list;
}

// A step the operator takes in the list: keys, or the list published anew with another number of rows.
struct Step {
    QKeyCombination key;
    int rows = 0; // > 0: published with that many rows
};

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class ResultModelTest : public QObject {
    Q_OBJECT

private slots:
    void damagedRecordsShowMissingFieldsEmptyAndTheModelStaysConsistent() {
        vg::TStrContainer container;
        container.Append(Record("12345", {"LENINA", "5", "12", "IVANOV"}));
        container.Append(Record("234567", {"MIRA"}));
        container.Append(Record("", {}));
        container.Append(Record("34567", {"", "7"}));
        // The fields as the list must show them, written out by hand.
        const QStringList expected[] = {Texts({"1-23-45", "LENINA", "5", "12", "IVANOV"}),
                                        Texts({"23-45-67", "MIRA", "", "", ""}), Texts({"", "", "", "", ""}),
                                        Texts({"3-45-67", "", "7", "", ""})};

        vg::TResultModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.SetContainer(&container);
        model.SetRowCount(container.Count());
        vg::TResultView view;
        view.SetResultModel(&model);
        view.resize(600, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        for (int sortColumn = 0; sortColumn < 5; ++sortColumn) {
            model.SetSortColumn(sortColumn);
            // Painting asks for every role of every visible cell: it must come back, not throw.
            QVERIFY(!view.grab().isNull());
            for (int row = 0; row < container.Count(); ++row) {
                const vg::TString* r = container.GetItem(row);
                int original = r->Key() == "12345" ? 0 : r->Key() == "234567" ? 1 : r->Key().empty() ? 2 : 3;
                QCOMPARE(model.RowTexts(row), expected[original]);
                for (int column = 0; column < 5; ++column) {
                    const QModelIndex index = model.index(row, column);
                    const QVariant font = model.data(index, Qt::FontRole);
                    const QVariant background = model.data(index, Qt::BackgroundRole);
                    QVERIFY(background.isValid());
                    // A group's first row is bold and green, both or neither.
                    const bool green = background.value<QBrush>().color() == QColor(vg::TResultModel::kGroupStart);
                    QCOMPARE(font.isValid(), green);
                    QVERIFY(!font.isValid() || font.value<QFont>().bold());
                }
            }
            // A sort by any column fails on the damaged records (a record compared with itself, the pivot, reads
            // every field of the chain); the list is still drawn afterwards.
            bool failed = false;
            try {
                vg::SortByColumn(container, sortColumn, true);
            } catch (const vg::EListError&) {
                failed = true;
            }
            QVERIFY(failed);
            model.RowsReordered();
            QVERIFY(!view.grab().isNull());
            // Type-ahead over the damaged rows finds nothing in a field they lack, and does not fail.
            view.setFocus();
            QTest::keyClicks(&view, QStringLiteral("Z"));
        }
        // Fewer rows published than the container holds, then more: rows beyond the records stay empty.
        model.SetRowCount(2);
        QCOMPARE(model.rowCount(), 2);
        model.SetRowCount(6);
        QCOMPARE(model.RowTexts(5), Texts({"", "", "", "", ""}));
        QVERIFY(!view.grab().isNull());
        model.SetRowCount(0);
        QCOMPARE(model.rowCount(), 0);
    }

    // Millions of rows, their places worked out rather than kept per row: keys, scrolling, selection and the
    // cell under a point come out as in a plain table, which keeps every row in its row header.
    void millionsOfRowsMoveAsInAPlainTable_data() {
        QTest::addColumn<QList<Step>>("steps");
        const QKeyCombination end(Qt::ControlModifier, Qt::Key_End), home(Qt::ControlModifier, Qt::Key_Home);
        const QKeyCombination down(Qt::Key_Down), pageUp(Qt::Key_PageUp), pageDown(Qt::Key_PageDown);
        QTest::newRow("to the last row") << QList<Step>{{end}};
        QTest::newRow("a page up and a row up from the last") << QList<Step>{{end}, {pageUp}, {Qt::Key_Up}};
        QTest::newRow("pages down, then a selection down") << QList<Step>{
            {pageDown}, {pageDown}, {pageDown}, {QKeyCombination(Qt::ShiftModifier, Qt::Key_Down)}, {down}};
        QTest::newRow("everything selected") << QList<Step>{{end}, {QKeyCombination(Qt::ControlModifier, Qt::Key_A)}};
        QTest::newRow("from the last row to the first, selecting")
            << QList<Step>{{end}, {QKeyCombination(Qt::ShiftModifier | Qt::ControlModifier, Qt::Key_Home)}};
        QTest::newRow("across the row") << QList<Step>{{down}, {Qt::Key_End}, {Qt::Key_Left}, {Qt::Key_Home}};
        QTest::newRow("at the end, fewer rows, then many again")
            << QList<Step>{{end}, {{}, 1000}, {end}, {{}, 3'000'000}, {pageUp}};
        QTest::newRow("back to the top") << QList<Step>{{pageDown}, {end}, {home}};
    }
    void millionsOfRowsMoveAsInAPlainTable() {
        QFETCH(QList<Step>, steps);
        vg::TStrContainer container;
        container.Append(Record("12345", {"LENINA", "5", "12", "IVANOV"}));
        vg::TResultModel model;
        model.SetContainer(&container);
        model.SetRowCount(2'500'000);
        vg::TResultView view;
        view.SetResultModel(&model);
        QTableView plain;
        plain.setModel(&model);
        plain.verticalHeader()->hide();
        plain.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        plain.verticalHeader()->setDefaultSectionSize(view.RowHeight());
        plain.setSelectionBehavior(QAbstractItemView::SelectRows);
        plain.setSelectionMode(QAbstractItemView::ExtendedSelection);
        for (QTableView* table : {static_cast<QTableView*>(&view), &plain}) {
            table->resize(640, 300);
            table->show();
            QVERIFY(QTest::qWaitForWindowExposed(table));
            table->setCurrentIndex(model.index(0, 0));
        }
        for (int c = 0; c < vg::kColumnCount; ++c)
            plain.setColumnWidth(c, view.columnWidth(c));
        QCoreApplication::processEvents();
        QCOMPARE(view.viewport()->size(), plain.viewport()->size());
        for (const Step& step : steps) {
            if (step.rows > 0)
                model.SetRowCount(step.rows);
            else
                for (QTableView* table : {static_cast<QTableView*>(&view), &plain})
                    QTest::keyClick(table, step.key.key(), step.key.keyboardModifiers());
            QCoreApplication::processEvents();
            const QModelIndex current = view.currentIndex();
            QCOMPARE(current, plain.currentIndex());
            QCOMPARE(view.verticalScrollBar()->maximum(), plain.verticalScrollBar()->maximum());
            QCOMPARE(view.verticalScrollBar()->value(), plain.verticalScrollBar()->value());
            QCOMPARE(view.visualRect(current), plain.visualRect(current));
            QCOMPARE(view.rowViewportPosition(current.row()), plain.rowViewportPosition(current.row()));
            QCOMPARE(view.selectionModel()->selection(), plain.selectionModel()->selection());
            for (int y : {0, view.viewport()->height() / 2, view.viewport()->height() - 1})
                QCOMPARE(view.indexAt(QPoint(200, y)), plain.indexAt(QPoint(200, y)));
        }
        QVERIFY(!view.grab().isNull());
    }
};

QTEST_MAIN(ResultModelTest)
#include "resultmodel_test.moc"
