// Load, search and sort on the built-in directory and on generated directories of a million and (when
// VG_BENCH_10M is set, see Huge(): ten million take minutes and several GB to make) ten million records, with the same
// queries run by SQLite in memory beside them in each of its best forms: a plain table, a B-tree index on the folded
// column and an FTS5 trigram table, every index built before the timing. Every SQLite answer is checked row by row and
// in its order against the search's (and every SQLite ORDER BY against the sort's); a benchmark whose rows
// differ fails. Each benchmark also reports process_cpu_ms: the CPU time of the whole process (every thread)
// per iteration of the measured work.
//   build-bench/bench/core_bench [--benchmark_filter=...]

#include "citygen.h"
#include "directory/cp1251.h"
#include "directory/loader.h"
#include "directory/writer.h"
#include "resources/builtin_directory.h"
#include "results/columnsort.h"
#include "search/boxsearch.h"
#include "search/folding.h"
#include "search/prepared.h"
#include "search/preparing.h"
#include "search/searchrun.h"
#include "search/suggest.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string W(const char* utf8) {
    std::string out;
    vg::cp1251::FromUtf8(utf8, out);
    return out;
}

// The directories: 0 the city, 1 a million records, 2 ten million.
constexpr int kSizes[] = {0, 1000000, 10000000};

// VG_BENCH_10M=1 generates the ten million records in the process; VG_BENCH_10M=FILE reads them from a file
// made once by `mkdirectory generate --records 10000000 -o FILE`.
const char* Huge() {
    const char* wanted = std::getenv("VG_BENCH_10M");
    return wanted && *wanted ? wanted : nullptr;
}

std::string_view Directory(int which) {
    if (which == 0) return vg::BuiltinDirectory();
    static std::string bytes[3];
    if (!bytes[which].empty()) return bytes[which];
    if (which == 2 && std::string(Huge()) != "1") {
        std::ifstream file(Huge(), std::ios::binary);
        bytes[which].assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (bytes[which].empty()) throw std::runtime_error(std::string("cannot read ") + Huge());
    } else {
        bytes[which] = vg::PackDirectory(vg::GenerateCity(kSizes[which]));
    }
    return bytes[which];
}

// The directory as the program holds it: parsed once, every reload restoring from the parsed copy, prepared
// for searching once it is parsed.
struct Held {
    vg::TDirectoryMaster master;
    std::shared_ptr<const vg::TPreparedDirectory> prepared;
    explicit Held(std::string_view bytes) : master(bytes) {
        vg::TStrContainer first;
        prepared = vg::LoadPrepared(master, first);
        first.Clear();
    }
};

