#pragma once

#include "conditions.h"
#include "directory/fields.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// A criterion's text as the search compares it, and where each of its characters stands in the text as typed.
struct TPreparedCriterion {
    std::string text;                  // Windows-1251, upper-cased, at most kCriterionCapacity characters
    std::vector<std::uint32_t> origin; // origin[i]: the 0-based index in the typed text of text[i]
};

// The criteria record: the condition (NoCondition when not set) and the prepared, upper-cased text of every
// criterion, indexed by field; besides, the texts as typed and where each prepared character came from, so
// that a fault found in a prepared text can be shown where the operator typed it.
struct TCriteria {
    std::array<MatchCondition, kCriterionCount> Conditions{};
    std::array<std::string, kCriterionCount> Texts;
    std::array<std::string, kCriterionCount> Typed;
    std::array<std::vector<std::uint32_t>, kCriterionCount> Origins;

    MatchCondition Condition(Field field) const { return Conditions[Index(field)]; }
    const std::string& Text(Field field) const { return Texts[Index(field)]; }
};

// What one criterion group of the window holds: the field's text and the combo's selected index (-1: none).
struct TCriterionInput {
    std::string text; // Windows-1251
    int selected = 0;
};

// A field's text as the search compares it: without NUL, backspace, tab, line feed, carriage return and space at
// either end, upper-cased, at most 80 characters. The phone also loses every '-' (before the trimming) and '_'
// (after it), so that "1-23-45" finds 12345, but only outside the character sets of a mask: in "[2-4]" the '-'
// makes a range. A '[' that is never closed keeps the rest of the text as typed. Linear in the text's length.
TPreparedCriterion PrepareCriterion(Field criterion, std::string_view fieldText);
std::string PrepareCriterionText(Field criterion, std::string_view fieldText);
// The 1-based position in the typed text of a 1-based position in the prepared text: a position past the
// prepared text (such as that of the '*' the search appends to a mask) lies just after its last character.
int TypedPosition(const std::vector<std::uint32_t>& origin, int preparedPosition);
// Fills the criteria record from the five groups, Phone to User. A group sets its criterion when its combo has an
// item selected and its prepared text keeps something once folded for matching (FoldForMatch).
TCriteria ReadCriteria(const std::array<TCriterionInput, kCriterionCount>& inputs);
// The condition list's item after the field's text changed: a '?' or '*' selects FitsMask unless a mask
// condition is already selected.
int ConditionAfterEdit(std::string_view fieldText, int selected);

} // namespace vg
