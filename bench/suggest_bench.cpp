// Why a search found nothing, and what would find something, on the built-in directory, on a generated
// million records and (when VG_BENCH_10M=FILE names a file made by `mkdirectory generate --records 10000000
// -o FILE`) on ten million: searches an operator might type that find nothing, explained by an advisor kept for
// the loaded directory and in one call that first prepares the directory (not at ten million, where preparing
// takes seconds); and the advisor's making.
//   build-bench/bench/suggest_bench [--benchmark_filter=...]

#include "citygen.h"
#include "directory/cp1251.h"
#include "directory/loader.h"
#include "directory/writer.h"
#include "resources/builtin_directory.h"
#include "search/prepared.h"
#include "search/suggest.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Typed {
    vg::Field field;
    vg::MatchCondition condition;
    const char* text; // UTF-8, as typed
};

struct EmptySearch {
    const char* name;
    std::vector<Typed> criteria;
};

const EmptySearch kSearches[] = {
    {"layout_street_house",
     {{vg::Field::Street, vg::MatchCondition::BeginsWith, "ktybyf"},
      {vg::Field::House, vg::MatchCondition::Equal, "15"}}},
    {"misspelt_street", {{vg::Field::Street, vg::MatchCondition::BeginsWith, "ЛЕНЕНА"}}},
    {"street_as_said", {{vg::Field::Street, vg::MatchCondition::BeginsWith, "московское шоссе"}}},
    {"surname_in_phone", {{vg::Field::Phone, vg::MatchCondition::BeginsWith, "иванова"}}},
    {"leftover_criteria",
     {{vg::Field::Street, vg::MatchCondition::BeginsWith, "ТАЛАЛИХИНА"},
      {vg::Field::Flat, vg::MatchCondition::Equal, "15"},
      {vg::Field::User, vg::MatchCondition::BeginsWith, "кинотеатр"}}},
    {"initials_slip", {{vg::Field::User, vg::MatchCondition::Equal, "иванова н.х."}}},
    {"set_without_mask", {{vg::Field::Phone, vg::MatchCondition::BeginsWith, "[2-3]1"}}},
    {"misspelt_user", {{vg::Field::User, vg::MatchCondition::Contains, "ИВАНАВ"}}},
    {"user_equal_surname", {{vg::Field::User, vg::MatchCondition::Equal, "ЩЕРБАКОВ"}}},
    {"begins_inside_word", {{vg::Field::Street, vg::MatchCondition::BeginsWith, "НИНА"}}},
    {"five_criteria_misspelt",
     {{vg::Field::Phone, vg::MatchCondition::BeginsWith, "2"},
      {vg::Field::Street, vg::MatchCondition::BeginsWith, "ЛЕНЕНА"},
      {vg::Field::House, vg::MatchCondition::Greater, "5"},
      {vg::Field::Flat, vg::MatchCondition::Less, "200"},
      {vg::Field::User, vg::MatchCondition::NotContains, "ООО"}}},
    {"five_criteria_layout",
     {{vg::Field::Phone, vg::MatchCondition::FitsMask, "2*"},
      {vg::Field::Street, vg::MatchCondition::Contains, "kty"},
      {vg::Field::House, vg::MatchCondition::Less, "40"},
      {vg::Field::Flat, vg::MatchCondition::GreaterOrEqual, "1"},
      {vg::Field::User, vg::MatchCondition::BeginsWith, "ИВАНОВ"}}},
    // Two criteria that each find nothing: no single change helps, only the counts are worked out.
    {"five_criteria_two_slips",
     {{vg::Field::Phone, vg::MatchCondition::BeginsWith, "2"},
      {vg::Field::Street, vg::MatchCondition::BeginsWith, "ЛЕНЕНА"},
      {vg::Field::House, vg::MatchCondition::Greater, "10"},
      {vg::Field::Flat, vg::MatchCondition::Less, "50"},
      {vg::Field::User, vg::MatchCondition::Contains, "bdfyjd"}}},
};

vg::TCriteria Criteria(const EmptySearch& search) {
    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs{};
    for (const Typed& t : search.criteria) {
        std::string text;
        if (!vg::cp1251::FromUtf8(t.text, text)) throw std::invalid_argument(t.text);
        inputs[vg::Index(t.field)] = {text, vg::ItemOf(t.condition)};
    }
    return vg::ReadCriteria(inputs);
}

