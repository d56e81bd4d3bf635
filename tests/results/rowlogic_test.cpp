#include "directory/limits.h"
#include "results/rowlogic.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using vg::test::W;

std::vector<bool> Starts(const vg::TStrContainer& c, int column) {
    std::vector<bool> s;
    for (int i = 0; i < c.Count(); ++i)
        s.push_back(vg::IsGroupStart(c, i, column));
    return s;
}

using B = std::vector<bool>;

TEST(GroupStart, PhoneBlocksChangeWithTheLeadingDigit) {
    vg::TStrContainer c;
    vg::test::Fill(c, {{"", "A", "", "", "U"},
                       {"", "A", "", "", "U"},
                       {"12345", "A", "", "", "U"},
                       {"19999", "A", "", "", "U"},
                       {"21111", "A", "", "", "U"},
                       {"", "A", "", "", "U"},
                       {"23333", "A", "", "", "U"}});
    EXPECT_EQ(Starts(c, 0), (B{false, false, true, false, true, false, true}));
}

TEST(GroupStart, StreetHouseAndFlatBlocksIgnoreCase) {
    vg::TStrContainer c;
    vg::test::Fill(c, {{"1", W("ЛЕНИНА"), "1", "1", "U"},
                       {"2", W("ленина"), "1", "2", "U"},
                       {"3", W("МИРА"), W("1а"), "2", "U"},
                       {"4", "", W("1А"), "", "U"},
                       {"5", W("МИРА"), "2", "3", "U"}});
    EXPECT_EQ(Starts(c, 1), (B{true, false, true, false, true}));
    EXPECT_EQ(Starts(c, 2), (B{true, false, true, false, true}));
    EXPECT_EQ(Starts(c, 3), (B{true, true, false, false, true}));
}

TEST(GroupStart, UserBlocksAreSurnamesAndNeverOrganisations) {
    vg::TStrContainer c;
    vg::test::Fill(c, {{"1", "", "", "", W("\"ЛОТОС\"")},
                       {"2", "", "", "", W("ИВАНОВ А.")},
                       {"3", "", "", "", W("  иванов Б.")},
                       {"4", "", "", "", W("ООО \"РОМАШКА\"")},
                       {"5", "", "", "", W("ГОРОНО/ИНСПЕКТОРЫ")},
                       {"6", "", "", "", W("ПЕТРОВ П.")}});
    EXPECT_EQ(Starts(c, 4), (B{true, true, false, false, false, true}));
}

TEST(Formats, PhoneAndCounter) {
    EXPECT_EQ(vg::FormatPhone("12345"), "1-23-45");
    EXPECT_EQ(vg::FormatPhone("123456"), "12-34-56");
    EXPECT_EQ(vg::FormatPhone("1234"), "1234");
    EXPECT_EQ(vg::FormatPhone("1234567"), "1234567");
    EXPECT_EQ(vg::FormatPhone(""), "");
    EXPECT_EQ(vg::GroupedNumber(0), "0");
    EXPECT_EQ(vg::GroupedNumber(999), "999");
    EXPECT_EQ(vg::GroupedNumber(1000), "1,000");
    EXPECT_EQ(vg::GroupedNumber(12345), "12,345");
    EXPECT_EQ(vg::GroupedNumber(45129), "45,129");
    EXPECT_EQ(vg::GroupedNumber(123456), "123,456");
    EXPECT_EQ(vg::GroupedNumber(1234567), "1,234,567");
    EXPECT_EQ(vg::GroupedNumber(-1234), "-1,234");
    EXPECT_EQ(vg::GroupedNumber(INT64_MIN), "-9,223,372,036,854,775,808");
}

