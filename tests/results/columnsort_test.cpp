#include "citygen.h"
#include "directory/cp1251.h"
#include "directory/errors.h"
#include "results/columnsort.h"
#include "search/folding.h"
#include "search/matching.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>
#include <random>
#include <utility>

namespace {

using vg::test::W;

class Bar : public vg::ISortProgress {
public:
    bool Visible() const override { return visible; }
    int Percent() const override { return percent; }
    void SetPercent(int p) override {
        EXPECT_GE(p, percent) << "the bar must never move back";
        percent = p;
        figures.push_back(p);
    }
    bool visible = true;
    int percent = 0;
    std::vector<int> figures;
};

// A container of the given records, each tagged with its position, so that an arrangement can be read back.
void FillTagged(vg::TStrContainer& c, const std::vector<vg::DirectoryRecord>& records) {
    c.Clear();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const vg::DirectoryRecord& r = records[i];
        auto rec = std::make_unique<vg::TString>(r.phone);
        rec->SetLines({r.street, r.house, r.flat, r.user});
        rec->Tag = static_cast<std::int32_t>(i);
        c.Append(std::move(rec));
    }
}

std::vector<int> Tags(const vg::TStrContainer& c) {
    std::vector<int> tags;
    for (int i = 0; i < c.Count(); ++i)
        tags.push_back(c.GetItem(i)->Tag);
    return tags;
}

// ---- the reference: the chains written out again, and today's quick sort over them ----

// Per column, which field (0 Phone, 1 Street, 2 House, 3 Flat, 4 User) each step takes; House, Flat and
// Phone are numbers (the phone through ToNumber, house and flat as addresses), Street and User texts.
const std::vector<std::vector<int>> kRefChains = {
    {0, 4, 1, 2, 3}, // Phone: Phone, User, Street, House, Flat
    {1, 2, 3, 4},    // Street: Street, House, Flat, User (no Phone)
    {2, 1, 3, 4, 0}, // House: House, Street, Flat, User, Phone
    {3, 2, 1, 4, 0}, // Flat: Flat, House, Street, User, Phone
    {4, 1, 2, 3, 0}, // User: User, Street, House, Flat, Phone
};
bool IsNumber(int field) {
    return field == 0 || field == 2 || field == 3;
}

// A record's fields as the chains see them: the phone's number, the house and flat as stored, and texts
// upper-cased; a line the record lacks is absent.
struct RefRecord {
    std::array<std::int64_t, 5> number{};
    std::array<std::string, 5> text{};
    std::array<bool, 5> present{};
};

RefRecord Prepare(const vg::TString& r) {
    RefRecord out;
    for (int f = 0; f < 5; ++f) {
        std::string_view text;
        if (f == 0) {
            text = r.Key();
        } else if (f - 1 < r.Lines().Count()) {
            text = r.Lines()[f - 1];
        } else {
            continue;
        }
        out.present[static_cast<std::size_t>(f)] = true;
        if (f == 0)
            out.number[0] = vg::ToNumber(text);
        else if (IsNumber(f))
            out.text[static_cast<std::size_t>(f)] = text;
        else
            for (char c : text)
                out.text[static_cast<std::size_t>(f)].push_back(
                    static_cast<char>(vg::cp1251::Upper(static_cast<unsigned char>(c))));
    }
    return out;
}

int RefCompare(const RefRecord& a, const RefRecord& b, int column) {
    for (int f : kRefChains[static_cast<std::size_t>(column)]) {
        const auto k = static_cast<std::size_t>(f);
        if (!a.present[k] || !b.present[k]) throw vg::EListError(f - 1);
        int r;
        if (f == 0) {
            r = a.number[k] < b.number[k] ? -1 : a.number[k] > b.number[k] ? 1 : 0;
        } else if (IsNumber(f)) {
            r = vg::CompareAddress(a.text[k], b.text[k]);
        } else { // std::string compares its bytes as unsigned, the shorter of two equal starts first
            const int t = a.text[k].compare(b.text[k]);
            r = t < 0 ? -1 : t > 0 ? 1 : 0;
        }
        if (r != 0) return r;
    }
    return 0;
}

