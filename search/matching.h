#pragma once

#include "conditions.h"
#include "mask.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vg {

// Tests a text field (Phone, Street, User): every condition on bytes, in ordinal byte order.
bool MatchText(std::string_view field, std::string_view criterion, MatchCondition condition);
// Tests a numeric field (House, Flat): as MatchText, but the orderings compare ToNumber values.
bool MatchNumber(std::string_view field, std::string_view criterion, MatchCondition condition);
// The platform's integer syntax: leading spaces, a sign, decimal or '$'/'x'/'0x' hexadecimal digits, nothing
// after. Anything else, and a value out of range, gives 0.
std::int32_t ToNumber(std::string_view text);
// As ToNumber, but says whether the text was a valid number.
bool TryToNumber(std::string_view text, std::int32_t& value);

// One criterion prepared for testing many fields: a mask is parsed once, the criterion's number read once.
class TCriterionTest {
public:
    // Fails with EMaskException for an invalid mask under FitsMask or NotFitsMask.
    TCriterionTest(std::string criterion, MatchCondition condition, bool numeric);
    bool operator()(std::string_view field) const;

private:
    std::string criterion_;
    MatchCondition condition_;
    bool numeric_;
    std::int32_t number_ = 0;
    std::optional<TMask> mask_;
};

} // namespace vg
