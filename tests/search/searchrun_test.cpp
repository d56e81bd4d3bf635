#include "directory/cp1251.h"
#include "directory/errors.h"
#include "directory/loader.h"
#include "resources/builtin_directory.h"
#include "search/searchrun.h"
#include "testdata.h"

#include <gtest/gtest.h>

namespace {

using vg::test::W;

// Records what the search asks of its host, as the window would see it.
class Host : public vg::ISearchHost {
public:
    Host(vg::TStrContainer& c, std::string bytes) : c_(c), bytes_(std::move(bytes)) {}
    void Reload() override {
        ++reloads;
        vg::LoadDirectory(c_, bytes_);
        if (corrupt) Corrupt(c_.Count() - 3);
    }
    vg::TCriteria ReadCriteria() override {
        ++reads;
        return vg::ReadCriteria(inputs);
    }
    void SetInfoText(std::string_view text) override { info = text; }
    void ProgressCallback(std::int32_t pos, std::int32_t max) override { reports.emplace_back(pos, max); }
    void ShowProgress() override { ++shows; }
    void Finish(const vg::SearchResult& r) override {
        ++finishes;
        finished = r;
    }

    // Rebuilds the content with record `at` cut to a single line.
    void Corrupt(int at) {
        vg::TStrContainer loaded;
        vg::LoadDirectory(loaded, bytes_);
        c_.Clear();
        for (int i = 0; i < loaded.Count(); ++i) {
            const vg::TString& from = *loaded.GetItem(i);
            auto record = std::make_unique<vg::TString>(from.Key());
            std::vector<std::string> lines;
            for (int k = 0; k < (i == at ? 1 : from.Lines().Count()); ++k)
                lines.emplace_back(i == at ? "ONLY ONE LINE" : from.Lines()[k]);
            record->SetLines(lines);
            c_.Append(std::move(record));
        }
    }

    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs{};
    int reloads = 0, reads = 0, shows = 0, finishes = 0;
    bool corrupt = false;
    std::string info;
    std::vector<std::pair<int, int>> reports;
    vg::SearchResult finished;

private:
    vg::TStrContainer& c_;
    std::string bytes_;
};

TEST(SearchRun, AllFieldsEmptyKeepsTheWholeDirectoryWithTheExactProgressFigures) {
    vg::TStrContainer c;
    Host host(c, std::string(vg::BuiltinDirectory()));
    vg::SearchResult r = vg::RunSearch(c, host);
    EXPECT_EQ(r.outcome, vg::SearchOutcome::Found);
    EXPECT_EQ(r.count, 45129);
    EXPECT_EQ(c.Count(), 45129);
    EXPECT_EQ(host.info, W("Поиск в базе данных ..."));
    ASSERT_EQ(host.reports.size(), 302u);
    EXPECT_EQ(host.reports[0], std::make_pair(0, 45129));
    EXPECT_EQ(host.reports[1], std::make_pair(129, 45129));
    EXPECT_EQ(host.reports[2], std::make_pair(279, 45129));
    EXPECT_EQ(host.reports.back(), std::make_pair(45129, 45129));
    EXPECT_EQ(host.shows, 1);
    EXPECT_EQ(host.finishes, 1);
}

TEST(SearchRun, CriteriaCombineWithAndAndEverySearchStartsFromTheWholeDirectory) {
    vg::TStrContainer c;
    std::vector<vg::DirectoryRecord> recs = {{"12345", W("ЛЕНИНА"), "1", "", "A"},
                                             {"12399", W("МИРА"), "2", "", "B"},
                                             {"22345", W("ЛЕНИНА"), "10", "5", "C"},
                                             {"12377", W("ПР. ЛЕНИНА"), "3", "", "D"}};
    Host host(c, vg::test::Compressed(recs));
    host.inputs[vg::Index(vg::Field::Phone)] = {"1-23", vg::ItemOf(vg::MatchCondition::BeginsWith)};    // begins with
    host.inputs[vg::Index(vg::Field::Street)] = {W("ленин"), vg::ItemOf(vg::MatchCondition::Contains)}; // contains
    vg::SearchResult r = vg::RunSearch(c, host);
    ASSERT_EQ(r.count, 2);
    EXPECT_EQ(c.GetKey(0), "12345"); // stored order kept
    EXPECT_EQ(c.GetKey(1), "12377");

    host.inputs = {};
    host.inputs[vg::Index(vg::Field::House)] = {"9", vg::ItemOf(vg::MatchCondition::Greater)}; // greater, as numbers
    r = vg::RunSearch(c, host);
    ASSERT_EQ(r.count, 1);
    EXPECT_EQ(c.GetKey(0), "22345");

    host.inputs[vg::Index(vg::Field::House)] = {"999", vg::ItemOf(vg::MatchCondition::Greater)};
    r = vg::RunSearch(c, host);
    EXPECT_EQ(r.outcome, vg::SearchOutcome::NotFound);
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(host.finished.outcome, vg::SearchOutcome::NotFound);
}

TEST(SearchRun, AnInvalidMaskFailsTheSearchAndNamesTheCriterion) {
    vg::TStrContainer c;
    Host host(c, std::string(vg::BuiltinDirectory()));
    host.inputs[vg::Index(vg::Field::Street)] = {"[0-9", vg::ItemOf(vg::MatchCondition::FitsMask)};
    host.inputs[vg::Index(vg::Field::User)] = {"[]", vg::ItemOf(vg::MatchCondition::FitsMask)};
    vg::SearchResult r = vg::RunSearch(c, host);
    EXPECT_EQ(r.outcome, vg::SearchOutcome::Failed);
    EXPECT_EQ(r.criterion, static_cast<int>(vg::Field::Street));
    EXPECT_EQ(r.mask, "[0-9");
    EXPECT_EQ(r.position, 5); // just after what was typed, not at the '*' the search appended
    EXPECT_EQ(r.reason, vg::MaskError::UnclosedSet);
    EXPECT_EQ(r.message, "'[0-9*' is an invalid mask at (6)");
    EXPECT_EQ(c.Count(), 45129); // nothing removed
    EXPECT_EQ(host.finishes, 1);
    EXPECT_EQ(host.finished.outcome, vg::SearchOutcome::Failed);
}

struct Fault {
    vg::Field field;
    std::string typed;
    int position;
    vg::MaskError reason;
};

void PrintTo(const Fault& f, std::ostream* os) {
    *os << "'" << vg::cp1251::ToUtf8(f.typed) << "'";
}

class MaskFaults : public ::testing::TestWithParam<Fault> {};

// The fault is reported in the text as typed: before the trimming, the phone's dash removal and the '*'.
TEST_P(MaskFaults, AreReportedWhereTheyWereTyped) {
    const Fault& f = GetParam();
    vg::TStrContainer c;
    Host host(c, vg::test::Compressed({{"12345", "S", "1", "2", "U"}}));
    host.inputs[vg::Index(f.field)] = {f.typed, vg::ItemOf(vg::MatchCondition::NotFitsMask)};
    const vg::SearchResult r = vg::RunSearch(c, host);
    EXPECT_EQ(r.outcome, vg::SearchOutcome::Failed);
    EXPECT_EQ(r.criterion, static_cast<int>(f.field));
    EXPECT_EQ(r.mask, f.typed);
    EXPECT_EQ(r.position, f.position);
    EXPECT_EQ(r.reason, f.reason);
    EXPECT_EQ(c.Count(), 1);
}

using enum vg::MaskError;

INSTANTIATE_TEST_SUITE_P(SearchRun, MaskFaults,
                         ::testing::Values(Fault{vg::Field::Phone, " 1-2-[9-0]", 7, BackwardRange},
                                           Fault{vg::Field::Phone, "--[-1]", 4, RangeWithoutStart},
                                           Fault{vg::Field::Phone, "1-2[_", 6, UnclosedSet},
                                           Fault{vg::Field::Street, W("  [Я-А]*"), 4, BackwardRange},
                                           Fault{vg::Field::Street, W("ул[  "), 4, UnclosedSet},
                                           Fault{vg::Field::House, "1[]", 3, EmptySet},
                                           Fault{vg::Field::Flat, " [!]", 4, EmptySet},
                                           Fault{vg::Field::User,
                                                 [] {
                                                     std::string s = "  ";
                                                     for (int i = 0; i < 30; ++i)
                                                         s += "*A";
                                                     return s;
                                                 }(),
                                                 63,
                                                 TooManyStars})); // the appended '*' is the 31st: just after the text

TEST(SearchRun, LetterCaseAndPhoneRangesFindWhatTheListShows) {
    vg::TStrContainer c;
    Host host(c, vg::test::Compressed({{"21395", W("Пос. Лесхоз"), "1", "", W("Скворцова Е.")},
                                       {"31395", W("ПОС. ЛЕСХОЗ"), "2", "", "X"},
                                       {"41395", W("ЛЕНИНА"), "3", "", "Y"},
                                       {"51395", W("пос. лесхоз"), "4", "", "Z"}}));
    auto keys = [&] {
        std::string k;
        for (int i = 0; i < c.Count(); ++i)
            k += std::string(c.GetKey(i)) + " ";
        return k;
    };
    host.inputs[vg::Index(vg::Field::Street)] = {W("Пос. Лесхоз"), vg::ItemOf(vg::MatchCondition::Equal)};
    vg::RunSearch(c, host);
    EXPECT_EQ(keys(), "21395 31395 51395 ");
    host.inputs[vg::Index(vg::Field::Street)] = {W("ос. л"), vg::ItemOf(vg::MatchCondition::Contains)};
    host.inputs[vg::Index(vg::Field::User)] = {W("скворцова е."), vg::ItemOf(vg::MatchCondition::BeginsWith)};
    vg::RunSearch(c, host);
    EXPECT_EQ(keys(), "21395 ");
    host.inputs = {};
    host.inputs[vg::Index(vg::Field::Phone)] = {"[2-4]-1", vg::ItemOf(vg::MatchCondition::FitsMask)};
    vg::RunSearch(c, host);
    EXPECT_EQ(keys(), "21395 31395 41395 "); // a range, not '2' or '4'
    host.inputs[vg::Index(vg::Field::Phone)] = {"[!2-4]-13-95", vg::ItemOf(vg::MatchCondition::FitsMask)};
    vg::RunSearch(c, host);
    EXPECT_EQ(keys(), "51395 ");
}

TEST(SearchRun, EveryRecordIsReadWholeEvenWhenAnEarlierCriterionRejectsIt) {
    // The phone rejects every record, yet the search reads all five fields of each: the damaged record (one line
    // only) fails the search instead of slipping through unread.
    vg::TStrContainer c;
    std::vector<vg::DirectoryRecord> recs;
    for (int i = 0; i < 10; ++i)
        recs.push_back({std::to_string(10000 + i), "S", "1", "", "U"});
    Host host(c, vg::test::Compressed(recs));
    host.corrupt = true;
    host.inputs[vg::Index(vg::Field::Phone)] = {"99999", vg::ItemOf(vg::MatchCondition::Equal)};
    EXPECT_THROW(vg::RunSearch(c, host), vg::EListError);
    EXPECT_EQ(c.Count(), 8); // the two records after the damaged one were examined and removed

    vg::TCriteria criteria;
    criteria.Conditions[vg::Index(vg::Field::Phone)] = vg::MatchCondition::Equal;
    criteria.Texts[vg::Index(vg::Field::Phone)] = "99999";
    const vg::TRecordFilter filter(criteria);
    vg::TString damaged("10000");
    damaged.SetLines({"S", "1"});
    EXPECT_THROW(filter(damaged), vg::EListError);
    vg::TString whole("10000");
    whole.SetLines({"S", "1", "", "U"});
    EXPECT_FALSE(filter(whole));
}

TEST(SearchRun, AnEmptyDirectoryDoesNothingFurther) {
    vg::TStrContainer c;
    Host host(c, vg::test::Compressed({}));
    vg::SearchResult r = vg::RunSearch(c, host);
    EXPECT_EQ(r.outcome, vg::SearchOutcome::Empty);
    EXPECT_EQ(host.reads, 0);
    EXPECT_EQ(host.shows, 0);
    EXPECT_EQ(host.finishes, 0);
}

TEST(SearchRun, AFailureDuringTheWalkStillFinishesAndKeepsWhatWasRemoved) {
    vg::TStrContainer c;
    std::vector<vg::DirectoryRecord> recs;
    for (int i = 0; i < 10; ++i)
        recs.push_back({std::to_string(10000 + i), "S", "1", "", i % 2 ? "ODD" : "EVEN"});
    Host host(c, vg::test::Compressed(recs));
    host.corrupt = true; // record 7 has one line only
    host.inputs[vg::Index(vg::Field::User)] = {"EVEN", vg::ItemOf(vg::MatchCondition::Equal)};
    try {
        vg::RunSearch(c, host);
        ADD_FAILURE() << "the damaged record went unnoticed";
    } catch (const vg::ERecordError& e) { // the record is named: its place, its phone, the line it lacks
        EXPECT_EQ(e.Position(), 7);
        EXPECT_EQ(e.Phone(), "10007");
        EXPECT_STREQ(e.what(), "record 8 (phone 10007) lacks line 2: List index out of bounds (1)");
    }
    EXPECT_EQ(host.finishes, 1);
    // Records 9 and 8 were examined before the damaged one: 9 (odd) is gone, the rest stay.
    EXPECT_EQ(c.Count(), 9);
    EXPECT_EQ(host.finished.count, 9);
    EXPECT_EQ(host.finished.outcome, vg::SearchOutcome::Found);
}

} // namespace
