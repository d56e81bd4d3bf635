// What a screen reader hears, read from the accessibility bus by scripts/atspi-listen: the outcome of every search
// without the keyboard leaving the field, the counter's number, and the progress window by its text. Runs on a
// private X display and session bus (see CMakeLists.txt).

#include "app/application.h"
#include "app/fmmain.h"
#include "app/startup.h"
#include "guitest.h"
#include "results/columnsort.h"
#include "results/view/qtext.h"
#include "ui_fmmain.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class AccessibilityTest : public QObject {
    Q_OBJECT

    vg::test::RecordingPlayer sound;
    std::unique_ptr<TProgram> program;
    TFmMain* window = nullptr;
    Ui::FmMain* ui = nullptr;
    QProcess listener;
    QByteArray heard; // the listener's lines so far

    // Waits, answering the listener's questions meanwhile, until it has heard an event of `type` with `name`, set
    // (detail1 1) when it is a state, by an object in `role` when one is given.
    bool Hear(const QString& type, const QString& name, const QString& role = {}) {
        const QString wanted =
            QStringLiteral(R"("type": "%1")").arg(type) +
            (type.contains(QStringLiteral("state")) ? QStringLiteral(R"(, "detail1": 1)") : QString());
        const QString named = (role.isEmpty() ? QString() : QStringLiteral(R"("role": "%1", )").arg(role)) +
                              QStringLiteral(R"("name": "%1")").arg(name);
        return QTest::qWaitFor(
            [&] {
                heard += listener.readAll();
                for (const QString& line : QString::fromUtf8(heard).split(QLatin1Char('\n')))
                    if (line.contains(wanted) && (name.isNull() || line.contains(named))) return true;
                return false;
            },
            5000);
    }
    // Forgets what was heard once the listener has taken in everything sent so far (it answers only then).
    void Forget() {
        listener.write("ping\n");
        QVERIFY(Hear(QStringLiteral("pong"), QString()));
        heard.clear();
    }
    QString Heard() const { return QString::fromUtf8(heard); }

private slots:
    void initTestCase() {
        listener.start(QStringLiteral(VG_ATSPI_LISTEN), {QCoreApplication::applicationName()});
        QVERIFY(listener.waitForStarted());
        QVERIFY2(Hear(QStringLiteral("ready"), QString()), listener.readAllStandardError().constData());
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000); // the toolkit has seen the reader and joined
        program = std::make_unique<TProgram>(&sound);
        window = vg::test::StartShown(*program);
        QVERIFY(window);
        ui = window->Form();
    }

    void cleanupTestCase() {
        program.reset();
        listener.closeWriteChannel();
        if (!listener.waitForFinished(5000)) listener.kill();
    }

    void theOutcomeOfASearchIsHeardWhereTheKeyboardIs_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("asTyped");
        QTest::newRow("found by Enter") << QString() << false;
        QTest::newRow("found as typed") << QString() << true;
        QTest::newRow("nothing, with a way out") << QStringLiteral("bdfyjd") << false;
    }

    // Each search is announced by a notification, which a reader speaks wherever its focus is; the counter's name
    // carries the number and changes with it; neither the keyboard nor the reader is sent to the list.
    void theOutcomeOfASearchIsHeardWhereTheKeyboardIs() {
        QFETCH(QString, user);
        QFETCH(bool, asTyped);
        QVERIFY(vg::test::Reactivate(window));
        ui->mnSearchAsYouType->setChecked(false);
        ui->mnClearFilters->trigger();
        ui->mnClear->trigger();
        QVERIFY(vg::test::Reactivate(window));
        ui->cbfUser->setCurrentIndex(vg::ItemOf(vg::MatchCondition::Contains));
        vg::test::Type(ui->edUser, user);
        ui->mnSearchAsYouType->setChecked(asTyped);
        ui->edStreet->setFocus();
        Forget();
        vg::test::Type(ui->edStreet, QStringLiteral("ЛЕН"));
        if (!asTyped) QTest::keyClick(ui->edStreet, Qt::Key_Return);
        QTRY_VERIFY(ui->lbCnt->text() != QStringLiteral("45,129"));
        const QString count = ui->lbCnt->text();
        const auto* suggestion = window->findChild<QAbstractButton*>(QStringLiteral("Suggestion0"));
        const QString said = user.isEmpty() ? QStringLiteral("Найдено ") + count
                                            : QStringLiteral("Ничего не найдено. ") + suggestion->text();
        QVERIFY2(Hear(QStringLiteral("object:state-changed:showing"), said, QStringLiteral("notification")),
                 qPrintable(Heard()));
        QVERIFY2(Hear(QStringLiteral("object:property-change:accessible-name"),
                      QStringLiteral("Абонентов в списке: ") + count, QStringLiteral("label")),
                 qPrintable(Heard()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui->edStreet));
        Forget();
        QVERIFY2(!Heard().contains(QStringLiteral(R"("detail1": 1, "role": "table cell")")), qPrintable(Heard()));
    }

    // The progress window is spoken by what it says, not by the name of its class.
    void theProgressWindowIsNamedByItsText() {
        QVERIFY(vg::test::Reactivate(window));
        Forget();
        QTest::keyClick(window, Qt::Key_F2, Qt::ControlModifier); // sort by street: the progress window shows
        QVERIFY2(Hear(QStringLiteral("object:property-change:accessible-name"), vg::ToQString(vg::SortInfoText()),
                      QStringLiteral("filler")),
                 qPrintable(Heard()));
        QVERIFY(!Heard().contains(QStringLiteral("FmSplash")));
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
