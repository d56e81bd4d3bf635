// Load, search and sort on the built-in directory and on a million generated records, with the same queries
// run by SQLite in memory beside them. Each benchmark also reports process_cpu_ms: the CPU time of the whole
// process (every thread) per iteration of the measured work.
//   build-bench/bench/core_bench [--benchmark_filter=...]

#include "citygen.h"
#include "directory/cp1251.h"
#include "directory/loader.h"
#include "directory/writer.h"
#include "resources/builtin_directory.h"
#include "results/columnsort.h"
#include "search/folding.h"
#include "search/searchrun.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace {

std::string W(const char* utf8) {
    std::string out;
    vg::cp1251::FromUtf8(utf8, out);
    return out;
}

const std::string& Million() {
    static const std::string bytes = vg::PackDirectory(vg::GenerateCity(1000000));
    return bytes;
}

std::string_view Directory(int which) {
    return which == 0 ? vg::BuiltinDirectory() : std::string_view(Million());
}

// The directory as the program holds it: parsed once, every reload restoring from the parsed copy.
vg::TDirectoryMaster& Master(int which) {
    static vg::TDirectoryMaster* masters[2] = {nullptr, nullptr};
    if (!masters[which]) masters[which] = new vg::TDirectoryMaster(Directory(which)); // for the whole run
    return *masters[which];
}

// CPU time of the whole process, every thread, over the parts of an iteration that are measured.
class ProcessCpu {
public:
    void Start() { start_ = Now(); }
    void Stop() { total_ += Now() - start_; }
    void Report(benchmark::State& state) const {
        state.counters["process_cpu_ms"] = benchmark::Counter(total_ * 1e3, benchmark::Counter::kAvgIterations);
    }

private:
    static double Now() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
    double start_ = 0;
    double total_ = 0;
};

struct Query {
    const char* name;
    vg::Field criterion;
    vg::MatchCondition condition;
    const char* text;
    const char* sql; // the same test in SQL
};

// vg_address(x, y) in SQL compares a house as the program reads it, an address (CompareAddress: 52А above 50).
const Query kQueries[] = {
    {"street_begins", vg::Field::Street, vg::MatchCondition::BeginsWith, "ЛЕН", "substr(street_u, 1, length(?1)) = ?1"},
    {"user_contains", vg::Field::User, vg::MatchCondition::Contains, "ИВАН", "instr(user_u, ?1) > 0"},
    {"house_greater", vg::Field::House, vg::MatchCondition::Greater, "50", "vg_address(house, ?1) > 0"},
    {"street_mask", vg::Field::Street, vg::MatchCondition::FitsMask, "*СК*Я", "street_u GLOB ?1 || '*'"},
};

class Host : public vg::ISearchHost {
public:
    Host(vg::TStrContainer& c, vg::TDirectoryMaster& master, const Query& q) : c_(c), master_(master) {
        inputs_[vg::Index(q.criterion)] = {W(q.text), vg::ItemOf(q.condition)};
    }
    void Reload() override { master_.Load(c_); }
    vg::TCriteria ReadCriteria() override { return vg::ReadCriteria(inputs_); }

private:
    vg::TStrContainer& c_;
    vg::TDirectoryMaster& master_;
    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs_{};
};

// Our count for a query, for the SQLite side to match.
int OurCount(int which, int query) {
    static std::map<std::pair<int, int>, int> counts;
    auto found = counts.find({which, query});
    if (found != counts.end()) return found->second;
    vg::TStrContainer c;
    Host host(c, Master(which), kQueries[query]);
    const int count = vg::RunSearch(c, host).count;
    counts[{which, query}] = count;
    return count;
}

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE) / 1024;
}

// Resident memory that loading the directory adds, measured once, before anything else has warmed the heap.
long LoadedResidentKiB(int which) {
    static long measured[2] = {-1, -1};
    if (measured[which] < 0) {
        std::string_view bytes = Directory(which);
        const long before = ResidentKiB();
        static vg::TStrContainer* keep[2] = {nullptr, nullptr};
        keep[which] = new vg::TStrContainer(); // kept: the figure is for a loaded directory
        vg::LoadDirectory(*keep[which], bytes);
        measured[which] = ResidentKiB() - before;
    }
    return measured[which];
}

