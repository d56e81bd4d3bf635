// Editions: the directory files the window opens, by argument, by Ctrl+O and at the next start, and the files it
// refuses; the progress window's delay; settings that cannot be written.

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

#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

using vg::test::CloseMessages;
using vg::test::W;

class EditionsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    vg::test::RecordingPlayer sound;

    QString Path(const QString& name) const { return dir.filePath(name); }
    static void Write(const QString& path, const std::string& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
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
            rows << QStringList{QString::fromStdString(r.phone), vg::ToQString(r.street), vg::ToQString(r.house),
                                vg::ToQString(r.flat), vg::ToQString(r.user)}
                        .join(QLatin1Char('|'));
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
        Write(Path(QStringLiteral("ten.rcd")), vg::PackDirectory(ten));
        Write(Path(QStringLiteral("five.rcd")), vg::PackDirectory(five));
        std::string cut = vg::PackDirectory(ten);
        cut.resize(cut.size() - 9);
        Write(Path(QStringLiteral("cut.rcd")), cut);
        Write(Path(QStringLiteral("noise.rcd")), std::string(300, '\x5a'));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.rcd")));
        settings::Edition.Write(QString());

        // vetlograd09 ten.rcd: exactly those ten, named in the title and the status line.
        auto program = std::make_unique<TProgram>(&sound, BuiltinDirectoryResource,
                                                  TStartEditions{Path(QStringLiteral("ten.rcd")), true, {}});
        TFmMain* window = vg::test::StartShown(*program);
        QVERIFY(window);
        Ui::FmMain* ui = window->Form();
        QCOMPARE(Rows(window), Rows(ten));
        QCOMPARE(window->windowTitle(), QStringLiteral("09-Ветлоград — ten.rcd"));
        const QString time =
            QFileInfo(Path(QStringLiteral("ten.rcd"))).lastModified().toString(QStringLiteral("dd.MM.yyyy HH:mm"));
        QCOMPARE(ui->lbEdition->text(), QStringLiteral("Справочник «ten.rcd», 10 записей, от ") + time);
        QCOMPARE(settings::Edition.Read(), Path(QStringLiteral("ten.rcd")));

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
            QCOMPARE(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath()); // where the last came from
            dialog->selectFile(Path(QStringLiteral("five.rcd")));
            static_cast<QDialog*>(dialog)->accept(); // as the Open button does
        });
        QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(dialogTitle, QStringLiteral("Открыть справочник"));
        QCOMPARE(Rows(window), Rows(five));
        QCOMPARE(window->windowTitle(), QStringLiteral("09-Ветлоград — five.rcd"));
        QVERIFY(ui->lbEdition->text().startsWith(QStringLiteral("Справочник «five.rcd», 5 записей, от ")));
        QVERIFY(ui->mnOpen->toolTip().contains(QStringLiteral("Ctrl+O")));

        // Refused, each with its reason in Russian; the five stay, and stay remembered.
        struct Refusal {
            QString file, reason;
        };
        for (const Refusal& r : {Refusal{QStringLiteral("none.rcd"), QStringLiteral("такого файла нет")},
                                 Refusal{QStringLiteral("folder.rcd"), QStringLiteral("это папка")},
                                 Refusal{QStringLiteral("cut.rcd"), QStringLiteral("данные")},
                                 Refusal{QStringLiteral("noise.rcd"), QStringLiteral("данные повреждены")}}) {
            QVERIFY(!window->OpenEdition(Path(r.file)));
            const QStringList told = CloseMessages();
            QCOMPARE(told.size(), 1);
            const QString head = QStringLiteral("Справочник «%1» не открыт: %2").arg(r.file, r.reason);
            QVERIFY2(told[0].startsWith(head), qPrintable(told[0]));
            QVERIFY2(told[0].endsWith(QStringLiteral("В окне остался справочник «five.rcd».")), qPrintable(told[0]));
            QCOMPARE(Rows(window), Rows(five));
            QCOMPARE(window->windowTitle(), QStringLiteral("09-Ветлоград — five.rcd"));
            ui->mnClear->trigger(); // the reload too is of the five
            QCOMPARE(Rows(window), Rows(five));
        }
        QCOMPARE(settings::Edition.Read(), Path(QStringLiteral("five.rcd")));
        program.reset();

        // The next start opens the last file again; once it is gone, the package's edition, else the built-in
        // one, each with a word in the status line.
        struct Start {
            QString system;
            int count;
            QString title, note;
        };
        const QString gone = QStringLiteral(". Справочник «%1» не найден.").arg(Path(QStringLiteral("five.rcd")));
        for (const Start& s : {Start{{}, 5, QStringLiteral("five.rcd"), QString()},
                               Start{Path(QStringLiteral("ten.rcd")), 10, QStringLiteral("ten.rcd"), gone},
                               Start{Path(QStringLiteral("cut.rcd")), 45129, QStringLiteral("встроенный справочник"),
                                     gone.chopped(1) + QStringLiteral("; справочник «cut.rcd» не открыт: данные")}}) {
            program = std::make_unique<TProgram>(&sound, BuiltinDirectoryResource, TStartEditions{{}, true, s.system});
            window = vg::test::StartShown(*program);
            QVERIFY(window);
            QCOMPARE(window->Results().Count(), s.count);
            QCOMPARE(window->windowTitle(), QStringLiteral("09-Ветлоград — ") + s.title);
            const QString status = window->Form()->lbEdition->text();
            QVERIFY2(s.note.isEmpty() ? !status.contains(QStringLiteral(". ")) : status.contains(s.note),
                     qPrintable(status));
            program.reset();
            if (s.count == 5) QVERIFY(QFile::remove(Path(QStringLiteral("five.rcd"))));
        }
    }

    void theProgressWindowShowsOnlyForWorkPastItsDelay() {
        TFmSplash progress;
        progress.SetShowDelay(TFmSplash::kShowDelayMs);
        bool timerRan = false;
        QTimer timer; // due at once, yet never run inside the work
        timer.setSingleShot(true);
        timer.setInterval(1);
        connect(&timer, &QTimer::timeout, this, [&] { timerRan = true; });
        timer.start();
        struct Work {
            int ms;
            bool shown;
        };
        for (const Work& w : {Work{20, false}, Work{TFmSplash::kShowDelayMs + 30, true}, Work{5, false}}) {
            const int paints = progress.Bar()->PaintCount();
            progress.SetInfoText(QStringLiteral("Поиск в базе данных ..."));
            progress.ProgressCallback(0, 100);
            progress.ShowNow();
            for (int step = 1; step <= 10; ++step) { // the thread busy, reporting as it goes
                QTest::qSleep(w.ms / 10 + 1);
                progress.ProgressCallback(step * 10, 100);
            }
            QCOMPARE(progress.isVisible(), w.shown);
            QCOMPARE(progress.Bar()->PaintCount() > paints, w.shown); // and painted while the thread was busy
            QVERIFY(!timerRan); // the window system's events were taken, no timer's
            progress.HideNow();
        }
        QTRY_VERIFY(timerRan); // held back, not lost
    }

    void settingsThatCannotBeWrittenAreToldOnce() {
        // The settings' folder under a plain file: it can never be made.
        Write(Path(QStringLiteral("plain")), "x");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Path(QStringLiteral("plain/config")));
        QTemporaryFile err;
        QVERIFY(err.open());
        std::fflush(stderr);
        const int saved = ::dup(2);
        ::dup2(err.handle(), 2);
        settings::SearchAsYouType.Write(true);
        settings::Edition.Write(Path(QStringLiteral("ten.rcd")));
        settings::SearchAsYouType.Write(false);
        std::fflush(stderr);
        ::dup2(saved, 2);
        ::close(saved);
        err.seek(0);
        const QString told = QString::fromLocal8Bit(err.readAll());
        QCOMPARE(told.count(QStringLiteral("vetlograd09: the settings cannot be written to ")), 1);
        QVERIFY(told.contains(QStringLiteral("plain/config")));
    }
};

int main(int argc, char** argv) {
    // What the window remembers, in a folder of the test's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    TApplication app(argc, argv);
    EditionsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "editions_test.moc"
