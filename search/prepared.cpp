#include "prepared.h"

#include "boxsearch.h"

#include "folding.h"
#include "matching.h"
#include "searchrun.h"

#include "directory/cp1251.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VG_FIND_AVX2 1
#endif

namespace vg {
namespace {

std::uint64_t HashText(std::string_view text) {
    const std::size_t n = text.size();
    const char* const p = text.data();
    auto load = [p](std::size_t at, auto word) {
        std::memcpy(&word, p + at, sizeof word);
        return static_cast<std::uint64_t>(word);
    };
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ n;
    std::uint64_t tail;
    if (n >= 8) {
        for (std::size_t k = 0; k + 8 < n; k += 8) {
            h = (h ^ load(k, std::uint64_t{})) * 0xBF58476D1CE4E5B9ULL;
            h ^= h >> 31;
        }
        tail = load(n - 8, std::uint64_t{}); // the last eight bytes, some of them hashed already
    } else if (n >= 4) {
        tail = load(0, std::uint32_t{}) | load(n - 4, std::uint32_t{}) << 32;
    } else {
        tail =
            n == 0 ? 0 : load(0, std::uint8_t{}) | load(n / 2, std::uint8_t{}) << 8 | load(n - 1, std::uint8_t{}) << 16;
    }
    h ^= tail;
    // Every bit of the text reaches the upper half, which places the slot.
    h = (h ^ (h >> 33)) * 0xFF51AFD7ED558CCDULL;
    h = (h ^ (h >> 33)) * 0xC4CEB9FE1A85EC53ULL;
    return h ^ (h >> 33);
}

#if defined(VG_FIND_AVX2)
// Find's first part on processors that compare 32 bytes at once: where it stops, fewer than 32 positions are left.
__attribute__((target("avx2"))) const char* FindWide(const char*& from, const char* end, std::string_view needle) {
    const std::size_t n = needle.size();
    const __m256i first = _mm256_set1_epi8(needle[0]);
    const __m256i last = _mm256_set1_epi8(needle[n - 1]);
    for (; end - from >= static_cast<std::ptrdiff_t>(n - 1 + 32); from += 32) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + n - 1));
        auto both = static_cast<unsigned>(
            _mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, last))));
        while (both != 0) {
            const int at = __builtin_ctz(both);
            if (std::memcmp(from + at + 1, needle.data() + 1, n - 2) == 0) return from + at;
            both &= both - 1;
        }
    }
    return nullptr;
}
#endif

// The first occurrence of `needle` (not empty) in [from, end), or null. The needle's first and last bytes are
// compared sixteen (or 32) positions at a time, and only where both agree is the rest compared.
const char* Find(const char* from, const char* end, std::string_view needle) {
    const std::size_t n = needle.size();
    if (n == 1) return static_cast<const char*>(std::memchr(from, needle[0], static_cast<std::size_t>(end - from)));
#if defined(VG_FIND_AVX2)
    static const bool wide = __builtin_cpu_supports("avx2") != 0;
    if (wide)
        if (const char* hit = FindWide(from, end, needle)) return hit;
#endif
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi8(needle[0]);
    const __m128i last = _mm_set1_epi8(needle[n - 1]);
    for (; end - from >= static_cast<std::ptrdiff_t>(n - 1 + 16); from += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + n - 1));
        auto both =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (both != 0) {
            const int at = __builtin_ctz(both);
            if (std::memcmp(from + at + 1, needle.data() + 1, n - 2) == 0) return from + at;
            both &= both - 1;
        }
    }
#endif
    if (end - from < static_cast<std::ptrdiff_t>(n)) return nullptr;
    return static_cast<const char*>(memmem(from, static_cast<std::size_t>(end - from), needle.data(), n));
}

// A phone's first digits, as PhoneBegins reads them: up to eight of them as a number of eight digits, zeros
// after the last one (27 bits), how many there are (4 bits) and whether more follow (the top bit). The phones
// that begin with given digits are then one range of numbers, of at least as many digits.
constexpr std::uint32_t kPhoneDigits = 8;
constexpr std::uint32_t kTens[kPhoneDigits + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
constexpr std::uint32_t kPhoneNumber = (1u << 27) - 1;
// The box tests only the records a word of letters matches while they are at most one in kFewRecords of the
// directory; gathers them by sorting while they are at most kSortedRecords or one in kSortedShare; fetches the
// records' codes kAhead records ahead of the one it tests.
constexpr std::uint64_t kFewRecords = 8, kSortedRecords = 64, kSortedShare = 2048;
constexpr std::size_t kAhead = 16;
// A word's records holding both a street and a subscriber it matches are counted from the fewer side while that
// is at most one in kFewOverlap of the directory, else in a pass over every record.
constexpr std::uint64_t kFewOverlap = 16;
// With `odd`, also whether folding the phone for matching keeps anything but its digits (a letter, '*', '?' or a
// set's '['): its digits then do not tell what a criterion test sees.
std::uint32_t PhoneDigits(std::string_view phone, bool* odd = nullptr) {
    std::uint32_t number = 0, digits = 0, more = 0;
    for (const char c : phone) {
        if (c < '0' || c > '9') {
            if (odd && (detail::IsLetter(static_cast<unsigned char>(c)) || c == '*' || c == '?' || c == '['))
                *odd = true;
            continue;
        }
        if (digits == kPhoneDigits) {
            more = 1;
            if (!odd) break;
            continue;
        }
        number = number * 10 + static_cast<std::uint32_t>(c - '0');
        ++digits;
    }
    return number * kTens[kPhoneDigits - digits] | digits << 27 | more << 31;
}

// A phone's first two digits (PhoneDigits) as one of kPhoneHeads codes: 0-99 for a phone of two digits or more,
// 100 plus the digit for one of a single digit, 110 for one without digits.
constexpr std::size_t kPhoneHeads = 111;
std::uint32_t PhoneHead(std::uint32_t phone) {
    const std::uint32_t digits = phone >> 27 & 15, number = phone & kPhoneNumber;
    return digits >= 2 ? number / kTens[kPhoneDigits - 2] : digits == 1 ? 100 + number / kTens[kPhoneDigits - 1] : 110;
}

} // namespace

// The phones that begin with a group of digits (at most kPhoneDigits): lo <= number < hi, of `digits` or more.
struct TDialled {
    std::uint64_t bit = 0;
    std::uint32_t digits = 0, lo = 0, hi = 0;
    bool Begins(std::uint32_t phone) const {
        return (phone >> 27 & 15) >= digits && (phone & kPhoneNumber) - lo < hi - lo;
    }
};

// ---- TFieldColumn ----

TFieldColumn::TFieldColumn(std::int32_t count) : slots_(256) {
    narrow_.reserve(static_cast<std::size_t>(count));
}

void TFieldColumn::Rehash() {
    // A slot's place comes from its tag alone, so that the texts are neither read nor hashed again.
    std::vector<TSlot> grown(slots_.size() * 2);
    const std::size_t mask = grown.size() - 1;
    for (const TSlot& slot : slots_) {
        if (slot.code == 0) continue;
        std::size_t at = slot.tag & mask;
        while (grown[at].code != 0)
            at = (at + 1) & mask;
        grown[at] = slot;
    }
    slots_.swap(grown);
}

namespace {

// Whether the n bytes at a and b are the same: a few word compares for the short texts of a directory.
bool SameBytes(const char* a, const char* b, std::size_t n) {
    auto load = [](const char* p, auto word) {
        std::memcpy(&word, p, sizeof word);
        return word;
    };
    if (n >= 8) {
        for (std::size_t k = 0; k + 8 < n; k += 8)
            if (load(a + k, std::uint64_t{}) != load(b + k, std::uint64_t{})) return false;
        return load(a + n - 8, std::uint64_t{}) == load(b + n - 8, std::uint64_t{});
    }
    if (n >= 4)
        return load(a, std::uint32_t{}) == load(b, std::uint32_t{}) &&
               load(a + n - 4, std::uint32_t{}) == load(b + n - 4, std::uint32_t{});
    return n == 0 || (a[0] == b[0] && a[n / 2] == b[n / 2] && a[n - 1] == b[n - 1]);
}

} // namespace