void BM_Load(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const long resident = which == 0 ? LoadedResidentKiB(which) : 0;
    std::string_view bytes = Directory(which);
    int records = 0;
    ProcessCpu cpu;
    cpu.Start();
    for (auto _ : state) {
        vg::TStrContainer c;
        vg::LoadDirectory(c, bytes);
        records = c.Count();
    }
    cpu.Stop();
    cpu.Report(state);
    // A million records are generated in this process first, which leaves the heap warm: only the built-in
    // directory's figure says what a load adds.
    if (which == 0) state.counters["resident_KiB"] = static_cast<double>(resident);
    state.counters["records"] = records;
}
BENCHMARK(BM_Load)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Search(benchmark::State& state) {
    vg::TDirectoryMaster& master = Master(static_cast<int>(state.range(0)));
    const Query& q = kQueries[state.range(1)];
    state.SetLabel(q.name);
    vg::TStrContainer c;
    master.Load(c); // the program's first load, at start-up
    int found = 0;
    ProcessCpu cpu;
    cpu.Start();
    for (auto _ : state) {
        Host host(c, master, q);
        found = vg::RunSearch(c, host).count; // the reload included
    }
    cpu.Stop();
    cpu.Report(state);
    state.counters["found"] = found;
}
BENCHMARK(BM_Search)->ArgsProduct({{0, 1}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);

// The same records in an in-memory SQLite table, as UTF-8 text, queried with the same tests. The search folds
// a text field (case, Ё, quotation marks, blanks), so SQLite gets the text fields folded as the program folds
// them (FoldForMatch), in columns of their own made once (street_u, user_u), and a house and flat as their
// address number and rest (house_n, house_r, ...) with the program's order of rests as a collation: the fastest
// it can be given, and the same rows.
class Sqlite {
public:
    explicit Sqlite(std::string_view bytes) {
        sqlite3_open(":memory:", &db_);
        sqlite3_create_function(db_, "vg_address", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, &Address, nullptr,
                                nullptr);
        sqlite3_create_collation(db_, "vg_rest", SQLITE_UTF8, nullptr, &Rest);
        Exec("CREATE TABLE d(phone TEXT, street TEXT, house TEXT, flat TEXT, user TEXT, street_u TEXT, user_u TEXT, "
             "phone_n INTEGER, house_n INTEGER, house_r TEXT, flat_n INTEGER, flat_r TEXT)");
        Exec("BEGIN");
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(db_, "INSERT INTO d VALUES(?,?,?,?,?,?,?,?,?,?,?,?)", -1, &ins, nullptr);
        vg::TStrContainer c;
        vg::LoadDirectory(c, bytes);
        for (int i = 0; i < c.Count(); ++i) {
            const vg::TString* r = c.GetItem(i);
            std::string_view f[5] = {r->Key(), r->Lines()[0], r->Lines()[1], r->Lines()[2], r->Lines()[3]};
            std::string text[7];
            for (int k = 0; k < 5; ++k)
                text[k] = vg::cp1251::ToUtf8(f[k]);
            text[5] = vg::cp1251::ToUtf8(vg::FoldForMatch(vg::FoldKind::Words, f[1]));
            text[6] = vg::cp1251::ToUtf8(vg::FoldForMatch(vg::FoldKind::Words, f[4]));
            for (int k = 0; k < 7; ++k)
                sqlite3_bind_text(ins, k + 1, text[k].data(), static_cast<int>(text[k].size()), SQLITE_TRANSIENT);
            sqlite3_bind_int(ins, 8, vg::ToNumber(f[0]));
            for (int k = 0; k < 2; ++k) {
                const vg::TAddressNumber a = vg::ReadAddressNumber(f[2 + k]);
                const std::string rest = vg::cp1251::ToUtf8(a.rest);
                sqlite3_bind_int64(ins, 9 + 2 * k, a.number);
                sqlite3_bind_text(ins, 10 + 2 * k, rest.data(), static_cast<int>(rest.size()), SQLITE_TRANSIENT);
            }
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        Exec("COMMIT");
    }
    ~Sqlite() { sqlite3_close(db_); }
    Sqlite(const Sqlite&) = delete;
    Sqlite& operator=(const Sqlite&) = delete;

    // Fetches every matching row, as the list would need them.
    int Select(const Query& q) {
        std::string sql = std::string("SELECT phone, street, house, flat, user FROM d WHERE ") + q.sql;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        sqlite3_bind_text(st, 1, q.text, -1, SQLITE_TRANSIENT);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(st);
        return rows;
    }

    int Order(const char* order) {
        std::string sql = std::string("SELECT * FROM d ORDER BY ") + order;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(st);
        return rows;
    }

private:
    static std::string Cp1251(sqlite3_value* value) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
        std::string out;
        if (text)
            vg::cp1251::FromUtf8(std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value))), out);
        return out;
    }
    // Two houses or flats compared as addresses, as the program reads them.
    static void Address(sqlite3_context* context, int, sqlite3_value** args) {
        sqlite3_result_int(context, vg::CompareAddress(Cp1251(args[0]), Cp1251(args[1])));
    }
    // The rests of two address numbers in the program's order (letters before the rest, digits as numbers).
    static int Rest(void*, int an, const void* a, int bn, const void* b) {
        std::string x, y;
        vg::cp1251::FromUtf8(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(an)), x);
        vg::cp1251::FromUtf8(std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(bn)), y);
        return vg::CompareAddressRest(x, y);
    }
    void Exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
    sqlite3* db_ = nullptr;
};

