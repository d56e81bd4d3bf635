#pragma once

#include "directory/cp1251.h"
#include "directory/fields.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What the matching forgives: a record's field and a criterion are both folded the same way before they are
// compared, so that what an operator types as a caller says it finds the record as the directory writes it.
// The record itself is never changed: folding happens inside the comparison only. Every routine here is pure,
// so the same folding serves a test made per call and data prepared once when the directory is loaded.
namespace vg {

// How a field is folded.
enum class FoldKind : std::uint8_t {
    Digits,  // the phone: separators (anything but a digit or a letter) are dropped
    Words,   // street and subscriber: no quotation marks, one space between words, none after a dot
    Address, // house and flat: letters only; the order conditions read an address number
};

constexpr FoldKind FoldKindOf(Field field) {
    return field == Field::Phone                           ? FoldKind::Digits
           : field == Field::House || field == Field::Flat ? FoldKind::Address
                                                           : FoldKind::Words;
}

namespace detail {
struct FoldTable {
    unsigned char fold[256]{};
    constexpr FoldTable() {
        for (int i = 0; i < 256; ++i)
            fold[i] = cp1251::detail::kCase.upper[i];
        fold[0xA8] = fold[0xB8] = 0xC5; // Ё ё as Е
    }
};
inline constexpr FoldTable kFold{};

constexpr bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}
// Every letter of the code page has a capital and a small form.
constexpr bool IsLetter(unsigned char c) {
    return cp1251::detail::kCase.upper[c] != c || cp1251::detail::kCase.lower[c] != c;
}
// " ' « » „ “ ” ‘ ’
constexpr bool IsQuote(unsigned char c) {
    return c == 0x22 || c == 0x27 || c == 0xAB || c == 0xBB || c == 0x84 || c == 0x93 || c == 0x94 || c == 0x91 ||
           c == 0x92;
}
// Space, tab, no-break space.
constexpr bool IsBlank(unsigned char c) {
    return c == ' ' || c == '\t' || c == 0xA0;
}

// Per kind, the characters that FoldForMatch keeps as the code page upper-cases them, wherever they stand. A
// blank is not among them: in Words a single space between two such characters is plain too.
struct PlainTable {
    bool plain[3][256]{};
    constexpr PlainTable() {
        for (int c = 0; c < 256; ++c) {
            const auto b = static_cast<unsigned char>(c);
            const bool kept = b != '[' && b != 0xA8 && b != 0xB8;
            plain[static_cast<int>(FoldKind::Digits)][c] = kept && (IsDigit(b) || IsLetter(b) || b == '*' || b == '?');
            plain[static_cast<int>(FoldKind::Words)][c] = kept && !IsQuote(b) && !IsBlank(b);
            plain[static_cast<int>(FoldKind::Address)][c] = kept;
        }
    }
};
inline constexpr PlainTable kPlain{};
} // namespace detail

// One character as every text test sees it: upper-cased as the code page upper-cases it, and Ё as Е.
inline unsigned char FoldChar(unsigned char c) {
    return detail::kFold.fold[c];
}

// The text as the matching compares it. Every character is folded by FoldChar; besides,
// - Digits: every character that is neither a digit nor a letter is dropped ("(21) 39-18" is "213918"), but a
//   mask's '*' and '?' stay;
// - Words: quotation marks of every kind (" ' « » „ “ ” ‘ ’) are dropped, a run of blanks (space, tab,
//   no-break space) is one space, a blank after a dot and blanks at either end are none ("Н. Ф." is "Н.Ф.");
// - Address: nothing else.
// A mask's character set, '[' to its ']' as the mask reads it (an unclosed one to the end), keeps every
// character, only folded, so a mask keeps its meaning. Folding twice gives what folding once gives. `origin`,
// when given, receives for every character of the result the 0-based index of the character it came from.
std::string FoldForMatch(FoldKind kind, std::string_view text);
void FoldForMatch(FoldKind kind, std::string_view text, std::string& out, std::vector<std::uint32_t>* origin = nullptr);
// The first `limit` characters of FoldForMatch (all of them when it has fewer), without folding the rest of the
// text: enough to tell whether a folded text begins with, or sorts before, one of `limit` - 1 characters.
void FoldPrefixForMatch(FoldKind kind, std::string_view text, std::size_t limit, std::string& out);

// Whether FoldForMatch of the text is the text upper-cased character by character as the code page does
// (cp1251::Upper): no Ё, nothing dropped, no blank changed. True only when it is, so a caller may then compare the
// text where it lies; false sends it the longer way round (a text with a '[' is never called plain).
// Whether the character at `at` stands in FoldForMatch of the text as it is, only upper-cased, given that the
// characters before it do: a text is plain when every character is.
inline bool IsPlainAt(FoldKind kind, std::string_view text, std::size_t at) {
    const bool* plain = detail::kPlain.plain[static_cast<int>(kind)];
    if (plain[static_cast<unsigned char>(text[at])]) return true;
    // One space between two plain characters, not after a dot.
    return kind == FoldKind::Words && text[at] == ' ' && at > 0 && at + 1 < text.size() && text[at - 1] != '.' &&
           plain[static_cast<unsigned char>(text[at + 1])];
}
bool IsPlainForMatch(FoldKind kind, std::string_view text);
// The end of the mask set that opens at `at` (a '['), read as the mask parser reads it: an optional '!', then up
// to the first ']' that does not end a range; an unclosed set runs to the end of the text.
std::size_t SetEnd(std::string_view text, std::size_t at);

// A house or flat number as an address is read: its leading decimal number (after leading spaces; 0 when there
// are no digits, 4294967295 for anything larger), then the rest of the text as the tie-break.
struct TAddressNumber {
    std::uint32_t number = 0;
    std::string_view rest; // a view into the text read
};
TAddressNumber ReadAddressNumber(std::string_view text);
// The order of the rest of two address numbers: blanks are skipped, characters folded, a letter comes before
// any other character and runs of digits compare as numbers, so "" < "А" < "Б" < "/1" < "/2" < "/10".
int CompareAddressRest(std::string_view a, std::string_view b);
// Two address numbers: -1, 0 or 1. So 8 < 8А < 8Б < 8/1 < 9 < 10, and 52А > 50.
inline int CompareAddress(const TAddressNumber& a, const TAddressNumber& b) {
    if (a.number != b.number) return a.number < b.number ? -1 : 1;
    return a.rest.empty() && b.rest.empty() ? 0 : CompareAddressRest(a.rest, b.rest);
}
inline int CompareAddress(std::string_view a, std::string_view b) {
    return CompareAddress(ReadAddressNumber(a), ReadAddressNumber(b));
}

} // namespace vg
