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

Ui::FmMain* Form() {
    return FmMain->Form();
}

void BM_WindowSearch(benchmark::State& state) {
    const QString texts[] = {QStringLiteral("ЛЕН"), QStringLiteral("МИРА"), QString()};
    Form()->mnClearFilters->trigger();
    Form()->edStreet->setText(texts[state.range(0)]);
    for (auto _ : state)
        Form()->mnSearch->trigger(); // runs, refreshes and repaints before it returns
    state.counters["listed"] = ResultCount;
    state.SetLabel(state.range(0) == 2 ? "all fields empty" : texts[state.range(0)].toStdString());
}
BENCHMARK(BM_WindowSearch)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_WindowSortByStreet(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Form()->mnClear->trigger(); // the whole directory in stored order, marker on column 0
        state.ResumeTiming();
        FmMain->ListViewColumnClick(1);
    }
    state.counters["listed"] = ResultCount;
}
BENCHMARK(BM_WindowSortByStreet)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    int status = 0;
    if (!StartUp(nullptr, status)) return status;
    FmMain->resize(1280, 800);
    FmMain->show();
    QCoreApplication::processEvents();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ShutDown();
    return 0;
}
