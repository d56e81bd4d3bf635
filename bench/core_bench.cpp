// Load, search and sort on the built-in directory and on a million generated records, with the same queries
// run by SQLite in memory beside them.
//   build-bench/bench/core_bench [--benchmark_filter=...]

#include "citygen.h"
#include "directory/cp1251.h"
#include "directory/loader.h"
#include "directory/writer.h"
#include "resources/builtin_directory.h"
#include "results/columnsort.h"
#include "search/searchrun.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <fstream>
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

struct Query {
    const char* name;
    vg::Field criterion;
    vg::MatchCondition condition;
    const char* text;
    const char* sql; // the same test in SQL
};

const Query kQueries[] = {
    {"street_begins", vg::Field::Street, vg::MatchCondition::BeginsWith, "ЛЕН", "substr(street, 1, length(?1)) = ?1"},
    {"user_contains", vg::Field::User, vg::MatchCondition::Contains, "ИВАН", "instr(user, ?1) > 0"},
    {"house_greater", vg::Field::House, vg::MatchCondition::Greater, "50",
     "CAST(house AS INTEGER) > CAST(?1 AS INTEGER)"},
    {"street_mask", vg::Field::Street, vg::MatchCondition::FitsMask, "*СК*Я", "street GLOB ?1 || '*'"},
};

class Host : public vg::ISearchHost {
public:
    Host(vg::TStrContainer& c, std::string_view bytes, const Query& q) : c_(c), bytes_(bytes) {
        inputs_[vg::Index(q.criterion)] = {W(q.text), vg::ItemOf(q.condition)};
    }
    void Reload() override { vg::LoadDirectory(c_, bytes_); }
    vg::TCriteria ReadCriteria() override { return vg::ReadCriteria(inputs_); }

private:
    vg::TStrContainer& c_;
    std::string_view bytes_;
    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs_{};
};

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
    for (auto _ : state) {
        vg::TStrContainer c;
        vg::LoadDirectory(c, bytes);
        records = c.Count();
    }
    // A million records are generated in this process first, which leaves the heap warm: only the built-in
    // directory's figure says what a load adds.
    if (which == 0) state.counters["resident_KiB"] = static_cast<double>(resident);
    state.counters["records"] = records;
}
BENCHMARK(BM_Load)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Search(benchmark::State& state) {
    std::string_view bytes = Directory(static_cast<int>(state.range(0)));
    const Query& q = kQueries[state.range(1)];
    state.SetLabel(q.name);
    vg::TStrContainer c;
    int found = 0;
    for (auto _ : state) {
        Host host(c, bytes, q);
        found = vg::RunSearch(c, host).count;
    }
    state.counters["found"] = found;
}
BENCHMARK(BM_Search)->ArgsProduct({{0, 1}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);

// The same records in an in-memory SQLite table, as UTF-8 text, queried with the same tests.
class Sqlite {
public:
    explicit Sqlite(std::string_view bytes) {
        sqlite3_open(":memory:", &db_);
        Exec("CREATE TABLE d(phone TEXT, street TEXT, house TEXT, flat TEXT, user TEXT)");
        Exec("BEGIN");
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(db_, "INSERT INTO d VALUES(?,?,?,?,?)", -1, &ins, nullptr);
        vg::TStrContainer c;
        vg::LoadDirectory(c, bytes);
        for (int i = 0; i < c.Count(); ++i) {
            const vg::TString* r = c.GetItem(i);
            std::string_view f[5] = {r->Key(), r->Lines()[0], r->Lines()[1], r->Lines()[2], r->Lines()[3]};
            for (int k = 0; k < 5; ++k) {
                std::string utf8 = vg::cp1251::ToUtf8(f[k]);
                sqlite3_bind_text(ins, k + 1, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
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

    int Order(const char* column) {
        std::string sql = std::string("SELECT * FROM d ORDER BY ") + column;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr);
        int rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            ++rows;
        sqlite3_finalize(st);
        return rows;
    }

private:
    void Exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
    sqlite3* db_ = nullptr;
};

void BM_SqliteSearch(benchmark::State& state) {
    Sqlite db(Directory(static_cast<int>(state.range(0))));
    const Query& q = kQueries[state.range(1)];
    state.SetLabel(q.name);
    int found = 0;
    for (auto _ : state)
        found = db.Select(q);
    state.counters["found"] = found;
}
BENCHMARK(BM_SqliteSearch)->ArgsProduct({{0, 1}, {0, 1, 2, 3}})->Unit(benchmark::kMillisecond);

const char* const kColumns[] = {"phone", "street", "house", "flat", "user"};

void BM_Sort(benchmark::State& state) {
    std::string_view bytes = Directory(static_cast<int>(state.range(0)));
    int column = static_cast<int>(state.range(1));
    state.SetLabel(kColumns[column]);
    vg::TStrContainer c;
    for (auto _ : state) {
        state.PauseTiming();
        vg::LoadDirectory(c, bytes);
        state.ResumeTiming();
        vg::SortByColumn(c, column, true);
    }
}
BENCHMARK(BM_Sort)->ArgsProduct({{0}, {0, 1, 2, 3, 4}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort)->ArgsProduct({{1}, {0, 1, 4}})->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_SqliteSort(benchmark::State& state) {
    Sqlite db(Directory(static_cast<int>(state.range(0))));
    const char* column = kColumns[state.range(1)];
    state.SetLabel(column);
    for (auto _ : state)
        benchmark::DoNotOptimize(db.Order(column));
}
BENCHMARK(BM_SqliteSort)->ArgsProduct({{0}, {1}})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
