#include "folding.h"

#include <algorithm>

namespace vg {
namespace {

using detail::IsBlank;
using detail::IsDigit;
using detail::IsLetter;
using detail::IsQuote;

} // namespace

std::size_t SetEnd(std::string_view text, std::size_t at) {
    std::size_t j = at + 1;
    if (j < text.size() && text[j] == '!') ++j;
    while (j < text.size() && text[j] != ']')
        j += text[j] == '-' ? 2 : 1;
    return std::min(j + 1, text.size());
}

namespace {

// One kind's folding, with or without the origins of the characters kept.
template <FoldKind Kind, bool Origins>
void Fold(std::string_view text, std::string& out, std::vector<std::uint32_t>* origin, std::size_t limit) {
    // Nothing is added: the result is never longer than the text. Each character kept is final when it is
    // written, so a prefix of the result needs only a prefix of the text.
    const std::size_t room = std::min(text.size(), limit);
    out.resize(room);
    if constexpr (Origins) origin->assign(room, 0);
    char* const to = out.data();
    std::size_t n = 0;
    auto emit = [&](unsigned char c, std::size_t from) {
        to[n] = static_cast<char>(c);
        if constexpr (Origins) (*origin)[n] = static_cast<std::uint32_t>(from);
        ++n;
    };
    bool space = false;        // Words: blanks seen since the last character kept
    std::size_t spaceFrom = 0; // where they began
    std::size_t i = 0;
    while (i < text.size() && n < room) {
        const auto c = static_cast<unsigned char>(text[i]);
        if constexpr (Kind == FoldKind::Words) {
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
            if (space && n > 0 && to[n - 1] != '.') emit(' ', spaceFrom);
            space = false;
        } else if constexpr (Kind == FoldKind::Digits) {
            if (!IsDigit(c) && !IsLetter(c) && c != '*' && c != '?' && c != '[') {
                ++i;
                continue;
            }
        }
        if (Kind != FoldKind::Address && c == '[') {
            const std::size_t end = SetEnd(text, i);
            for (; i < end && n < room; ++i)
                emit(FoldChar(static_cast<unsigned char>(text[i])), i);
            continue;
        }
        if (n < room) emit(FoldChar(c), i);
        ++i;
    }
    out.resize(n);
    if constexpr (Origins) origin->resize(n);
}

template <FoldKind Kind> bool Plain(std::string_view text) {
    const bool* plain = detail::kPlain.plain[static_cast<int>(Kind)];
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (plain[p[i]]) continue;
        // Two different tests that end alike: the first is decided at compile time.
        // NOLINTNEXTLINE(bugprone-branch-clone)
        if constexpr (Kind != FoldKind::Words) {
            return false;
        } else if (p[i] != ' ' || i == 0 || i + 1 == n || p[i - 1] == '.' || !plain[p[i + 1]]) {
            return false;
        }
    }
    return true;
}

} // namespace

void FoldForMatch(FoldKind kind, std::string_view text, std::string& out, std::vector<std::uint32_t>* origin) {
    if (origin) {
        switch (kind) {
        case FoldKind::Digits:
            return Fold<FoldKind::Digits, true>(text, out, origin, std::string::npos);
        case FoldKind::Words:
            return Fold<FoldKind::Words, true>(text, out, origin, std::string::npos);
        case FoldKind::Address:
            return Fold<FoldKind::Address, true>(text, out, origin, std::string::npos);
        }
    }
    FoldPrefixForMatch(kind, text, std::string::npos, out);
}

void FoldPrefixForMatch(FoldKind kind, std::string_view text, std::size_t limit, std::string& out) {
    switch (kind) {
    case FoldKind::Digits:
        return Fold<FoldKind::Digits, false>(text, out, nullptr, limit);
    case FoldKind::Words:
        return Fold<FoldKind::Words, false>(text, out, nullptr, limit);
    case FoldKind::Address:
        return Fold<FoldKind::Address, false>(text, out, nullptr, limit);
    }
}

bool IsPlainForMatch(FoldKind kind, std::string_view text) {
    switch (kind) {
    case FoldKind::Digits:
        return Plain<FoldKind::Digits>(text);
    case FoldKind::Words:
        return Plain<FoldKind::Words>(text);
    case FoldKind::Address:
        return Plain<FoldKind::Address>(text);
    }
    return false;
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
