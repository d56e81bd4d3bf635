#pragma once

#include "conditions.h"
#include "mask.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vg {

// The platform's integer syntax: leading spaces, a sign, decimal or '$'/'x'/'0x' hexadecimal digits, nothing
// after. Anything else, and a value out of range, gives 0.
std::int32_t ToNumber(std::string_view text);
// As ToNumber, but says whether the text was a valid number.
bool TryToNumber(std::string_view text, std::int32_t& value);

// One criterion prepared for testing many fields: a mask is parsed once, the criterion's number read once.
// Texts compare upper-cased, criterion and field alike, as the code page upper-cases them (so a street stored
// as "Пос. Лесхоз" is found by what the list shows), in ordinal byte order; on a numeric field the order
// conditions compare ToNumber values instead. The field itself is never copied.
class TCriterionTest {
public:
    // Fails with EMaskException for an invalid mask under FitsMask or NotFitsMask.
    TCriterionTest(std::string_view criterion, MatchCondition condition, bool numeric);
    bool operator()(std::string_view field) const;
    MatchCondition Condition() const { return condition_; }
    // The criterion as the fields are compared with it.
    const std::string& Folded() const { return criterion_; }

private:
    std::string criterion_;
    MatchCondition condition_;
    bool numeric_;
    std::int32_t number_ = 0;
    std::optional<TMask> mask_;
};

} // namespace vg
