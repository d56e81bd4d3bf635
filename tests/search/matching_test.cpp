#include "directory/cp1251.h"
#include "search/matching.h"
#include "search/oneshot.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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
    EXPECT_EQ(vg::test::MatchText(m.field, m.criterion, m.condition), m.text) << "text";
    EXPECT_EQ(vg::test::MatchNumber(m.field, m.criterion, m.condition), m.number) << "number";
}

using enum vg::MatchCondition;

INSTANTIATE_TEST_SUITE_P(
    Conditions, MatchTable,
    ::testing::Values(Match{"", "X", NoCondition, true, true}, Match{"ABC", "", NoCondition, true, true},
                      Match{"ABC", "AB", vg::MatchCondition{12}, false, false},
                      Match{"ABC", "AB", vg::MatchCondition{255}, false, false},
                      Match{"ABC", "AB", BeginsWith, true, true}, Match{"ABC", "BC", BeginsWith, false, false},
                      Match{"ABC", "BC", Contains, true, true}, Match{"ABC", "abc", Contains, true, true},
                      Match{"ABC", "X", NotContains, true, true}, Match{"", "X", BeginsWith, false, false},
                      Match{"", "X", Contains, false, false}, Match{"", "X", NotContains, true, true},
                      Match{"10", "9", Greater, false, true}, Match{"10", "9", Less, true, false},
                      Match{"", "X", Less, true, true}, Match{"", "X", LessOrEqual, true, true},
                      Match{"", "X", NotEqual, true, true}, Match{"", "0", Equal, false, true},
                      Match{"12"
                            "\xC0",
                            "0", Equal, false, false},
                      Match{"8", W("8а"), Less, true, true}, Match{W("52А"), "50", Greater, true, true},
                      Match{W("76А"), "40", GreaterOrEqual, true, true}, Match{W("8А"), "8", Equal, false, false},
                      Match{W("8А"), "9", Less, true, true}, Match{"07", "7", Equal, false, true},
                      Match{"07", "7", NotEqual, true, true}, Match{"7", "7", GreaterOrEqual, true, true},
                      Match{"7", "7", LessOrEqual, true, true}, Match{"7", "7", Greater, false, false},
                      Match{"12", "1?", FitsMask, true, true}, Match{"123", "1?", FitsMask, true, true},
                      Match{"1", "1?", FitsMask, false, false}, Match{"1", "1?", NotFitsMask, true, true},
                      Match{"12", "1?", NotFitsMask, false, false},
                      Match{"\xA8", "\xC0", Less, false, false} /* Ё reads as Е, after А */));

// A field stored in lower case compares as its capitals under every text test; numbers stay numbers.
INSTANTIATE_TEST_SUITE_P(
    LetterCase, MatchTable,
    ::testing::Values(Match{W("Пос. Лесхоз"), W("ПОС. ЛЕС"), BeginsWith, true, true},
                      Match{W("Пос. Лесхоз"), W("ЛЕСХОЗ"), Contains, true, true},
                      Match{W("Пос. Лесхоз"), W("ЛЕСХОЗ"), NotContains, false, false},
                      Match{W("Скворцова Е."), W("СКВОРЦОВА Е."), Equal, true, true},
                      Match{W("Скворцова Е."), W("СКВОРЦОВА Е."), NotEqual, false, false},
                      Match{W("ёлка"), W("ЁЛКА"), GreaterOrEqual, true, true}, Match{"mira", "MIRA", Equal, true, true},
                      // б (0xE1) stands above В (0xC2) as stored, below it as a capital (0xC1)
                      Match{W("б"), W("В"), Less, true, true}, Match{W("б"), W("В"), Greater, false, false},
                      Match{W("яма"), W("Я"), LessOrEqual, false, false}, Match{W("ЯМА"), W("я"), Greater, true, true},
                      Match{W("12а"), W("12А"), NotEqual, false, false}, Match{W("12а"), "12", Greater, true, true},
                      Match{W("Пос. Лесхоз"), W("П?С. Л*"), FitsMask, true, true},
                      Match{W("Пос. Лесхоз"), W("[!п]"), NotFitsMask, true, true},
                      Match{W("ђ"), W("Ђ"), Equal, true, true}));

TEST(Matching, AnInvalidMaskFailsOnlyUnderTheMaskConditions) {
    EXPECT_THROW(vg::test::MatchText("X", "[0-9", FitsMask), vg::EMaskException);
    EXPECT_THROW(vg::test::MatchNumber("X", "[0-9", NotFitsMask), vg::EMaskException);
    EXPECT_FALSE(vg::test::MatchText("X", "[0-9", Contains));
}

// A street or subscriber folded the long way: capitals, Е for Ё, no quotes, one blank for many, none after a
// dot or at either end.
std::string ReferenceFold(const std::string& text) {
    std::string t = vg::cp1251::Upper(text);
    std::replace(t.begin(), t.end(), '\xA8', '\xC5');
    std::erase(t, '"');
    for (std::size_t at; (at = t.find("  ")) != std::string::npos;)
        t.erase(at, 1);
    for (std::size_t at; (at = t.find(". ")) != std::string::npos;)
        t.erase(at + 1, 1);
    if (!t.empty() && t.front() == ' ') t.erase(0, 1);
    if (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

// The text conditions, written out on a field folded whole, against the search's test on random texts of letters
// in both cases, blanks, dots and quotes.
bool ReferenceText(const std::string& field, const std::string& criterion, vg::MatchCondition condition) {
    const std::string f = ReferenceFold(field), c = ReferenceFold(criterion);
    const std::size_t at = f.empty() || c.empty() ? std::string::npos : f.find(c);
    switch (condition) {
    case BeginsWith:
        return at == 0;
    case Contains:
        return at != std::string::npos;
    case NotContains:
        return at == std::string::npos;
    case Equal:
        return f == c;
    case Greater:
        return f > c;
    case GreaterOrEqual:
        return f >= c;
    case Less:
        return f < c;
    case LessOrEqual:
        return f <= c;
    case NotEqual:
        return f != c;
    default:
        return false;
    }
}

TEST(Matching, TextConditionsAgreeWithTheFieldFoldedWhole) {
    std::mt19937 rng(9);
    const std::string letters = "aAbB .\"" + W("ёЁжЖяЯеЕ");
    auto random = [&](std::size_t most) {
        std::string t(rng() % (most + 1), ' ');
        for (char& ch : t)
            ch = letters[rng() % letters.size()];
        return t;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string field = random(6), criterion = random(3);
        for (auto condition :
             {BeginsWith, Contains, NotContains, Equal, Greater, GreaterOrEqual, Less, LessOrEqual, NotEqual})
            ASSERT_EQ(vg::test::MatchText(field, criterion, condition), ReferenceText(field, criterion, condition))
                << vg::cp1251::ToUtf8(field) << " " << static_cast<int>(condition) << " "
                << vg::cp1251::ToUtf8(criterion);
    }
}

TEST(Matching, TextOrderIsByteOrder) {
    EXPECT_TRUE(vg::test::MatchText(W("ЁЛКА"), W("ЕЛКА"), Equal)); // Ё reads as Е
    EXPECT_TRUE(vg::test::MatchText(W("ЁЛКА"), W("ЖУК"), Less));
    EXPECT_TRUE(vg::test::MatchText("Z", W("А"), Less));
    EXPECT_TRUE(vg::test::MatchText("AB", "A", Greater)); // a proper prefix is the smaller
}

} // namespace