// The city (0), a generated million records (1) or the ten million of VG_BENCH_10M (2), loaded whole, and
// prepared for searching as a window prepares it at the load.
struct Held {
    std::shared_ptr<vg::TStrContainer> whole = std::make_shared<vg::TStrContainer>();
    std::shared_ptr<const vg::TPreparedDirectory> prepared;
};

const Held& Directory(std::int64_t which) {
    static Held held[3];
    Held& h = held[which];
    if (!h.prepared) {
        if (which == 0) {
            vg::LoadDirectory(*h.whole, vg::BuiltinDirectory());
        } else if (which == 2) {
            std::ifstream file(std::getenv("VG_BENCH_10M"), std::ios::binary);
            const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
            if (bytes.empty()) throw std::runtime_error("cannot read the file named by VG_BENCH_10M");
            vg::LoadDirectory(*h.whole, bytes);
        } else {
            const std::string bytes = vg::PackDirectory(vg::GenerateCity(1000000));
            vg::LoadDirectory(*h.whole, bytes);
        }
        h.prepared = std::make_shared<const vg::TPreparedDirectory>(h.whole);
    }
    return h;
}

const char* const kSizeNames[] = {"city", "1M", "10M"};

// Ten million only when a file of them is named: VG_BENCH_10M=1 (made in the process) is not taken here.
bool Huge() {
    const char* file = std::getenv("VG_BENCH_10M");
    return file && *file && std::strcmp(file, "1") != 0;
}

void Report(benchmark::State& state, const vg::TExplanation& explanation) {
    state.counters["together"] = explanation.together;
    state.counters["suggestions"] = static_cast<double>(explanation.suggestions.size());
    state.counters["best_count"] = explanation.suggestions.empty() ? 0 : explanation.suggestions[0].count;
}

void BM_Explain(benchmark::State& state) {
    const Held& held = Directory(state.range(0));
    const EmptySearch& search = kSearches[state.range(1)];
    state.SetLabel(std::string(kSizeNames[state.range(0)]) + "/" + search.name);
    const vg::TSearchAdvisor advisor(held.prepared);
    const vg::TCriteria criteria = Criteria(search);
    vg::TExplanation explanation;
    for (auto _ : state)
        explanation = advisor.Explain(criteria);
    Report(state, explanation);
}

// The directory prepared again for every explanation, as a caller that keeps no advisor pays.
void BM_ExplainInOneCall(benchmark::State& state) {
    const Held& held = Directory(state.range(0));
    const EmptySearch& search = kSearches[state.range(1)];
    state.SetLabel(std::string(kSizeNames[state.range(0)]) + "/" + search.name);
    const vg::TCriteria criteria = Criteria(search);
    vg::TExplanation explanation;
    for (auto _ : state)
        explanation = vg::ExplainSearch(*held.whole, criteria);
    Report(state, explanation);
}

// The advisor made from the prepared directory, as a window makes it at its first empty search.
void BM_AdvisorSnapshot(benchmark::State& state) {
    const Held& held = Directory(state.range(0));
    state.SetLabel(kSizeNames[state.range(0)]);
    std::size_t bytes = 0;
    for (auto _ : state) {
        vg::TSearchAdvisor advisor(held.prepared);
        bytes = advisor.MemoryBytes();
        benchmark::DoNotOptimize(advisor.Records());
    }
    state.counters["advisor_bytes_per_record"] = static_cast<double>(bytes) / held.whole->Count();
}

void Register() {
    const std::int64_t sizes = Huge() ? 3 : 2;
    const auto searches = static_cast<std::int64_t>(std::size(kSearches));
    for (std::int64_t which = 0; which < sizes; ++which)
        for (std::int64_t search = 0; search < searches; ++search)
            benchmark::RegisterBenchmark("BM_Explain", BM_Explain)
                ->Args({which, search})
                ->Unit(benchmark::kMillisecond);
    for (std::int64_t which = 0; which < 2; ++which)
        for (std::int64_t search = 0; search < searches; ++search)
            benchmark::RegisterBenchmark("BM_ExplainInOneCall", BM_ExplainInOneCall)
                ->Args({which, search})
                ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_AdvisorSnapshot", BM_AdvisorSnapshot)
        ->DenseRange(0, sizes - 1)
        ->Unit(benchmark::kMillisecond);
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
