// The operator's view of speed, headless (offscreen): from the click to the repainted list for a search, a sort
// and a clear; from the pause after a keystroke to the repainted list while searching as one types; an empty
// search with its explanation; start-up to the first painted list, in the running program and as a new process; and a
// whole 0-100 run of the progress bar.
//   QT_QPA_PLATFORM=offscreen build-bench/bench/window_bench

#include "app/application.h"
#include "app/boxpanel.h"
#include "app/criteriapanel.h"
#include "app/database.h"
#include "app/fmmain.h"
#include "app/fmsplash.h"
#include "app/resultpane.h"
#include "app/sound.h"
#include "app/startup.h"
#include "citygen.h"
#include "directory/writer.h"
#include "results/view/qtext.h"
#include "ui_fmmain.h"
#include "widgets/comboboxlabel.h"
#include "widgets/glprogress.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPointer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

TProgram* Program = nullptr;

TFmMain* Window() {
    return Program->FmMain();
}
Ui::FmMain* Form() {
    return Window()->Form();
}

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Whole-process CPU per iteration (every thread), beside the wall time Google Benchmark reports.
class ProcessCpu {
public:
    ProcessCpu() : start_(ProcessCpuSeconds()) {}
    void Report(benchmark::State& state) const {
        state.counters["process_cpu_ms"] =
            benchmark::Counter((ProcessCpuSeconds() - start_) * 1e3, benchmark::Counter::kAvgIterations);
    }

private:
    double start_;
};

// Counts the paints of a widget.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    ~PaintWatch() override {
        if (widget_) widget_->removeEventFilter(this);
    }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }

private:
    QPointer<QWidget> widget_; // gone with its window, possibly first
};

void BM_WindowSearch(benchmark::State& state) {
    const QString texts[] = {QStringLiteral("ЛЕН"), QStringLiteral("МИРА"), QString()};
    Form()->mnClearFilters->trigger();
    Form()->edStreet->setText(texts[state.range(0)]);
    PaintWatch list(Form()->ListView->viewport());
    ProcessCpu cpu;
    for (auto _ : state)
        Form()->mnSearch->trigger(); // runs, refreshes and repaints before it returns
    cpu.Report(state);
    if (list.paints < static_cast<int>(state.iterations())) state.SkipWithError("the list was not repainted");
    state.counters["listed"] = Program->FmMain()->Results().Count();
    state.SetLabel(state.range(0) == 2 ? "all fields empty" : texts[state.range(0)].toStdString());
}
BENCHMARK(BM_WindowSearch)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Search as you type: from the pause after a keystroke (the timer's end) to the repainted list, quietly. The
// street's text gains and loses its last letter, as the operator types on.
void BM_WindowTyping(benchmark::State& state) {
    Form()->mnClearFilters->trigger();
    Form()->mnClear->trigger();
    PaintWatch list(Form()->ListView->viewport());
    ProcessCpu cpu;
    const QString texts[] = {QStringLiteral("ЛЕНИ"), QStringLiteral("ЛЕН")};
    long n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Form()->edStreet->setText(texts[n++ % 2]);
        state.ResumeTiming();
        Window()->SearchAsTyped();
    }
    cpu.Report(state);
    if (list.paints < static_cast<int>(state.iterations())) state.SkipWithError("the list was not repainted");
    state.counters["listed"] = Program->FmMain()->Results().Count();
}
BENCHMARK(BM_WindowTyping)->Unit(benchmark::kMillisecond);

