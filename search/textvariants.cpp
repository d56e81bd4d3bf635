#include "textvariants.h"

#include "directory/cp1251.h"

#include <algorithm>
#include <array>

namespace vg::variants {
namespace {

struct KeyTables {
    std::array<unsigned char, 256> toCyrillic{};
    std::array<unsigned char, 256> toLatin{};
};

const KeyTables& Keys() {
    static const KeyTables tables = [] {
        KeyTables t;
        for (int c = 0; c < 256; ++c)
            t.toCyrillic[static_cast<std::size_t>(c)] = t.toLatin[static_cast<std::size_t>(c)] =
                static_cast<unsigned char>(c);
        // The keys row by row, as the standard layouts label them; the shifted punctuation keys after them.
        const std::string_view latin = "QWERTYUIOP[]ASDFGHJKL;'ZXCVBNM,.`";
        const std::string_view shifted = "{}:\"<>~";
        std::string cyrillic, cyrillicShifted;
        cp1251::FromUtf8("ЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮЁ", cyrillic);
        cp1251::FromUtf8("ХЪЖЭБЮЁ", cyrillicShifted);
        for (std::size_t i = 0; i < latin.size(); ++i) {
            const auto key = static_cast<unsigned char>(latin[i]);
            const auto letter = static_cast<unsigned char>(cyrillic[i]);
            t.toCyrillic[key] = letter;
            t.toCyrillic[cp1251::Lower(key)] = letter;
            t.toLatin[letter] = key;
            t.toLatin[cp1251::Lower(letter)] = key;
        }
        for (std::size_t i = 0; i < shifted.size(); ++i)
            t.toCyrillic[static_cast<unsigned char>(shifted[i])] = static_cast<unsigned char>(cyrillicShifted[i]);
        t.toCyrillic['/'] = '.';
        return t;
    }();
    return tables;
}

bool IsYo(unsigned char c) {
    return c == 0xA8 || c == 0xB8; // Ё ё
}

} // namespace

std::string LatinToCyrillicKeys(std::string_view text, bool keepSets) {
    const KeyTables& keys = Keys();
    std::string out(text);
    for (char& c : out) {
        if (keepSets && (c == '[' || c == ']')) continue;
        c = static_cast<char>(keys.toCyrillic[static_cast<unsigned char>(c)]);
    }
    return out;
}

std::string CyrillicToLatinKeys(std::string_view text) {
    const KeyTables& keys = Keys();
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(keys.toLatin[static_cast<unsigned char>(c)]);
    return out;
}

bool HasLatinLetter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

bool HasCyrillicLetter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0xC0 || IsYo(b);
    });
}

namespace {

// The optimal-string-alignment table of `text` against the first `columns` bytes of `word`: row i, column j is
// the distance between text[0, i) and word[0, j). Returns the last row.
std::vector<int> LastRow(std::string_view text, std::string_view word, std::size_t columns) {
    const std::size_t n = text.size(), m = columns;
    std::vector<int> before(m + 1), previous(m + 1), current(m + 1);
    for (std::size_t j = 0; j <= m; ++j)
        previous[j] = static_cast<int>(j);
    for (std::size_t i = 1; i <= n; ++i) {
        current[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= m; ++j) {
            const int cost = text[i - 1] == word[j - 1] ? 0 : 1;
            int best = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && text[i - 1] == word[j - 2] && text[i - 2] == word[j - 1])
                best = std::min(best, before[j - 2] + 1);
            current[j] = best;
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous;
}

} // namespace

int EditDistance(std::string_view a, std::string_view b, int limit) {
    const auto gap = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
    if (gap > static_cast<std::size_t>(limit)) return limit + 1;
    const int distance = LastRow(a, b, b.size())[b.size()];
    return std::min(distance, limit + 1);
}

int PrefixDistance(std::string_view text, std::string_view word, int limit, std::size_t& prefixLength) {
    prefixLength = 0;
    const std::size_t n = text.size();
    const std::size_t shortest = n > static_cast<std::size_t>(limit) ? n - static_cast<std::size_t>(limit) : 0;
    const std::size_t longest = std::min(word.size(), n + static_cast<std::size_t>(limit));
    if (longest < shortest) return limit + 1;
    const std::vector<int> row = LastRow(text, word, longest);
    int best = limit + 1;
    std::size_t bestGap = 0;
    for (std::size_t j = shortest; j <= longest; ++j) {
        const std::size_t gap = j > n ? j - n : n - j;
        if (row[j] < best || (row[j] == best && best <= limit && gap < bestGap)) {
            best = row[j];
            bestGap = gap;
            prefixLength = j;
        }
    }
    if (best > limit) {
        prefixLength = 0;
        return limit + 1;
    }
    return best;
}

} // namespace vg::variants
