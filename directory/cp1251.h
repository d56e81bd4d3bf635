#pragma once

#include <string>
#include <string_view>

// Windows-1251 text: the directory's and the criteria's 8-bit code page.
namespace vg::cp1251 {

// Byte 0x98 is unassigned in the code page; it maps to U+0098 and back so that every byte round-trips.
std::string ToUtf8(std::string_view bytes);
// The same written at `out`, which has room for three bytes a byte; returns the end of what was written.
char* WriteUtf8(std::string_view bytes, char* out);

// Converts UTF-8 to Windows-1251. Returns false (and leaves `out` unspecified) when the text is not valid
// UTF-8 or holds a character the code page has no byte for.
bool FromUtf8(std::string_view utf8, std::string& out);

namespace detail {
// The casing tables, in the header so that comparing text inlines its lookups.
struct CaseTables {
    unsigned char upper[256]{};
    unsigned char lower[256]{};
    constexpr CaseTables() {
        for (int i = 0; i < 256; ++i) {
            upper[i] = static_cast<unsigned char>(i);
            lower[i] = static_cast<unsigned char>(i);
        }
        for (int i = 0; i < 26; ++i)
            Pair('A' + i, 'a' + i);
        for (int i = 0; i < 32; ++i)
            Pair(0xC0 + i, 0xE0 + i);
        // Ђ ђ, Ѓ ѓ, Љ љ, Њ њ, Ќ ќ, Ћ ћ, Џ џ, Ў ў, Ј ј, Ґ ґ, Ё ё, Є є, Ї ї, І і, Ѕ ѕ
        const int pairs[][2] = {{0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D},
                                {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4},
                                {0xA8, 0xB8}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
        for (const auto& p : pairs)
            Pair(p[0], p[1]);
    }
    constexpr void Pair(int capital, int small) {
        upper[small] = static_cast<unsigned char>(capital);
        lower[capital] = static_cast<unsigned char>(small);
    }
};
inline constexpr CaseTables kCase{};
} // namespace detail

// The code page's locale casing: Latin a-z, Cyrillic а-я and ё, and ђ ѓ љ њ ќ ћ џ ў ј ґ є ѕ і ї.
inline unsigned char Upper(unsigned char c) {
    return detail::kCase.upper[c];
}
inline unsigned char Lower(unsigned char c) {
    return detail::kCase.lower[c];
}
std::string Upper(std::string_view text);
std::string Lower(std::string_view text);
void UpperInPlace(std::string& text);

// The Unicode code point of one byte.
char32_t ToUnicode(unsigned char c);

} // namespace vg::cp1251