// Today's sort, kept here as the reference: the Hoare quick sort that tracks its pivot record by position,
// reporting progress at every compare whose placed position is a multiple of 150.
struct RefSort {
    std::vector<RefRecord> recs;
    std::vector<int> tags;
    int column;
    bool ascending;
    Bar* bar;

    int Compare(int i, int p) {
        if (bar && i % 150 == 0 && bar->Visible()) {
            int share = vg::RoundedShare(p, static_cast<int>(recs.size()));
            if (bar->Percent() < share) bar->SetPercent(share);
        }
        int r = RefCompare(recs[static_cast<std::size_t>(i)], recs[static_cast<std::size_t>(p)], column);
        return ascending ? r : -r;
    }
    void Run(int L, int R) {
        int I, J;
        do {
            I = L;
            J = R;
            int P = (L + R) / 2;
            do {
                while (Compare(I, P) < 0)
                    ++I;
                while (Compare(J, P) > 0)
                    --J;
                if (I <= J) {
                    std::swap(recs[static_cast<std::size_t>(I)], recs[static_cast<std::size_t>(J)]);
                    std::swap(tags[static_cast<std::size_t>(I)], tags[static_cast<std::size_t>(J)]);
                    if (P == I)
                        P = J;
                    else if (P == J)
                        P = I;
                    ++I;
                    --J;
                }
            } while (I <= J);
            if (L < J) Run(L, J);
            L = I;
        } while (I < R);
    }
};

// The reference arrangement of a container's records (as tags), and whether the sort stopped on a failure.
std::vector<int> ReferenceArrangement(const vg::TStrContainer& c, int column, bool ascending, Bar* bar = nullptr,
                                      std::optional<std::string>* failure = nullptr) {
    RefSort sort{{}, {}, column, ascending, bar};
    for (int i = 0; i < c.Count(); ++i) {
        sort.recs.push_back(Prepare(*c.GetItem(i)));
        sort.tags.push_back(c.GetItem(i)->Tag);
    }
    try {
        if (c.Count() > 1) sort.Run(0, c.Count() - 1);
    } catch (const vg::EListError& e) {
        if (!failure) throw;
        *failure = e.what();
    }
    return sort.tags;
}

// ---- tables ----

std::vector<vg::DirectoryRecord> Sample() {
    return {
        {"22222", W("МИРА"), "10", "1", W("ПЕТРОВ П.")},  // 0
        {"", W("ЛЕНИНА"), W("12А"), "", W("ИВАНОВ И.")},  // 1: no number, a lettered house
        {"11111", W("ленина"), "9", "2", W("ёжиков е.")}, // 2: lower case
        {"33333", W("ЛЕНИНА"), "9", "10", "smith j."},    // 3
        {"44444", W("ЛЕНИНА"), "9", "10", "SMITH K."},    // 4
        {"5555", "", "", "9/9", W("\"ЛОТОС\"")},          // 5
        {"66666", W("ЛЕНИНА"), "1", "50", W("Я")},        // 6: house before flat decides
    };
}

struct Arrangement {
    int column;
    std::vector<int> ascending; // sample positions, first to last
};

void PrintTo(const Arrangement& a, std::ostream* os) {
    *os << "column " << a.column;
}

class SortedSample : public ::testing::TestWithParam<Arrangement> {};

// The chains, stated as the arrangements they give: numbers as numbers ("5555" before "11111"), houses and flats
// as addresses ("12А" after "10", "9/9" after "2" and before "10"),
// texts upper-cased in byte order ('"' < Latin < Ё < А..Я), each tie going to the next step.
INSTANTIATE_TEST_SUITE_P(Table, SortedSample,
                         ::testing::Values(Arrangement{0, {1, 5, 2, 0, 3, 4, 6}}, Arrangement{1, {5, 6, 2, 3, 4, 1, 0}},
                                           Arrangement{2, {5, 6, 2, 3, 4, 0, 1}}, Arrangement{3, {1, 0, 2, 5, 3, 4, 6}},
                                           Arrangement{4, {5, 3, 4, 2, 1, 0, 6}}));