Held& Hold(int which) {
    static Held* held[3] = {nullptr, nullptr, nullptr};
    if (!held[which]) held[which] = new Held(Directory(which)); // for the whole run
    return *held[which];
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

// The SQLite forms of a query: a plain table scanned, a B-tree index on the folded column, an FTS5 trigram table.
enum Form { kPlain, kIndex, kTrigram, kFormCount };
const char* const kFormNames[] = {"plain", "btree", "trigram"};

struct Query {
    const char* name;
    vg::Field criterion;
    vg::MatchCondition condition;
    const char* text;
    // The same test in SQL for each form: ?1 is the text, ?2 the least text above every one that begins with it.
    // Null: the form cannot serve the query better than the plain table.
    const char* sql[kFormCount];
};

// vg_number(x) in SQL is the program's own reading of a phone number (ToNumber); the collation vg_address orders
// a house or flat as the program reads it, as an address (CompareAddress: 52А above 50, 8 below 8А). The FTS5
// table `t` holds the folded street and subscriber, its rowid that of the row of `d`.
const Query kQueries[] = {
    {"street_begins",
     vg::Field::Street,
     vg::MatchCondition::BeginsWith,
     "ЛЕН",
     {"substr(street_u, 1, length(?1)) = ?1", "street_u >= ?1 AND street_u < ?2", nullptr}},
    {"user_contains",
     vg::Field::User,
     vg::MatchCondition::Contains,
     "ИВАН",
     {"instr(user_u, ?1) > 0", nullptr, "rowid IN (SELECT rowid FROM t WHERE t.user_u MATCH '\"' || ?1 || '\"')"}},
    {"house_greater",
     vg::Field::House,
     vg::MatchCondition::Greater,
     "50",
     {"house COLLATE vg_address > ?1", "house COLLATE vg_address > ?1", nullptr}},
    {"street_mask",
     vg::Field::Street,
     vg::MatchCondition::FitsMask,
     "*СК*Я",
     {"street_u GLOB ?1 || '*'", nullptr, nullptr}},
};
constexpr int kQueryCount = static_cast<int>(std::size(kQueries));

class Host : public vg::ISearchHost {
public:
    Host(vg::TStrContainer& c, Held& held, const Query& q, bool prepared) : c_(c), held_(held), prepared_(prepared) {
        inputs_[vg::Index(q.criterion)] = {W(q.text), vg::ItemOf(q.condition)};
    }
    void Reload() override { held_.master.Load(c_); }
    const vg::TPreparedDirectory* Prepared() override { return prepared_ ? held_.prepared.get() : nullptr; }
    void ReloadOnly(const std::vector<std::uint32_t>& positions) override { held_.master.LoadOnly(c_, positions); }
    vg::TCriteria ReadCriteria() override { return vg::ReadCriteria(inputs_); }

private:
    vg::TStrContainer& c_;
    Held& held_;
    bool prepared_;
    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs_{};
};

// A row's five fields, in UTF-8 as SQLite holds them, hashed; a list of rows as their hashes in order.
using Rows = std::vector<std::uint64_t>;

std::uint64_t HashRow(const std::string* fields) {
    std::uint64_t h = 1469598103934665603ULL;
    for (int k = 0; k < 5; ++k) {
        for (unsigned char c : fields[k])
            h = (h ^ c) * 1099511628211ULL;
        h = (h ^ 0x1F) * 1099511628211ULL; // the field's end
    }
    return h;
}

Rows RowsOf(const vg::TStrContainer& c) {
    Rows rows;
    rows.reserve(static_cast<std::size_t>(c.Count()));
    for (int i = 0; i < c.Count(); ++i) {
        const vg::DirectoryRecord r = vg::ToRecord(*c.GetItem(i));
        const std::string fields[5] = {vg::cp1251::ToUtf8(r.phone), vg::cp1251::ToUtf8(r.street),
                                       vg::cp1251::ToUtf8(r.house), vg::cp1251::ToUtf8(r.flat),
                                       vg::cp1251::ToUtf8(r.user)};
        rows.push_back(HashRow(fields));
    }
    return rows;
}

// Empty when the rows are the same in the same order; otherwise where they first differ.
std::string Difference(const Rows& theirs, const Rows& ours) {
    for (std::size_t i = 0; i < std::min(theirs.size(), ours.size()); ++i)
        if (theirs[i] != ours[i]) return "row " + std::to_string(i) + " differs from the search's";
    if (theirs.size() != ours.size())
        return std::to_string(theirs.size()) + " rows, the search " + std::to_string(ours.size());
    return {};
}

// The search's rows for a query, both ways: over the prepared directory and by walking every record.
const Rows& OurRows(int which, int query) {
    static std::map<std::pair<int, int>, Rows> rows;
    auto found = rows.find({which, query});
    if (found != rows.end()) return found->second;
    Rows both[2];
    for (int prepared = 0; prepared < 2; ++prepared) {
        vg::TStrContainer c;
        Host host(c, Hold(which), kQueries[query], prepared == 1);
        vg::RunSearch(c, host);
        both[prepared] = RowsOf(c);
    }
    if (both[0] != both[1]) throw std::logic_error("the prepared search and the walk keep different rows");
    return rows[{which, query}] = std::move(both[1]);
}

std::size_t HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// The heap a parsed and prepared directory holds, per record: the records, the master's list of them, the
// prepared columns, the container the window shows, filled with the whole directory, and the advisor the window
// makes at its first empty search.
double BytesPerRecord(int which) {
    static double measured[3] = {-1, -1, -1};
    if (measured[which] < 0) {
        std::string_view bytes = Directory(which);
        const std::size_t before = HeapBytes();
        auto* held = new Held(bytes);
        auto* shown = new vg::TStrContainer();
        held->master.Load(*shown);
        auto* advisor = new vg::TSearchAdvisor(held->prepared);
        measured[which] = static_cast<double>(HeapBytes() - before) / shown->Count();
        delete advisor;
        shown->Clear();
        delete shown;
        delete held;
    }
    return measured[which];
}

// Loading as the program does at start-up: the directory inflated, parsed and prepared for searching.
void BM_Load(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    std::string_view bytes = Directory(which);
    const double perRecord = BytesPerRecord(which);
    int records = 0;
    ProcessCpu cpu;
    cpu.Start();
    for (auto _ : state) {
        vg::TDirectoryMaster master(bytes);
        vg::TStrContainer c;
        const std::shared_ptr<const vg::TPreparedDirectory> prepared = vg::LoadPrepared(master, c);
        records = prepared ? prepared->Count() : -1;
        c.Clear();
    }
    cpu.Stop();
    cpu.Report(state);
    state.counters["records"] = records;
    state.counters["bytes_per_record"] = perRecord;
}

// One search as the program runs it, the reload included: over the prepared directory (range 2 = 1) or
// walking every record (0), the reference the prepared search is checked against.
void BM_Search(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    Held& held = Hold(which);
    const int query = static_cast<int>(state.range(1));
    const Query& q = kQueries[query];
    const bool prepared = state.range(2) == 1;
    state.SetLabel(std::string(q.name) + (prepared ? "" : "/walk"));
    vg::TStrContainer c;
    held.master.Load(c); // the program's first load, at start-up
    int found = 0;
    ProcessCpu cpu;
    cpu.Start();
    for (auto _ : state) {
        Host host(c, held, q, prepared);
        found = vg::RunSearch(c, host).count;
    }
    cpu.Stop();
    cpu.Report(state);
    state.counters["found"] = found;
    const std::string difference = Difference(RowsOf(c), OurRows(which, query));
    if (!difference.empty()) state.SkipWithError(difference.c_str());
}

// The same records in an in-memory SQLite table, as UTF-8 text, queried with the same tests. The search folds
// a text field (case, Ё, quotation marks, blanks), so SQLite gets the text fields folded as the program folds
// them (FoldForMatch), in columns of their own made once (street_u, user_u), and upper-cased as the sort compares
// them (street_s, user_s); a house or flat compares through the collation vg_address: the fastest it can be
// given, and the same rows. Every form's index is made once, before any timing.
class Sqlite {
public:
    explicit Sqlite(std::string_view bytes) {
        sqlite3_open(":memory:", &db_);
        sqlite3_create_function(db_, "vg_number", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, &Number, nullptr,
                                nullptr);
        sqlite3_create_collation(db_, "vg_address", SQLITE_UTF8, nullptr, &Address);
        Exec("CREATE TABLE d(phone TEXT, street TEXT, house TEXT, flat TEXT, user TEXT, street_u TEXT, user_u TEXT, "
             "street_s TEXT, user_s TEXT)");
        Exec("BEGIN");
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(db_, "INSERT INTO d VALUES(?,?,?,?,?,?,?,?,?)", -1, &ins, nullptr);
        vg::TStrContainer c;
        vg::LoadDirectory(c, bytes);
        for (int i = 0; i < c.Count(); ++i) {
            const vg::DirectoryRecord r = vg::ToRecord(*c.GetItem(i));
            std::string text[9] = {vg::cp1251::ToUtf8(r.phone),
                                   vg::cp1251::ToUtf8(r.street),
                                   vg::cp1251::ToUtf8(r.house),
                                   vg::cp1251::ToUtf8(r.flat),
                                   vg::cp1251::ToUtf8(r.user),
                                   vg::cp1251::ToUtf8(vg::FoldForMatch(vg::FoldKind::Words, r.street)),
                                   vg::cp1251::ToUtf8(vg::FoldForMatch(vg::FoldKind::Words, r.user)),
                                   vg::cp1251::ToUtf8(vg::cp1251::Upper(r.street)),
                                   vg::cp1251::ToUtf8(vg::cp1251::Upper(r.user))};
            for (int k = 0; k < 9; ++k)
                sqlite3_bind_text(ins, k + 1, text[k].data(), static_cast<int>(text[k].size()), SQLITE_TRANSIENT);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        Exec("COMMIT");
    }
    ~Sqlite() { sqlite3_close(db_); }
    Sqlite(const Sqlite&) = delete;
    Sqlite& operator=(const Sqlite&) = delete;

    // Builds what a form needs, once.
    void Prepare(Form form) {
        if (form == kIndex && !indexed_) {
            Exec("CREATE INDEX d_street_u ON d(street_u)");
            Exec("CREATE INDEX d_house_a ON d(house COLLATE vg_address)");
            indexed_ = true;
        }
        if (form == kTrigram && !trigrams_) {
            Exec("CREATE VIRTUAL TABLE t USING fts5(street_u, user_u, content='d', tokenize='trigram case_sensitive "
                 "1')");
            Exec("INSERT INTO t(t) VALUES('rebuild')");
            trigrams_ = true;
        }
    }

    // Fetches every matching row in the directory's order, as the list would need them; their hashes are kept
    // when `rows` is given.
    int Select(const Query& q, Form form, Rows* rows = nullptr) {
        std::string sql =
            std::string("SELECT phone, street, house, flat, user FROM d WHERE ") + q.sql[form] + " ORDER BY rowid";
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        std::string text = q.text;
        std::string above = text;
        above.back() = static_cast<char>(above.back() + 1); // the last byte of a capital letter is below 0xBF
        sqlite3_bind_text(st, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, above.data(), static_cast<int>(above.size()), SQLITE_TRANSIENT);
        const int count = Fetch(st, rows);
        sqlite3_finalize(st);
        return count;
    }

    // With `keys`, the hashes of the sort keys of the rows in their order instead of the rows'.
    int Order(const char* order, Rows* keys = nullptr) {
        std::string sql =
            std::string("SELECT ") + (keys ? order : "phone, street, house, flat, user") + " FROM d ORDER BY " + order;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        const int count = Fetch(st, keys);
        sqlite3_finalize(st);
        return count;
    }

private:
    static int Fetch(sqlite3_stmt* st, Rows* rows) {
        int count = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            ++count;
            if (!rows) continue;
            std::string fields[5];
            for (int k = 0; k < sqlite3_column_count(st); ++k) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, k));
                if (text) fields[k].assign(text, static_cast<std::size_t>(sqlite3_column_bytes(st, k)));
            }
            rows->push_back(HashRow(fields));
        }
        return count;
    }
    // Two houses or flats in the program's order of addresses.
    static int Address(void*, int an, const void* a, int bn, const void* b) {
        std::string x, y;
        vg::cp1251::FromUtf8(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(an)), x);
        vg::cp1251::FromUtf8(std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(bn)), y);
        return vg::CompareAddress(x, y);
    }
    // The field's digits read as the program reads them; the text is UTF-8, but a number is ASCII either way.
    static void Number(sqlite3_context* context, int, sqlite3_value** args) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
        const int size = sqlite3_value_bytes(args[0]);
        sqlite3_result_int(context, text ? vg::ToNumber(std::string_view(text, static_cast<std::size_t>(size))) : 0);
    }
    void Exec(const char* sql) {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "unknown";
            sqlite3_free(error);
            throw std::runtime_error(std::string(sql) + ": " + message);
        }
    }
    sqlite3* db_ = nullptr;
    bool indexed_ = false;
    bool trigrams_ = false;
};