void TFieldColumn::Add(std::string_view text, std::uint64_t hash) {
    const std::size_t mask = slots_.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    std::size_t at = tag & mask;
    std::uint32_t code = 0;
    for (;; at = (at + 1) & mask) {
        TSlot& slot = slots_[at];
        if (slot.code == 0) {
            code = static_cast<std::uint32_t>(ends_.size());
            slot = {tag, code + 1, static_cast<std::uint32_t>(texts_.size()), static_cast<std::uint32_t>(text.size())};
            texts_.append(text);
            ends_.push_back(static_cast<std::uint32_t>(texts_.size()));
            counts_.push_back(0);
            if (ends_.size() * 2 > slots_.size()) Rehash();
            break;
        }
        if (slot.tag == tag && slot.size == text.size() &&
            SameBytes(texts_.data() + slot.begin, text.data(), text.size())) {
            code = slot.code - 1;
            break;
        }
    }
    if (wide_.empty() && code > std::numeric_limits<std::uint16_t>::max()) {
        wide_.reserve(narrow_.capacity());
        wide_.assign(narrow_.begin(), narrow_.end());
        std::vector<std::uint16_t>().swap(narrow_);
    }
    if (wide_.empty())
        narrow_.push_back(static_cast<std::uint16_t>(code));
    else
        wide_.push_back(code);
    ++counts_[code];
}

void TFieldColumn::Finish(Field field) {
    std::vector<TSlot>().swap(slots_);
    // Records added beyond the room made for them: the slack of the doubling goes.
    if (narrow_.capacity() - narrow_.size() > narrow_.size() / 8) narrow_.shrink_to_fit();
    if (wide_.capacity() - wide_.size() > wide_.size() / 8) wide_.shrink_to_fit();
    texts_.shrink_to_fit();
    ends_.shrink_to_fit();
    counts_.shrink_to_fit();
    folded_.reserve(texts_.size() + ends_.size() + 1);
    foldedStarts_.reserve(ends_.size());
    for (std::size_t code = 0; code < Distinct(); ++code) {
        folded_ += '\n';
        foldedStarts_.push_back(static_cast<std::uint32_t>(folded_.size()));
        folded_ += FoldForMatch(FoldKindOf(field), Text(code));
    }
    folded_ += '\n';
}

std::vector<unsigned char> TFieldColumn::Occurrences(std::string_view criterion, bool atStart) const {
    std::vector<unsigned char> found(Distinct(), 0);
    std::string needle;
    if (atStart) needle += '\n';
    needle += criterion;
    const char* const begin = folded_.data();
    const char* const end = begin + folded_.size();
    const char* from = begin;
    while (const char* hit = Find(from, end, needle)) {
        const auto at = static_cast<std::uint32_t>(hit - begin) + (atStart ? 1u : 0u);
        const auto code = static_cast<std::size_t>(std::upper_bound(foldedStarts_.begin(), foldedStarts_.end(), at) -
                                                   foldedStarts_.begin() - 1);
        found[code] = 1;
        // On to the next text: one occurrence settles this one.
        from = code + 1 < foldedStarts_.size() ? begin + foldedStarts_[code + 1] - (atStart ? 1 : 0) : end;
    }
    return found;
}

namespace {

#if defined(__SSE2__)
// Per byte, whether it is surely a letter or a digit: 0-9, A-Z, a-z and the Cyrillic letters 0xC0-0xFF. Bytes not
// marked may still be letters (Ё), which BeginsWordAt then tells.
__m128i SurelyAlnum(__m128i b) {
    const __m128i lower = _mm_or_si128(b, _mm_set1_epi8(0x20));
    const __m128i digit =
        _mm_and_si128(_mm_cmpgt_epi8(b, _mm_set1_epi8('0' - 1)), _mm_cmpgt_epi8(_mm_set1_epi8('9' + 1), b));
    const __m128i latin =
        _mm_and_si128(_mm_cmpgt_epi8(lower, _mm_set1_epi8('a' - 1)), _mm_cmpgt_epi8(_mm_set1_epi8('z' + 1), lower));
    const __m128i cyrillic =
        _mm_and_si128(_mm_cmpgt_epi8(b, _mm_set1_epi8(-65)), _mm_cmpgt_epi8(_mm_setzero_si128(), b));
    return _mm_or_si128(_mm_or_si128(digit, latin), cyrillic);
}
#endif

} // namespace

std::size_t TFieldColumn::CodeAt(std::size_t at) const {
    return static_cast<std::size_t>(std::upper_bound(foldedStarts_.begin(), foldedStarts_.end(), at) -
                                    foldedStarts_.begin() - 1);
}

void TFieldColumn::Folding(std::string_view folded, std::vector<std::uint32_t>& codes) const {
    // Each text stands between two line feeds.
    const std::string needle = '\n' + std::string(folded) + '\n';
    const char* const begin = folded_.data();
    const char* const end = begin + folded_.size();
    for (const char* from = begin; const char* hit = Find(from, end, needle); from = hit + needle.size() - 1)
        codes.push_back(static_cast<std::uint32_t>(CodeAt(static_cast<std::size_t>(hit - begin) + 1)));
}

void TFieldColumn::WordStarts(std::string_view word, std::vector<std::uint32_t>& codes) const {
    if (word.empty()) return;
    const std::string_view all(folded_);
    const char* const begin = folded_.data();
    const char* const end = begin + folded_.size();
    const std::size_t n = word.size();
    // The texts are met in order: the text a hit is in is looked for from the last one found on, in steps that
    // double, then halved back.
    std::size_t code = 0;
    auto found = [&](const char* hit) {
        const auto at = static_cast<std::uint32_t>(hit - begin);
        std::size_t lo = code, hi = code + 1, step = 1;
        while (hi < foldedStarts_.size() && foldedStarts_[hi] <= at) {
            lo = hi;
            hi = std::min(foldedStarts_.size(), lo + (step *= 2));
        }
        code = static_cast<std::size_t>(std::upper_bound(foldedStarts_.begin() + static_cast<std::ptrdiff_t>(lo),
                                                         foldedStarts_.begin() + static_cast<std::ptrdiff_t>(hi), at) -
                                        foldedStarts_.begin() - 1);
        codes.push_back(static_cast<std::uint32_t>(code));
        // On to the next text: one occurrence settles this one.
        return code + 1 < foldedStarts_.size() ? begin + foldedStarts_[code + 1] : end;
    };
    // Every text follows a line feed, which is no letter or digit: a word beginning a text begins a word.
    auto hitAt = [&](const char* at) {
        return std::memcmp(at, word.data(), n) == 0 && BeginsWordAt(all, static_cast<std::size_t>(at - begin));
    };
    const char* from = begin + 1; // after the first line feed
#if defined(__SSE2__)
    // Sixteen positions at a time: the word's first and last bytes there, a byte before that is surely no letter
    // or digit; only those are compared in full.
    const __m128i first = _mm_set1_epi8(word[0]);
    const __m128i last = _mm_set1_epi8(word[n - 1]);
    while (end - from >= static_cast<std::ptrdiff_t>(n - 1 + 16)) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + n - 1));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from - 1));
        auto both = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_andnot_si128(SurelyAlnum(before), _mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last)))));
        const char* next = from + 16;
        for (; both != 0; both &= both - 1) {
            const char* at = from + __builtin_ctz(both);
            if (hitAt(at)) {
                next = found(at);
                break;
            }
        }
        from = next;
    }
