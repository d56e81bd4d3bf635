#include "directory/cp1251.h"
#include "search/mask.h"
#include "search/oneshot.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using vg::test::W;

struct Fit {
    std::string mask, text;
    bool fits;
};

void PrintTo(const Fit& f, std::ostream* os) {
    *os << "'" << f.mask << "' on '" << f.text << "'";
}

class MaskFitsTable : public ::testing::TestWithParam<Fit> {};

TEST_P(MaskFitsTable, Answers) {
    const Fit& f = GetParam();
    EXPECT_EQ(vg::test::MaskFits(f.text, f.mask), f.fits) << "mask '" << f.mask << "' text '" << f.text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskFitsTable,
    ::testing::Values(Fit{"*", "", true}, Fit{"*", "ANYTHING", true}, Fit{"A?C*", "ABC", true},
                      Fit{"A?C*", "ABCD", true}, Fit{"A?C*", "AC", false}, Fit{"?*", "", false}, Fit{"*?", "", true},
                      Fit{"1?*", "1", false}, Fit{"1?*", "12", true}, Fit{"1?*", "123", true}, Fit{"[!X]*", "", false},
                      Fit{"ab*", "AB", true}, Fit{"ab*", "ab", true}, Fit{W("лен*"), W("ЛЕНИНА"), true},
                      Fit{W("ЛЕН*"), W("ленина"), true}, Fit{W("ПОС. Л?СХОЗ*"), W("Пос. Лесхоз"), true},
                      Fit{W("Ё"), W("ё"), true}, Fit{W("Ї"), W("ї"), true}, Fit{W("[Ж]*"), W("ж"), true},
                      Fit{W("[!ж]*"), W("Ж"), false}, Fit{W("[а-в]*"), W("Б"), true}, Fit{W("[А-Я]*"), W("ё"), false},
                      Fit{"[0-4]*", "3", true}, Fit{"[0-4]*", "5", false}, Fit{"[!0-4]*", "3", false},
                      Fit{"[!0-4]*", "5", true}, Fit{"A*BC", "ABXBC", true}, Fit{"A*B*C", "AXBXC_", false},
                      Fit{"A*B*C", "AXBXC", true}, Fit{"ABC", "ABCD", false}, Fit{"ABC", "abc", true},
                      Fit{"[ab-a]", "A", true}, Fit{"[ab-a]", "B", false}, Fit{"[a-c-e]", "D", true},
                      Fit{"[a-c-e]", "F", false}, Fit{"[A-]]", "Z", true}, Fit{"*?*", "", true},
                      Fit{"*[0-9]*", "ABC7", true}, Fit{"*[0-9]*", "ABC", false}, Fit{W("[АЯ]*"), W("ЯМА"), true},
                      Fit{W("[!Ё]*"), W("ЁЖ"), false}, Fit{"**A", "XA", true}, Fit{"*A*A*A*", "AAB", false},
                      // Both ends of a range belong to it.
                      Fit{"[0-9]*", "9", true}, Fit{"[0-9]*", "0", true}, Fit{"[1-8]*", "9", false},
                      Fit{"[1-8]*", "0", false}, Fit{W("[А-Я]*"), W("Я"), true}, Fit{W("[А-Я]*"), W("я"), true},
                      Fit{"[!0-9]*", "9", false}, Fit{"[a-a]", "A", true}));

struct Invalid {
    std::string mask;
    int position;
    vg::MaskError reason;
};

void PrintTo(const Invalid& m, std::ostream* os) {
    *os << "'" << m.mask << "'";
}

class InvalidMasks : public ::testing::TestWithParam<Invalid> {};

TEST_P(InvalidMasks, FailWithTheMaskThePositionAndTheReason) {
    const Invalid& m = GetParam();
    try {
        vg::TMask mask(m.mask);
        FAIL() << "'" << m.mask << "' must be invalid";
    } catch (const vg::EMaskException& e) {
        EXPECT_EQ(e.Position(), m.position) << m.mask;
        EXPECT_EQ(e.Reason(), m.reason) << m.mask;
        EXPECT_EQ(e.Mask(), m.mask);
        EXPECT_EQ(std::string(e.what()), "'" + m.mask + "' is an invalid mask at (" + std::to_string(m.position) + ")");
    }
}

using enum vg::MaskError;

// The position is the character at fault: the ']' of an empty set, the '-' that starts nothing, the first
// character of a backward range; for a set left open, just after the mask.
INSTANTIATE_TEST_SUITE_P(Masks, InvalidMasks,
                         ::testing::Values(Invalid{"[]", 2, EmptySet}, Invalid{"[!]", 3, EmptySet},
                                           Invalid{"AB[]*", 4, EmptySet}, Invalid{"[-a]", 2, RangeWithoutStart},
                                           Invalid{"[!-a]", 3, RangeWithoutStart}, Invalid{"[4-0]*", 2, BackwardRange},
                                           Invalid{"X[z-a]", 3, BackwardRange}, Invalid{"[!9-0]", 3, BackwardRange},
                                           Invalid{"[4-09-5]", 2, BackwardRange}, Invalid{"[0-9*", 6, UnclosedSet},
                                           Invalid{"AB[", 4, UnclosedSet}, Invalid{"[a-", 4, UnclosedSet},
                                           Invalid{"[4-0", 5, UnclosedSet}, Invalid{"[]-]", 2, EmptySet},
                                           Invalid{W("[Я-А]*"), 2, BackwardRange},
                                           Invalid{W("[я-а]"), 2, BackwardRange}));

