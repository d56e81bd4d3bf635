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

int Sign(int r) {
    return r < 0 ? -1 : r > 0 ? 1 : 0;
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
    if (kind_ == FoldKind::Address) {
        const TAddressNumber a = ReadAddressNumber(criterion_);
        number_ = a.number;
        rest_ = a.rest;
    }
}

bool TCriterionTest::operator()(std::string_view field) const {
    std::string& folded = Buffer();
    switch (condition_) {
    case MatchCondition::NoCondition:
        return true;
    case MatchCondition::BeginsWith:
        if (criterion_.empty()) return false;
        FoldPrefixForMatch(kind_, field, criterion_.size(), folded);
        return folded == criterion_;
    case MatchCondition::Contains:
    case MatchCondition::NotContains: {
        FoldForMatch(kind_, field, folded);
        const bool occurs = !folded.empty() && !criterion_.empty() && folded.find(criterion_) != std::string::npos;
        return occurs == (condition_ == MatchCondition::Contains);
    }
    case MatchCondition::FitsMask:
    case MatchCondition::NotFitsMask:
        FoldForMatch(kind_, field, folded);
        return mask_->Fits(folded) == (condition_ == MatchCondition::FitsMask);
    case MatchCondition::NotEqual:
        FoldPrefixForMatch(kind_, field, criterion_.size() + 1, folded);
        return folded != criterion_; // as text, on a house or flat too
    default:
        break;
    }
    if (!IsOrder(condition_)) return false;
    int order;
    if (kind_ == FoldKind::Address) {
        order = CompareAddress(ReadAddressNumber(field), TAddressNumber{number_, rest_});
    } else {
        // A prefix one longer than the criterion tells a longer field from an equal one.
        FoldPrefixForMatch(kind_, field, criterion_.size() + 1, folded);
        order = Sign(folded.compare(criterion_));
    }
    switch (condition_) {
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
