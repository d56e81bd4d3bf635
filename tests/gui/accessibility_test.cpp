// What a screen reader hears, read from the accessibility bus by a listener of its own (atspi_listener.py): the
// outcome of every search without the keyboard leaving the field, the counter's number, the progress window by
// its text, and the headers of an empty list. Runs on a private X display and session bus (see CMakeLists.txt).

#include "app/application.h"
#include "app/fmmain.h"
#include "app/fmsplash.h"
#include "app/startup.h"
#include "guitest.h"
#include "results/columnsort.h"
#include "results/view/qtext.h"
#include "results/view/resultmodel.h"
#include "ui_fmmain.h"

#include <QAccessible>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

using vg::test::Type;

namespace {

QStringList warnings;
QtMessageHandler previousHandler = nullptr;

void KeepWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg) warnings << message;
    previousHandler(type, context, message);
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private:
    vg::test::RecordingPlayer sound;
    std::unique_ptr<TProgram> program;
    TFmMain* window = nullptr;
    Ui::FmMain* ui = nullptr;
    QProcess listener;
    QList<QJsonObject> heard;

    void Listen() {
        while (listener.canReadLine())
            heard << QJsonDocument::fromJson(listener.readLine()).object();
    }
    // Waits, answering the listener's questions meanwhile, until it has heard what `wanted` picks, or 5 s.
    template <typename Pick> QJsonObject Hear(Pick wanted) {
        QJsonObject found;
        (void)QTest::qWaitFor(
            [&] {
                Listen();
                for (const QJsonObject& e : heard)
                    if (wanted(e)) {
                        found = e;
                        return true;
                    }
                return false;
            },
            5000);
        return found;
    }
    static bool Is(const QJsonObject& e, const char* type, const char* role) {
        return e[QStringLiteral("type")].toString() == QLatin1String(type) &&
               e[QStringLiteral("role")].toString() == QLatin1String(role);
    }
    // Waits until the listener has taken in everything sent so far: it answers a question only when no event waits.
    void Drain() {
        listener.write("ping\n");
        const auto answer = [](const QJsonObject& e) { return e[QStringLiteral("type")] == QStringLiteral("pong"); };
        QVERIFY(!Hear(answer).isEmpty());
        heard.removeIf(answer);
    }
    void Forget() {
        Drain();
        heard.clear();
    }
    QString Heard() const {
        QStringList lines;
        for (const QJsonObject& e : heard)
            lines << QString::fromUtf8(QJsonDocument(e).toJson(QJsonDocument::Compact));
        return lines.join(QLatin1Char('\n'));
    }
    QString Counted() const { return ui->lbCnt->text(); }