#endif
    while (end - from >= static_cast<std::ptrdiff_t>(n))
        from = hitAt(from) ? found(from) : from + 1;
}

std::vector<unsigned char> TFieldColumn::Verdicts(const TCriterionTest& test) const {
    // A text criterion is looked for in every distinct text at once; a criterion holding a line feed could
    // span two of them, so it is tested text by text as is every other condition.
    const std::string& criterion = test.Folded();
    if (!criterion.empty() && criterion.find('\n') == std::string::npos) {
        switch (test.Condition()) {
        case MatchCondition::BeginsWith:
            return Occurrences(criterion, true);
        case MatchCondition::Contains:
            return Occurrences(criterion, false);
        case MatchCondition::NotContains: {
            std::vector<unsigned char> verdicts = Occurrences(criterion, false);
            for (unsigned char& verdict : verdicts)
                verdict ^= 1;
            return verdicts;
        }
        default:
            break;
        }
    }
    std::vector<unsigned char> verdicts(Distinct());
    for (std::size_t code = 0; code < verdicts.size(); ++code)
        verdicts[code] = test(Text(code)) ? 1 : 0;
    return verdicts;
}

namespace {

// Appends to `out` every position in [begin, end) whose code's verdict is 1, ascending. Every position is
// written and the count moves on only for a kept one: no branch to mispredict. `room` is at least the number
// kept plus one.
template <class Code>
void KeepPassing(const unsigned char* verdict, const Code* code, std::uint32_t begin, std::uint32_t end,
                 std::size_t room, std::vector<std::uint32_t>& out) {
    const std::size_t at = out.size();
    out.resize(at + room);
    std::uint32_t* const to = out.data() + at;
    std::size_t kept = 0;
    std::uint32_t i = begin;
    for (; i + 4 <= end; i += 4) {
        const unsigned a = verdict[code[i]], b = verdict[code[i + 1]], c = verdict[code[i + 2]],
                       d = verdict[code[i + 3]];
        to[kept] = i;
        kept += a;
        to[kept] = i + 1;
        kept += b;
        to[kept] = i + 2;
        kept += c;
        to[kept] = i + 3;
        kept += d;
    }
    for (; i < end; ++i) {
        to[kept] = i;
        kept += verdict[code[i]];
    }
    out.resize(at + kept);
}

} // namespace

void TFieldColumn::Select(const std::vector<unsigned char>& verdicts, std::uint32_t begin, std::uint32_t end,
                          std::vector<std::uint32_t>& out) const {
    // The records that can pass, at most: those holding a text that passes.
    std::size_t passing = 0;
    for (std::size_t code = 0; code < verdicts.size(); ++code)
        passing += verdicts[code] ? counts_[code] : 0;
    if (passing == 0) return;
    if (passing == static_cast<std::size_t>(CodeCount())) {
        const std::size_t at = out.size();
        out.resize(at + (end - begin));
        std::iota(out.begin() + static_cast<std::ptrdiff_t>(at), out.end(), begin);
        return;
    }
    WithCodes([&](const auto& codes) { KeepPassing(verdicts.data(), codes.data(), begin, end, passing + 1, out); });
}

void TFieldColumn::Filter(const std::vector<unsigned char>& verdicts, std::vector<std::uint32_t>& positions,
                          std::size_t from) const {
    WithCodes([&](const auto& codes) {
        std::size_t kept = from;
        for (std::size_t k = from; k < positions.size(); ++k) {
            const std::uint32_t i = positions[k];
            positions[kept] = i;
            kept += verdicts[codes[i]];
        }
        positions.resize(kept);
    });
}

std::size_t TFieldColumn::MemoryBytes() const {
    return texts_.capacity() + ends_.capacity() * sizeof(std::uint32_t) + folded_.capacity() +
           foldedStarts_.capacity() * sizeof(std::uint32_t) + narrow_.capacity() * sizeof(std::uint16_t) +
           wide_.capacity() * sizeof(std::uint32_t) + counts_.capacity() * sizeof(std::uint32_t);
}

// ---- TPostings ----

void TPostings::Build(const TFieldColumn& column) {
    const std::size_t count = column.CodeCount(), codes = column.Distinct();
    const std::size_t blocks = (count + 0xFFFF) >> 16;
    // 16-bit positions while a start per text and block costs at most a byte a record.
    const bool blocked = blocks > 0 && (codes * blocks + 1) * sizeof(std::uint32_t) <= count;
    column.WithCodes(
        [&](const auto& c) { Fill(c, count, codes, blocked, [&](std::size_t code) { return column.Records(code); }); });
}

template <class Codes> void TPostings::BuildBlocks(const Codes& codes, std::size_t count, std::size_t distinct) {
    Fill(codes, count, distinct, true, [](std::size_t) { return std::uint32_t{0}; });
}

template <class Codes, class Counts>
void TPostings::Fill(const Codes& c, std::size_t count, std::size_t codes, bool blocked, const Counts& records) {
    blocks_ = blocked ? static_cast<std::uint32_t>((count + 0xFFFF) >> 16) : 0;
    const std::size_t lists = blocks_ == 0 ? codes : codes * blocks_;
    // starts_[l + 1] counts list l's records, then (summed) says where list l begins, then moves on as its
    // records are placed, to where list l + 1 begins.
    starts_.assign(lists + 1, 0);
    if (blocks_ == 0) {
        for (std::size_t code = 0; code < codes; ++code)
            starts_[code + 1] = records(code);
    } else {
        // Positions by block, then by text: list (b, code) is b * codes + code.
        for (std::size_t i = 0; i < count; ++i)
            ++starts_[(i >> 16) * codes + c[i] + 1];
    }
    std::uint32_t sum = 0;
    for (std::size_t l = 1; l <= lists; ++l)
        sum += std::exchange(starts_[l], sum);
    if (blocks_ == 0) {
        whole_.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            whole_[starts_[c[i] + 1]++] = static_cast<std::uint32_t>(i);
    } else {
        low_.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            low_[starts_[(i >> 16) * codes + c[i] + 1]++] = static_cast<std::uint16_t>(i);
    }
    codes_ = static_cast<std::uint32_t>(codes);
}

std::size_t TPostings::MemoryBytes() const {
    return starts_.capacity() * sizeof(std::uint32_t) + low_.capacity() * sizeof(std::uint16_t) +
           whole_.capacity() * sizeof(std::uint32_t);
}

// ---- TPreparedDirectory ----

TPreparedDirectory::TPreparedDirectory(std::size_t count) {
    phones_.reserve(count);
    columns_.reserve(kColumns);
    for (std::size_t c = 0; c < kColumns; ++c)
        columns_.emplace_back(static_cast<std::int32_t>(count));
}

TPreparedDirectory::TPreparedDirectory(std::shared_ptr<const TStrContainer> whole)
    : TPreparedDirectory(whole ? static_cast<std::size_t>(whole->Count())
                               : throw std::invalid_argument("TPreparedDirectory: no directory")) {
    whole_ = std::move(whole);
    const TStrContainer& records = *whole_;
    // A run of records at a time, as a load hands them over.
    constexpr std::int32_t kRun = 4096;
    std::vector<const TString*> run;
    run.reserve(kRun);
    for (std::int32_t first = 0; first < records.Count(); first += kRun) {
        run.clear();
        for (std::int32_t i = first; i < std::min(first + kRun, records.Count()); ++i)
            run.push_back(records.GetItem(i));
        Add(run);
    }
    for (std::size_t c = 0; c < kColumns; ++c)
        Finish(c);
}

void TPreparedDirectory::Add(std::span<const TString* const> records) {
    AddRun(records);
}

void TPreparedDirectory::Add(std::span<const TString> records) {
    AddRun(records);
}

