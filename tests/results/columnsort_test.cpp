#include "results/columnsort.h"
#include "search/matching.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
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
        ++sets;
    }
    bool visible = true;
    int percent = 0;
    int sets = 0;
};

std::vector<vg::DirectoryRecord> Sample() {
    return {
        {"22222", W("МИРА"), "10", "1", W("ПЕТРОВ П.")},  {"", W("ЛЕНИНА"), "12А", "", W("ИВАНОВ И.")},
        {"11111", W("ленина"), "9", "2", W("ЁЖИКОВ Е.")}, {"33333", W("ЛЕНИНА"), "9", "10", "SMITH J."},
        {"44444", W("ЛЕНИНА"), "9", "10", "SMITH J."},    {"5555", "", "", "9/9", W("\"ЛОТОС\"")},
    };
}

std::vector<std::string> Keys(const vg::TStrContainer& c) {
    std::vector<std::string> k;
    for (int i = 0; i < c.Count(); ++i)
        k.emplace_back(c.GetKey(i));
    return k;
}

TEST(CompareByColumn, EachColumnSortsByItsChain) {
    vg::TStrContainer c;
    using K = std::vector<std::string>;
    // Phone as numbers: the empty key and 5555 as 0 and 5555, then ties broken by User.
    vg::test::Fill(c, Sample());
    c.Sort(0, true, vg::ColumnCompare(nullptr));
    EXPECT_EQ(Keys(c), (K{"", "5555", "11111", "22222", "33333", "44444"}));
    // Street as text, case-insensitive, ties by House as numbers ("12А" is 0), then Flat, then User.
    c.Sort(1, true, vg::ColumnCompare(nullptr));
    EXPECT_EQ(c.GetKey(0), "5555");
    EXPECT_EQ(c.GetKey(1), "");      // ЛЕНИНА 12А counts as house 0
    EXPECT_EQ(c.GetKey(2), "11111"); // ленина 9 flat 2
    EXPECT_EQ(c.GetKey(5), "22222"); // МИРА
    // House: non-numbers (empty, 12А) first as 0.
    c.Sort(2, true, vg::ColumnCompare(nullptr));
    EXPECT_EQ(c.GetKey(0), "5555"); // empty house and empty street before ЛЕНИНА
    EXPECT_EQ(c.GetKey(1), "");
    EXPECT_EQ(c.GetKey(5), "22222");
    // User: Latin before Cyrillic, quotes (0x22) before both, Ё before И.
    c.Sort(4, true, vg::ColumnCompare(nullptr));
    EXPECT_EQ(c.GetKey(0), "5555");
    EXPECT_EQ(c.GetItem(1)->Lines()[3], "SMITH J.");
    EXPECT_EQ(c.GetItem(3)->Lines()[3], W("ЁЖИКОВ Е."));
    EXPECT_EQ(c.GetItem(4)->Lines()[3], W("ИВАНОВ И."));
    // User ties end with Phone as numbers.
    EXPECT_EQ(c.GetKey(1), "33333");
    c.Sort(4, false, vg::ColumnCompare(nullptr));
    EXPECT_EQ(c.GetItem(0)->Lines()[3], W("ПЕТРОВ П."));
    EXPECT_EQ(c.GetKey(4), "33333");
}

TEST(CompareByColumn, TheStreetChainIgnoresThePhone) {
    vg::TStrContainer c;
    vg::test::Fill(c, Sample());
    // Records 3 and 4 agree in street, house, flat and user: equal in both directions.
    EXPECT_EQ(vg::CompareByColumn(&c, 1, 3, 4, true), 0);
    EXPECT_EQ(vg::CompareByColumn(&c, 1, 3, 4, false), 0);
    EXPECT_LT(vg::CompareByColumn(&c, 4, 3, 4, true), 0);
    EXPECT_GT(vg::CompareByColumn(&c, 4, 3, 4, false), 0);
    // Out of range: equal, and no progress.
    Bar bar;
    EXPECT_EQ(vg::CompareByColumn(&c, 1, 0, 6, true, &bar), 0);
    EXPECT_EQ(vg::CompareByColumn(&c, 1, -1, 0, true, &bar), 0);
    EXPECT_EQ(vg::CompareByColumn(nullptr, 1, 0, 0, true, &bar), 0);
    EXPECT_EQ(bar.sets, 0);
}

