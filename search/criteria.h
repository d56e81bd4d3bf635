#pragma once

#include "conditions.h"
#include "directory/fields.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vg {

// The five criteria, one for each of the record's fields and in their order, as the window's groups stand.
struct TCriterionInfo {
    Field field;
    std::string_view caption; // the group's label, UTF-8
    std::string_view word;    // the companion tool's option and sort column
    bool numeric;             // the order conditions compare numbers
};
inline constexpr std::array<TCriterionInfo, kFieldCount> kCriteria{{
    {Field::Phone, "Телефон", "phone", false},
    {Field::Street, "Улица", "street", false},
    {Field::House, "Здание", "house", true},
    {Field::Flat, "Квартира, офис", "flat", true},
    {Field::User, "Абонент, организация", "user", false},
}};
inline constexpr int kCriterionCount = kFieldCount;
inline constexpr std::size_t kCriterionCapacity = 80;

constexpr const TCriterionInfo& InfoOf(Field field) {
    return kCriteria[Index(field)];
}

// The criteria record: the condition (NoCondition when not set) and the prepared, upper-cased text of every
// criterion, indexed by field.
struct TCriteria {
    std::array<MatchCondition, kCriterionCount> Conditions{};
    std::array<std::string, kCriterionCount> Texts;

    MatchCondition Condition(Field field) const { return Conditions[Index(field)]; }
    const std::string& Text(Field field) const { return Texts[Index(field)]; }
};

// What one criterion group of the window holds: the field's text and the combo's selected index (-1: none).
struct TCriterionInput {
    std::string text; // Windows-1251
    int selected = 0;
};

// Removes NUL, backspace, tab, line feed, carriage return and space from both ends.
std::string TrimBlanks(std::string_view text);
// Replaces the first occurrence of `old` at or after the 1-based `position`, without regard to case; the
// position then points just after the inserted text. Not found: text and position stay.
std::string ReplaceOnce(std::string_view text, std::string_view old, std::string_view replacement, int& position);
// Replaces every occurrence from left to right; inserted text is never examined again.
std::string ReplaceEvery(std::string_view text, std::string_view old, std::string_view replacement);

// A field's text as the search compares it: trimmed (the phone also without '-' and '_'), upper-cased,
// at most 80 characters.
std::string PrepareCriterionText(Field criterion, std::string_view fieldText);
// Fills the criteria record from the five groups, Phone to User.
TCriteria ReadCriteria(const std::array<TCriterionInput, kCriterionCount>& inputs);
// The condition list's item after the field's text changed: a '?' or '*' selects FitsMask unless a mask
// condition is already selected.
int ConditionAfterEdit(std::string_view fieldText, int selected);

} // namespace vg