namespace {
const TString& Record(const TString* record) {
    return *record;
}
const TString& Record(const TString& record) {
    return record;
}
} // namespace

template <class Records> void TPreparedDirectory::AddRun(const Records& records) {
    // One pass over the records, a batch at a time and three batches in flight: one batch's texts are hashed and
    // their slots fetched, while the texts the slots of the batch before point to are fetched, while the batch
    // before that one is added, its memory all fetched by then.
    static constexpr std::int32_t kBatch = 32;
    static constexpr std::int32_t kInFlight = 3;
    std::string_view texts[kInFlight][kBatch][kColumns];
    std::uint64_t hashes[kInFlight][kBatch][kColumns];
    const auto count = static_cast<std::int32_t>(records.size());
    const std::int32_t batches = (count + kBatch - 1) / kBatch;
    auto sizeOf = [count](std::int32_t batch) { return std::min(kBatch, count - batch * kBatch); };
    for (std::int32_t batch = 0; batch < batches + kInFlight - 1; ++batch) {
        if (batch < batches) {
            const std::int32_t first = batch * kBatch, size = sizeOf(batch);
            auto& text = texts[batch % kInFlight];
            auto& hash = hashes[batch % kInFlight];
            for (std::int32_t b = 0; b < size; ++b) {
                const TString& record = Record(records[static_cast<std::size_t>(first) + static_cast<std::size_t>(b)]);
                bool odd = false;
                phones_.push_back(PhoneDigits(record.Key(), &odd));
                if (odd) oddPhones_.push_back(static_cast<std::uint32_t>(count_ + first + b));
                const TLineList lines = record.Lines();
                if (lines.Count() < static_cast<int>(kColumns)) lastShort_ = count_ + first + b;
                for (std::size_t c = 0; c < kColumns; ++c) {
                    text[b][c] = lines.Get(static_cast<int>(c));
                    hash[b][c] = HashText(text[b][c]);
                    columns_[c].Prefetch(hash[b][c]);
                }
            }
        }
        if (const std::int32_t before = batch - 1; before >= 0 && before < batches) {
            const auto& hash = hashes[before % kInFlight];
            for (std::int32_t b = 0; b < sizeOf(before); ++b)
                for (std::size_t c = 0; c < kColumns; ++c)
                    columns_[c].PrefetchText(hash[b][c]);
        }
        if (const std::int32_t added = batch - 2; added >= 0) {
            const auto& text = texts[added % kInFlight];
            const auto& hash = hashes[added % kInFlight];
            for (std::int32_t b = 0; b < sizeOf(added); ++b)
                for (std::size_t c = 0; c < kColumns; ++c)
                    columns_[c].Add(text[b][c], hash[b][c]);
        }
    }
    count_ += count;
}

void TPreparedDirectory::Finish(std::size_t c) {
    columns_[c].Finish(static_cast<Field>(c + 1));
    if (c + 1 == Index(Field::Street)) streetRecords_.Build(columns_[c]);
    if (c + 1 == Index(Field::User)) userRecords_.Build(columns_[c]);
    auto blocks = [&](TPostings& postings) {
        columns_[c].WithCodes(
            [&](const auto& codes) { postings.BuildBlocks(codes, codes.size(), columns_[c].Distinct()); });
    };
    if (c + 1 == Index(Field::Flat)) blocks(flatRecords_);
    if (c + 1 == Index(Field::House)) {
        blocks(houseRecords_);
        struct THeads {
            const std::uint32_t* phones;
            std::uint32_t operator[](std::size_t i) const { return PhoneHead(phones[i]); }
        };
        phoneRecords_.BuildBlocks(THeads{phones_.data()}, phones_.size(), kPhoneHeads);
    }
}

std::vector<std::uint32_t> TPreparedDirectory::Holding(const std::vector<std::uint64_t>& street, std::size_t word,
                                                       const std::vector<std::uint32_t>& userCodes,
                                                       std::uint64_t atMost) const {
    std::vector<std::uint32_t> out;
    out.reserve(atMost);
    const std::uint64_t bit = std::uint64_t{1} << word;
    auto each = [&](auto&& f) {
        for (std::size_t c = 0; c < street.size(); ++c)
            if ((street[c] & bit) != 0) streetRecords_.ForEach(c, f);
        for (std::uint32_t u : userCodes)
            userRecords_.ForEach(u, f);
    };
    if (atMost <= std::max(kSortedRecords, static_cast<std::uint64_t>(count_) / kSortedShare)) {
        // A few: sorted, and a record holding both a street and a subscriber the word matches kept once.
        each([&](std::uint32_t i) { out.push_back(i); });
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }
    // More: a bit per record, read back in order.
    std::vector<std::uint64_t> marks((static_cast<std::size_t>(count_) + 63) / 64, 0);
    each([&](std::uint32_t i) { marks[i / 64] |= std::uint64_t{1} << (i % 64); });
    for (std::size_t m = 0; m < marks.size(); ++m)
        for (std::uint64_t bits = marks[m]; bits != 0; bits &= bits - 1)
            out.push_back(static_cast<std::uint32_t>(m * 64 + static_cast<std::size_t>(__builtin_ctzll(bits))));
    return out;
}

TSelection TPreparedDirectory::Select(const TRecordFilter& filter) const {
    TSelection selection;
    selection.stop = lastShort_;
    // The walk runs from the last record down and stops with a failure at the last record short of lines:
    // it keeps every record before that one and that one itself.
    const auto begin = static_cast<std::uint32_t>(lastShort_ + 1);
    const auto end = static_cast<std::uint32_t>(count_);
    std::vector<std::uint32_t>& out = selection.positions;
    out.resize(begin);
    std::iota(out.begin(), out.end(), 0u);
    const std::size_t kept = out.size();
    bool first = true;
    // Every record from `begin` on has every field, so that only the criteria that are set can fail: each
    // narrows what the ones before it kept.
    for (Field field : filter.Set()) {
        if (field == Field::Phone) continue;
        const TFieldColumn& column = columns_[Index(field) - 1];
        const std::vector<unsigned char> verdicts = column.Verdicts(filter.Test(field));
        if (first) {
            column.Select(verdicts, begin, end, out);
            first = false;
        } else {
            column.Filter(verdicts, out, kept);
        }
    }
    const bool phone = filter.Condition(Field::Phone) != MatchCondition::NoCondition;
    if (first && !phone) {
        out.resize(end);
        std::iota(out.begin() + static_cast<std::ptrdiff_t>(kept), out.end(), begin);
    } else if (phone) {
        const TCriterionTest& test = filter.Test(Field::Phone);
        auto passes = [&](std::uint32_t i) { return test(whole_->GetItem(static_cast<int>(i))->Key()); };
        if (first) {
            for (std::uint32_t i = begin; i < end; ++i)
                if (passes(i)) out.push_back(i);
        } else {
            std::size_t to = kept;
            for (std::size_t k = kept; k < out.size(); ++k)
                if (passes(out[k])) out[to++] = out[k];
            out.resize(to);
        }
    }
    return selection;
}

// What the box's words and groups match per distinct text, and how its groups read a phone: made once per box
// text, for selecting and for counting alike.
struct TPreparedDirectory::TBoxTables {
    // Per distinct street, the words of letters it matches (StreetMatches); per distinct house and flat, the
    // groups of numbers (HouseMatches, FlatMatches).
    std::vector<std::uint64_t> street, house, flat;
    // Per word of letters, the subscribers it matches (UserMatches), ascending: a subscriber's words are looked
    // for in all of them at once.
    std::vector<std::vector<std::uint32_t>> userCodes;
    // The groups a phone can match (PhoneMatches), read from the phones' first digits; only a group of more
    // digits than they hold (`longer`), on a phone that has more, needs the phone itself.
    std::vector<TDialled> dialled;
    bool longer = false;
    std::uint64_t phoneGroups = 0;
    bool letters = false, numbers = false;
    bool addresses = false; // some house or flat matches a group
};