Sqlite& Database(int which) {
    static Sqlite* databases[3] = {nullptr, nullptr, nullptr};
    if (!databases[which]) databases[which] = new Sqlite(Directory(which)); // for the whole run
    return *databases[which];
}

void BM_SqliteSearch(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const int query = static_cast<int>(state.range(1));
    const auto form = static_cast<Form>(state.range(2));
    const Query& q = kQueries[query];
    state.SetLabel(std::string(q.name) + "/" + kFormNames[form]);
    if (!q.sql[form]) {
        state.SkipWithError("this form does not serve this query");
        return;
    }
    Sqlite& db = Database(which);
    db.Prepare(form);
    int found = 0;
    ProcessCpu cpu;
    cpu.Start();
    for (auto _ : state)
        found = db.Select(q, form);
    cpu.Stop();
    cpu.Report(state);
    state.counters["found"] = found;
    Rows rows;
    db.Select(q, form, &rows);
    const std::string difference = Difference(rows, OurRows(which, query));
    if (!difference.empty()) state.SkipWithError(("SQLite: " + difference).c_str());
}

// ---- the one box ----

// What a caller says, and the same word matching in SQL: a word of letters begins a word of the street or the
// subscriber (?w: the word after a blank, in texts folded as the box folds them and with every character but a
// letter or digit made a blank), a number beside a word is a house or a flat, dictated digits begin the phone.
struct BoxQuery {
    const char* name;
    const char* text;
    const char* sql;
};
const BoxQuery kBoxQueries[] = {
    {"surname_street", "иванова ленина",
     "(instr(street_w, ' ИВАНОВА') OR instr(user_w, ' ИВАНОВА')) AND (instr(street_w, ' ЛЕНИНА') OR instr(user_w, "
     "' ЛЕНИНА'))"},
    {"surname_street_house", "коновалова гагарина 6",
     "(instr(street_w, ' КОНОВАЛОВА') OR instr(user_w, ' КОНОВАЛОВА')) AND (instr(street_w, ' ГАГАРИНА') OR "
     "instr(user_w, ' ГАГАРИНА')) AND (house_n = 6 OR flat_n = 6)"},
    {"dictated_phone", "21 39 18", "phone_d LIKE '213918%'"},
    {"street_house_flat", "ленина 8 21",
     "(instr(street_w, ' ЛЕНИНА') OR instr(user_w, ' ЛЕНИНА')) AND ((house_n = 8 AND flat_n = 21) OR phone_d LIKE "
     "'821%')"},
    {"surname", "петров", "instr(street_w, ' ПЕТРОВ') OR instr(user_w, ' ПЕТРОВ')"},
    // The operator's first keystrokes: a word of one, two, three letters, a lone digit.
    {"letter", "и", "instr(user_w, ' И')"}, // a lone letter: an initial, the subscriber's
    {"two_letters", "ив", "instr(street_w, ' ИВ') OR instr(user_w, ' ИВ')"},
    {"three_letters", "ива", "instr(street_w, ' ИВА') OR instr(user_w, ' ИВА')"},
    {"digit", "2", "house_n = 2 OR flat_n = 2 OR phone_d LIKE '2%'"},
};