TEST_P(SortedSample, EachColumnArrangesByItsChainBothWays) {
    const Arrangement& a = GetParam();
    vg::TStrContainer c;
    FillTagged(c, Sample());
    vg::SortByColumn(c, a.column, true);
    EXPECT_EQ(Tags(c), a.ascending);
    vg::SortByColumn(c, a.column, false);
    EXPECT_EQ(Tags(c), std::vector<int>(a.ascending.rbegin(), a.ascending.rend()));
    for (int i = 0; i < c.Count(); ++i) // the records move whole
        EXPECT_EQ(vg::ToRecord(*c.GetItem(i)).user, Sample()[static_cast<std::size_t>(c.GetItem(i)->Tag)].user);
}

// For every chain and every step: two records equal before the step, ordered one way by it and the other way
// by the next step. The step must decide, as the kind it is (a number: 9 before 10; a text: "10" before "9").
TEST(SortByColumn, EveryStepOfEveryChainDecidesBeforeTheNext) {
    for (int column = 0; column < vg::kColumnCount; ++column) {
        const std::vector<int>& chain = kRefChains[static_cast<std::size_t>(column)];
        for (std::size_t k = 0; k < chain.size(); ++k) {
            std::array<std::string, 5> first{}, second{};
            const int f = chain[k];
            // "9" against "10": first by number, second by text.
            first[static_cast<std::size_t>(f)] = IsNumber(f) ? "9" : "10";
            second[static_cast<std::size_t>(f)] = IsNumber(f) ? "10" : "9";
            if (k + 1 < chain.size()) { // the next step says the opposite
                first[static_cast<std::size_t>(chain[k + 1])] = "2";
                second[static_cast<std::size_t>(chain[k + 1])] = "1";
            }
            auto record = [](const std::array<std::string, 5>& v) {
                return vg::DirectoryRecord{v[0], v[1], v[2], v[3], v[4]};
            };
            for (bool ascending : {true, false}) {
                vg::TStrContainer c;
                FillTagged(c, {record(second), record(first)}); // tag 1 belongs first when ascending
                vg::SortByColumn(c, column, ascending);
                EXPECT_EQ(Tags(c), (ascending ? std::vector<int>{1, 0} : std::vector<int>{0, 1}))
                    << "column " << column << " step " << k << (ascending ? " ascending" : " descending");
            }
        }
    }
}

TEST(SortByColumn, TheStreetChainIgnoresThePhone) {
    vg::TStrContainer c;
    FillTagged(c, {{"1", "S", "1", "1", "U"}, {"2", "S", "1", "1", "U"}});
    EXPECT_EQ(vg::CompareByColumn(&c, 1, 0, 1, true), 0);
    EXPECT_EQ(vg::CompareByColumn(&c, 1, 0, 1, false), 0);
    EXPECT_LT(vg::CompareByColumn(&c, 4, 0, 1, true), 0);
    EXPECT_GT(vg::CompareByColumn(&c, 4, 0, 1, false), 0);
}

TEST(CompareByColumn, AnswersAsTheChainsForEveryPairAndNothingOutOfRange) {
    vg::TStrContainer c;
    FillTagged(c, Sample());
    for (int column = 0; column < vg::kColumnCount; ++column)
        for (int i = 0; i < c.Count(); ++i)
            for (int j = 0; j < c.Count(); ++j) {
                int want = RefCompare(Prepare(*c.GetItem(i)), Prepare(*c.GetItem(j)), column);
                EXPECT_EQ(vg::CompareByColumn(&c, column, i, j, true), want) << column << ": " << i << ", " << j;
                EXPECT_EQ(vg::CompareByColumn(&c, column, i, j, false), -want) << column << ": " << i << ", " << j;
            }
    Bar bar;
    EXPECT_EQ(vg::CompareByColumn(&c, 1, 0, 7, true, &bar), 0);
    EXPECT_EQ(vg::CompareByColumn(&c, 1, -1, 0, true, &bar), 0);
    EXPECT_EQ(vg::CompareByColumn(nullptr, 1, 0, 0, true, &bar), 0);
    EXPECT_EQ(vg::CompareByColumn(&c, 5, 0, 1, true, &bar), 0);
    EXPECT_TRUE(bar.figures.empty());
}