TPreparedDirectory::TBoxTables TPreparedDirectory::BoxTables(const TBoxQuery& query) const {
    TBoxTables t;
    auto masks = [](const TFieldColumn& column, auto&& of) {
        std::vector<std::uint64_t> out(column.Distinct());
        for (std::size_t code = 0; code < out.size(); ++code)
            out[code] = of(code);
        return out;
    };
    const TFieldColumn& streets = columns_[Index(Field::Street) - 1];
    const TFieldColumn& houses = columns_[Index(Field::House) - 1];
    const TFieldColumn& flats = columns_[Index(Field::Flat) - 1];
    const TFieldColumn& users = columns_[Index(Field::User) - 1];
    const std::vector<TBoxWord>& words = query.Words();
    t.letters = query.LetterWords() != 0;
    t.numbers = !query.Groups().empty();
    t.userCodes.resize(words.size());
    if (t.letters) {
        t.street = masks(streets, [&](std::size_t c) { return query.StreetMatches(streets.Folded(c)); });
        for (std::size_t w = 0; w < words.size(); ++w) {
            const TBoxWord& word = words[w];
            if (word.kind != TBoxWord::Kind::Letters || word.streetKind) continue;
            if (word.folded.find('\n') == std::string::npos) {
                users.WordStarts(word.folded, t.userCodes[w]);
            } else {
                for (std::size_t c = 0; c < users.Distinct(); ++c)
                    if (FindWordStart(users.Folded(c), word.folded) != std::string_view::npos)
                        t.userCodes[w].push_back(static_cast<std::uint32_t>(c));
            }
        }
    }
    if (t.numbers) {
        t.house = masks(houses, [&](std::size_t c) { return query.HouseMatches(houses.Text(c)); });
        t.flat = masks(flats, [&](std::size_t c) { return query.FlatMatches(flats.Text(c)); });
    }
    for (std::size_t g = 0; g < query.Groups().size(); ++g) {
        const std::string& digits = query.Groups()[g].digits;
        if (!query.Groups()[g].phone || digits.empty()) continue;
        t.phoneGroups |= std::uint64_t{1} << g;
        if (digits.size() > kPhoneDigits) {
            t.longer = true;
            continue;
        }
        const std::uint32_t lo = PhoneDigits(digits) & kPhoneNumber;
        t.dialled.push_back({std::uint64_t{1} << g, static_cast<std::uint32_t>(digits.size()), lo,
                             lo + kTens[kPhoneDigits - digits.size()]});
    }
    const auto matches = [](const std::vector<std::uint64_t>& masks) {
        return std::any_of(masks.begin(), masks.end(), [](std::uint64_t m) { return m != 0; });
    };
    t.addresses = matches(t.house) || matches(t.flat);
    return t;
}

std::size_t TPreparedDirectory::OneGroup(const TBoxQuery& query, const TBoxTables& t,
                                         std::vector<std::uint32_t>* list) const {
    auto matching = [](const std::vector<std::uint64_t>& masks) {
        std::vector<std::uint32_t> codes;
        for (std::size_t c = 0; c < masks.size(); ++c)
            if ((masks[c] & 1) != 0) codes.push_back(static_cast<std::uint32_t>(c));
        return codes;
    };
    return Gather(matching(t.house), matching(t.flat), query.Groups()[0].numbers.size() == 2,
                  t.dialled.empty() ? nullptr : &t.dialled[0], list);
}

std::size_t TPreparedDirectory::Gather(const std::vector<std::uint32_t>& houses,
                                       const std::vector<std::uint32_t>& flats, bool pair, const TDialled* dialled,
                                       std::vector<std::uint32_t>* list) const {
    // The phones' lists to read: those of the dialled number's first two digits, or, for a single digit, of the
    // ten pairs it begins and of the phone of that digit alone; beyond two digits each phone is tested.
    std::array<std::pair<std::size_t, std::size_t>, 2> heads{};
    std::size_t headCount = 0;
    bool test = false;
    if (dialled && dialled->digits == 1) {
        const std::uint32_t digit = dialled->lo / kTens[kPhoneDigits - 1];
        heads[headCount++] = {std::size_t{digit} * 10, std::size_t{digit} * 10 + 10};
        heads[headCount++] = {100 + digit, 101 + digit};
    } else if (dialled) {
        const std::uint32_t head = dialled->lo / kTens[kPhoneDigits - 2];
        heads[headCount++] = {head, head + 1};
        test = dialled->digits > 2;
    }
    const std::uint32_t blocks = phoneRecords_.Blocks();
    std::size_t found = 0;
    std::uint32_t* to = nullptr;
    const std::size_t at = list ? list->size() : 0;
    if (list) {
        // Room for every record listed, a record in two lists counted twice: written in place, then cut to size.
        std::size_t most = 0;
        for (std::uint32_t code : houses)
            most += Column(Field::House).Records(code);
        for (std::uint32_t code : flats)
            most += Column(Field::Flat).Records(code);
        for (std::uint32_t b = 0; b < blocks; ++b)
            for (std::size_t h = 0; h < headCount; ++h)
                most += phoneRecords_.InBlock(b, heads[h].first, heads[h].second).size();
        list->resize(at + std::min(most, static_cast<std::size_t>(count_)));
        to = list->data() + at;
    }
    // A block of records at a time, a bit each: small enough for the fastest cache, set from the lists in any
    // order and read back in the directory's.
    constexpr std::size_t kWords = 65536 / 64;
    std::array<std::uint64_t, kWords> bits, flatBits;
    auto mark = [](std::array<std::uint64_t, kWords>& marks, std::span<const std::uint16_t> records) {
        for (const std::uint16_t r : records)
            marks[r >> 6] |= std::uint64_t{1} << (r & 63);
    };
    for (std::uint32_t b = 0; b < blocks; ++b) {
        const std::uint32_t first = b << 16;
        const std::size_t words = std::min(kWords, (static_cast<std::size_t>(count_) - first + 63) / 64);
        std::fill_n(bits.begin(), words, 0);
        for (std::uint32_t code : houses)
            mark(bits, houseRecords_.InBlock(b, code, code + 1));
        if (pair) {
            std::fill_n(flatBits.begin(), words, 0);
            for (std::uint32_t code : flats)
                mark(flatBits, flatRecords_.InBlock(b, code, code + 1));
            for (std::size_t w = 0; w < words; ++w)
                bits[w] &= flatBits[w];
        } else {
            for (std::uint32_t code : flats)
                mark(bits, flatRecords_.InBlock(b, code, code + 1));
        }
        for (std::size_t h = 0; h < headCount; ++h) {
            const std::span<const std::uint16_t> records = phoneRecords_.InBlock(b, heads[h].first, heads[h].second);
            if (!test) {
                mark(bits, records);
                continue;
            }
            for (const std::uint16_t r : records)
                if (dialled->Begins(phones_[first + r])) bits[r >> 6] |= std::uint64_t{1} << (r & 63);
        }
        if (!to) {
            for (std::size_t w = 0; w < words; ++w)
                found += static_cast<std::size_t>(std::popcount(bits[w]));
            continue;
        }
        for (std::size_t w = 0; w < words; ++w)
            for (std::uint64_t m = bits[w]; m != 0; m &= m - 1)
                to[found++] =
                    first + static_cast<std::uint32_t>(w * 64) + static_cast<std::uint32_t>(__builtin_ctzll(m));
    }
    if (list) list->resize(at + found);
    return found;
}

bool TPreparedDirectory::BoxFits(const TBoxQuery& query) const {
    return lastShort_ < 0 && query.Words().size() <= 64 && query.Groups().size() <= 64;
}