class BoxHost : public vg::ISearchHost {
public:
    BoxHost(vg::TStrContainer& c, Held& held) : c_(c), held_(held) {}
    void Reload() override { held_.master.Load(c_); }
    const vg::TPreparedDirectory* Prepared() override { return held_.prepared.get(); }
    void ReloadOnly(const std::vector<std::uint32_t>& positions) override { held_.master.LoadOnly(c_, positions); }
    vg::TCriteria ReadCriteria() override { return {}; }

private:
    vg::TStrContainer& c_;
    Held& held_;
};

// The records the box keeps, by their place in the directory.
const std::vector<std::uint32_t>& BoxRows(int which, int query) {
    static std::map<std::pair<int, int>, std::vector<std::uint32_t>> rows;
    auto found = rows.find({which, query});
    if (found != rows.end()) return found->second;
    const vg::TStrContainer& whole = *Hold(which).master.Whole();
    const vg::TBoxQuery box(W(kBoxQueries[query].text));
    std::vector<std::uint32_t> kept;
    for (int i = 0; i < whole.Count(); ++i)
        if (box(*whole.GetItem(i))) kept.push_back(static_cast<std::uint32_t>(i));
    return rows[{which, query}] = std::move(kept);
}

// Box texts that find nothing, as the operator may leave them: a word no record holds, a word typed under the
// other keyboard layout, a house and flat no street of the name has.
const char* const kEmptyBoxes[] = {"петров щъщъщ", "ktybyf 8 21", "иванова ленина 8 5555"};

