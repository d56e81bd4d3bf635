#pragma once

// One-shot forms of the search's tests, for tables of single cases in the tests and the fuzz targets: each call
// prepares its criterion or mask anew, where the search prepares it once for all records.

#include "search/mask.h"
#include "search/matching.h"

#include <string_view>

namespace vg::test {

// A text field: Street or User, or with FoldKind::Digits the Phone.
inline bool MatchText(std::string_view field, std::string_view criterion, MatchCondition condition,
                      FoldKind kind = FoldKind::Words) {
    return TCriterionTest(criterion, condition, kind)(field);
}
// A house or flat: the order conditions compare address numbers.
inline bool MatchNumber(std::string_view field, std::string_view criterion, MatchCondition condition) {
    return TCriterionTest(criterion, condition, FoldKind::Address)(field);
}
// Parses the mask and tests one text against it.
inline bool MaskFits(std::string_view text, std::string_view mask) {
    return TMask(mask).Fits(text);
}

} // namespace vg::test
