#include "matching.h"

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

TCriterionTest::TCriterionTest(std::string criterion, MatchCondition condition, bool numeric)
    : criterion_(std::move(criterion)), condition_(condition), numeric_(numeric) {
    if (condition_ == MatchCondition::FitsMask || condition_ == MatchCondition::NotFitsMask)
        mask_.emplace(criterion_ + "*");
    if (numeric_) number_ = ToNumber(criterion_);
}

bool TCriterionTest::operator()(std::string_view field) const {
    auto occurrence = [&]() -> std::size_t {
        if (field.empty() || criterion_.empty()) return 0;
        std::size_t at = field.find(criterion_);
        return at == std::string_view::npos ? 0 : at + 1;
    };
    auto order = [&]() -> int {
        if (numeric_) {
            std::int32_t f = ToNumber(field);
            return f < number_ ? -1 : f > number_ ? 1 : 0;
        }
        int r = field.compare(criterion_);
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    };
    switch (condition_) {
    case MatchCondition::NoCondition:
        return true;
    case MatchCondition::BeginsWith:
        return !criterion_.empty() && field.substr(0, criterion_.size()) == criterion_;
    case MatchCondition::Contains:
        return occurrence() > 0;
    case MatchCondition::NotContains:
        return occurrence() == 0;
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
        return field != criterion_; // as text, for numeric fields too
    default:
        return false;
    }
}

bool MatchText(std::string_view field, std::string_view criterion, MatchCondition condition) {
    return TCriterionTest(std::string(criterion), condition, false)(field);
}

bool MatchNumber(std::string_view field, std::string_view criterion, MatchCondition condition) {
    return TCriterionTest(std::string(criterion), condition, true)(field);
}

} // namespace vg
