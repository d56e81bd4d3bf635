#include "cp1251.h"

#include "utf8.h"

#include <array>
#include <cstring>

namespace vg::cp1251 {
namespace {

// Code points of 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// Each byte's UTF-8, written three bytes at a time whatever its length: a record's fields convert without a branch
// per character.
struct Utf8Byte {
    char bytes[3];
    unsigned char length;
};
constexpr std::array<Utf8Byte, 256> kUtf8 = [] {
    std::array<Utf8Byte, 256> table{};
    for (int c = 0; c < 256; ++c) {
        const char32_t cp = c < 0x80    ? static_cast<char32_t>(c)
                            : c >= 0xC0 ? static_cast<char32_t>(0x0410 + (c - 0xC0))
                                        : kHigh[static_cast<std::size_t>(c - 0x80)];
        Utf8Byte& out = table[static_cast<std::size_t>(c)];
        if (cp < 0x80) {
            out = {{static_cast<char>(cp), 0, 0}, 1};
        } else if (cp < 0x800) {
            out = {{static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0}, 2};
        } else {
            out = {{static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
                    static_cast<char>(0x80 | (cp & 0x3F))},
                   3};
        }
    }
    return table;
}();

int FromUnicode(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == cp) return 0x80 + i;
    return -1;
}

} // namespace

char32_t ToUnicode(unsigned char c) {
    if (c < 0x80) return c;
    if (c >= 0xC0) return 0x0410 + (c - 0xC0);
    return kHigh[c - 0x80];
}

char* WriteUtf8(std::string_view bytes, char* out) {
    for (char c : bytes) {
        const Utf8Byte& utf8 = kUtf8[static_cast<unsigned char>(c)];
        std::memcpy(out, utf8.bytes, sizeof utf8.bytes);
        out += utf8.length;
    }
    return out;
}

std::string ToUtf8(std::string_view bytes) {
    std::string out(bytes.size() * 3, '\0');
    out.resize(static_cast<std::size_t>(WriteUtf8(bytes, out.data()) - out.data()));
    return out;
}

bool FromUtf8(std::string_view utf8, std::string& out) {
    out.clear();
    out.reserve(utf8.size());
    char32_t cp;
    for (std::size_t at = 0; at < utf8.size();) {
        if (!NextUtf8(utf8, at, cp)) return false;
        const int byte = FromUnicode(cp);
        if (byte < 0) return false;
        out.push_back(static_cast<char>(byte));
    }
    return true;
}

std::string Upper(std::string_view text) {
    std::string out(text);
    UpperInPlace(out);
    return out;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(detail::kCase.lower[static_cast<unsigned char>(c)]);
    return out;
}

void UpperInPlace(std::string& text) {
    for (char& c : text)
        c = static_cast<char>(detail::kCase.upper[static_cast<unsigned char>(c)]);
}

} // namespace vg::cp1251