// The window's own share of that step: the search's answer published, the list repainted and its first row
// selected, as at the end of every search found something (Arg(0): the street criterion, 728 rows; Arg(1): the box, 5
// rows), with the matched parts of the painted rows highlighted.
void BM_WindowTypingRefresh(benchmark::State& state) {
    Form()->mnClearFilters->trigger();
    Form()->mnClear->trigger();
    if (state.range(0) == 0)
        Form()->edStreet->setText(QStringLiteral("ЛЕНИ"));
    else
        Window()->Box().Put(QStringLiteral("иванова лени"));
    Window()->SearchAsTyped();
    PaintWatch list(Form()->ListView->viewport());
    PaintWatch header(Form()->ListView->horizontalHeader()->viewport());
    const vg::TCriteria criteria = Window()->CriteriaPanel().Criteria();
    const vg::TBoxQuery box(vg::ToCp1251ForSearch(Window()->Box().Text()));
    ProcessCpu cpu;
    for (auto _ : state) {
        std::shared_ptr<const vg::IMatchSpans> highlight;
        if (state.range(0) == 0)
            highlight = std::make_shared<vg::TCriteriaSpans>(criteria);
        else
            highlight = std::make_shared<vg::TBoxSpans>(box);
        Window()->RefreshList(std::move(highlight));
        Window()->Results().SelectFirstRow();
    }
    cpu.Report(state);
    if (list.paints < static_cast<int>(state.iterations())) state.SkipWithError("the list was not repainted");
    state.counters["listed"] = Program->FmMain()->Results().Count();
    state.counters["header_paints"] = benchmark::Counter(header.paints, benchmark::Counter::kAvgIterations);
    Window()->Box().Put({});
}
BENCHMARK(BM_WindowTypingRefresh)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same while typing into the box: what the caller said, its last word growing and shrinking by a letter.
void BM_WindowBoxTyping(benchmark::State& state) {
    Form()->mnClearFilters->trigger();
    Form()->mnClear->trigger();
    PaintWatch list(Form()->ListView->viewport());
    ProcessCpu cpu;
    const QString texts[] = {QStringLiteral("иванова лени"), QStringLiteral("иванова лен")};
    long n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Window()->Box().Put(texts[n++ % 2]);
        state.ResumeTiming();
        Window()->SearchAsTyped();
    }
    cpu.Report(state);
    if (list.paints < static_cast<int>(state.iterations())) state.SkipWithError("the list was not repainted");
    state.counters["listed"] = Program->FmMain()->Results().Count();
    Window()->Box().Put({});
}
BENCHMARK(BM_WindowBoxTyping)->Unit(benchmark::kMillisecond);

// Big directories in the window, each a program of its own started when its first benchmark runs: a million generated
// records (which = 1), and the ten million of VG_BENCH_10M=FILE (which = 2, made once by `mkdirectory generate
// --records 10000000 -o FILE`).
std::string bigBytes[3];
std::unique_ptr<TProgram> bigPrograms[3]; // ended before the application

bool HugeProgramWanted() {
    const char* file = std::getenv("VG_BENCH_10M");
    return file && *file && std::strcmp(file, "1") != 0;
}