TEST(CompareByColumn, ProgressIsThePivotsShareOnMultiplesOf150) {
    vg::TStrContainer c;
    vg::test::Fill(c, vg::test::BuiltinRecords(15, 3000));
    Bar exact;
    vg::CompareByColumn(&c, 1, 150, 45, true, &exact);
    EXPECT_EQ(exact.percent, 2); // 45 / 30 = 1.5 -> 2
    vg::CompareByColumn(&c, 1, 151, 2999, true, &exact);
    EXPECT_EQ(exact.percent, 2); // index 151 is not a multiple of 150
    vg::CompareByColumn(&c, 1, 0, 2999, true, &exact);
    EXPECT_EQ(exact.percent, 100);
    vg::CompareByColumn(&c, 1, 300, 30, true, &exact);
    EXPECT_EQ(exact.percent, 100); // never back
}

// The bar runs to the end, forward only (Bar checks that), at most `step` percent at a time.
void ExpectSteady(const std::vector<int>& figures, int column, int step) {
    ASSERT_FALSE(figures.empty()) << "column " << column;
    EXPECT_EQ(figures.back(), 100) << "column " << column;
    for (std::size_t k = 0; k < figures.size(); ++k)
        EXPECT_LE(figures[k] - (k ? figures[k - 1] : 0), step) << "column " << column << " at " << figures[k];
}

// ---- the exact arrangement of today's sort, and its progress ----

TEST(SortByColumn, ArrangesTheCityExactlyAsTodaysSortForEveryColumnAndDirection) {
    const std::vector<vg::DirectoryRecord> recs = vg::test::BuiltinRecords(1, vg::test::BuiltinContainer().Count());
    vg::TStrContainer c;
    FillTagged(c, recs);
    // Each sort starts from the previous one's arrangement, as clicks in the window do.
    for (int column = 0; column < vg::kColumnCount; ++column) {
        for (bool ascending : {true, false}) {
            Bar want, got;
            const std::vector<int> reference = ReferenceArrangement(c, column, ascending, &want);
            vg::SortByColumn(c, column, ascending, &got);
            ASSERT_EQ(Tags(c), reference) << "column " << column << (ascending ? " ascending" : " descending");
            ExpectSteady(got.figures, column, 3);
        }
    }
    // Ascending by phone from the stored order: the records without a number first.
    FillTagged(c, recs);
    vg::SortByColumn(c, 0, true);
    EXPECT_EQ(c.GetKey(0), "");
    EXPECT_EQ(c.GetKey(5136), "");
    EXPECT_FALSE(c.GetKey(5137).empty());
}

TEST(SortByColumn, ArrangesAMillionRecordsExactlyAsTodaysSort) {
    std::vector<vg::DirectoryRecord> recs = vg::GenerateCity(1000000);
    vg::SortByKey(recs); // the stored order of a packed directory
    vg::TStrContainer c;
    FillTagged(c, recs);
    // Every column once, the directions alternating, each from the previous arrangement.
    for (int column = 0; column < vg::kColumnCount; ++column) {
        const bool ascending = column % 2 == 0;
        Bar want, got;
        const std::vector<int> reference = ReferenceArrangement(c, column, ascending, &want);
        vg::SortByColumn(c, column, ascending, &got);
        ASSERT_EQ(Tags(c), reference) << "column " << column << (ascending ? " ascending" : " descending");
        ExpectSteady(got.figures, column, 100); // the threads' turns decide the steps
    }
}