TEST(TypeAhead, FindsByRawKeyFoldingCaseAndWraps) {
    vg::TStrContainer c;
    vg::test::Fill(c, {{"", "", "", "", "abc"},
                       {"12345", "", "", "", W("Иванов")},
                       {"22345", "", "", "", "Smith"},
                       {"12999", "", "", "", W("иванов")}});
    EXPECT_EQ(vg::FindRow(c, "12", 0, true, 0), 1);
    EXPECT_EQ(vg::FindRow(c, "1-", 0, true, 0), -1); // the dashes are only shown
    EXPECT_EQ(vg::FindRow(c, "12", 2, true, 0), 3);
    EXPECT_EQ(vg::FindRow(c, "22", 3, false, 0), -1);
    EXPECT_EQ(vg::FindRow(c, "22", 3, true, 0), 2);
    EXPECT_EQ(vg::FindRow(c, "sm", 0, true, 4), 2);
    EXPECT_EQ(vg::FindRow(c, "ABC", 1, true, 4), 0);
    EXPECT_EQ(vg::FindRow(c, W("и"), 0, true, 4), 1); // Cyrillic folds as Latin does
    EXPECT_EQ(vg::FindRow(c, W("И"), 2, true, 4), 3);
    EXPECT_EQ(vg::FindRow(c, W("ИВАНОВ"), 2, false, 4), 3);
    EXPECT_EQ(vg::FindRow(c, W("ивановы"), 0, true, 4), -1);
    EXPECT_EQ(vg::FindRow(c, "", 0, true, 4), -1);
    EXPECT_EQ(vg::FindRow(c, "Smith", 99, true, 4), 2); // a start outside the rows begins at row 0
    EXPECT_EQ(vg::FindRow(c, "Smith", -7, false, 4), 2);
    vg::TStrContainer empty;
    EXPECT_EQ(vg::FindRow(empty, "1", 0, true, 0), -1);
}

struct Typing {
    std::string typed;
    int current;
    bool newText;
    int row;
};

void PrintTo(const Typing& t, std::ostream* os) {
    *os << "'" << t.typed << "' from " << t.current << (t.newText ? " new" : " grown");
}

class TypeAheadFromTheCurrentRow : public ::testing::TestWithParam<Typing> {};

// A new text moves on from the row after the current one, so that the same letter again finds the next row; a
// text that grew stays on the current row while it still matches.
TEST_P(TypeAheadFromTheCurrentRow, FindsTheRow) {
    vg::TStrContainer c;
    vg::test::Fill(c, {{"1", "", "", "", "BOB"},
                       {"2", "", "", "", "ANNA"},
                       {"3", "", "", "", "BEN"},
                       {"4", "", "", "", "ben"},
                       {"5", "", "", "", "CAT"}});
    const Typing& t = GetParam();
    EXPECT_EQ(vg::TypeAheadRow(c, t.typed, t.current, t.newText, 4), t.row);
}

INSTANTIATE_TEST_SUITE_P(TypeAhead, TypeAheadFromTheCurrentRow,
                         ::testing::Values(Typing{"B", 0, true, 2}, Typing{"B", 2, true, 3}, Typing{"B", 3, true, 0},
                                           Typing{"B", 4, true, 0}, Typing{"BE", 2, false, 2},
                                           Typing{"BE", 0, false, 2}, Typing{"b", 2, true, 3}, Typing{"B", -1, true, 0},
                                           Typing{"C", 4, true, 4}, Typing{"C", 4, false, 4}, Typing{"B", 9, true, 0},
                                           Typing{"Z", 1, true, -1}));

TEST(TypeAhead, AnEmptyListFindsNothing) {
    vg::TStrContainer empty;
    EXPECT_EQ(vg::TypeAheadRow(empty, "A", 0, true, 0), -1);
    EXPECT_EQ(vg::TypeAheadRow(empty, "A", -1, false, 0), -1);
}

// Damaged records (fewer than four lines) are drawn and searched with their missing fields empty.
TEST(DamagedRecords, MissingFieldsReadEmptyForGroupStartsAndTypeAhead) {
    vg::TStrContainer c;
    auto add = [&c](const std::string& key, const std::vector<std::string>& lines) {
        auto r = std::make_unique<vg::TString>(key);
        r->SetLines(lines);
        c.Append(std::move(r));
    };
    add("12345", {"LENINA", "5", "1", "IVANOV"});
    add("23456", {"MIRA"});
    add("", {});
    add("34567", {"MIRA", "7"});
    EXPECT_EQ(vg::ColumnValue(c, 1, 2), "");
    EXPECT_EQ(vg::ColumnValue(c, 2, 1), "");
    EXPECT_EQ(vg::ColumnValue(c, 3, 2), "7");
    EXPECT_EQ(Starts(c, 1), (B{true, true, false, true}));
    EXPECT_EQ(Starts(c, 2), (B{true, false, false, true}));
    EXPECT_EQ(Starts(c, 4), (B{true, false, false, false}));
    EXPECT_EQ(vg::FindRow(c, "7", 0, true, 2), 3);
    EXPECT_EQ(vg::FindRow(c, "MIRA", 2, true, 1), 3);
    EXPECT_EQ(vg::FindRow(c, "IV", 1, true, 4), 0);
    EXPECT_EQ(vg::FindRow(c, "IV", 1, false, 4), -1);
}

} // namespace