// Why the box finds nothing and what would find something, as the window asks when a search comes back empty:
// from the prepared directory (scan = 0) or from every record (scan = 1, the reference, up to a million records).
// The prepared directory's explanation is checked against the records' (up to a million records).
void BM_ExplainBox(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    const bool scan = state.range(2) != 0;
    Held& held = Hold(which);
    static std::map<int, std::unique_ptr<vg::TSearchAdvisor>> advisors;
    std::unique_ptr<vg::TSearchAdvisor>& advisor = advisors[which];
    if (!advisor) advisor = std::make_unique<vg::TSearchAdvisor>(held.prepared);
    const vg::TBoxQuery query(W(kEmptyBoxes[state.range(1)]));
    state.SetLabel(kEmptyBoxes[state.range(1)]);
    const vg::TStrContainer& whole = *held.master.Whole();
    vg::TExplanation explained;
    ProcessCpu cpu;
    cpu.Start();
    for (auto _ : state)
        explained = scan ? vg::ExplainBox(whole, *advisor, query) : vg::ExplainBox(*held.prepared, *advisor, query);
    cpu.Stop();
    cpu.Report(state);
    state.counters["suggestions"] = static_cast<double>(explained.suggestions.size());
    auto said = [](const vg::TExplanation& e) {
        std::string text = std::to_string(e.together);
        for (const vg::TCriterionCount& c : e.criteria)
            text += '|' + c.description + ':' + std::to_string(c.count);
        for (const vg::TSuggestion& s : e.suggestions)
            text += '|' + s.description + s.reason + ':' + std::to_string(s.count);
        return text;
    };
    if (explained.together != 0) state.SkipWithError("the box finds something");
    if (!scan && which < 2 && said(explained) != said(vg::ExplainBox(whole, *advisor, query)))
        state.SkipWithError("the prepared explanation and the records' differ");
}

