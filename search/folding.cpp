#include "folding.h"

#include <algorithm>

namespace vg {
namespace {

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// Every letter of the code page has a capital and a small form.
bool IsLetter(unsigned char c) {
    return cp1251::Upper(c) != c || cp1251::Lower(c) != c;
}

bool IsQuote(unsigned char c) {
    switch (c) {
    case 0x22: // "
    case 0x27: // '
    case 0xAB: // «
    case 0xBB: // »
    case 0x84: // „
    case 0x93: // “
    case 0x94: // ”
    case 0x91: // ‘
    case 0x92: // ’
        return true;
    default:
        return false;
    }
}

bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == 0xA0;
}

// The end of the mask set that opens at `at` (a '['), read as the mask parser reads it: an optional '!', then up
// to the first ']' that does not end a range; an unclosed set runs to the end of the text.
std::size_t SetEnd(std::string_view text, std::size_t at) {
    std::size_t j = at + 1;
    if (j < text.size() && text[j] == '!') ++j;
    while (j < text.size() && text[j] != ']')
        j += text[j] == '-' ? 2 : 1;
    return std::min(j + 1, text.size());
}

void Fold(FoldKind kind, std::string_view text, std::string& out, std::vector<std::uint32_t>* origin,
          std::size_t limit) {
    out.clear();
    if (origin) origin->clear();
    // Each character kept is final when it is written: a prefix of the result needs only a prefix of the text.
    auto emit = [&](unsigned char c, std::size_t from) {
        out.push_back(static_cast<char>(c));
        if (origin) origin->push_back(static_cast<std::uint32_t>(from));
    };
    if (kind == FoldKind::Address) {
        for (std::size_t i = 0; i < text.size() && out.size() < limit; ++i)
            emit(FoldChar(static_cast<unsigned char>(text[i])), i);
        return;
    }
    bool space = false;        // Words: blanks seen since the last character kept
    std::size_t spaceFrom = 0; // where they began
    std::size_t i = 0;
    while (i < text.size() && out.size() < limit) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (kind == FoldKind::Words) {
            if (IsQuote(c)) {
                ++i;
                continue;
            }
            if (IsBlank(c)) {
                if (!space) spaceFrom = i;
                space = true;
                ++i;
                continue;
            }
            if (space && !out.empty() && out.back() != '.') emit(' ', spaceFrom);
            space = false;
        } else if (!IsDigit(c) && !IsLetter(c) && c != '*' && c != '?' && c != '[') {
            ++i;
            continue;
        }
        if (c == '[') {
            const std::size_t end = SetEnd(text, i);
            for (; i < end && out.size() < limit; ++i)
                emit(FoldChar(static_cast<unsigned char>(text[i])), i);
            continue;
        }
        if (out.size() < limit) emit(FoldChar(c), i);
        ++i;
    }
}

} // namespace

void FoldForMatch(FoldKind kind, std::string_view text, std::string& out, std::vector<std::uint32_t>* origin) {
    Fold(kind, text, out, origin, std::string::npos);
}

void FoldPrefixForMatch(FoldKind kind, std::string_view text, std::size_t limit, std::string& out) {
    Fold(kind, text, out, nullptr, limit);
}

std::string FoldForMatch(FoldKind kind, std::string_view text) {
    std::string out;
    FoldForMatch(kind, text, out);
    return out;
}

TAddressNumber ReadAddressNumber(std::string_view text) {
    TAddressNumber a;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    const std::size_t digits = i;
    std::uint64_t n = 0;
    for (; i < text.size() && IsDigit(static_cast<unsigned char>(text[i])); ++i)
        n = std::min<std::uint64_t>(n * 10 + static_cast<std::uint64_t>(text[i] - '0'), 0xFFFFFFFFu);
    a.number = static_cast<std::uint32_t>(n);
    // No digits: the whole text is the tie-break.
    a.rest = text.substr(i == digits ? 0 : i);
    return a;
}

int CompareAddressRest(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (true) {
        while (i < a.size() && IsBlank(static_cast<unsigned char>(a[i])))
            ++i;
        while (j < b.size() && IsBlank(static_cast<unsigned char>(b[j])))
            ++j;
        if (i == a.size() || j == b.size()) return i == a.size() && j == b.size() ? 0 : i == a.size() ? -1 : 1;
        const unsigned char x = FoldChar(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldChar(static_cast<unsigned char>(b[j]));
        if (IsDigit(x) && IsDigit(y)) {
            // Two runs of digits: the one with more significant digits is larger, equal lengths compare digit by
            // digit.
            while (i < a.size() && a[i] == '0')
                ++i;
            while (j < b.size() && b[j] == '0')
                ++j;
            std::size_t ei = i, ej = j;
            while (ei < a.size() && IsDigit(static_cast<unsigned char>(a[ei])))
                ++ei;
            while (ej < b.size() && IsDigit(static_cast<unsigned char>(b[ej])))
                ++ej;
            if (ei - i != ej - j) return ei - i < ej - j ? -1 : 1;
            const int r = a.substr(i, ei - i).compare(b.substr(j, ej - j));
            if (r != 0) return r < 0 ? -1 : 1;
            i = ei;
            j = ej;
            continue;
        }
        const bool lx = IsLetter(x), ly = IsLetter(y);
        if (lx != ly) return lx ? -1 : 1;
        if (x != y) return x < y ? -1 : 1;
        ++i;
        ++j;
    }
}

} // namespace vg
