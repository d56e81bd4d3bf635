// The one box through the real window: where the focus starts, spoken texts finding their records, the box and
// the criteria replacing each other, recall across restarts and undo after F8.

#include "app/application.h"
#include "app/boxpanel.h"
#include "app/criteriapanel.h"
#include "app/fmmain.h"
#include "app/startup.h"
#include "guitest.h"
#include "results/view/resultmodel.h"
#include "ui_fmmain.h"

#include <QLineEdit>
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
