#include "criteria.h"

#include "directory/cp1251.h"

namespace vg {
namespace {

bool IsBlank(char c) {
    return c == 0 || c == 8 || c == 9 || c == 10 || c == 13 || c == 32;
}

} // namespace

std::string TrimBlanks(std::string_view text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string ReplaceOnce(std::string_view text, std::string_view old, std::string_view replacement, int& position) {
    std::string result(text);
    if (old.empty()) return result;
    std::size_t from = position < 1 ? 0 : static_cast<std::size_t>(position - 1);
    if (from >= text.size()) return result;
    std::size_t at = cp1251::Lower(text).find(cp1251::Lower(old), from);
    if (at == std::string::npos) return result;
    result.replace(at, old.size(), replacement);
    position = static_cast<int>(at + 1 + replacement.size());
    return result;
}

std::string ReplaceEvery(std::string_view text, std::string_view old, std::string_view replacement) {
    std::string current(text);
    int position = 1;
    while (true) {
        std::string next = ReplaceOnce(current, old, replacement, position);
        if (next == current) return current;
        current = std::move(next);
    }
}

std::string PrepareCriterionText(Field criterion, std::string_view fieldText) {
    std::string text;
    if (criterion == Field::Phone)
        text = ReplaceEvery(TrimBlanks(ReplaceEvery(fieldText, "-", "")), "_", "");
    else
        text = TrimBlanks(fieldText);
    cp1251::UpperInPlace(text);
    if (text.size() > kCriterionCapacity) text.resize(kCriterionCapacity);
    return text;
}

TCriteria ReadCriteria(const std::array<TCriterionInput, kCriterionCount>& inputs) {
    TCriteria criteria;
    for (Field field : kFields) {
        const TCriterionInput& in = inputs[Index(field)];
        std::string text = PrepareCriterionText(field, in.text);
        if (!text.empty()) criteria.Conditions[Index(field)] = ConditionAt(in.selected);
        criteria.Texts[Index(field)] = std::move(text);
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
