#pragma once

#include "conditions.h"
#include "folding.h"
#include "mask.h"

#include <array>
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

// One criterion prepared for testing many fields: folded once, a mask parsed once, an address number read once.
// The field and the criterion are compared as FoldForMatch of the field's kind folds them both, in ordinal byte
// order; on a house or flat the order conditions ("равно" to "меньше или равно") compare address numbers
// instead (NotEqual stays a text test on every field). The field itself is never changed; a test may be used
// from several threads at once.
class TCriterionTest {
public:
    // Fails with EMaskException for an invalid mask under FitsMask or NotFitsMask, the position counted in the
    // criterion as given.
    TCriterionTest(std::string_view criterion, MatchCondition condition, FoldKind kind);
    bool operator()(std::string_view field) const;
    MatchCondition Condition() const { return condition_; }
    // The criterion as the fields are compared with it.
    const std::string& Folded() const { return criterion_; }

private:
    std::string criterion_;
    MatchCondition condition_;
    FoldKind kind_;
    std::uint32_t number_ = 0; // the address number of a house or flat criterion
    std::string rest_;
    std::optional<TMask> mask_;
    std::array<bool, 256> joins_{}; // a field with one of these is folded before "содержит" says no
};

} // namespace vg