TProgram* BigProgram(int which) {
    std::string& bytes = bigBytes[which];
    std::unique_ptr<TProgram>& program = bigPrograms[which];
    if (program) return program.get();
    if (which == 1) {
        bytes = vg::PackDirectory(vg::GenerateCity(1000000));
    } else {
        if (!HugeProgramWanted()) return nullptr;
        std::ifstream in(std::getenv("VG_BENCH_10M"), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (bytes.empty()) return nullptr;
    program = std::make_unique<TProgram>(nullptr, [&bytes] { return std::optional<std::string_view>(bytes); });
    int status = 0;
    if (!program->StartUp(status)) {
        program.reset();
        return nullptr;
    }
    program->FmMain()->resize(1280, 800);
    program->FmMain()->show();
    QCoreApplication::processEvents();
    return program.get();
}

TProgram* HugeProgram() {
    return BigProgram(2);
}

// What the operator types last in the ten million: the four queries of the core benchmarks, then the box's five texts,
// the box's first letters (a word of one or two letters holds millions) and its lone first digit, and letters taken
// back (the list growing again: the step goes from the text to the text without its last letter).
struct HugeQuery {
    const char* label;
    int criterion; // the criterion's field (0 phone .. 4 subscriber); -1: the box
    vg::MatchCondition condition;
    const char* text;
    bool back = false;
};
const HugeQuery kHugeQueries[] = {
    {"street begins with ЛЕН", 1, vg::MatchCondition::BeginsWith, "ЛЕН"},
    {"subscriber contains ИВАН", 4, vg::MatchCondition::Contains, "ИВАН"},
    {"house greater than 50", 2, vg::MatchCondition::Greater, "50"},
    {"street fits *СК*Я", 1, vg::MatchCondition::FitsMask, "*СК*Я"},
    {"box: иванова ленина", -1, {}, "иванова ленина"},
    {"box: коновалова гагарина 6", -1, {}, "коновалова гагарина 6"},
    {"box: 21 39 18", -1, {}, "21 39 18"},
    {"box: ленина 8 21", -1, {}, "ленина 8 21"},
    {"box: петров", -1, {}, "петров"},
    {"box: и", -1, {}, "и"},
    {"box: ив", -1, {}, "ив"},
    {"box: 2", -1, {}, "2"},
    {"back: house greater than 50 to 5", 2, vg::MatchCondition::Greater, "50", true},
    {"back: street fits *СК*Я to *СК*", 1, vg::MatchCondition::FitsMask, "*СК*Я", true},
    {"back: box ив to и", -1, {}, "ив", true},
    {"back: box 21 to 2", -1, {}, "21", true},
};

// Search as you type in ten million records: from the pause after the query's last letter (the list holding what
// the text without it found; for a letter taken back, what the whole text found) to the repainted list, wall and
// process CPU.
void BM_WindowTyping10M(benchmark::State& state) {
    TProgram* program = HugeProgram();
    if (!program) {
        state.SkipWithError("the directory file named by VG_BENCH_10M could not be loaded");
        return;
    }
    TFmMain* window = program->FmMain();
    Ui::FmMain* form = window->Form();
    const HugeQuery& query = kHugeQueries[state.range(0)];
    form->mnClearFilters->trigger();
    QLineEdit* fields[] = {form->edPhone, form->edStreet, form->edHouse, form->edFlat, form->edUser};
    TComboBoxLabel* conditions[] = {form->cbfPhone, form->cbfStreet, form->cbfHouse, form->cbfFlat, form->cbfUser};
    const QString full = QString::fromUtf8(query.text);
    const QString from = query.back ? full : full.chopped(1);
    const QString to = query.back ? full.chopped(1) : full;
    auto put = [&](const QString& text) {
        if (query.criterion < 0) {
            window->Box().Put(text);
            return;
        }
        const auto k = static_cast<std::size_t>(query.criterion);
        fields[k]->setText(text);
        conditions[k]->setCurrentIndex(vg::ItemOf(query.condition));
    };
    PaintWatch list(form->ListView->viewport());
    double cpuMs = 0;
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        put(from);
        window->SearchAsTyped();
        put(to);
        const double start = ProcessCpuSeconds();
        const int before = list.paints;
        state.ResumeTiming();
        window->SearchAsTyped();
        state.PauseTiming();
        cpuMs += (ProcessCpuSeconds() - start) * 1e3;
        steps += list.paints > before ? 1 : 0;
        state.ResumeTiming();
    }
    state.counters["process_cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
    if (steps < static_cast<int>(state.iterations())) state.SkipWithError("the list was not repainted");
    state.counters["listed"] = window->Results().Count();
    state.SetLabel(query.label);
    window->Box().Put({});
    form->mnClearFilters->trigger();
}

// The longest time the operator waits for a sign of life while a long operation runs: from its start to the
// progress bar's first paint, between two paints, and from the last one to its end.
class FeedbackGap : public QObject {
public:
    explicit FeedbackGap(QWidget* bar) : bar_(bar) {
        bar->installEventFilter(this);
        clock_.start();
    }
    ~FeedbackGap() override { bar_->removeEventFilter(this); }
    double LongestMs() {
        Mark();
        return static_cast<double>(longest_) * 1e-6;
    }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++paints;
            Mark();
        }
        return false;
    }

private:
    void Mark() {
        longest_ = std::max(longest_, clock_.nsecsElapsed() - last_);
        last_ = clock_.nsecsElapsed();
    }
    QWidget* bar_;
    QElapsedTimer clock_;
    qint64 last_ = 0, longest_ = 0;
};

// The whole list of a big directory (range 1: a million records, 2: ten million) selected with Ctrl+A and copied
// with Ctrl+C (range(1) = 0), or only the clipboard's text made (1): wall and process CPU, the longest wait
// without a painted progress bar, and the text's length.
void BM_WindowCopyAll(benchmark::State& state) {
    TProgram* program = BigProgram(static_cast<int>(state.range(0)));
    if (!program) {
        state.SkipWithError("the big directory could not be loaded");
        return;
    }
    vg::TResultView* view = program->FmMain()->Form()->ListView;
    QAction* copy = nullptr;
    for (QAction* action : view->actions())
        if (action->shortcut() == QKeySequence(QKeySequence::Copy)) copy = action;
    // Ctrl+A is a key of its own: its repaint (the column header asks whether each column is wholly selected, a
    // walk over the rows) comes before Ctrl+C.
    QElapsedTimer selecting;
    selecting.start();
    view->selectAll();
    QCoreApplication::processEvents();
    state.counters["select_all_ms"] = static_cast<double>(selecting.nsecsElapsed()) * 1e-6;
    ProcessCpu cpu;
    double longest = 0;
    qsizetype length = 0;
    for (auto _ : state) {
        FeedbackGap gap(program->FmSplash()->Bar());
        if (state.range(1) == 0)
            copy->trigger();
        else
            length = view->SelectedRowText().size();
        longest = std::max(longest, gap.LongestMs());
        state.PauseTiming();
        // Reading the clipboard's text back takes long (Qt converts it to UTF-8 and back): not the operator's wait.
        if (state.range(1) == 0) length = QApplication::clipboard()->text().size();
        QApplication::clipboard()->clear();
        state.ResumeTiming();
    }
    cpu.Report(state);
    state.counters["longest_wait_ms"] = longest;
    state.counters["characters"] = static_cast<double>(length);
    state.counters["rows"] = view->model()->rowCount();
    view->clearSelection();
}