std::optional<std::vector<std::uint32_t>> TPreparedDirectory::SelectBox(const TBoxQuery& query) const {
    if (!BoxFits(query)) return std::nullopt;
    std::vector<std::uint32_t> kept;
    Box(query, BoxTables(query), &kept);
    return kept;
}

std::optional<std::size_t> TPreparedDirectory::CountSelectBox(const TBoxQuery& query) const {
    if (!BoxFits(query)) return std::nullopt;
    return Box(query, BoxTables(query), nullptr);
}

std::size_t TPreparedDirectory::Box(const TBoxQuery& query, const TBoxTables& t,
                                    std::vector<std::uint32_t>* list) const {
    const TFieldColumn& streets = columns_[Index(Field::Street) - 1];
    const TFieldColumn& houses = columns_[Index(Field::House) - 1];
    const TFieldColumn& flats = columns_[Index(Field::Flat) - 1];
    const TFieldColumn& users = columns_[Index(Field::User) - 1];
    const std::vector<TBoxWord>& words = query.Words();
    const bool letters = t.letters, numbers = t.numbers, addresses = t.addresses, longer = t.longer;
    const std::vector<std::uint64_t>& street = t.street;
    const std::vector<std::uint64_t>& house = t.house;
    const std::vector<std::uint64_t>& flat = t.flat;
    const std::vector<std::vector<std::uint32_t>>& userCodes = t.userCodes;
    const std::vector<TDialled>& dialled = t.dialled;
    const std::uint64_t phoneGroups = t.phoneGroups;
    if (!letters && !addresses && !longer && dialled.size() == 1 && !query.GroupsMatch(0, 0, 0)) {
        // A dictated number alone: the records whose phone begins with it, if that is all the box asks.
        return query.GroupsMatch(0, 0, dialled[0].bit) ? Gather({}, {}, false, &dialled[0], list) : 0;
    }
    if (!letters && query.Groups().size() == 1 && !longer) return OneGroup(query, t, list);
    auto phoneMatches = [&](std::uint32_t i) {
        const std::uint32_t phone = phones_[i];
        if (longer && (phone >> 31) != 0) return query.PhoneMatches(whole_->GetItem(static_cast<int>(i))->Key());
        std::uint64_t bits = 0;
        for (const TDialled& d : dialled)
            if (d.Begins(phone)) bits |= d.bit;
        return bits;
    };
    // A record's house and flat are looked up only when some house or flat matches, its phone only when they
    // leave something the phone can still make up.
    const TFieldColumn::TCodes houseOf = houses.Codes(), flatOf = flats.Codes();
    auto groupsMatch = [&, houseOf, flatOf](std::uint32_t i) {
        const std::uint64_t h = addresses ? house[houseOf[i]] : 0;
        const std::uint64_t f = addresses ? flat[flatOf[i]] : 0;
        return query.GroupsMatch(h, f, 0) ||
               (query.GroupsMatch(h, f, phoneGroups) && query.GroupsMatch(h, f, phoneMatches(i)));
    };
    const std::uint64_t allLetters = query.LetterWords();
    if (letters) {
        // The word of letters whose streets and subscribers hold the fewest records: only those records can
        // match the box.
        std::vector<std::uint64_t> holding(words.size(), 0);
        for (std::size_t c = 0; c < street.size(); ++c)
            for (std::uint64_t m = street[c] & allLetters; m != 0; m &= m - 1)
                holding[static_cast<std::size_t>(__builtin_ctzll(m))] += streets.Records(c);
        std::size_t fewest = 0;
        for (std::size_t w = 0; w < words.size() && w < 64; ++w) {
            if ((allLetters >> w & 1) == 0) continue;
            for (std::uint32_t u : userCodes[w])
                holding[w] += users.Records(u);
            if ((allLetters >> fewest & 1) == 0 || holding[w] < holding[fewest]) fewest = w;
        }
        if (holding[fewest] * kFewRecords <= static_cast<std::uint64_t>(count_)) {
            std::vector<std::uint32_t> kept = Holding(street, fewest, userCodes[fewest], holding[fewest]);
            auto give = [&] {
                if (list) list->insert(list->end(), kept.begin(), kept.end());
                return kept.size();
            };
            const std::uint64_t others = allLetters & ~(std::uint64_t{1} << fewest);
            if (others == 0 && !numbers) return give();
            // The other words' subscribers, by code, with the words each matches.
            std::vector<std::pair<std::uint32_t, std::uint64_t>> matched;
            for (std::uint64_t m = others; m != 0; m &= m - 1) {
                const auto w = static_cast<std::size_t>(__builtin_ctzll(m));
                for (std::uint32_t u : userCodes[w])
                    matched.emplace_back(u, m & ~(m - 1));
            }
            std::sort(matched.begin(), matched.end());
            std::size_t distinct = 0;
            for (const auto& [code, bit] : matched) {
                if (distinct > 0 && matched[distinct - 1].first == code)
                    matched[distinct - 1].second |= bit;
                else
                    matched[distinct++] = {code, bit};
            }
            matched.resize(distinct);
            auto userWords = [&](std::uint32_t u) {
                const auto at = std::lower_bound(matched.begin(), matched.end(), std::pair{u, std::uint64_t{0}});
                return at != matched.end() && at->first == u ? at->second : 0;
            };
            auto test = [&](const auto& streetOf, const auto& userOf) {
                std::size_t to = 0;
                for (std::size_t k = 0; k < kept.size(); ++k) {
                    // The records ahead are fetched from memory while this one is tested.
                    if (k + kAhead < kept.size()) {
                        const std::uint32_t ahead = kept[k + kAhead];
                        if (others != 0) {
                            __builtin_prefetch(&streetOf[ahead]);
                            __builtin_prefetch(&userOf[ahead]);
                        }
                        if (addresses) {
                            houseOf.Prefetch(ahead);
                            flatOf.Prefetch(ahead);
                        }
                        if (phoneGroups != 0) __builtin_prefetch(&phones_[ahead]);
                    }
                    const std::uint32_t i = kept[k];
                    if (others != 0) {
                        const std::uint64_t s = street[streetOf[i]];
                        if ((s & others) != others && ((s | userWords(userOf[i])) & others) != others) continue;
                    }
                    if (numbers && !groupsMatch(i)) continue;
                    kept[to++] = i;
                }
                kept.resize(to);
            };
            streets.WithCodes([&](const auto& s) { users.WithCodes([&](const auto& u) { test(s, u); }); });
            return give();
        }
    }
    // Every record in turn. Per subscriber, the words it matches; and which subscribers match a word at all,
    // a bit each: small enough to stay in the cache while the records' codes stream past, so that only those
    // few are looked up in full.
    std::vector<std::uint64_t> user, anyUser;
    if (letters) {
        user.assign(users.Distinct(), 0);
        anyUser.assign((users.Distinct() + 63) / 64, 0);
        for (std::size_t w = 0; w < words.size() && w < 64; ++w)
            for (std::uint32_t u : userCodes[w]) {
                user[u] |= std::uint64_t{1} << w;
                anyUser[u / 64] |= std::uint64_t{1} << (u % 64);
            }
    }
    std::size_t found = 0;
    auto keep = [&](const auto& streetOf, const auto& userOf) {
        for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(count_); ++i) {
            if (letters) {
                const std::uint64_t s = street[streetOf[i]];
                if ((s & allLetters) != allLetters) {
                    const std::uint32_t u = userOf[i];
                    if ((anyUser[u / 64] >> (u % 64) & 1) == 0 || ((s | user[u]) & allLetters) != allLetters) continue;
                }
            }
            if (numbers && !groupsMatch(i)) continue;
            if (list) list->push_back(i);
            ++found;
        }
    };
    streets.WithCodes([&](const auto& s) { users.WithCodes([&](const auto& u) { keep(s, u); }); });
    return found;
}

