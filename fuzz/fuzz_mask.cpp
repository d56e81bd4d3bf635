// Masks: parsing and testing never fail but for EMaskException, which names a reason and a position inside the
// mask as typed; MaskFits on the folded field and mask agrees with the matching routines under both mask
// conditions and with any condition code; and letter case never matters, in the mask, the criterion or the field.
#include "directory/cp1251.h"
#include "search/oneshot.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const auto condition = static_cast<vg::MatchCondition>(data[0]);
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t cut = rest.find('\n');
    const std::string mask = rest.substr(0, cut);
    const std::string text = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    const std::string upperText = vg::cp1251::Upper(text);
    // The matching folds field and mask alike before the mask is asked: a street's way, or a house's.
    bool valid[2] = {true, true};
    bool fits[2] = {false, false};
    const vg::FoldKind kinds[2] = {vg::FoldKind::Words, vg::FoldKind::Address};
    for (int k = 0; k < 2; ++k) {
        const std::string folded = vg::FoldForMatch(kinds[k], text), foldedMask = vg::FoldForMatch(kinds[k], mask);
        try {
            fits[k] = vg::test::MaskFits(folded, foldedMask + "*");
            if (vg::test::MaskFits(vg::cp1251::Upper(folded), vg::cp1251::Lower(foldedMask) + "*") != fits[k])
                std::abort();
        } catch (const vg::EMaskException& e) {
            valid[k] = false;
            if (e.Reason() == vg::MaskError::None) std::abort();
        }
    }
    try {
        bool viaText = vg::test::MatchText(text, mask, vg::MatchCondition::FitsMask);
        if (!valid[0] || viaText != fits[0]) std::abort();
    } catch (const vg::EMaskException& e) {
        if (valid[0] || e.Position() < 1 || static_cast<std::size_t>(e.Position()) > mask.size() + 2) std::abort();
    }
    try {
        bool viaNumber = vg::test::MatchNumber(text, mask, vg::MatchCondition::NotFitsMask);
        if (!valid[1] || viaNumber == fits[1]) std::abort();
    } catch (const vg::EMaskException& e) {
        if (valid[1] || e.Position() < 1 || static_cast<std::size_t>(e.Position()) > mask.size() + 2) std::abort();
    }
    try {
        bool t = vg::test::MatchText(text, mask, condition);
        bool n = vg::test::MatchNumber(text, mask, condition);
        if (data[0] > 11 && (t || n)) std::abort();
        if (data[0] == 0 && !(t && n)) std::abort();
        if (vg::test::MatchText(upperText, mask, condition) != t) std::abort();
        if (vg::test::MatchText(text, vg::cp1251::Lower(mask), condition) != t) std::abort();
    } catch (const vg::EMaskException&) {
        if (condition != vg::MatchCondition::FitsMask && condition != vg::MatchCondition::NotFitsMask) std::abort();
    }
    return 0;
}
