// Drives the real main window, headless, through many cycles of search, sort and clear with varied criteria,
// and reports the resident memory as it goes: it must stay flat.
//   scripts/soak [CYCLES]

#include "app/application.h"
#include "app/database.h"
#include "app/fmmain.h"
#include "app/fmsplash.h"
#include "app/resultpane.h"
#include "app/startup.h"
#include "ui_fmmain.h"

#include <QLineEdit>
#include <QMessageBox>

#include <cstdio>
#include <fstream>
#include <random>
#include <unistd.h>

namespace {

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE) / 1024;
}

void CloseMessages() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) box->close();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    // The headless platform remarks on every message box it cannot raise; the run's own lines are what count.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type >= QtCriticalMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    TApplication app(argc, argv);
    const long cycles = argc > 1 ? std::atol(argv[1]) : 10000;
    TProgram program(nullptr);
    int status = 0;
    if (!program.StartUp(status)) return status;
    TFmMain* window = program.FmMain();
    window->show();
    Ui::FmMain* ui = window->Form();
    std::mt19937 rng(2026);
    const QString streets[] = {
        QStringLiteral("ЛЕН"),    QStringLiteral("МИРА"), QStringLiteral("ПР."),  QStringLiteral("*СК*"),
        QStringLiteral("[А-Г]*"), QStringLiteral("1-Я"),  QStringLiteral("[0-9"), QString()};
    const QString users[] = {QStringLiteral("ИВАН"), QStringLiteral("ООО"), QStringLiteral("?ЕТ"), QString()};
    long first = 0;
    for (long i = 0; i < cycles; ++i) {
        ui->mnClearFilters->trigger();
        ui->cbfStreet->setCurrentIndex(static_cast<int>(rng() % 3));
        ui->edStreet->setText(streets[rng() % std::size(streets)]);
        ui->cbfUser->setCurrentIndex(static_cast<int>(rng() % 4));
        ui->edUser->setText(users[rng() % std::size(users)]);
        if (rng() % 3 == 0) {
            ui->cbfHouse->setCurrentIndex(4 + static_cast<int>(rng() % 4));
            ui->edHouse->setText(QString::number(rng() % 60));
        }
        ui->mnSearch->trigger();
        window->ListViewColumnClick(static_cast<int>(rng() % 5));
        if (rng() % 2) window->ListViewColumnClick(window->Results().SortColumn());
        if (i % 10 == 0) {
            ui->mnClear->trigger();
            window->ListViewColumnClick(static_cast<int>(rng() % 5));
        }
        CloseMessages();
        if (i == 99) first = ResidentKiB();
        if ((i + 1) % 1000 == 0 || i + 1 == cycles)
            std::printf("cycle %ld: resident %ld KiB, %d records listed\n", i + 1, ResidentKiB(),
                        program.FmMain()->Results().Count());
        std::fflush(stdout);
    }
    const long last = ResidentKiB();
    std::printf("resident after 100 cycles %ld KiB, at the end %ld KiB, growth %ld KiB\n", first, last, last - first);
    return 0;
}
