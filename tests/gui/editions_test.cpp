// Editions opened by argument, by Ctrl+O and at the next start, and refused; the progress delay; settings told.

#include "app/application.h"
#include "app/database.h"
#include "app/fmsplash.h"
#include "app/resultpane.h"
#include "app/settings.h"
#include "directory/writer.h"
#include "guitest.h"
#include "results/view/qtext.h"
#include "results/view/resultmodel.h"
#include "ui_fmmain.h"
#include "widgets/glprogress.h"

#include <QFileDialog>
#include <QtTest>

#include <unistd.h>

using vg::test::W;

class EditionsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    vg::test::RecordingPlayer sound;

    QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    void Write(const char* name, const std::string& bytes) const {
        QFile file(Path(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes.data(), qint64(bytes.size())) > 0);
    }
    // Every row of the window's list as "phone|street|house|flat|user".
    static QStringList Rows(TFmMain* window) {
        QStringList rows;
        const vg::TResultModel* model = window->Model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < 5; ++c)
                cells << model->data(model->index(r, c), Qt::DisplayRole).toString();
            cells[0].remove(QLatin1Char('-')); // the phone as stored
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }
    static QStringList Rows(const std::vector<vg::DirectoryRecord>& records) {
        QStringList rows;
        for (const vg::DirectoryRecord& r : records)
            rows << vg::ToQString(r.phone + '|' + r.street + '|' + r.house + '|' + r.flat + '|' + r.user);
        return rows;
    }