TEST(Mask, AMaskErrorHasItsTexts) {
    for (const vg::TMaskErrorInfo& info : vg::kMaskErrors) {
        EXPECT_EQ(&vg::InfoOf(info.error), &info);
        EXPECT_FALSE(info.text.empty());
        EXPECT_FALSE(info.word.empty());
    }
    EXPECT_EQ(vg::InfoOf(BackwardRange).text, "диапазон идёт в обратную сторону");
    EXPECT_EQ(vg::InfoOf(UnclosedSet).text, "скобка [ не закрыта");
}

TEST(Mask, ASetWithSomeMembersBesideABackwardRangeIsValid) {
    vg::TMask m("[ab-a]");
    EXPECT_TRUE(m.Fits("A"));
    EXPECT_TRUE(m.Fits("a"));
    EXPECT_FALSE(m.Fits("B"));
}

TEST(Mask, ThirtyStarredStepsAreTheMost) {
    std::string valid, invalid;
    for (int i = 0; i < 29; ++i)
        valid += "*A";
    for (int i = 0; i < 30; ++i)
        invalid += "*A";
    valid += "*";
    invalid += "*";
    EXPECT_NO_THROW(vg::TMask{valid});
    try {
        vg::TMask{invalid};
        FAIL() << "31 starred steps must be invalid";
    } catch (const vg::EMaskException& e) {
        EXPECT_EQ(e.Reason(), vg::MaskError::TooManyStars);
        EXPECT_EQ(e.Position(), 61); // the 31st '*'
    }
    try {
        vg::TMask{valid.substr(0, 58) + "*?**A**?*B"}; // a run of stars counts once, from its first
        FAIL() << "31 starred steps must be invalid";
    } catch (const vg::EMaskException& e) {
        EXPECT_EQ(e.Reason(), vg::MaskError::TooManyStars);
        EXPECT_EQ(e.Position(), 64);
    }
    vg::TMask m(valid);
    EXPECT_TRUE(m.Fits(std::string(29, 'A')));
    EXPECT_TRUE(m.Fits(std::string(40, 'A') + "B"));
    EXPECT_FALSE(m.Fits(std::string(28, 'A') + "B"));
}

TEST(Mask, BacktrackingStaysFastOnHardTexts) {
    std::string mask;
    for (int i = 0; i < 25; ++i)
        mask += "*A";
    mask += "B*";
    vg::TMask m(mask);
    // Nested stars over a long run of A without the final B: the stack bound keeps this finite.
    EXPECT_FALSE(m.Fits(std::string(30, 'A')));
}

} // namespace

namespace {

// The code page's capital of a letter, written out for the letters the random masks use.
char Capital(char c) {
    const std::string small = "ab" + W("жё"), capital = "AB" + W("ЖЁ");
    const std::size_t at = small.find(c);
    return at == std::string::npos ? c : capital[at];
}

// Exhaustive matching by recursion over every split, for masks of '*', '?', letters and sets without ranges,
// letters compared as capitals; a '?' right after a '*' is dropped, as the mask parser does.
bool Reference(const std::string& mask, std::size_t m, const std::string& text, std::size_t t) {
    if (m == mask.size()) return t == text.size();
    char c = mask[m];
    if (c == '*') {
        for (std::size_t k = t; k <= text.size(); ++k)
            if (Reference(mask, m + 1, text, k)) return true;
        return false;
    }
    if (t == text.size()) return false;
    if (c == '?') return Reference(mask, m + 1, text, t + 1);
    if (c == '[') {
        bool negated = mask[m + 1] == '!';
        std::size_t close = mask.find(']', m);
        std::string members = mask.substr(m + 1 + negated, close - m - 1 - negated);
        bool in = false;
        for (char member : members)
            in = in || Capital(member) == Capital(text[t]);
        return in != negated && Reference(mask, close + 1, text, t + 1);
    }
    return Capital(c) == Capital(text[t]) && Reference(mask, m + 1, text, t + 1);
}

std::string DropQuestionAfterStar(const std::string& mask) {
    std::string out;
    bool pending = false;
    for (char c : mask) {
        if (c == '?' && pending) continue;
        if (c == '*')
            pending = true;
        else if (c != '?')
            pending = false;
        else
            pending = false;
        out += c;
    }
    return out;
}

TEST(Mask, AgreesWithExhaustiveMatchingOnRandomMasks) {
    std::mt19937 rng(2026);
    const std::string pieces[] = {"*", "?", "A", "B", "a", W("Ж"), W("ё"), "[AB]", "[!A]", W("[жb]"), W("[!Ё]")};
    const std::string letters = "ABab" + W("ЖжЁё");
    for (int round = 0; round < 20000; ++round) {
        std::string mask, text;
        int steps = static_cast<int>(rng() % 8);
        for (int k = 0; k < steps; ++k)
            mask += pieces[rng() % std::size(pieces)];
        int length = static_cast<int>(rng() % 9);
        for (int k = 0; k < length; ++k)
            text += letters[rng() % letters.size()];
        bool expected = Reference(DropQuestionAfterStar(mask), 0, text, 0);
        ASSERT_EQ(vg::test::MaskFits(text, mask), expected)
            << "mask '" << vg::cp1251::ToUtf8(mask) << "' text '" << vg::cp1251::ToUtf8(text) << "'";
    }
}

} // namespace
