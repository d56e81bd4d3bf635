#include "matching.h"

#include "directory/cp1251.h"

#include <algorithm>
#include <vector>

namespace vg {

bool TryToNumber(std::string_view text, std::int32_t& value) {
    value = 0;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size()) return false;
    if (hex) {
        std::uint32_t v = 0;
        for (; i < text.size(); ++i) {
            char c = text[i];
            std::uint32_t digit;
            if (c >= '0' && c <= '9')
                digit = static_cast<std::uint32_t>(c - '0');
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<std::uint32_t>(c - 'A' + 10);
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<std::uint32_t>(c - 'a' + 10);
            else
                return false;
            if (v & 0xF0000000u) return false; // a ninth significant digit
            v = (v << 4) | digit;
        }
        if (negative) v = 0u - v;
        value = static_cast<std::int32_t>(v);
        return true;
    }
    std::int64_t v = 0;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > limit) return false;
    }
    value = static_cast<std::int32_t>(negative ? -v : v);
    return true;
}

std::int32_t ToNumber(std::string_view text) {
    std::int32_t value;
    return TryToNumber(text, value) ? value : 0;
}

namespace {

// The field folded, in a buffer of each thread's own that keeps its room from call to call.
std::string& Buffer() {
    thread_local std::string buffer;
    return buffer;
}

// Whether the field, where it lies, holds the folded criterion at `at`, character by character folded. Where it
// does, the folded field holds it too: the criterion, folded, has nothing that folding would drop or join.
bool FoldedAt(std::string_view field, std::string_view criterion, std::size_t at) {
    if (field.size() - at < criterion.size()) return false;
    for (std::size_t k = 0; k < criterion.size(); ++k)
        if (FoldChar(static_cast<unsigned char>(field[at + k])) != static_cast<unsigned char>(criterion[k]))
            return false;
    return true;
}

int Sign(int r) {
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

// The order of the first `limit` characters of the folded field against the criterion: -1, 0 or 1. The field is
// read where it lies as far as it is plain (IsPlainAt), which nearly always decides; else it is folded.
int PrefixOrder(FoldKind kind, std::string_view field, std::string_view criterion, std::size_t limit) {
    std::size_t i = 0;
    for (; i < field.size() && i < limit; ++i) {
        if (!IsPlainAt(kind, field, i)) {
            std::string& folded = Buffer();
            FoldPrefixForMatch(kind, field, limit, folded);
            return Sign(folded.compare(criterion));
        }
        if (i == criterion.size()) return 1; // the field goes on
        const unsigned char f = FoldChar(static_cast<unsigned char>(field[i]));
        const auto c = static_cast<unsigned char>(criterion[i]);
        if (f != c) return f < c ? -1 : 1;
    }
    return i < criterion.size() ? -1 : i > criterion.size() ? 1 : 0;
}

bool IsOrder(MatchCondition condition) {
    return condition >= MatchCondition::Equal && condition <= MatchCondition::LessOrEqual;
}

} // namespace

TCriterionTest::TCriterionTest(std::string_view criterion, MatchCondition condition, FoldKind kind)
    : condition_(condition), kind_(kind) {
    std::vector<std::uint32_t> origin;
    FoldForMatch(kind_, criterion, criterion_, &origin);
    if (condition_ == MatchCondition::FitsMask || condition_ == MatchCondition::NotFitsMask) {
        try {
            mask_.emplace(criterion_ + "*");
        } catch (const EMaskException& e) {
            // The fault's place in the criterion as given, not in its folded form.
            const auto p = static_cast<std::size_t>(e.Position());
            const std::size_t at =
                p >= 1 && p <= origin.size() ? origin[p - 1] + 1 : criterion.size() + p - origin.size();
            throw EMaskException(cp1251::Upper(criterion) + "*", static_cast<int>(at), e.Reason());
        }
    }
    // What folding does to a field beside folding its letters: the phone loses its separators, a street or name
    // its quotation marks, and its blanks change. A criterion without blanks and dots cannot stand across a
    // blank that folding changes, only across a quotation mark dropped.
    const bool blanks = criterion_.find_first_of(" .") != std::string::npos;
    for (int c = 0; c < 256; ++c) {
        const auto b = static_cast<unsigned char>(c);
        joins_[b] = kind_ == FoldKind::Digits  ? !detail::kPlain.plain[static_cast<int>(FoldKind::Digits)][b]
                    : kind_ == FoldKind::Words ? detail::IsQuote(b) || (blanks && detail::IsBlank(b))
                                               : false;
    }
    if (kind_ == FoldKind::Address) {
        const TAddressNumber a = ReadAddressNumber(criterion_);
        number_ = a.number;
        rest_ = a.rest;
    }
}

bool TCriterionTest::operator()(std::string_view field) const {
    // Most fields need no folding beyond their letters and are compared where they lie; the others are folded
    // into a buffer first.
    switch (condition_) {
    case MatchCondition::NoCondition:
        return true;
    case MatchCondition::BeginsWith:
        return !criterion_.empty() && PrefixOrder(kind_, field, criterion_, criterion_.size()) == 0;
    case MatchCondition::Contains:
    case MatchCondition::NotContains: {
        // Where the field holds the criterion as it lies, its folded form holds it too; where it does not, only a
        // field that is not plain can hold it once folded.
        // Where the field holds the criterion as it lies, its folded form holds it too; where it does not, only
        // a character that makes folding join what lay apart can make it hold it.
        bool occurs = false, joins = false;
        if (!criterion_.empty()) {
            const auto first = static_cast<unsigned char>(criterion_[0]);
            for (std::size_t at = 0; at < field.size(); ++at) {
                const auto c = static_cast<unsigned char>(field[at]);
                joins |= joins_[c];
                if (FoldChar(c) == first && FoldedAt(field, criterion_, at)) {
                    occurs = true;
                    break;
                }
            }
            if (!occurs && joins) {
                FoldForMatch(kind_, field, Buffer());
                occurs = Buffer().find(criterion_) != std::string::npos;
            }
        }
        return occurs == (condition_ == MatchCondition::Contains);
    }
    case MatchCondition::FitsMask:
    case MatchCondition::NotFitsMask: {
        bool fits;
        if (IsPlainForMatch(kind_, field)) { // the mask upper-cases what it reads itself
            fits = mask_->Fits(field);
        } else {
            FoldForMatch(kind_, field, Buffer());
            fits = mask_->Fits(Buffer());
        }
        return fits == (condition_ == MatchCondition::FitsMask);
    }
    default:
        break;
    }
    if (condition_ != MatchCondition::NotEqual && !IsOrder(condition_)) return false;
    int order;
    if (kind_ == FoldKind::Address && condition_ != MatchCondition::NotEqual) {
        order = CompareAddress(ReadAddressNumber(field), TAddressNumber{number_, rest_});
    } else {
        // A prefix one longer than the criterion tells a longer field from an equal one.
        order = PrefixOrder(kind_, field, criterion_, criterion_.size() + 1);
    }
    switch (condition_) {
    case MatchCondition::NotEqual: // as text, on a house or flat too
        return order != 0;
    case MatchCondition::Equal:
        return order == 0;
    case MatchCondition::Greater:
        return order > 0;
    case MatchCondition::GreaterOrEqual:
        return order >= 0;
    case MatchCondition::Less:
        return order < 0;
    default:
        return order <= 0;
    }
}

} // namespace vg