// 60,000 records whose houses put the largest at the middle of every range the quick sort takes, which once
// took it n²/2 compares and as many nested calls: sorted by house, in n log n compares.
TEST(SortByColumn, ARangeArrangedAgainstTheMiddlePivotIsSortedInNLogNCompares) {
    const int n = 60000;
    std::vector<int> ids(n), house(n);
    std::iota(ids.begin(), ids.end(), 0);
    for (int m = n - 1; m >= 0; --m) { // the pivot of 0..m is the largest there and moves to m
        house[ids[m / 2]] = m + 1;
        std::swap(ids[m / 2], ids[m]);
    }
    std::vector<vg::DirectoryRecord> recs;
    for (int h : house)
        recs.push_back({"12345", "S", std::to_string(h), "1", "U"});
    vg::TStrContainer c;
    FillTagged(c, recs);
    vg::SortByColumn(c, 2, true);
    for (int i = 0; i < n; ++i)
        ASSERT_EQ(c.GetItem(i)->Lines()[1], std::to_string(i + 1)) << i;
    long long compares = 0;
    auto compare = [&](int i, int p) { return ++compares, house[i] - house[p]; };
    auto exchange = [&](int i, int j) { std::swap(house[i], house[j]); };
    vg::detail::PivotQuickSort(0, n - 1, compare, exchange);
    EXPECT_TRUE(std::is_sorted(house.begin(), house.end()));
    EXPECT_LT(compares, 10LL * n * 16); // n²/2 = 1,800,000,000 without the bound
}

TEST(SortByColumn, ProgressOnlyWhenVisibleAndTinyListsStayAsTheyAre) {
    vg::TStrContainer c;
    vg::test::Fill(c, vg::test::BuiltinRecords(15, 3000));
    Bar hidden;
    hidden.visible = false;
    vg::SortByColumn(c, 2, true, &hidden);
    EXPECT_TRUE(hidden.figures.empty());

    for (int n : {0, 1}) {
        std::vector<vg::DirectoryRecord> one(static_cast<std::size_t>(n), {"1", "S", "1", "", "U"});
        FillTagged(c, one);
        Bar bar;
        vg::SortByColumn(c, 0, true, &bar);
        EXPECT_EQ(c.Count(), n);
        EXPECT_TRUE(bar.figures.empty());
    }
}

// A record with fewer lines than a compare needs stops the sort with the line list's error, the records in
// the order reached; one whose missing lines no compare needs is sorted as any other.
TEST(SortByColumn, AShortRecordFailsWhereTodaysSortFailsAndKeepsTheOrderReached) {
    std::mt19937 rng(11);
    std::vector<vg::DirectoryRecord> recs = vg::test::BuiltinRecords(97, 400);
    for (int round = 0; round < 40; ++round) {
        const int column = round % vg::kColumnCount;
        vg::TStrContainer c;
        c.Clear();
        const std::size_t shortAt = rng() % recs.size();
        const int kept = static_cast<int>(rng() % 4); // lines the short record keeps
        for (std::size_t i = 0; i < recs.size(); ++i) {
            const vg::DirectoryRecord& r = recs[i];
            auto rec = std::make_unique<vg::TString>(r.phone);
            std::vector<std::string> lines{r.street, r.house, r.flat, r.user};
            if (i == shortAt) lines.resize(static_cast<std::size_t>(kept));
            rec->SetLines(lines);
            rec->Tag = static_cast<std::int32_t>(i);
            c.Append(std::move(rec));
        }
        std::optional<std::string> wantFailure;
        const std::vector<int> reference = ReferenceArrangement(c, column, round % 2 == 0, nullptr, &wantFailure);
        std::optional<std::string> gotFailure;
        try {
            vg::SortByColumn(c, column, round % 2 == 0);
        } catch (const vg::ERecordError& e) {
            gotFailure = e.what();
            EXPECT_EQ(e.Position(), static_cast<std::int32_t>(shortAt)) << "round " << round; // the short one
            EXPECT_EQ(e.Phone(), recs[shortAt].phone) << "round " << round;
        }
        EXPECT_EQ(gotFailure.has_value(), wantFailure.has_value()) << "round " << round;
        if (gotFailure && wantFailure) {
            EXPECT_TRUE(gotFailure->ends_with(": " + *wantFailure)) << *gotFailure;
        }
        EXPECT_EQ(Tags(c), reference) << "round " << round;
    }
}

} // namespace

