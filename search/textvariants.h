#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Texts an operator may have meant instead of the one typed: the other keyboard layout, and how far a text is
// from a word. All Windows-1251.
namespace vg::variants {

// The text as the same keys give it under the Russian layout (ЙЦУКЕН over QWERTY), upper-cased: Latin letters,
// the keys that carry Russian letters (';' Ж, ',' Б, '.' Ю, '[' Х, ']' Ъ, '\'' Э, '`' Ё, and their shifted
// forms) and '/' ('.'); every other byte stays. With `keepSets` '[' and ']' stay, as a mask's sets need them.
std::string LatinToCyrillicKeys(std::string_view text, bool keepSets = false);
// The text as the same keys give it under the Latin layout: every Cyrillic letter (either case) becomes the key
// it sits on (a Latin capital, or ; ' [ ] , . ` for Ж Э Х Ъ Б Ю Ё); every other byte stays.
std::string CyrillicToLatinKeys(std::string_view text);

bool HasLatinLetter(std::string_view text);
bool HasCyrillicLetter(std::string_view text);

// The edit distance between two texts (insertions, deletions, substitutions and swaps of neighbours, each
// costing 1); limit + 1 when it exceeds `limit`.
int EditDistance(std::string_view a, std::string_view b, int limit);
// The edit distance between the text and the nearest prefix of `word` whose length is within `limit` of the
// text's (on a tie the one whose length is nearest the text's, then the shorter), and that prefix's length; limit + 1
// (length 0) when none is that near.
int PrefixDistance(std::string_view text, std::string_view word, int limit, std::size_t& prefixLength);

} // namespace vg::variants