// The whole list of a big directory saved as "Сохранить список…" saves it (into /tmp, replacing the file of the
// iteration before): wall and process CPU, the longest wait without a painted progress bar, and the file's size.
void BM_WindowSaveAll(benchmark::State& state) {
    TProgram* program = BigProgram(static_cast<int>(state.range(0)));
    if (!program) {
        state.SkipWithError("the big directory could not be loaded");
        return;
    }
    const QString path = QDir::temp().filePath(QStringLiteral("vg-bench-list.csv"));
    ProcessCpu cpu;
    double longest = 0;
    for (auto _ : state) {
        FeedbackGap gap(program->FmSplash()->Bar());
        QString error;
        if (!program->FmMain()->SaveList(path, error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            state.SkipWithError("the list could not be saved");
        }
        longest = std::max(longest, gap.LongestMs());
    }
    cpu.Report(state);
    state.counters["longest_wait_ms"] = longest;
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
    state.counters["rows"] = program->FmMain()->Results().Count();
    QFile::remove(path);
}

// An empty search through the window with its strip: each criterion's count and the suggestions.
void BM_WindowNothingFound(benchmark::State& state) {
    Form()->mnClearFilters->trigger();
    Form()->edStreet->setText(QStringLiteral("ЛЕН"));
    Form()->cbfUser->setCurrentIndex(vg::ItemOf(vg::MatchCondition::Contains));
    Form()->edUser->setText(QStringLiteral("bdfyjd"));
    ProcessCpu cpu;
    for (auto _ : state)
        Form()->mnSearch->trigger();
    cpu.Report(state);
    if (!Window()->Explanation() || Window()->Explanation()->suggestions.empty())
        state.SkipWithError("no suggestion was shown");
    Form()->mnClearFilters->trigger();
}
BENCHMARK(BM_WindowNothingFound)->Unit(benchmark::kMillisecond);

void BM_WindowSortByStreet(benchmark::State& state) {
    PaintWatch list(Form()->ListView->viewport());
    double cpuMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Form()->mnClear->trigger(); // the whole directory in stored order, marker on column 0
        const double start = ProcessCpuSeconds();
        state.ResumeTiming();
        Window()->ListViewColumnClick(1);
        cpuMs += (ProcessCpuSeconds() - start) * 1e3;
    }
    state.counters["process_cpu_ms"] = benchmark::Counter(cpuMs, benchmark::Counter::kAvgIterations);
    state.counters["listed"] = Program->FmMain()->Results().Count();
}
BENCHMARK(BM_WindowSortByStreet)->Unit(benchmark::kMillisecond);

void BM_WindowClear(benchmark::State& state) {
    PaintWatch list(Form()->ListView->viewport());
    ProcessCpu cpu;
    for (auto _ : state)
        Form()->mnClear->trigger(); // the reload with the progress window shown, then the list repainted
    cpu.Report(state);
    if (list.paints < static_cast<int>(state.iterations())) state.SkipWithError("the list was not repainted");
    state.counters["listed"] = Program->FmMain()->Results().Count();
}
BENCHMARK(BM_WindowClear)->Unit(benchmark::kMillisecond);

// A whole run of the progress window's bar, 0 to 100 per cent, as fast as a load reports it: the bar paints the
// first step and the end at once, and at most once a frame in between.
void BM_ProgressBarRun(benchmark::State& state) {
    TFmSplash* progress = Program->FmSplash();
    progress->ProgressCallback(0, 100);
    progress->ShowNow();
    ProcessCpu cpu;
    const int before = progress->Bar()->PaintCount();
    for (auto _ : state)
        for (int percent = 0; percent <= 100; ++percent)
            progress->ProgressCallback(percent, 100);
    cpu.Report(state);
    state.counters["paints_per_run"] =
        benchmark::Counter(progress->Bar()->PaintCount() - before, benchmark::Counter::kAvgIterations);
    progress->hide();
}
BENCHMARK(BM_ProgressBarRun)->Unit(benchmark::kMillisecond);

