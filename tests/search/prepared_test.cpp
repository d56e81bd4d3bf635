#include "directory/cp1251.h"
#include "search/prepared.h"
#include "search/searchrun.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using vg::test::W;

// One directory, searched by walking every record or through its prepared form; records what the host sees.
class Host : public vg::ISearchHost {
public:
    Host(vg::TStrContainer& c, const vg::TStrContainer& whole, const vg::TPreparedDirectory* prepared)
        : c_(c), whole_(whole), prepared_(prepared) {}
    void Reload() override { c_.RestoreFrom(whole_); }
    const vg::TPreparedDirectory* Prepared() override { return prepared_; }
    void ReloadOnly(const std::vector<std::uint32_t>& positions) override { c_.RestoreOnly(whole_, positions); }
    vg::TCriteria ReadCriteria() override { return vg::ReadCriteria(inputs); }
    void ProgressCallback(std::int32_t pos, std::int32_t max) override { seen.push_back(pos * 100000LL + max); }
    void Finish(const vg::SearchResult& r) override { seen.push_back(-1000 - r.count); }

    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs{};
    std::vector<long long> seen; // reports and the count finished with

private:
    vg::TStrContainer& c_;
    const vg::TStrContainer& whole_;
    const vg::TPreparedDirectory* prepared_;
};

// A text a criterion might hold: a piece of some record's field, its case changed here and there, sometimes
// with wildcards, a set or a number.
std::string Criterion(std::mt19937& rng, const vg::TStrContainer& whole) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const vg::TString& r = *whole.GetItem(pick(whole.Count()));
    const int field = pick(vg::kFieldCount);
    std::string text(field == 0 ? r.Key() : r.Lines().Get(field - 1));
    if (!text.empty()) {
        const int from = pick(static_cast<int>(text.size()));
        text = text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(1 + pick(6)));
    }
    for (char& c : text)
        if (pick(3) == 0) c = static_cast<char>(vg::cp1251::Lower(static_cast<unsigned char>(c)));
    static const std::string extras[] = {"*", "?", "[0-4]", W("[!А-Я]"), "50", "7", W("я"), " ", "-", "[3-1]"};
    if (pick(3) == 0) text.insert(static_cast<std::size_t>(pick(static_cast<int>(text.size()) + 1)), extras[pick(10)]);
    return text;
}

// Random criteria, every field and condition, through both ways, on directories with damaged records too: the
// same rows in the same order, the same outcome, reports and failure.
TEST(PreparedSearch, KeepsWhatTheWalkKeeps) {
    std::mt19937 rng(2026);
    std::vector<vg::DirectoryRecord> records = vg::test::BuiltinRecords(37, 1200);
    records[5].user = vg::cp1251::Lower(records[5].user);
    records[9] = {};
    for (int damage = 0; damage < 4; ++damage) {
        // Records short of lines (none, one, two of them, 50 and 100 from the end) or with a line too many.
        vg::TStrContainer whole;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const vg::DirectoryRecord& r = records[i];
            std::vector<std::string> lines{r.street, r.house, r.flat, r.user};
            if (damage == 3 && i % 100 == 7) lines.push_back("EXTRA");
            if (records.size() - i == 50 * static_cast<std::size_t>(damage % 3)) lines.resize(i % 4);
            if (damage == 2 && records.size() - i == 50) lines.resize(3);
            auto record = std::make_unique<vg::TString>(r.phone);
            record->SetLines(lines);
            whole.Append(std::move(record));
        }
        const vg::TPreparedDirectory prepared(whole);
        for (int round = 0; round < 300; ++round) {
            vg::TStrContainer walked, picked;
            Host walk(walked, whole, nullptr), fast(picked, whole, &prepared);
            for (int set = 0; set < 1 + static_cast<int>(rng() % 2); ++set) {
                const auto field = static_cast<std::size_t>(rng() % vg::kFieldCount);
                walk.inputs[field] = {Criterion(rng, whole), static_cast<int>(rng() % vg::kConditionCount)};
            }
            fast.inputs = walk.inputs;
            std::string failures[2];
            vg::SearchResult results[2];
            Host* hosts[2] = {&walk, &fast};
            for (int way = 0; way < 2; ++way) {
                try {
                    results[way] = vg::RunSearch(way == 0 ? walked : picked, *hosts[way]);
                } catch (const std::exception& e) {
                    failures[way] = e.what();
                }
            }
            SCOPED_TRACE("damage " + std::to_string(damage) + ", round " + std::to_string(round));
            ASSERT_EQ(failures[0], failures[1]);
            ASSERT_EQ(results[0].outcome, results[1].outcome);
            ASSERT_EQ(results[0].count, results[1].count);
            ASSERT_EQ(results[0].position, results[1].position);
            ASSERT_EQ(results[0].message, results[1].message);
            ASSERT_EQ(walk.seen, fast.seen);
            ASSERT_EQ(walked.Count(), picked.Count());
            for (int i = 0; i < walked.Count(); ++i)
                ASSERT_EQ(walked.GetItem(i), picked.GetItem(i)) << "row " << i;
        }
    }
}

} // namespace
