#include "criteria.h"

#include "directory/cp1251.h"
#include "folding.h"

#include <algorithm>

namespace vg {
namespace {

bool IsBlank(char c) {
    return c == 0 || c == 8 || c == 9 || c == 10 || c == 13 || c == 32;
}

// Marks the characters of the text that lie inside a mask's character set, read as the mask parser reads it:
// from '[' (and a '!') to the first ']' that is not the end of a range; an unclosed set runs to the end.
std::vector<bool> InsideSets(std::string_view text) {
    std::vector<bool> inside(text.size(), false);
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '[') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        if (j < text.size() && text[j] == '!') ++j;
        while (j < text.size() && text[j] != ']')
            j += text[j] == '-' ? 2 : 1;
        const std::size_t end = std::min(j + 1, text.size());
        for (std::size_t k = i; k < end; ++k)
            inside[k] = true;
        i = end;
    }
    return inside;
}

} // namespace

TPreparedCriterion PrepareCriterion(Field criterion, std::string_view fieldText) {
    TPreparedCriterion p;
    const bool phone = criterion == Field::Phone;
    const std::vector<bool> inside = phone ? InsideSets(fieldText) : std::vector<bool>();
    auto kept = [&](std::size_t k, char removed) { return !phone || fieldText[k] != removed || inside[k]; };
    // The phone's '-' go before the blanks are trimmed, its '_' after: "12 _" keeps its inner blank.
    std::vector<std::uint32_t> order;
    order.reserve(fieldText.size());
    for (std::size_t k = 0; k < fieldText.size(); ++k)
        if (kept(k, '-')) order.push_back(static_cast<std::uint32_t>(k));
    std::size_t begin = 0, end = order.size();
    while (begin < end && IsBlank(fieldText[order[begin]]))
        ++begin;
    while (end > begin && IsBlank(fieldText[order[end - 1]]))
        --end;
    for (std::size_t n = begin; n < end && p.text.size() < kCriterionCapacity; ++n) {
        if (!kept(order[n], '_')) continue;
        p.text.push_back(static_cast<char>(cp1251::Upper(static_cast<unsigned char>(fieldText[order[n]]))));
        p.origin.push_back(order[n]);
    }
    return p;
}

std::string PrepareCriterionText(Field criterion, std::string_view fieldText) {
    return PrepareCriterion(criterion, fieldText).text;
}

int TypedPosition(const std::vector<std::uint32_t>& origin, int preparedPosition) {
    if (origin.empty() || preparedPosition < 1) return preparedPosition;
    if (static_cast<std::size_t>(preparedPosition) <= origin.size())
        return static_cast<int>(origin[static_cast<std::size_t>(preparedPosition) - 1]) + 1;
    return static_cast<int>(origin.back()) + 2;
}

TCriteria ReadCriteria(const std::array<TCriterionInput, kCriterionCount>& inputs) {
    TCriteria criteria;
    for (Field field : kFields) {
        const TCriterionInput& in = inputs[Index(field)];
        TPreparedCriterion p = PrepareCriterion(field, in.text);
        // A text of nothing the matching compares, such as a phone of separators alone, sets no criterion.
        if (!FoldForMatch(FoldKindOf(field), p.text).empty())
            criteria.Conditions[Index(field)] = ConditionAt(in.selected);
        criteria.Texts[Index(field)] = std::move(p.text);
        criteria.Origins[Index(field)] = std::move(p.origin);
        criteria.Typed[Index(field)] = in.text;
    }
    return criteria;
}

int ConditionAfterEdit(std::string_view fieldText, int selected) {
    if (fieldText.find_first_of("?*") == std::string_view::npos) return selected;
    const MatchCondition current = ConditionAt(selected);
    if (current == MatchCondition::FitsMask || current == MatchCondition::NotFitsMask) return selected;
    return ItemOf(MatchCondition::FitsMask);
}

} // namespace vg
