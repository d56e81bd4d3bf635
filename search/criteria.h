#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vg {

// The five criteria, in the order of the window's groups and of the record's fields.
enum Criterion { crPhone = 0, crStreet, crHouse, crFlat, crUser };
constexpr int kCriterionCount = 5;
constexpr std::size_t kCriterionCapacity = 80;
constexpr int kConditionCount = 11;
// Combo indexes of the two mask conditions.
constexpr int kFitsMaskIndex = 8;
constexpr int kNotFitsMaskIndex = 9;

// The criteria record: a condition code (combo index + 1, or 0 when not set) and the prepared, upper-cased
// text of every criterion.
struct TCriteria {
    std::array<std::uint8_t, kCriterionCount> Conditions{};
    std::array<std::string, kCriterionCount> Texts;
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
std::string PrepareCriterionText(int criterion, std::string_view fieldText);
// Fills the criteria record from the five groups, Phone to User.
TCriteria ReadCriteria(const std::array<TCriterionInput, kCriterionCount>& inputs);
// The combo index after the field's text changed: a '?' or '*' selects FitsMask unless a mask condition is
// already selected.
int ConditionAfterEdit(std::string_view fieldText, int selected);

} // namespace vg
