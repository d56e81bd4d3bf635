// Masks: parsing and testing never fail but for EMaskException, and MaskFits agrees with the matching
// routines under both mask conditions and with any condition code.
#include "search/mask.h"
#include "search/matching.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t condition = data[0];
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t cut = rest.find('\n');
    const std::string mask = rest.substr(0, cut);
    const std::string text = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    bool valid = true;
    bool fits = false;
    try {
        fits = vg::MaskFits(text, mask + "*");
    } catch (const vg::EMaskException& e) {
        valid = false;
        if (e.Position() < 1 || static_cast<std::size_t>(e.Position()) > mask.size() + 2) std::abort();
    }
    try {
        bool viaText = vg::MatchText(text, mask, vg::FitsMask);
        bool viaNumber = vg::MatchNumber(text, mask, vg::NotFitsMask);
        if (!valid || viaText != fits || viaNumber == fits) std::abort();
    } catch (const vg::EMaskException&) {
        if (valid) std::abort();
    }
    try {
        bool t = vg::MatchText(text, mask, condition);
        bool n = vg::MatchNumber(text, mask, condition);
        if (condition > 11 && (t || n)) std::abort();
        if (condition == 0 && !(t && n)) std::abort();
    } catch (const vg::EMaskException&) {
        if (condition != vg::FitsMask && condition != vg::NotFitsMask) std::abort();
    }
    return 0;
}
