#include "directory/cp1251.h"
#include "search/matching.h"
#include "testdata.h"

#include <gtest/gtest.h>

namespace {

using vg::test::W;

struct Number {
    std::string text;
    std::int32_t value;
};

void PrintTo(const Number& n, std::ostream* os) {
    *os << "'" << n.text << "'";
}

class ToNumberTable : public ::testing::TestWithParam<Number> {};

TEST_P(ToNumberTable, Converts) {
    EXPECT_EQ(vg::ToNumber(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Numbers, ToNumberTable,
                         ::testing::Values(Number{"  42", 42}, Number{"42 ", 0}, Number{"+7", 7}, Number{"--7", 0},
                                           Number{"$1F", 31}, Number{"X10", 16}, Number{"x10", 16}, Number{"0x1f", 31},
                                           Number{"0X10", 16}, Number{"2147483647", 2147483647},
                                           Number{"2147483648", 0}, Number{"-2147483648", -2147483647 - 1},
                                           Number{"-2147483649", 0}, Number{"", 0}, Number{"\t42", 0},
                                           Number{"12"
                                                  "\xC0",
                                                  0},
                                           Number{"9/9", 0}, Number{"9-9", 0}, Number{"007", 7},
                                           Number{"$FFFFFFFF", -1}, Number{"$100000000", 0}, Number{"$000000001", 1},
                                           Number{"-$10", -16}, Number{"$", 0}, Number{"-", 0}, Number{"0x", 0},
                                           Number{" ", 0}, Number{"00000000000000000000012", 12},
                                           Number{"99999999999", 0}));

struct Match {
    std::string field, criterion;
    vg::MatchCondition condition;
    bool text, number;
};

void PrintTo(const Match& m, std::ostream* os) {
    *os << "'" << vg::cp1251::ToUtf8(m.field) << "' " << static_cast<int>(m.condition) << " '"
        << vg::cp1251::ToUtf8(m.criterion) << "'";
}

class MatchTable : public ::testing::TestWithParam<Match> {};

TEST_P(MatchTable, BothRoutines) {
    const Match& m = GetParam();
    EXPECT_EQ(vg::MatchText(m.field, m.criterion, m.condition), m.text) << "text";
    EXPECT_EQ(vg::MatchNumber(m.field, m.criterion, m.condition), m.number) << "number";
}

using enum vg::MatchCondition;

INSTANTIATE_TEST_SUITE_P(
    Conditions, MatchTable,
    ::testing::Values(Match{"", "X", NoCondition, true, true}, Match{"ABC", "", NoCondition, true, true},
                      Match{"ABC", "AB", vg::MatchCondition{12}, false, false},
                      Match{"ABC", "AB", vg::MatchCondition{255}, false, false},
                      Match{"ABC", "AB", BeginsWith, true, true}, Match{"ABC", "BC", BeginsWith, false, false},
                      Match{"ABC", "BC", Contains, true, true}, Match{"ABC", "abc", Contains, false, false},
                      Match{"ABC", "X", NotContains, true, true}, Match{"", "X", BeginsWith, false, false},
                      Match{"", "X", Contains, false, false}, Match{"", "X", NotContains, true, true},
                      Match{"10", "9", Greater, false, true}, Match{"10", "9", Less, true, false},
                      Match{"", "X", Less, true, false}, Match{"", "X", LessOrEqual, true, true},
                      Match{"", "X", NotEqual, true, true}, Match{"", "0", Equal, false, true},
                      Match{"12"
                            "\xC0",
                            "0", Equal, false, true},
                      Match{"07", "7", Equal, false, true}, Match{"07", "7", NotEqual, true, true},
                      Match{"7", "7", GreaterOrEqual, true, true}, Match{"7", "7", LessOrEqual, true, true},
                      Match{"7", "7", Greater, false, false}, Match{"12", "1?", FitsMask, true, true},
                      Match{"123", "1?", FitsMask, true, true}, Match{"1", "1?", FitsMask, false, false},
                      Match{"1", "1?", NotFitsMask, true, true}, Match{"12", "1?", NotFitsMask, false, false},
                      Match{"\xA8", "\xC0", Less, true, false} /* Ё before А in byte order */,
                      Match{"\xEB\xE5\xED", "\xCB\xC5\xCD", BeginsWith, false,
                            false} /* stored lower case never meets */));

TEST(Matching, AnInvalidMaskFailsOnlyUnderTheMaskConditions) {
    EXPECT_THROW(vg::MatchText("X", "[0-9", FitsMask), vg::EMaskException);
    EXPECT_THROW(vg::MatchNumber("X", "[0-9", NotFitsMask), vg::EMaskException);
    EXPECT_FALSE(vg::MatchText("X", "[0-9", Contains));
}

TEST(Matching, TextOrderIsByteOrder) {
    EXPECT_TRUE(vg::MatchText(W("ЁЛКА"), W("АЛЛЕЯ"), Less));
    EXPECT_TRUE(vg::MatchText("Z", W("А"), Less));
    EXPECT_TRUE(vg::MatchText("AB", "A", Greater)); // a proper prefix is the smaller
}

} // namespace
