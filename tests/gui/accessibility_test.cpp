// What a screen reader hears, read from the bus by scripts/atspi-listen on a private X display (CMakeLists.txt).

#include "app/application.h"
#include "guitest.h"
#include "results/columnsort.h"
#include "results/view/qtext.h"
#include "results/view/resultmodel.h"
#include "ui_fmmain.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class AccessibilityTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TProgram> program;
    TFmMain* window = nullptr;
    Ui::FmMain* ui = nullptr;
    QProcess listener;
    QString heard; // the listener's lines since the last Forget

    // Waits, answering the listener's questions meanwhile, until it has heard `text`.
    bool Hear(const QString& text) {
        return QTest::qWaitFor([&] { return (heard += QString::fromUtf8(listener.readAll())).contains(text); }, 5000);
    }
    bool Hear(const char* type, int detail1, const char* role, const QString& name) {
        return Hear(QStringLiteral(R"({"type": "%1", "detail1": %2, "role": "%3", "name": "%4")")
                        .arg(QLatin1String(type), QString::number(detail1), QLatin1String(role), name));
    }
    // Forgets what was heard once the listener has taken in everything sent so far (it answers only then).
    void Forget() {
        listener.write("ping\n");
        QVERIFY(Hear(QStringLiteral("pong")));
        heard.clear();
    }

private slots:
    void initTestCase() {
        listener.start(QStringLiteral(VG_ATSPI_LISTEN), {QCoreApplication::applicationName()});
        QVERIFY2(Hear(QStringLiteral("ready")), listener.readAllStandardError().constData());
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000); // the toolkit has seen the reader and joined
        program = std::make_unique<TProgram>(nullptr);
        window = vg::test::StartShown(*program);
        QVERIFY(window);
        ui = window->Form();
    }

    void cleanupTestCase() {
        program.reset();
        listener.closeWriteChannel();
        if (!listener.waitForFinished(5000)) listener.kill();
    }

    // A search's outcome is a notification, heard wherever a reader's focus is (%1: the count, %2: the strip's first
    // suggestion), the counter's name changing; the keyboard stays. Rows: the subscriber ("содержит"), the keys after
    // "ЛЕН" in the street (none: as typed), what is heard (none: the sort's progress window by its text).
    void eachOutcomeIsHeardWhereTheKeyboardIs() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        using Row = std::tuple<const char*, QKeySequence, const char*>;
        for (const auto& [user, keys, said] :
             {Row{"", Qt::Key_Return, "Найдено %1"}, Row{"", {}, "Найдено %1"},
              Row{"bdfyjd", Qt::Key_Return, "Ничего не найдено. %2"}, Row{"", Qt::CTRL | Qt::Key_F2, nullptr},
              Row{nullptr, Qt::Key_Return, "Найдено %1"}}) { // none: "ЛЕН" in the box
            ui->mnSearchAsYouType->setChecked(false);
            ui->mnClearFilters->trigger();
            ui->mnClear->trigger();
            QVERIFY(vg::test::Reactivate(window));
            ui->cbfUser->setCurrentIndex(vg::ItemOf(vg::MatchCondition::Contains));
            vg::test::Type(ui->edUser, QString::fromUtf8(user));
            ui->mnSearchAsYouType->setChecked(keys.isEmpty());
            QWidget* field = user ? ui->edStreet : window->findChild<QWidget*>(QStringLiteral("edBox"));
            field->setFocus();
            Forget();
            vg::test::Type(field, QStringLiteral("ЛЕН"));
            QTest::keySequence(field, keys);
            QTRY_VERIFY(!said || ui->lbCnt->text() != QStringLiteral("45,129"));
            const auto* suggestion = window->findChild<QAbstractButton*>(QStringLiteral("Suggestion0"));
            const QString text = said ? QString::fromUtf8(said)
                                            .replace(QStringLiteral("%1"), ui->lbCnt->text())
                                            .replace(QStringLiteral("%2"), suggestion ? suggestion->text() : QString())
                                      : vg::ToQString(vg::SortInfoText());
            const char* const named = "object:property-change:accessible-name";
            QVERIFY2(said ? Hear("object:state-changed:showing", 1, "notification", text)
                          : Hear(named, 0, "filler", text),
                     qPrintable(heard));
            QVERIFY(!said || Hear(named, 0, "label", QStringLiteral("Абонентов в списке: ") + ui->lbCnt->text()));
            QCOMPARE(QApplication::focusWidget(), field);
            Forget();
            QVERIFY2(!heard.contains(QStringLiteral(R"("detail1": 1, "role": "table cell")")), qPrintable(heard));
            // The list's column headers, also when it is empty; asked without a warning (failOnWarning).
            listener.write(QStringLiteral("table Список абонентов\n").toUtf8());
            QStringList headers;
            for (int c = 0; c < 5; ++c)
                headers << QLatin1Char('"') + window->Model()->Caption(c) + QLatin1Char('"');
            QVERIFY2(Hear(QStringLiteral(R"("rows": %1, "columns": 5, "headers": [%2])")
                              .arg(window->Model()->rowCount())
                              .arg(headers.join(QStringLiteral(", ")))),
                     qPrintable(heard));
        }
    }
};

int main(int argc, char** argv) {
    QTemporaryDir config; // what the window remembers stays with the test
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    AccessibilityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "accessibility_test.moc"