namespace {

// Each column's arrangement of a small directory, worked out by hand from the chains: Phone, User, Street,
// House, Flat; Street, House, Flat, User; House, Street, Flat, User, Phone; Flat, House, Street, User, Phone;
// User, Street, House, Flat, Phone. Phone, house and flat compare as numbers ("99" < "100", "9" < "10",
// "3" < "10"), text without regard to case. Letters in brackets tie on the whole chain, in any order.
struct HandArrangement {
    int column;
    bool ascending;
    const char* order;
};

TEST(SortByColumn, ArrangesEveryColumnAsItsChainSays) {
    const std::vector<std::pair<char, vg::DirectoryRecord>> records = {
        {'a', {"101", W("ЛЕНИНА"), "9", "10", W("ИВАНОВ")}},  {'b', {"102", W("ЛЕНИНА"), "10", "2", W("ИВАНОВ")}},
        {'c', {"103", W("ЛЕНИНА"), "9", "10", W("АБРАМОВ")}}, {'d', {"104", W("МИРА"), "9", "2", W("ИВАНОВ")}},
        {'e', {"105", W("АЛЛЕЯ"), "10", "2", W("ИВАНОВ")}},   {'f', {"99", W("МИРА"), "9", "2", W("ИВАНОВ")}},
        {'g', {"100", W("ленина"), "9", "3", W("ЯКОВЛЕВ")}},  {'h', {"101", W("АЛЛЕЯ"), "1", "1", W("ИВАНОВ")}},
    };
    const HandArrangement table[] = {
        {0, true, "fghabcde"}, {0, false, "edcbahgf"}, {1, true, "hegcab[df]"}, {1, false, "[df]bacgeh"},
        {2, true, "hgcafdeb"}, {2, false, "bedfacgh"}, {3, true, "hfdebgca"},   {3, false, "acgbedfh"},
        {4, true, "cheabfdg"}, {4, false, "gdfbaehc"},
    };
    auto letterOf = [&](const vg::TString& item) {
        const vg::DirectoryRecord r = vg::ToRecord(item);
        for (const auto& [letter, x] : records)
            if (x.phone == r.phone && x.street == r.street && x.house == r.house && x.flat == r.flat &&
                x.user == r.user)
                return letter;
        return '?';
    };
    std::vector<vg::DirectoryRecord> plain;
    for (const auto& entry : records)
        plain.push_back(entry.second);
    for (const HandArrangement& want : table) {
        SCOPED_TRACE(testing::Message() << "column " << want.column << (want.ascending ? " ascending" : " descending"));
        // Every starting order must end in the same arrangement.
        for (int rotation = 0; rotation < static_cast<int>(plain.size()); ++rotation) {
            std::vector<vg::DirectoryRecord> start(plain.begin() + rotation, plain.end());
            start.insert(start.end(), plain.begin(), plain.begin() + rotation);
            vg::TStrContainer c;
            vg::test::Fill(c, start);
            vg::SortByColumn(c, want.column, want.ascending);
            ASSERT_EQ(c.Count(), static_cast<int>(plain.size()));
            std::string got;
            for (int i = 0; i < c.Count(); ++i)
                got += letterOf(*c.GetItem(i));
            // A bracketed group may come in any order: compare it as a sorted run.
            std::string expected;
            std::size_t at = 0;
            for (const char* p = want.order; *p; ++p) {
                if (*p == '[') {
                    const char* close = std::strchr(p, ']');
                    std::string group(p + 1, close);
                    std::string seen = got.substr(at, group.size());
                    std::sort(group.begin(), group.end());
                    std::sort(seen.begin(), seen.end());
                    EXPECT_EQ(seen, group) << "at " << at << " in " << got;
                    expected += got.substr(at, group.size());
                    at += group.size();
                    p = close;
                } else {
                    expected += *p;
                    ++at;
                }
            }
            EXPECT_EQ(got, expected) << "rotation " << rotation;
        }
    }
}

} // namespace
