// The operator's view of speed: a search through the real window, from the click to the repainted list, and a
// sort by street from the header click to the repainted list. Headless (offscreen).
//   QT_QPA_PLATFORM=offscreen build-bench/bench/window_bench

#include "app/application.h"
#include "app/database.h"
#include "app/fmmain.h"
#include "app/startup.h"
#include "ui_fmmain.h"

#include <benchmark/benchmark.h>

#include <QLineEdit>

namespace {

TProgram* Program = nullptr;

TFmMain* Window() {
    return Program->FmMain();
}
Ui::FmMain* Form() {
    return Window()->Form();
}

void BM_WindowSearch(benchmark::State& state) {
    const QString texts[] = {QStringLiteral("ЛЕН"), QStringLiteral("МИРА"), QString()};
    Form()->mnClearFilters->trigger();
    Form()->edStreet->setText(texts[state.range(0)]);
    for (auto _ : state)
        Form()->mnSearch->trigger(); // runs, refreshes and repaints before it returns
    state.counters["listed"] = Program->Database().ResultCount;
    state.SetLabel(state.range(0) == 2 ? "all fields empty" : texts[state.range(0)].toStdString());
}
BENCHMARK(BM_WindowSearch)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_WindowSortByStreet(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Form()->mnClear->trigger(); // the whole directory in stored order, marker on column 0
        state.ResumeTiming();
        Window()->ListViewColumnClick(1);
    }
    state.counters["listed"] = Program->Database().ResultCount;
}
BENCHMARK(BM_WindowSortByStreet)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    TProgram program(nullptr);
    Program = &program;
    int status = 0;
    if (!program.StartUp(status)) return status;
    Window()->resize(1280, 800);
    Window()->show();
    QCoreApplication::processEvents();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
