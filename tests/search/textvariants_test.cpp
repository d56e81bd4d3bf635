#include "search/textvariants.h"
#include "testdata.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {

using vg::test::W;
namespace variants = vg::variants;

struct Keys {
    const char* latin;    // as typed under the Latin layout
    const char* cyrillic; // UTF-8: what the same keys give under the Russian one
};

class LatinTypedForRussian : public ::testing::TestWithParam<Keys> {};

TEST_P(LatinTypedForRussian, BecomesWhatTheSameKeysTypeInRussian) {
    EXPECT_EQ(variants::LatinToCyrillicKeys(GetParam().latin), W(GetParam().cyrillic)) << GetParam().latin;
}

INSTANTIATE_TEST_SUITE_P(Words, LatinTypedForRussian,
                         ::testing::Values(Keys{"bdfyjd", "ИВАНОВ"}, Keys{"ktyby", "ЛЕНИН"}, Keys{"KTYBYF", "ЛЕНИНА"},
                                           Keys{"ghjcgtrn", "ПРОСПЕКТ"}, Keys{"cnhjbntktq", "СТРОИТЕЛЕЙ"},
                                           Keys{"[kt,yfz", "ХЛЕБНАЯ"}, Keys{";erjdf", "ЖУКОВА"},
                                           Keys{"'ktrnhjyyfz", "ЭЛЕКТРОННАЯ"}, Keys{"j,]tpl", "ОБЪЕЗД"},
                                           Keys{".;yfz", "ЮЖНАЯ"}, Keys{"a`ljhjd", "ФЁДОРОВ"},
                                           Keys{"gh/ vbhf 5", "ПР. МИРА 5"}, Keys{"123-45", "123-45"}, Keys{"", ""}));

INSTANTIATE_TEST_SUITE_P(PunctuationKeys, LatinTypedForRussian,
                         ::testing::Values(Keys{";", "Ж"}, Keys{",", "Б"}, Keys{".", "Ю"}, Keys{"[", "Х"},
                                           Keys{"]", "Ъ"}, Keys{"'", "Э"}, Keys{"`", "Ё"}, Keys{":", "Ж"},
                                           Keys{"<", "Б"}, Keys{">", "Ю"}, Keys{"{", "Х"}, Keys{"}", "Ъ"},
                                           Keys{"\"", "Э"}, Keys{"~", "Ё"}, Keys{"/", "."}, Keys{"*?!", "*?!"}));

TEST(LatinTypedForRussian, AMaskKeepsItsSetBrackets) {
    EXPECT_EQ(variants::LatinToCyrillicKeys("[ab]*k", true), W("[ФИ]*Л"));
    EXPECT_EQ(variants::LatinToCyrillicKeys("[ab]*k", false), W("ХФИЪ*Л"));
}

class RussianTypedForLatin : public ::testing::TestWithParam<Keys> {};

TEST_P(RussianTypedForLatin, BecomesTheKeysUnderTheLatinLayout) {
    EXPECT_EQ(variants::CyrillicToLatinKeys(W(GetParam().cyrillic)), GetParam().latin) << GetParam().latin;
}

INSTANTIATE_TEST_SUITE_P(Words, RussianTypedForLatin,
                         ::testing::Values(Keys{"VETA", "МУЕФ"}, Keys{"NORD-STAR", "ТЩКВ-ЫЕФК"},
                                           Keys{"BDFYJD", "иванов"}, Keys{";'[],.`", "ЖЭХЪБЮЁ"},
                                           Keys{";'[],.`", "жэхъбюё"}, Keys{"LTD 5.", "ДЕВ 5."}));

TEST(KeyboardLayouts, EveryLetterKeyComesBack) {
    for (const char key : std::string_view("QWERTYUIOPASDFGHJKLZXCVBNM[];',.`")) {
        const std::string typed(1, key);
        const std::string russian = variants::LatinToCyrillicKeys(typed);
        EXPECT_TRUE(variants::HasCyrillicLetter(russian)) << typed;
        EXPECT_EQ(variants::CyrillicToLatinKeys(russian), typed) << typed;
    }
}

TEST(KeyboardLayouts, TellLatinFromCyrillic) {
    EXPECT_TRUE(variants::HasLatinLetter("12a"));
    EXPECT_FALSE(variants::HasLatinLetter(W("12А")));
    EXPECT_TRUE(variants::HasCyrillicLetter(W("ё")));
    EXPECT_FALSE(variants::HasCyrillicLetter("VETA 5-7"));
}

struct Distance {
    const char* a;
    const char* b;
    int limit;
    int expected;
};

class EditDistances : public ::testing::TestWithParam<Distance> {};

TEST_P(EditDistances, CountInsertionsDeletionsSubstitutionsAndSwaps) {
    const Distance& d = GetParam();
    EXPECT_EQ(variants::EditDistance(W(d.a), W(d.b), d.limit), d.expected) << d.a << " / " << d.b;
    EXPECT_EQ(variants::EditDistance(W(d.b), W(d.a), d.limit), d.expected) << d.b << " / " << d.a;
}

