// The result list's model through the real view: Qt's model tester watches every change, and damaged records
// (fewer than four lines, none at all) are painted with their missing fields empty.
#include "directory/errors.h"
#include "results/columnsort.h"
#include "results/view/resultmodel.h"
#include "results/view/resultview.h"

#include <QAbstractItemModelTester>
#include <QBrush>
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

} // namespace

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
};

QTEST_MAIN(ResultModelTest)
#include "resultmodel_test.moc"