void BM_SqliteSearch(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    Sqlite db(Directory(which));
    const Query& q = kQueries[state.range(1)];
    state.SetLabel(q.name);
    int found = 0;
    ProcessCpu cpu;
    cpu.Start();
    for (auto _ : state)
        found = db.Select(q);
    cpu.Stop();
    cpu.Report(state);
    state.counters["found"] = found;
    const int ours = OurCount(which, static_cast<int>(state.range(1)));
    if (found != ours)
        state.SkipWithError(
            ("SQLite found " + std::to_string(found) + " rows, the search " + std::to_string(ours)).c_str());
}
BENCHMARK(BM_SqliteSearch)->ArgsProduct({{0, 1}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);

const char* const kColumns[] = {"phone", "street", "house", "flat", "user"};
// The same chains in SQL: the phone's number, a house and flat as addresses (number, then rest), the texts folded.
const char* const kOrders[] = {
    "phone_n, user_u, street_u, house_n, house_r COLLATE vg_rest, flat_n, flat_r COLLATE vg_rest",
    "street_u, house_n, house_r COLLATE vg_rest, flat_n, flat_r COLLATE vg_rest, user_u",
    "house_n, house_r COLLATE vg_rest, street_u, flat_n, flat_r COLLATE vg_rest, user_u, phone_n",
    "flat_n, flat_r COLLATE vg_rest, house_n, house_r COLLATE vg_rest, street_u, user_u, phone_n",
    "user_u, street_u, house_n, house_r COLLATE vg_rest, flat_n, flat_r COLLATE vg_rest, phone_n",
};

void BM_Sort(benchmark::State& state) {
    vg::TDirectoryMaster& master = Master(static_cast<int>(state.range(0)));
    int column = static_cast<int>(state.range(1));
    state.SetLabel(kColumns[column]);
    vg::TStrContainer c;
    ProcessCpu cpu;
    for (auto _ : state) {
        state.PauseTiming();
        master.Load(c); // the stored order, as after a search or a clear
        state.ResumeTiming();
        cpu.Start();
        vg::SortByColumn(c, column, true);
        cpu.Stop();
    }
    cpu.Report(state);
    state.counters["records"] = c.Count();
}
BENCHMARK(BM_Sort)->ArgsProduct({{0}, {0, 1, 2, 3, 4}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort)->ArgsProduct({{1}, {0, 1, 4}})->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_SqliteSort(benchmark::State& state) {
    Sqlite db(Directory(static_cast<int>(state.range(0))));
    const int column = static_cast<int>(state.range(1));
    state.SetLabel(kColumns[column]);
    int rows = 0;
    ProcessCpu cpu;
    cpu.Start();
    for (auto _ : state)
        rows = db.Order(kOrders[column]);
    cpu.Stop();
    cpu.Report(state);
    state.counters["records"] = rows;
}
BENCHMARK(BM_SqliteSort)->ArgsProduct({{0}, {1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SqliteSort)->ArgsProduct({{1}, {1}})->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