// The same run with every step painted, as a run slower than the screen paints it: Arg(0) a new bar each time,
// which composes each percentage for the first time; Arg(1) one bar, whose compositions are kept.
void BM_ProgressBarEveryStep(benchmark::State& state) {
    TFmSplash progress;
    progress.ShowNow();
    std::unique_ptr<TglProgress> fresh;
    ProcessCpu cpu;
    int paints = 0;
    for (auto _ : state) {
        TglProgress* bar = progress.Bar();
        if (state.range(0) == 0) {
            state.PauseTiming();
            fresh = std::make_unique<TglProgress>(&progress);
            fresh->setGeometry(progress.Bar()->geometry());
            fresh->show();
            state.ResumeTiming();
            bar = fresh.get();
        }
        const int before = bar->PaintCount();
        for (int percent = 0; percent <= 100; ++percent) {
            bar->SetPercent(percent);
            bar->repaint();
        }
        paints += bar->PaintCount() - before;
    }
    cpu.Report(state);
    state.counters["paints_per_run"] = benchmark::Counter(paints, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ProgressBarEveryStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Shows a started program's window and waits until its list has been painted; false after 5 s without.
bool ShowUntilPainted(TProgram& program) {
    PaintWatch list(program.FmMain()->Form()->ListView->viewport());
    program.FmMain()->resize(1280, 800);
    program.FmMain()->show();
    QElapsedTimer waited;
    waited.start();
    while (list.paints == 0 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return list.paints > 0;
}

// A program of its own, from its construction to the first paint of its list (the directory parsed anew).
void BM_StartUpToFirstPaint(benchmark::State& state) {
    ProcessCpu cpu;
    for (auto _ : state) {
        TProgram program(nullptr);
        int status = 0;
        if (!program.StartUp(status)) {
            state.SkipWithError("start-up failed");
            break;
        }
        ShowUntilPainted(program);
        state.PauseTiming();
        program.ShutDown();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    cpu.Report(state);
}
BENCHMARK(BM_StartUpToFirstPaint)->Unit(benchmark::kMillisecond);

// The probe run by BM_ProcessStartUpToFirstPaint: the program as main() starts it (application, font, sound,
// directory, window), ended at once when its list has been painted.
const char kProbe[] = "--first-paint-probe";
int FirstPaintProbe(int argc, char** argv) {
    TApplication app(argc, argv);
    TWavePlayer sound;
    TProgram program(&sound);
    int status = 0;
    if (!program.StartUp(status)) return status;
    const bool painted = ShowUntilPainted(program);
    std::fflush(nullptr);
    std::_Exit(painted ? 0 : 3); // the time to tear down is not start-up
}

// A whole new process, from its start (loading the libraries included) to the first paint of its list.
void BM_ProcessStartUpToFirstPaint(benchmark::State& state) {
    std::string self(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (n <= 0) {
        state.SkipWithError("cannot find the program itself");
        return;
    }
    self.resize(static_cast<std::size_t>(n));
    char* args[] = {self.data(), const_cast<char*>(kProbe), nullptr};
    double childCpuMs = 0;
    for (auto _ : state) {
        pid_t child = 0;
        if (posix_spawn(&child, self.c_str(), nullptr, nullptr, args, environ) != 0) {
            state.SkipWithError("cannot start the probe");
            break;
        }
        int status = 0;
        rusage usage{};
        if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the probe did not paint its list");
            break;
        }
        childCpuMs += (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
                      (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-3;
    }
    state.counters["process_cpu_ms"] = benchmark::Counter(childCpuMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ProcessStartUpToFirstPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::strcmp(argv[1], kProbe) == 0) return FirstPaintProbe(argc, argv);
    TApplication app(argc, argv);
    TProgram program(nullptr);
    Program = &program;
    int status = 0;
    if (!program.StartUp(status)) return status;
    Window()->resize(1280, 800);
    Window()->show();
    QCoreApplication::processEvents();
    // Run only when asked for: loading ten million records takes seconds and more than a gigabyte.
    if (HugeProgramWanted())
        benchmark::RegisterBenchmark("BM_WindowTyping10M", BM_WindowTyping10M)
            ->DenseRange(0, static_cast<int>(std::size(kHugeQueries)) - 1)
            ->Unit(benchmark::kMillisecond);
    // A million records are generated in the process; ten million only when VG_BENCH_10M names their file.
    for (int which : {1, 2}) {
        if (which == 2 && !HugeProgramWanted()) continue;
        benchmark::RegisterBenchmark("BM_WindowCopyAll", BM_WindowCopyAll)
            ->ArgsProduct({{which}, {0, 1}})
            ->Iterations(which == 2 ? 1 : 3)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BM_WindowSaveAll", BM_WindowSaveAll)
            ->Arg(which)
            ->Iterations(which == 2 ? 1 : 3)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto& program : bigPrograms)
        program.reset();
    return 0;
}