private slots:
    void initTestCase() {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs); // the dialog's own widgets, for the test
        QVERIFY(dir.isValid());
    }

    void editionsOpenRefuseAndComeBack() {
        // Ten records as the publisher packs them, and a second edition of five.
        std::vector<vg::DirectoryRecord> ten;
        const char* streets[] = {"МИРА", "ЛЕНИНА", "САДОВАЯ"};
        for (int i = 0; i < 10; ++i)
            ten.push_back({std::to_string(20100 + i * 7), W(streets[i % 3]), std::to_string(i + 1), i % 2 ? "" : "4",
                           W(("АБОНЕНТ " + std::to_string(10 - i)).c_str())});
        const std::vector<vg::DirectoryRecord> five(ten.begin() + 2, ten.begin() + 7);
        const std::string packed = vg::PackDirectory(ten);
        Write("ten.rcd", packed);
        Write("five.rcd", vg::PackDirectory(five));
        Write("cut.rcd", packed.substr(0, packed.size() - 9));
        Write("noise.rcd", std::string(300, 'Z'));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.rcd")));
        settings::Edition.Write(QString());

        // vetlograd09 ten.rcd: exactly those ten, named in the title and the status line.
        auto program =
            std::make_unique<TProgram>(&sound, BuiltinDirectoryResource, TStartEditions{Path("ten.rcd"), true, {}});
        TFmMain* window = vg::test::StartShown(*program);
        QVERIFY(window);
        Ui::FmMain* ui = window->Form();
        QCOMPARE(Rows(window), Rows(ten));
        QCOMPARE(window->windowTitle(), QStringLiteral("09-Ветлоград — ten.rcd"));
        const QString time = QFileInfo(Path("ten.rcd")).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
        QCOMPARE(ui->lbEdition->text(), QStringLiteral("Справочник «ten.rcd», 10 записей, от ") + time);
        QCOMPARE(settings::Edition.Read(), Path("ten.rcd"));

        // Search, sort and reload work on it as on the built-in one.
        vg::test::Type(ui->edStreet, QStringLiteral("МИРА"));
        ui->mnSearch->trigger();
        QCOMPARE(Rows(window), Rows({ten[0], ten[3], ten[6], ten[9]}));
        window->ListViewColumnClick(4); // by subscriber: "АБОНЕНТ 1", "АБОНЕНТ 10", "АБОНЕНТ 4", "АБОНЕНТ 7"
        QCOMPARE(Rows(window), Rows({ten[9], ten[0], ten[6], ten[3]}));
        ui->mnClearFilters->trigger();
        ui->mnClear->trigger();
        QCOMPARE(Rows(window), Rows(ten));

        // Ctrl+O: the dialog, a file chosen in it, and the five in the window.
        QString dialogTitle;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->objectName(), QStringLiteral("OpenEditionDialog"));
            dialogTitle = dialog->windowTitle();
            QCOMPARE(dialog->labelText(QFileDialog::Reject), QStringLiteral("Отмена"));    // the toolkit's words too
            QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath()); // where the last came from
            dialog->selectFile(Path("five.rcd"));
            static_cast<QDialog*>(dialog)->accept(); // as the Open button does
        });
        QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogTitle, QStringLiteral("Открыть справочник"));
        QCOMPARE(Rows(window), Rows(five));
        QCOMPARE(window->windowTitle(), QStringLiteral("09-Ветлоград — five.rcd"));
        QVERIFY(ui->lbEdition->text().startsWith(QStringLiteral("Справочник «five.rcd», 5 записей, от ")));
        QVERIFY(ui->mnOpen->toolTip().contains(QStringLiteral("Ctrl+O")));

        // Refused, each with its reason in Russian; the five stay, and stay remembered.
        for (auto [file, reason] : {std::pair{"none.rcd", "такого файла нет"},
                                    {"folder.rcd", "это папка"},
                                    {"cut.rcd", "данные"},
                                    {"noise.rcd", "данные повреждены"}}) {
            QVERIFY(!window->OpenEdition(Path(file)));
            const QStringList told = vg::test::CloseMessages();
            QCOMPARE(told.size(), 1);
            const QString head =
                QStringLiteral("Справочник «%1» не открыт: %2").arg(QString::fromUtf8(file), QString::fromUtf8(reason));
            QVERIFY2(told[0].startsWith(head), qPrintable(told[0]));
            QVERIFY2(told[0].endsWith(QStringLiteral("В окне остался справочник «five.rcd».")), qPrintable(told[0]));
            QCOMPARE(Rows(window), Rows(five));
            QCOMPARE(window->windowTitle(), QStringLiteral("09-Ветлоград — five.rcd"));
            ui->mnClear->trigger(); // the reload too is of the five
            QCOMPARE(Rows(window), Rows(five));
        }
        QCOMPARE(settings::Edition.Read(), Path("five.rcd"));
        program.reset();

        // The next start opens the last file again; once it is gone, the package's edition, else the built-in
        // one, each with a word in the status line.
        const QString gone = QStringLiteral("Справочник «%1» не найден").arg(Path("five.rcd"));
        struct Start {
            QString system, title, note; // what the start took, and what the status line says after its figures
            int count;
        } starts[] = {{{}, QStringLiteral("five.rcd"), {}, 5},
                      {Path("ten.rcd"), QStringLiteral("ten.rcd"), gone + QLatin1Char('.'), 10},
                      {Path("cut.rcd"), QStringLiteral("встроенный справочник"),
                       gone + QStringLiteral("; справочник «cut.rcd» не открыт: данные"), 45129}};
        for (const Start& s : starts) {
            program = std::make_unique<TProgram>(&sound, BuiltinDirectoryResource, TStartEditions{{}, true, s.system});
            window = vg::test::StartShown(*program);
            QVERIFY(window);
            QCOMPARE(window->Results().Count(), s.count);
            QCOMPARE(window->windowTitle(), QStringLiteral("09-Ветлоград — ") + s.title);
            const QString status = window->Results().Edition();
            QVERIFY2(s.note.isEmpty() ? !status.contains(QStringLiteral(". ")) : status.contains(s.note),
                     qPrintable(status));
            window->resize(620, 420); // the note first, cut before what the list was found with, which stays whole
            const auto* found = window->findChild<QLabel*>(QStringLiteral("lbFoundWith"));
            QTRY_VERIFY(window->width() == 620 && found->text() == window->Results().FoundWith());
            QVERIFY(window->Form()->lbEdition->geometry().right() < found->x() &&
                    status.startsWith(window->Form()->lbEdition->text().remove(QChar(0x2026))));
            program.reset();
            if (s.count == 5) QVERIFY(QFile::remove(Path("five.rcd")));
        }
    }

    void theProgressWindowShowsOnlyForWorkPastItsDelay() {
        TFmSplash progress;
        progress.SetShowDelay(TFmSplash::kShowDelayMs);
        bool timerRan = false;
        QTimer timer; // due at once, yet never run inside the work
        connect(&timer, &QTimer::timeout, this, [&] { timerRan = true; });
        timer.start(1);
        for (auto [ms, shown] : {std::pair{20, false}, {TFmSplash::kShowDelayMs + 30, true}, {5, false}}) {
            const int paints = progress.Bar()->PaintCount();
            progress.SetInfoText(QStringLiteral("Поиск в базе данных ..."));
            progress.ProgressCallback(0, 100);
            progress.ShowNow();
            for (int step = 1; step <= 10; ++step) { // the thread busy, reporting as it goes
                QTest::qSleep(ms / 10 + 1);
                progress.ProgressCallback(step * 10, 100);
            }
            QCOMPARE(progress.isVisible(), shown);
            QCOMPARE(progress.Bar()->PaintCount() > paints, shown); // and painted while the thread was busy
            QVERIFY(!timerRan);                                     // the window system's events were taken, no timer's
            progress.HideNow();
        }
        QTRY_VERIFY(timerRan); // held back, not lost
    }

    void settingsThatCannotBeWrittenAreToldOnce() {
        // The settings' folder under a plain file: it can never be made.
        Write("plain", "x");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Path("plain/config"));
        QTemporaryFile err;
        QVERIFY(err.open());
        std::fflush(stderr);
        const int saved = ::dup(2);
        ::dup2(err.handle(), 2);
        settings::SearchAsYouType.Write(true);
        settings::Edition.Write(Path("ten.rcd"));
        settings::SearchAsYouType.Write(false);
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
        err.seek(0);
        const QString told = QString::fromLocal8Bit(err.readAll());
        QCOMPARE(told.count(QStringLiteral("vetlograd09: the settings cannot be written to ") + Path("plain/config")),
                 1);
    }
};

int main(int argc, char** argv) {
    QTemporaryDir config; // what the window remembers, in a folder of the test's own
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    EditionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editions_test.moc"
