// The preparation of criteria and ToNumber: never fail, keep their limits, agree with strtol on decimals.
#include "search/criteria.h"
#include "search/matching.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    std::array<vg::TCriterionInput, vg::kCriterionCount> inputs;
    for (int k = 0; k < vg::kCriterionCount; ++k)
        inputs[static_cast<std::size_t>(k)] = {text, k * 3 - 1};
    vg::TCriteria c = vg::ReadCriteria(inputs);
    for (int k = 0; k < vg::kCriterionCount; ++k) {
        const std::string& t = c.Texts[static_cast<std::size_t>(k)];
        if (t.size() > vg::kCriterionCapacity) std::abort();
        if (c.Conditions[static_cast<std::size_t>(k)] != vg::MatchCondition::NoCondition && t.empty()) std::abort();
        if (k == static_cast<int>(vg::Field::Phone) &&
            (t.find('-') != std::string::npos || t.find('_') != std::string::npos))
            std::abort();
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
