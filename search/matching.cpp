#include "matching.h"

#include "directory/cp1251.h"

#include <algorithm>

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

unsigned char Up(char c) {
    return cp1251::Upper(static_cast<unsigned char>(c));
}

// Whether the field, upper-cased, holds the upper-case criterion at `at`.
bool FoldedAt(std::string_view field, std::string_view criterion, std::size_t at) {
    if (field.size() - at < criterion.size()) return false;
    for (std::size_t k = 0; k < criterion.size(); ++k)
        if (Up(field[at + k]) != static_cast<unsigned char>(criterion[k])) return false;
    return true;
}

// The field, upper-cased, against the upper-case criterion in ordinal byte order: -1, 0 or 1.
int FoldedCompare(std::string_view field, std::string_view criterion) {
    const std::size_t n = std::min(field.size(), criterion.size());
    for (std::size_t k = 0; k < n; ++k) {
        const unsigned char f = Up(field[k]);
        const auto c = static_cast<unsigned char>(criterion[k]);
        if (f != c) return f < c ? -1 : 1;
    }
    return field.size() < criterion.size() ? -1 : field.size() > criterion.size() ? 1 : 0;
}

} // namespace

TCriterionTest::TCriterionTest(std::string_view criterion, MatchCondition condition, bool numeric)
    : criterion_(cp1251::Upper(criterion)), condition_(condition), numeric_(numeric) {
    if (condition_ == MatchCondition::FitsMask || condition_ == MatchCondition::NotFitsMask)
        mask_.emplace(criterion_ + "*");
    if (numeric_) number_ = ToNumber(criterion_);
}

bool TCriterionTest::operator()(std::string_view field) const {
    auto occurs = [&]() {
        if (field.empty() || criterion_.empty()) return false;
        for (std::size_t at = 0; at + criterion_.size() <= field.size(); ++at)
            if (FoldedAt(field, criterion_, at)) return true;
        return false;
    };
    auto order = [&]() -> int {
        if (numeric_) {
            std::int32_t f = ToNumber(field);
            return f < number_ ? -1 : f > number_ ? 1 : 0;
        }
        return FoldedCompare(field, criterion_);
    };
    switch (condition_) {
    case MatchCondition::NoCondition:
        return true;
    case MatchCondition::BeginsWith:
        return !criterion_.empty() && FoldedAt(field, criterion_, 0);
    case MatchCondition::Contains:
        return occurs();
    case MatchCondition::NotContains:
        return !occurs();
    case MatchCondition::Equal:
        return order() == 0;
    case MatchCondition::Greater:
        return order() > 0;
    case MatchCondition::GreaterOrEqual:
        return order() >= 0;
    case MatchCondition::Less:
        return order() < 0;
    case MatchCondition::LessOrEqual:
        return order() <= 0;
    case MatchCondition::FitsMask:
        return mask_->Fits(field);
    case MatchCondition::NotFitsMask:
        return !mask_->Fits(field);
    case MatchCondition::NotEqual:
        return FoldedCompare(field, criterion_) != 0; // as text, for numeric fields too
    default:
        return false;
    }
}

} // namespace vg