bool TPreparedDirectory::CountBox(const TBoxQuery& query, TBoxCounts& counts) const {
    if (!BoxFits(query)) return false;
    const TBoxTables t = BoxTables(query);
    const TFieldColumn& streets = columns_[Index(Field::Street) - 1];
    const TFieldColumn& users = columns_[Index(Field::User) - 1];
    const std::vector<TBoxWord>& words = query.Words();
    std::vector<std::uint64_t> found(words.size(), 0);
    // A word of letters: the records of its streets and of its subscribers, less those holding both. Those are
    // counted from the fewer of the two sides, each record's other side looked up; where both sides are many,
    // in one pass over every record for all such words.
    std::uint64_t many = 0;
    std::vector<std::uint64_t> userBits;
    for (std::size_t w = 0; w < words.size(); ++w) {
        if ((query.LetterWords() >> w & 1) == 0) continue;
        const std::uint64_t bit = std::uint64_t{1} << w;
        std::uint64_t inStreets = 0, inUsers = 0, both = 0;
        for (std::size_t c = 0; c < t.street.size(); ++c)
            if ((t.street[c] & bit) != 0) inStreets += streets.Records(c);
        for (std::uint32_t u : t.userCodes[w])
            inUsers += users.Records(u);
        found[w] = inStreets + inUsers;
        if (inStreets == 0 || inUsers == 0) continue;
        if (std::min(inStreets, inUsers) * kFewOverlap > static_cast<std::uint64_t>(count_)) {
            many |= bit;
            continue;
        }
        if (inUsers <= inStreets) {
            streets.WithCodes([&](const auto& streetOf) {
                for (std::uint32_t u : t.userCodes[w])
                    userRecords_.ForEach(u, [&](std::uint32_t i) { both += t.street[streetOf[i]] >> w & 1; });
            });
        } else {
            userBits.assign((users.Distinct() + 63) / 64, 0);
            for (std::uint32_t u : t.userCodes[w])
                userBits[u / 64] |= std::uint64_t{1} << (u % 64);
            users.WithCodes([&](const auto& userOf) {
                for (std::size_t c = 0; c < t.street.size(); ++c)
                    if ((t.street[c] & bit) != 0)
                        streetRecords_.ForEach(c, [&](std::uint32_t i) {
                            const std::uint32_t u = userOf[i];
                            both += userBits[u / 64] >> (u % 64) & 1;
                        });
            });
        }
        found[w] -= both;
    }
    if (many != 0) {
        std::vector<std::uint64_t> user(users.Distinct(), 0), anyUser((users.Distinct() + 63) / 64, 0);
        for (std::uint64_t m = many; m != 0; m &= m - 1)
            for (std::uint32_t u : t.userCodes[static_cast<std::size_t>(__builtin_ctzll(m))]) {
                user[u] |= m & ~(m - 1);
                anyUser[u / 64] |= std::uint64_t{1} << (u % 64);
            }
        std::vector<std::uint64_t> both(words.size(), 0);
        auto pass = [&](const auto& streetOf, const auto& userOf) {
            for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(count_); ++i) {
                const std::uint64_t s = t.street[streetOf[i]] & many;
                if (s == 0) continue;
                const std::uint32_t u = userOf[i];
                if ((anyUser[u / 64] >> (u % 64) & 1) == 0) continue;
                for (std::uint64_t m = s & user[u]; m != 0; m &= m - 1)
                    ++both[static_cast<std::size_t>(__builtin_ctzll(m))];
            }
        };
        streets.WithCodes([&](const auto& s) { users.WithCodes([&](const auto& u) { pass(s, u); }); });
        for (std::size_t w = 0; w < words.size(); ++w)
            found[w] -= both[w];
    }
    // The groups of numbers, each alone: from the phones' first digits alone when no house or flat matches,
    // else a pass over the houses', flats' and phones' codes.
    std::vector<std::uint64_t> group(query.Groups().size(), 0);
    if (!t.addresses && !t.longer) {
        for (const TDialled& d : t.dialled)
            group[static_cast<std::size_t>(__builtin_ctzll(d.bit))] = Gather({}, {}, false, &d, nullptr);
    } else if (query.Groups().size() == 1 && !t.longer) {
        group[0] = OneGroup(query, t, nullptr);
    } else if (t.numbers) {
        // A phone is read only where it can still add a group its house and flat do not match.
        auto pass = [&](const auto& houseOf, const auto& flatOf) {
            for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(count_); ++i) {
                const std::uint64_t h = t.house[houseOf[i]], f = t.flat[flatOf[i]];
                std::uint64_t m = query.GroupsMatched(h, f, 0);
                if ((m & t.phoneGroups) != t.phoneGroups) {
                    std::uint64_t phone = 0;
                    const std::uint32_t digits = phones_[i];
                    if (t.longer && (digits >> 31) != 0)
                        phone = query.PhoneMatches(whole_->GetItem(static_cast<int>(i))->Key());
                    for (const TDialled& d : t.dialled)
                        if (d.Begins(digits)) phone |= d.bit;
                    m = query.GroupsMatched(h, f, phone);
                }
                for (; m != 0; m &= m - 1)
                    ++group[static_cast<std::size_t>(__builtin_ctzll(m))];
            }
        };
        Column(Field::House).WithCodes([&](const auto& houseOf) {
            Column(Field::Flat).WithCodes([&](const auto& flatOf) { pass(houseOf, flatOf); });
        });
    }
    counts.words.assign(words.size(), 0);
    for (std::size_t w = 0; w < words.size(); ++w)
        counts.words[w] = static_cast<std::int32_t>(
            words[w].kind == TBoxWord::Kind::Letters ? found[w] : group[static_cast<std::size_t>(words[w].group)]);
    // Together they find no more than the word that finds the fewest.
    const bool none = std::find(counts.words.begin(), counts.words.end(), 0) != counts.words.end();
    counts.together = none ? 0 : static_cast<std::int32_t>(Box(query, t, nullptr));
    return true;
}

std::size_t TPreparedDirectory::MemoryBytes() const {
    std::size_t bytes = sizeof *this + columns_.capacity() * sizeof(TFieldColumn) +
                        (phones_.capacity() + oddPhones_.capacity()) * sizeof(std::uint32_t);
    for (const TFieldColumn& column : columns_)
        bytes += column.MemoryBytes();
    return bytes + streetRecords_.MemoryBytes() + userRecords_.MemoryBytes() + houseRecords_.MemoryBytes() +
           flatRecords_.MemoryBytes() + phoneRecords_.MemoryBytes();
}

// ---- TPhoneTest ----

namespace {

// The longest group of digits a table is made for, and the records per table entry at the least: a table of
// 100,000 groups is made only for three million records or more.
constexpr int kLongestGroup = 5;
constexpr std::uint32_t kRecordsPerGroup = 32;

bool AllDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A phone of digits only, as matching folds it: the digits PhoneDigits keeps of it.
std::string_view Spelt(std::uint32_t phone, char (&out)[kPhoneDigits]) {
    const std::uint32_t digits = phone >> 27 & 15, number = phone & kPhoneNumber;
    for (std::uint32_t i = 0; i < digits; ++i)
        out[i] = static_cast<char>('0' + number / kTens[kPhoneDigits - 1 - i] % 10);
    return {out, digits};
}

// Every group of four digits spelt, the first digit in the lowest byte.
const std::array<std::uint32_t, 10000>& Spellings() {
    static const std::array<std::uint32_t, 10000> spellings = [] {
        std::array<std::uint32_t, 10000> out{};
        for (std::uint32_t n = 0; n < out.size(); ++n)
            for (std::uint32_t d = 0; d < 4; ++d)
                out[n] |= ('0' + n / kTens[3 - d] % 10) << (8 * d);
        return out;
    }();
    return spellings;
}

} // namespace