TEST(CompareByColumn, ProgressFollowsThePivotForwardOnlyAndOnlyWhenVisible) {
    vg::TStrContainer c;
    const std::vector<vg::DirectoryRecord> recs = vg::test::BuiltinRecords(15, 3000);
    vg::test::Fill(c, recs);
    Bar bar;
    c.Sort(1, true, vg::ColumnCompare(&bar)); // Bar checks that the percentage never decreases
    EXPECT_GT(bar.sets, 0);
    EXPECT_LE(bar.percent, 100);
    for (int i = 1; i < c.Count(); ++i)
        ASSERT_LE(vg::CompareByColumn(&c, 1, i - 1, i, true), 0) << i;

    Bar hidden;
    hidden.visible = false;
    c.Sort(2, true, vg::ColumnCompare(&hidden));
    EXPECT_EQ(hidden.sets, 0);

    // The share is the pivot's index over Count / 100, halves to even.
    Bar exact;
    vg::CompareByColumn(&c, 1, 150, 45, true, &exact);
    EXPECT_EQ(exact.percent, 2); // 45 / 30 = 1.5 -> 2
    vg::CompareByColumn(&c, 1, 151, 2999, true, &exact);
    EXPECT_EQ(exact.percent, 2); // index 151 is not a multiple of 150
}

TEST(CompareByColumn, TheWholeDirectorySortsByEveryColumnBothWays) {
    vg::TStrContainer c;
    const std::vector<vg::DirectoryRecord> recs = vg::test::BuiltinRecords(1, vg::test::BuiltinContainer().Count());
    vg::test::Fill(c, recs);
    for (int column = 0; column < vg::kColumnCount; ++column) {
        for (bool ascending : {true, false}) {
            c.Sort(column, ascending, vg::ColumnCompare(nullptr));
            ASSERT_EQ(c.Count(), 45129);
            for (int i = 1; i < c.Count(); ++i)
                ASSERT_LE(vg::CompareByColumn(&c, column, i - 1, i, ascending), 0) << column << " at " << i;
        }
    }
    // Ascending by phone: the records without a number first.
    c.Sort(0, true, vg::ColumnCompare(nullptr));
    EXPECT_EQ(c.GetKey(0), "");
    EXPECT_EQ(c.GetKey(5136), "");
    EXPECT_FALSE(c.GetKey(5137).empty());
}

} // namespace

namespace {

TEST(CompareByColumn, SortByColumnArrangesExactlyAsSortWithTheCompareFunction) {
    const std::vector<vg::DirectoryRecord> recs = vg::test::BuiltinRecords(11, 4000);
    for (int column = 0; column < vg::kColumnCount; ++column) {
        vg::TStrContainer a, b;
        vg::test::Fill(a, recs);
        vg::test::Fill(b, recs);
        a.Sort(column, column % 2 == 0, vg::ColumnCompare(nullptr));
        vg::SortByColumn(b, column, column % 2 == 0);
        for (int i = 0; i < a.Count(); ++i) // the same unstable arrangement, record for record
            ASSERT_EQ(a.GetItem(i)->Lines()[3], b.GetItem(i)->Lines()[3]) << column << " at " << i;
    }
}

} // namespace

namespace {

// Each column's arrangement of a small directory, worked out by hand from the chains: Phone, User, Street,
// House, Flat; Street, House, Flat, User; House, Street, Flat, User, Phone; Flat, House, Street, User, Phone;
// User, Street, House, Flat, Phone. Phone, house and flat compare as numbers ("99" < "100", "9" < "10",
// "3" < "10"), text without regard to case. Letters in brackets tie on the whole chain, in any order.
struct Arrangement {
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
    const Arrangement table[] = {
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
    for (const Arrangement& want : table) {
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