private slots:
    void initTestCase() {
        previousHandler = qInstallMessageHandler(KeepWarnings);
        listener.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(VG_ATSPI_LISTENER), QCoreApplication::applicationName()});
        QVERIFY2(listener.waitForStarted(), "python3 with python3-pyatspi is needed");
        QVERIFY2(QTest::qWaitFor([this] { return listener.canReadLine(); }, 10000),
                 listener.readAllStandardError().constData());
        QCOMPARE(listener.readLine().trimmed(), QByteArrayLiteral(R"({"type": "ready"})"));
        // The toolkit notices the screen reader and joins the bus.
        QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
        program = std::make_unique<TProgram>(&sound);
        window = vg::test::StartShown(*program);
        QVERIFY(window);
        ui = window->Form();
    }

    void cleanupTestCase() {
        program.reset();
        listener.closeWriteChannel();
        if (!listener.waitForFinished(5000)) listener.kill();
        qInstallMessageHandler(previousHandler);
    }

    void init() {
        QVERIFY(vg::test::Reactivate(window));
        ui->mnSearchAsYouType->setChecked(false);
        ui->mnClearFilters->trigger();
        ui->edStreet->setFocus();
        QTRY_VERIFY(ui->edStreet->hasFocus());
        warnings.clear();
    }

    // Each search, by Enter or as the operator types, is announced by a notification that a screen reader speaks
    // wherever its focus is; the counter's name carries the number and says when it changes; the keyboard and
    // the reader's focus stay in the field.
    void theOutcomeOfASearchIsHeardWhereTheKeyboardIs_data() {
        QTest::addColumn<QString>("street");
        QTest::addColumn<QString>("user");
        QTest::addColumn<bool>("asTyped");
        QTest::addColumn<QString>("announced");
        QTest::newRow("found by Enter") << QStringLiteral("ЛЕНИН") << QString() << false << QStringLiteral("Найдено ");
        QTest::newRow("found as typed") << QStringLiteral("ЛЕНИН") << QString() << true << QStringLiteral("Найдено ");
        QTest::newRow("nothing, with a way out") << QStringLiteral("ЛЕН") << QStringLiteral("bdfyjd") << false
                                                 << QStringLiteral("Ничего не найдено. Ctrl+Enter: ");
    }

    void theOutcomeOfASearchIsHeardWhereTheKeyboardIs() {
        QFETCH(QString, street);
        QFETCH(QString, user);
        QFETCH(bool, asTyped);
        QFETCH(QString, announced);
        ui->mnClear->trigger();
        QVERIFY(vg::test::Reactivate(window));
        ui->edStreet->setFocus();
        ui->mnSearchAsYouType->setChecked(asTyped);
        ui->cbfUser->setCurrentIndex(vg::ItemOf(vg::MatchCondition::Contains));
        Type(ui->edUser, user);
        Forget();
        Type(ui->edStreet, street);
        if (!asTyped) QTest::keyClick(ui->edStreet, Qt::Key_Return);
        const QJsonObject note = Hear([&](const QJsonObject& e) {
            return Is(e, "object:state-changed:showing", "notification") && e[QStringLiteral("detail1")].toInt() == 1 &&
                   e[QStringLiteral("name")].toString().startsWith(announced);
        });
        QVERIFY2(!note.isEmpty(), qPrintable(Heard()));
        const QString name = note[QStringLiteral("name")].toString();
        if (announced.startsWith(QStringLiteral("Найдено")))
            QCOMPARE(name, QStringLiteral("Найдено ") + Counted());
        else
            QCOMPARE(name, announced + window->findChild<QWidget*>(QStringLiteral("Suggestion0"))
                                           ->property("text")
                                           .toString()
                                           .mid(QStringLiteral("Ctrl+Enter: ").size()));
        const QJsonObject counter = Hear([this](const QJsonObject& e) {
            return Is(e, "object:property-change:accessible-name", "label") &&
                   e[QStringLiteral("name")].toString() == QStringLiteral("Абонентов в списке: ") + Counted();
        });
        QVERIFY2(!counter.isEmpty(), qPrintable(Heard()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui->edStreet));
        // Nothing else was said to have the focus: not the list, not its first cell.
        Drain();
        for (const QJsonObject& e : heard)
            QVERIFY2(!(e[QStringLiteral("type")] == QStringLiteral("object:state-changed:focused") &&
                       e[QStringLiteral("detail1")].toInt() == 1 &&
                       e[QStringLiteral("role")].toString().startsWith(QStringLiteral("table"))),
                     QJsonDocument(e).toJson(QJsonDocument::Compact).constData());
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    }

    // The progress window is spoken by what it says, not by the name of its class.
    void theProgressWindowIsNamedByItsText() {
        ui->mnClear->trigger();
        QVERIFY(vg::test::Reactivate(window));
        ui->ListView->setFocus();
        Forget();
        QTest::keyClick(ui->ListView, Qt::Key_F2, Qt::ControlModifier); // sort by street: the progress window
        const QString info = vg::ToQString(vg::SortInfoText());
        const QJsonObject shown = Hear([&](const QJsonObject& e) {
            return e[QStringLiteral("name")].toString() == info && e[QStringLiteral("role")] != QStringLiteral("label");
        });
        QVERIFY2(!shown.isEmpty(), qPrintable(Heard()));
        for (const QJsonObject& e : heard)
            QVERIFY(e[QStringLiteral("name")].toString() != QStringLiteral("FmSplash"));

        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
    }
};

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    AccessibilityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "accessibility_test.moc"
