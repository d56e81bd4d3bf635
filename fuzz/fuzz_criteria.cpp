// The preparation of criteria and ToNumber: never fail, keep their limits, map every prepared character back
// to the one typed, agree with strtol on decimals.
#include "directory/cp1251.h"
#include "search/criteria.h"
#include "search/matching.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs;
    for (int k = 0; k < vg::kCriterionCount; ++k)
        inputs[static_cast<std::size_t>(k)] = {text, k * 3 - 1};
    vg::TCriteria c = vg::ReadCriteria(inputs);
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        const std::string& t = c.Texts[static_cast<std::size_t>(k)];
        const std::vector<std::uint32_t>& origin = c.Origins[static_cast<std::size_t>(k)];
        if (t.size() > vg::kCriterionCapacity) std::abort();
        if (c.Conditions[static_cast<std::size_t>(k)] != vg::MatchCondition::NoCondition && t.empty()) std::abort();
        if (c.Typed[static_cast<std::size_t>(k)] != text) std::abort();
        // Every prepared character is its typed one upper-cased, and they keep their order.
        if (origin.size() != t.size()) std::abort();
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (origin[i] >= text.size() || (i > 0 && origin[i] <= origin[i - 1])) std::abort();
            if (static_cast<unsigned char>(t[i]) != vg::cp1251::Upper(static_cast<unsigned char>(text[origin[i]])))
                std::abort();
            if (vg::TypedPosition(origin, static_cast<int>(i) + 1) != static_cast<int>(origin[i]) + 1) std::abort();
        }
        if (k == static_cast<int>(vg::Field::Phone)) {
            // No '-' or '_' outside a set: the text up to the first '[' has none.
            const std::string head = t.substr(0, t.find('['));
            if (head.find('-') != std::string::npos || head.find('_') != std::string::npos) std::abort();
        } else if (!t.empty() && origin.back() - origin.front() + 1 != t.size()) {
            std::abort(); // the other fields lose only their ends
        }
    }
    // Plain decimals: the same value as strtol where strtol sees the whole text as one in range.
    std::int32_t value;
    const bool ok = vg::TryToNumber(text, value);
    if (!ok && value != 0) std::abort();
    std::size_t digits = text.size() > 0 && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool plain = digits < text.size();
    for (std::size_t i = digits; plain && i < text.size(); ++i)
        plain = text[i] >= '0' && text[i] <= '9';
    if (plain) {
        errno = 0;
        char* end = nullptr;
        const long long expect = std::strtoll(text.c_str(), &end, 10);
        const bool inRange = errno == 0 && expect >= INT32_MIN && expect <= INT32_MAX && *end == '\0';
        if (inRange != ok) std::abort();
        if (ok && expect != value) std::abort();
    }
    return 0;
}