void BM_Box(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    Held& held = Hold(which);
    const BoxQuery& q = kBoxQueries[state.range(1)];
    state.SetLabel(q.name);
    vg::TStrContainer c;
    held.master.Load(c);
    int found = 0;
    ProcessCpu cpu;
    cpu.Start();
    for (auto _ : state) {
        BoxHost host(c, held);
        found = vg::RunBoxSearch(c, host, vg::TBoxQuery(W(q.text))).count; // the words read, the records reloaded
    }
    cpu.Stop();
    cpu.Report(state);
    state.counters["found"] = found;
    // The very records the walk keeps, in its order.
    const std::vector<std::uint32_t>& scan = BoxRows(which, static_cast<int>(state.range(1)));
    const vg::TStrContainer& whole = *held.master.Whole();
    bool same = static_cast<std::size_t>(found) == scan.size() && c.Count() == found;
    for (int k = 0; same && k < found; ++k)
        same = c.GetItem(k) == whole.GetItem(static_cast<int>(scan[static_cast<std::size_t>(k)]));
    if (!same) state.SkipWithError("the prepared box and its scan differ");
}

// The box's words for SQLite: the phone's digits, the street and subscriber folded with every other character
// a blank, a house's and a flat's address number. The rows it selects are checked against the box's, one by one.
class BoxSqlite {
public:
    explicit BoxSqlite(const vg::TStrContainer& whole) {
        sqlite3_open(":memory:", &db_);
        sqlite3_exec(db_,
                     "CREATE TABLE b(id INTEGER PRIMARY KEY, phone_d TEXT, street_w TEXT, user_w TEXT, house_n "
                     "INTEGER, flat_n INTEGER); BEGIN",
                     nullptr, nullptr, nullptr);
        sqlite3_stmt* ins = nullptr;
        sqlite3_prepare_v2(db_, "INSERT INTO b VALUES(?,?,?,?,?,?)", -1, &ins, nullptr);
        auto words = [](std::string_view text) {
            std::string folded(1, ' ');
            folded += vg::FoldForMatch(vg::FoldKind::Words, text);
            for (char& c : folded) {
                const auto u = static_cast<unsigned char>(c);
                const bool alnum = (u >= '0' && u <= '9') || vg::cp1251::Upper(u) != u || vg::cp1251::Lower(u) != u;
                if (!alnum) c = ' ';
            }
            return vg::cp1251::ToUtf8(folded);
        };
        for (int i = 0; i < whole.Count(); ++i) {
            const vg::TString* r = whole.GetItem(i);
            const std::string text[3] = {vg::FoldForMatch(vg::FoldKind::Digits, r->Key()), words(r->Lines()[0]),
                                         words(r->Lines()[3])};
            sqlite3_bind_int(ins, 1, i);
            for (int k = 0; k < 3; ++k)
                sqlite3_bind_text(ins, k + 2, text[k].data(), static_cast<int>(text[k].size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(ins, 5, vg::ReadAddressNumber(r->Lines()[1]).number);
            sqlite3_bind_int64(ins, 6, vg::ReadAddressNumber(r->Lines()[2]).number);
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    }
    ~BoxSqlite() { sqlite3_close(db_); }
    BoxSqlite(const BoxSqlite&) = delete;
    BoxSqlite& operator=(const BoxSqlite&) = delete;

    std::vector<std::uint32_t> Select(const BoxQuery& q) {
        const std::string sql = std::string("SELECT id FROM b WHERE ") + q.sql + " ORDER BY id";
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
        std::vector<std::uint32_t> rows;
        while (sqlite3_step(st) == SQLITE_ROW)
            rows.push_back(static_cast<std::uint32_t>(sqlite3_column_int(st, 0)));
        sqlite3_finalize(st);
        return rows;
    }

private:
    sqlite3* db_ = nullptr;
};

void BM_SqliteBox(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    BoxSqlite db(*Hold(which).master.Whole());
    const BoxQuery& q = kBoxQueries[state.range(1)];
    state.SetLabel(q.name);
    std::vector<std::uint32_t> rows;
    ProcessCpu cpu;
    cpu.Start();
    for (auto _ : state)
        rows = db.Select(q);
    cpu.Stop();
    cpu.Report(state);
    state.counters["found"] = static_cast<double>(rows.size());
    if (rows != BoxRows(which, static_cast<int>(state.range(1))))
        state.SkipWithError("SQLite and the box selected different rows");
}
BENCHMARK(BM_SqliteBox)->ArgsProduct({{0, 1}, {0, 1, 2, 3, 4, 5, 6, 7, 8}})->Unit(benchmark::kMillisecond);

const char* const kColumns[] = {"phone", "street", "house", "flat", "user"};
// The same chains in SQL: the phone through vg_number, a house or flat as an address, the texts upper-cased as
// the sort compares them.
const char* const kOrders[] = {
    "vg_number(phone), user_s, street_s, house COLLATE vg_address, flat COLLATE vg_address",
    "street_s, house COLLATE vg_address, flat COLLATE vg_address, user_s",
    "house COLLATE vg_address, street_s, flat COLLATE vg_address, user_s, vg_number(phone)",
    "flat COLLATE vg_address, house COLLATE vg_address, street_s, user_s, vg_number(phone)",
    "user_s, street_s, house COLLATE vg_address, flat COLLATE vg_address, vg_number(phone)",
};

// The hashes of each record's sort keys as the chain in SQL reads them, in the container's order.
Rows KeysOf(const vg::TStrContainer& c, std::string_view chain) {
    std::vector<std::pair<int, int>> steps; // (field, 0 text, 1 number, 2 address)
    for (std::size_t at = 0; at < chain.size();) {
        std::size_t end = chain.find(", ", at);
        if (end == std::string_view::npos) end = chain.size();
        std::string_view step = chain.substr(at, end - at);
        int kind = 0;
        if (step.rfind("vg_number(", 0) == 0) {
            kind = 1;
            step = step.substr(10, step.size() - 11);
        } else if (step.find(" COLLATE vg_address") != std::string_view::npos) {
            kind = 2;
            step = step.substr(0, step.find(' '));
        } else {
            step = step.substr(0, step.size() - 2); // "_s"
        }
        for (int k = 0; k < 5; ++k)
            if (step == kColumns[k]) steps.emplace_back(k, kind);
        at = end == chain.size() ? end : end + 2;
    }
    Rows keys;
    for (int i = 0; i < c.Count(); ++i) {
        const vg::DirectoryRecord r = vg::ToRecord(*c.GetItem(i));
        const std::string* fields[5] = {&r.phone, &r.street, &r.house, &r.flat, &r.user};
        std::string key[5];
        for (std::size_t k = 0; k < steps.size(); ++k) {
            const std::string& field = *fields[steps[k].first];
            // An address is selected as it is stored (the city writes equal addresses alike).
            key[k] = steps[k].second == 1   ? std::to_string(vg::ToNumber(field))
                     : steps[k].second == 2 ? vg::cp1251::ToUtf8(field)
                                            : vg::cp1251::ToUtf8(vg::cp1251::Upper(field));
        }
        keys.push_back(HashRow(key));
    }
    return keys;
}

void BM_Sort(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    Held& held = Hold(which);
    const int column = static_cast<int>(state.range(1));
    state.SetLabel(kColumns[column]);
    vg::TStrContainer c;
    ProcessCpu cpu;
    for (auto _ : state) {
        state.PauseTiming();
        held.master.Load(c); // the stored order, as after a search or a clear
        state.ResumeTiming();
        cpu.Start();
        vg::SortByColumn(c, column, true);
        cpu.Stop();
    }
    cpu.Report(state);
    state.counters["records"] = c.Count();
}

void BM_SqliteSort(benchmark::State& state) {
    const int which = static_cast<int>(state.range(0));
    Sqlite& db = Database(which);
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
    // The sort's arrangement, key by key: records the chain cannot tell apart may stand in either order.
    Rows theirs;
    db.Order(kOrders[column], &theirs);
    vg::TStrContainer c;
    Hold(which).master.Load(c);
    vg::SortByColumn(c, column, true);
    const std::string difference = Difference(theirs, KeysOf(c, kOrders[column]));
    if (!difference.empty()) state.SkipWithError(("SQLite: " + difference).c_str());
}

void Register() {
    const int directories = Huge() ? 3 : 2;
    // The box on every directory; SQLite's form of it only up to a million.
    for (int which = 0; which < directories; ++which)
        for (int query = 0; query < static_cast<int>(std::size(kBoxQueries)); ++query)
            benchmark::RegisterBenchmark("BM_Box", BM_Box)->Args({which, query})->Unit(benchmark::kMillisecond);
    for (int which = 0; which < directories; ++which)
        for (int text = 0; text < static_cast<int>(std::size(kEmptyBoxes)); ++text)
            for (int scan = 0; scan <= (which < 2 ? 1 : 0); ++scan)
                benchmark::RegisterBenchmark("BM_ExplainBox", BM_ExplainBox)
                    ->Args({which, text, scan})
                    ->Unit(benchmark::kMillisecond);
    for (int which = 0; which < directories; ++which) {
        const bool big = which > 0;
        benchmark::RegisterBenchmark("BM_Load", BM_Load)->Arg(which)->Unit(benchmark::kMillisecond);
        for (int query = 0; query < kQueryCount; ++query) {
            for (int prepared = 1; prepared >= 0; --prepared)
                if (prepared == 1 || which < 2)
                    benchmark::RegisterBenchmark("BM_Search", BM_Search)
                        ->Args({which, query, prepared})
                        ->Unit(benchmark::kMillisecond);
            for (int form = 0; form < kFormCount; ++form)
                if (kQueries[query].sql[form])
                    benchmark::RegisterBenchmark("BM_SqliteSearch", BM_SqliteSearch)
                        ->Args({which, query, form})
                        ->Unit(benchmark::kMillisecond);
        }
        for (int column = 0; column < 5; ++column) {
            if (big && column != 1) continue;
            auto* sort =
                benchmark::RegisterBenchmark("BM_Sort", BM_Sort)->Args({which, column})->Unit(benchmark::kMillisecond);
            auto* sqlite = benchmark::RegisterBenchmark("BM_SqliteSort", BM_SqliteSort)
                               ->Args({which, column})
                               ->Unit(benchmark::kMillisecond);
            if (big) {
                sort->Iterations(2);
                sqlite->Iterations(2);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