TPhoneTest::TPhoneTest(const TPreparedDirectory& prepared, const TCriterionTest& test)
    : prepared_(&prepared), test_(&test) {
    const std::string& folded = test.Folded();
    // A phone of digits only neither begins with, holds nor equals a criterion with anything else in it.
    const bool digits = AllDigits(folded);
    int prefix = -1;
    switch (test.Condition()) {
    case MatchCondition::BeginsWith:
        if (!folded.empty() && folded.size() <= kPhoneDigits && digits) {
            way_ = Way::Range;
            digits_ = static_cast<std::uint32_t>(folded.size());
            lo_ = PhoneDigits(folded) & kPhoneNumber;
            hi_ = lo_ + kTens[kPhoneDigits - digits_];
            return;
        }
        if (folded.empty() || !digits) {
            Fix(false);
            return;
        }
        break;
    case MatchCondition::Contains:
    case MatchCondition::NotContains:
        if (folded.empty() || !digits) {
            Fix(test.Condition() == MatchCondition::NotContains);
            return;
        }
        if (folded.size() <= kPhoneDigits) {
            way_ = Way::Holds;
            digits_ = static_cast<std::uint32_t>(folded.size());
            std::memcpy(&held_, folded.data(), folded.size());
            lacks_ = test.Condition() == MatchCondition::NotContains;
            return;
        }
        break;
    case MatchCondition::FitsMask:
    case MatchCondition::NotFitsMask: {
        // The mask is the criterion and a '*': when it has no other '*' before its last ones, it reads only as
        // many of the phone's first characters as it has steps (a character, a '?' or a set).
        const std::string_view steps = std::string_view(folded).substr(0, folded.find_last_not_of('*') + 1);
        if (steps.find('*') != std::string_view::npos) break;
        prefix = 0;
        for (std::size_t at = 0; at < steps.size(); ++prefix)
            at = steps[at] == '[' ? SetEnd(steps, at) : at + 1;
        break;
    }
    case MatchCondition::Equal:
    case MatchCondition::NotEqual:
        if (!digits) {
            Fix(test.Condition() == MatchCondition::NotEqual);
            return;
        }
        [[fallthrough]];
    case MatchCondition::Greater:
    case MatchCondition::GreaterOrEqual:
    case MatchCondition::Less:
    case MatchCondition::LessOrEqual:
        // Compared up to one character more than the criterion has.
        prefix = static_cast<int>(folded.size()) + 1;
        break;
    default:
        break;
    }
    const std::uint64_t room = std::max<std::uint64_t>(static_cast<std::uint64_t>(prepared.Count()), 1000);
    if (prefix < 0 || prefix > kLongestGroup || std::uint64_t{kTens[prefix]} * kRecordsPerGroup > room) return;
    way_ = Way::Table;
    prefix_ = prefix;
    char spelt[kPhoneDigits];
    for (int length = 0; length <= prefix; ++length) {
        offsets_.push_back(static_cast<std::uint32_t>(table_.size()));
        for (std::uint32_t n = 0; n < kTens[length]; ++n)
            table_.push_back(
                test(Spelt(n * kTens[kPhoneDigits - length] | static_cast<std::uint32_t>(length) << 27, spelt)) ? 1
                                                                                                                : 0);
    }
}

void TPhoneTest::Fix(bool verdict) {
    way_ = Way::Table;
    prefix_ = 0;
    table_.assign(1, verdict ? 1 : 0);
    offsets_.assign(1, 0);
}

bool TPhoneTest::Digits(std::uint32_t phone) const {
    char spelt[kPhoneDigits];
    return (*test_)(Spelt(phone, spelt));
}

template <int Prefix> void TPhoneTest::Looked(const std::uint32_t* phones, std::uint32_t n, unsigned char* out) const {
    const unsigned char* const whole = table_.data() + offsets_[Prefix];
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t phone = phones[i], digits = phone >> 27 & 15, number = phone & kPhoneNumber;
        out[i] = digits >= Prefix ? whole[number / kTens[kPhoneDigits - Prefix]]
                                  : table_[offsets_[digits] + number / kTens[kPhoneDigits - digits]];
    }
}

void TPhoneTest::Verdicts(std::uint32_t begin, std::uint32_t end, unsigned char* out) const {
    const std::uint32_t* const phones = prepared_->phones_.data() + begin;
    const std::uint32_t n = end - begin;
    const TStrContainer& whole = *prepared_->whole_;
    auto itself = [&](std::uint32_t record) {
        return (*test_)(whole.GetItem(static_cast<int>(record))->Key()) ? 1 : 0;
    };
    switch (way_) {
    case Way::Range:
        for (std::uint32_t i = 0; i < n; ++i)
            out[i] = static_cast<unsigned char>(static_cast<unsigned>((phones[i] >> 27 & 15) >= digits_) &
                                                static_cast<unsigned>((phones[i] & kPhoneNumber) - lo_ < hi_ - lo_));
        break;
    case Way::Table:
        switch (prefix_) {
        case 0:
            Looked<0>(phones, n, out);
            break;
        case 1:
            Looked<1>(phones, n, out);
            break;
        case 2:
            Looked<2>(phones, n, out);
            break;
        case 3:
            Looked<3>(phones, n, out);
            break;
        case 4:
            Looked<4>(phones, n, out);
            break;
        default:
            Looked<kLongestGroup>(phones, n, out);
            break;
        }
        break;
    case Way::Holds: {
        // A phone's eight digits spelt into one word, and each place the criterion fits within its digits compared.
        const std::array<std::uint32_t, 10000>& spelt = Spellings();
        const std::uint64_t mask = digits_ == kPhoneDigits ? ~std::uint64_t{0} : (std::uint64_t{1} << 8 * digits_) - 1;
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t phone = phones[i], number = phone & kPhoneNumber;
            if ((phone >> 31) != 0) {
                out[i] = static_cast<unsigned char>(itself(begin + i));
                continue;
            }
            const std::uint64_t word = spelt[number / 10000] | std::uint64_t{spelt[number % 10000]} << 32;
            bool holds = false;
            for (std::uint32_t at = 0; at + digits_ <= (phone >> 27 & 15); ++at)
                holds |= (word >> 8 * at & mask) == held_;
            out[i] = static_cast<unsigned char>(holds != lacks_);
        }
        break;
    }
    case Way::Each:
        // A phone of more than eight digits is tested as it lies.
        for (std::uint32_t i = 0; i < n; ++i)
            out[i] = static_cast<unsigned char>((phones[i] >> 31) != 0 ? itself(begin + i) : Digits(phones[i]));
        break;
    }
    const std::vector<std::uint32_t>& odd = prepared_->oddPhones_;
    for (auto at = std::lower_bound(odd.begin(), odd.end(), begin); at != odd.end() && *at < end; ++at)
        out[*at - begin] = static_cast<unsigned char>(itself(*at));
}

bool TPhoneTest::operator()(std::uint32_t record) const {
    unsigned char verdict = 0;
    Verdicts(record, record + 1, &verdict);
    return verdict != 0;
}

std::int32_t TPhoneTest::Count() const {
    constexpr std::uint32_t kBlock = 4096;
    unsigned char verdicts[kBlock];
    const auto count = static_cast<std::uint32_t>(prepared_->Count());
    std::int32_t found = 0;
    for (std::uint32_t begin = 0; begin < count; begin += kBlock) {
        const std::uint32_t end = std::min(count, begin + kBlock);
        Verdicts(begin, end, verdicts);
        for (std::uint32_t i = 0; i < end - begin; ++i)
            found += verdicts[i];
    }
    return found;
}

} // namespace vg
