#include "directory/cp1251.h"
#include "search/mask.h"
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
    EXPECT_EQ(vg::MaskFits(f.text, f.mask), f.fits) << "mask '" << f.mask << "' text '" << f.text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskFitsTable,
    ::testing::Values(Fit{"*", "", true}, Fit{"*", "ANYTHING", true}, Fit{"A?C*", "ABC", true},
                      Fit{"A?C*", "ABCD", true}, Fit{"A?C*", "AC", false}, Fit{"?*", "", false}, Fit{"*?", "", true},
                      Fit{"1?*", "1", false}, Fit{"1?*", "12", true}, Fit{"1?*", "123", true}, Fit{"[!X]*", "", false},
                      Fit{"ab*", "AB", true}, Fit{"ab*", "ab", true}, Fit{W("лен*"), W("ЛЕНИНА"), false},
                      Fit{W("ЛЕН*"), W("ленина"), false}, Fit{"[0-4]*", "3", true}, Fit{"[0-4]*", "5", false},
                      Fit{"[!0-4]*", "3", false}, Fit{"[!0-4]*", "5", true}, Fit{"A*BC", "ABXBC", true},
                      Fit{"A*B*C", "AXBXC_", false}, Fit{"A*B*C", "AXBXC", true}, Fit{"ABC", "ABCD", false},
                      Fit{"ABC", "abc", true}, Fit{"[ab-a]", "A", true}, Fit{"[ab-a]", "B", false},
                      Fit{"[a-c-e]", "D", true}, Fit{"[a-c-e]", "F", false}, Fit{"[A-]]", "Z", true},
                      Fit{"*?*", "", true}, Fit{"*[0-9]*", "ABC7", true}, Fit{"*[0-9]*", "ABC", false},
                      Fit{W("[АЯ]*"), W("ЯМА"), true}, Fit{W("[!Ё]*"), W("ЁЖ"), false}, Fit{"**A", "XA", true},
                      Fit{"*A*A*A*", "AAB", false}));

struct Invalid {
    std::string mask;
    int position;
};

void PrintTo(const Invalid& m, std::ostream* os) {
    *os << "'" << m.mask << "'";
}

class InvalidMasks : public ::testing::TestWithParam<Invalid> {};

TEST_P(InvalidMasks, FailWithTheMaskAndThePosition) {
    const Invalid& m = GetParam();
    try {
        vg::TMask mask(m.mask);
        FAIL() << "'" << m.mask << "' must be invalid";
    } catch (const vg::EMaskException& e) {
        EXPECT_EQ(e.Position(), m.position) << m.mask;
        EXPECT_EQ(e.Mask(), m.mask);
        EXPECT_EQ(std::string(e.what()), "'" + m.mask + "' is an invalid mask at (" + std::to_string(m.position) + ")");
    }
}

INSTANTIATE_TEST_SUITE_P(Masks, InvalidMasks,
                         ::testing::Values(Invalid{"[]", 2}, Invalid{"[!]", 3}, Invalid{"[-a]", 2}, Invalid{"[!-a]", 3},
                                           Invalid{"[4-0]*", 5}, Invalid{"[0-9*", 6}, Invalid{"AB[", 4},
                                           Invalid{"[a-", 4}, Invalid{"X[z-a]", 6}));

TEST(Mask, ThirtyStarredStepsAreTheMost) {
    std::string valid, invalid;
    for (int i = 0; i < 29; ++i)
        valid += "*A";
    for (int i = 0; i < 30; ++i)
        invalid += "*A";
    valid += "*";
    invalid += "*";
    EXPECT_NO_THROW(vg::TMask{valid});
    EXPECT_THROW(vg::TMask{invalid}, vg::EMaskException);
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

// Exhaustive matching by recursion over every split, for masks of '*', '?', 'A', 'B', '[AB]' and '[!A]';
// a '?' right after a '*' is dropped, as the mask parser does.
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
        bool in = members.find(text[t]) != std::string::npos;
        return in != negated && Reference(mask, close + 1, text, t + 1);
    }
    return c == text[t] && Reference(mask, m + 1, text, t + 1);
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
    const char* pieces[] = {"*", "?", "A", "B", "[AB]", "[!A]"};
    for (int round = 0; round < 20000; ++round) {
        std::string mask, text;
        int steps = static_cast<int>(rng() % 8);
        for (int k = 0; k < steps; ++k)
            mask += pieces[rng() % 6];
        int length = static_cast<int>(rng() % 9);
        for (int k = 0; k < length; ++k)
            text += "AB"[rng() % 2];
        bool expected = Reference(DropQuestionAfterStar(mask), 0, text, 0);
        ASSERT_EQ(vg::MaskFits(text, mask), expected) << "mask '" << mask << "' text '" << text << "'";
    }
}

} // namespace
