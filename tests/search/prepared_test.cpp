#include "directory/cp1251.h"
#include "search/boxsearch.h"
#include "search/prepared.h"
#include "search/searchrun.h"
#include "search/suggest.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using vg::test::W;

// One directory, searched by walking every record or through its prepared form; records what the host sees.
class Host : public vg::ISearchHost {
public:
    Host(vg::TStrContainer& c, std::shared_ptr<const vg::TStrContainer> whole, const vg::TPreparedDirectory* prepared)
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
    std::shared_ptr<const vg::TStrContainer> whole_;
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
        text = text.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(pick(6)) + 1);
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
        const auto shared = std::make_shared<vg::TStrContainer>();
        vg::TStrContainer& whole = *shared;
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
        const vg::TPreparedDirectory prepared(shared);
        for (int round = 0; round < 300; ++round) {
            vg::TStrContainer walked, picked;
            Host walk(walked, shared, nullptr), fast(picked, shared, &prepared);
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

// An explanation as the operator reads it.
std::vector<std::string> Said(const vg::TExplanation& e) {
    std::vector<std::string> lines{std::to_string(e.together)};
    for (const vg::TCriterionCount& c : e.criteria)
        lines.push_back(c.description + ": " + std::to_string(c.count));
    for (const vg::TSuggestion& s : e.suggestions)
        lines.push_back(std::to_string(static_cast<int>(s.kind)) + s.description + s.reason + std::to_string(s.count));
    return lines;
}

// Box texts a caller might say, built from the directory's own words (cut short, case changed), houses, flats,
// phones in groups, street kinds and markers; through the box's walk and the prepared directory: the same rows.
// Directories of a few thousand records, of a few subscribers with many records each (and on a few streets), and
// of more records than 16 bits count (copies of the city's, phones told apart). What each word finds alone and the
// explanation of an empty answer: the same from the prepared directory as from the records.
TEST(PreparedSearch, BoxKeepsWhatItsWalkKeeps) {
    struct Case {
        int step, count, copies;
        std::size_t subscribers, streets; // 0: as in the city
        int rounds;
    };
    for (const Case& c : {Case{13, 3000, 1, 0, 0, 500}, Case{11, 3000, 1, 40, 0, 200}, Case{7, 3000, 1, 40, 12, 150},
                          Case{1, 45000, 2, 0, 0, 100}}) {
        std::mt19937 rng(17 + c.step);
        auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
        const auto shared = std::make_shared<vg::TStrContainer>();
        vg::TStrContainer& whole = *shared;
        const std::vector<vg::DirectoryRecord> city = vg::test::BuiltinRecords(c.step, c.count);
        std::vector<vg::DirectoryRecord> records;
        for (int copy = 0; copy < c.copies; ++copy)
            for (vg::DirectoryRecord r : city) {
                const std::size_t i = records.size();
                if (c.subscribers != 0) r.user = city[i % c.subscribers].user;
                if (c.streets != 0) r.street = city[i % c.streets].street;
                if (i % 7 == 0) r.phone = "8-800-" + r.phone; // more digits than the prepared ones hold
                if (i % 11 == 3) r.phone = r.phone.substr(0, 2);
                if (i % 13 == 5 || copy > 0) r.phone = std::to_string(copy) + r.phone;
                if (i % 9 == 4) r.user = r.street + ' ' + r.user; // a street's word in a subscriber too
                records.push_back(r);
            }
        vg::test::Fill(whole, records);
        const auto prepared = std::make_shared<const vg::TPreparedDirectory>(shared);
        const vg::TSearchAdvisor advisor(prepared);
        const std::string extras[] = {W("улица"), W("пр."),  W("переулок"), W("шоссе"), W("д."), W("кв."),
                                      "8",        "21-39",   W("н."),       "\"",       "8/1",   W("12А"),
                                      "8 800",    "8-800-2", "210",         "0",        W("и"),  W("ив"),
                                      "2",        "ktybyf",  W("щъщ"),      W("и.")};
        // Numbers said alone first: a digit, two, a house and a flat, a dictated phone cut anywhere.
        const std::string alone[] = {"2", "0", "8", "21", "8 21", "213", W("8а"), "21-3", "2 2", "99999999"};
        for (int round = 0; round < c.rounds + static_cast<int>(std::size(alone)); ++round) {
            std::string text = round < static_cast<int>(std::size(alone)) ? alone[round] : std::string();
            for (std::size_t n = text.empty() ? 1 + pick(3) : 0; n > 0; --n) {
                const vg::TString& r = *whole.GetItem(static_cast<int>(pick(static_cast<std::size_t>(whole.Count()))));
                const std::size_t kind = pick(5);
                std::string word =
                    kind == 4 ? extras[pick(std::size(extras))]
                              : std::string(kind == 3 ? r.Key()
                                                      : r.Lines().Get(kind == 0   ? 0
                                                                      : kind == 1 ? 3
                                                                                  : 1 + static_cast<int>(pick(2))));
                if (kind < 2 && !word.empty()) { // one word of the street or the subscriber, cut short
                    std::size_t at = pick(word.size());
                    at = word.rfind(' ', at) == std::string::npos ? 0 : word.rfind(' ', at) + 1;
                    word = word.substr(at, 1 + pick(word.size() - at));
                }
                if (kind == 3 && word.size() > 2) word = word.substr(0, 2 + pick(word.size() - 1)).insert(2, "-");
                for (char& ch : word)
                    if (pick(3) == 0) ch = static_cast<char>(vg::cp1251::Lower(static_cast<unsigned char>(ch)));
                text += word + ' ';
            }
            const vg::TBoxQuery query(text);
            vg::TStrContainer walked, picked;
            Host walk(walked, shared, nullptr), fast(picked, shared, prepared.get());
            const vg::SearchResult a = vg::RunBoxSearch(walked, walk, query);
            const vg::SearchResult b = vg::RunBoxSearch(picked, fast, query);
            SCOPED_TRACE(std::to_string(records.size()) + " records: " + vg::cp1251::ToUtf8(text));
            ASSERT_EQ(a.outcome, b.outcome);
            ASSERT_EQ(a.count, b.count);
            ASSERT_EQ(walked.Count(), picked.Count());
            for (int i = 0; i < walked.Count(); ++i)
                ASSERT_EQ(walked.GetItem(i), picked.GetItem(i)) << "row " << i;
            // What each word finds, and why nothing is found: from the prepared directory as from the records.
            const vg::TBoxCounts scanned = vg::CountBoxWords(whole, query);
            const vg::TBoxCounts counted = vg::CountBoxWords(*prepared, query);
            ASSERT_EQ(scanned.words, counted.words);
            ASSERT_EQ(scanned.together, counted.together);
            if (scanned.together == 0) {
                ASSERT_EQ(Said(vg::ExplainBox(whole, advisor, query)), Said(vg::ExplainBox(*prepared, advisor, query)));
            }
        }
    }
}

} // namespace