INSTANTIATE_TEST_SUITE_P(Table, EditDistances,
                         ::testing::Values(Distance{"ЛЕНЕНА", "ЛЕНИНА", 2, 1}, Distance{"ЛЕНИАН", "ЛЕНИНА", 2, 1},
                                           Distance{"ФРУНЗЕ", "ФУРНЗЕ", 2, 1}, Distance{"КИРОВА", "КИРОВ", 2, 1},
                                           Distance{"ЧАПАЕВА", "ЧАПАЕВА", 2, 0}, Distance{"", "АБВ", 5, 3},
                                           Distance{"МИРА", "ПИРОГ", 5, 3}, Distance{"ГОГОЛЯ", "ГАГАРИНА", 2, 3},
                                           Distance{"АБВГДЕ", "ЕДГВБА", 2, 3}, Distance{"А", "АБВГД", 1, 2}));

// Every way of turning one text into the other, by recursion over what is left of both (remembered by the
// lengths left): the distance's definition itself.
int Reference(std::string_view a, std::string_view b, std::map<std::pair<std::size_t, std::size_t>, int>& memo) {
    if (a.empty()) return static_cast<int>(b.size());
    if (b.empty()) return static_cast<int>(a.size());
    const auto key = std::make_pair(a.size(), b.size());
    if (auto it = memo.find(key); it != memo.end()) return it->second;
    int best = Reference(a.substr(1), b.substr(1), memo) + (a[0] == b[0] ? 0 : 1);
    best = std::min(best, Reference(a.substr(1), b, memo) + 1);
    best = std::min(best, Reference(a, b.substr(1), memo) + 1);
    if (a.size() > 1 && b.size() > 1 && a[0] == b[1] && a[1] == b[0])
        best = std::min(best, Reference(a.substr(2), b.substr(2), memo) + 1);
    return memo[key] = best;
}

int Reference(std::string_view a, std::string_view b) {
    std::map<std::pair<std::size_t, std::size_t>, int> memo;
    return Reference(a, b, memo);
}

TEST(EditDistances, AgreeWithTheDefinitionAndTheNearestPrefixIsTheBestOne) {
    std::mt19937 random(7);
    auto text = [&](int longest) {
        std::string s(random() % static_cast<unsigned>(longest + 1), ' ');
        for (char& c : s)
            c = static_cast<char>('A' + random() % 3);
        return s;
    };
    for (int round = 0; round < 2000; ++round) {
        const std::string a = text(6), b = text(8);
        const int limit = static_cast<int>(random() % 3);
        const int exact = Reference(a, b);
        ASSERT_EQ(variants::EditDistance(a, b, limit), std::min(exact, limit + 1)) << a << " / " << b;

        int best = limit + 1;
        for (std::size_t j = 0; j <= b.size(); ++j) {
            const std::size_t gap = j > a.size() ? j - a.size() : a.size() - j;
            if (gap <= static_cast<std::size_t>(limit)) best = std::min(best, Reference(a, b.substr(0, j)));
        }
        std::size_t length = 99;
        ASSERT_EQ(variants::PrefixDistance(a, b, limit, length), best) << a << " / " << b;
        if (best <= limit)
            EXPECT_EQ(Reference(a, b.substr(0, length)), best) << a << " / " << b;
        else
            EXPECT_EQ(length, 0u);
    }
}

struct Prefix {
    const char* text;
    const char* word;
    int limit;
    int distance;
    const char* prefix;
};

class NearestPrefixes : public ::testing::TestWithParam<Prefix> {};

TEST_P(NearestPrefixes, PreferTheLengthNearestTheText) {
    const Prefix& p = GetParam();
    std::size_t length = 0;
    const std::string word = W(p.word);
    EXPECT_EQ(variants::PrefixDistance(W(p.text), word, p.limit, length), p.distance) << p.text;
    EXPECT_EQ(word.substr(0, length), W(p.prefix)) << p.text;
}

INSTANTIATE_TEST_SUITE_P(Table, NearestPrefixes,
                         ::testing::Values(Prefix{"ЛЕНЕН", "ЛЕНИНГРАДСКАЯ", 2, 1, "ЛЕНИН"},
                                           Prefix{"ЛЕНЕНА", "ЛЕНИНА", 2, 1, "ЛЕНИНА"},
                                           Prefix{"ЛЕНИНК", "ЛЕНИНА", 2, 1, "ЛЕНИНА"},
                                           Prefix{"ЧАП", "ЧАПАЕВА", 1, 0, "ЧАП"}, Prefix{"МИРА", "ЛЕНИНА", 1, 2, ""},
                                           Prefix{"КОСМОНАВТОВЫ", "КОСМОНАВТОВ", 1, 1, "КОСМОНАВТОВ"},
                                           Prefix{"КОСМОНАВТОВЫЕ", "КОСМОНАВТОВ", 1, 2, ""}));

} // namespace
