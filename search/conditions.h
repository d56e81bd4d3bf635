#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vg {

// A criterion's condition. Each is numbered as its item in the condition list plus one; a criterion that is
// not set holds NoCondition.
enum class MatchCondition : std::uint8_t {
    NoCondition = 0,
    BeginsWith,
    Contains,
    NotContains,
    Equal,
    Greater,
    GreaterOrEqual,
    Less,
    LessOrEqual,
    FitsMask,
    NotFitsMask,
    NotEqual,
};

// How a condition sets a field against the criterion: as text (NotEqual too, on every field), in order (as
// numbers on a numeric field, as text elsewhere), or through a wildcard mask.
enum class ConditionKind : std::uint8_t { Text, Order, Mask };

struct TConditionInfo {
    MatchCondition condition;
    std::string_view caption; // the condition list's item, UTF-8
    std::string_view word;    // the companion tool's name for it
    ConditionKind kind;
};

// Every condition, in the condition list's order.
inline constexpr std::array<TConditionInfo, 11> kConditions{{
    {MatchCondition::BeginsWith, "начинается с", "begins", ConditionKind::Text},
    {MatchCondition::Contains, "содержит", "contains", ConditionKind::Text},
    {MatchCondition::NotContains, "не содержит", "not-contains", ConditionKind::Text},
    {MatchCondition::Equal, "равно", "eq", ConditionKind::Order},
    {MatchCondition::Greater, "больше", "gt", ConditionKind::Order},
    {MatchCondition::GreaterOrEqual, "больше или равно", "ge", ConditionKind::Order},
    {MatchCondition::Less, "меньше", "lt", ConditionKind::Order},
    {MatchCondition::LessOrEqual, "меньше или равно", "le", ConditionKind::Order},
    {MatchCondition::FitsMask, "подходит к маске (*, ?)", "mask", ConditionKind::Mask},
    {MatchCondition::NotFitsMask, "не подходит к маске", "not-mask", ConditionKind::Mask},
    {MatchCondition::NotEqual, "не равно", "ne", ConditionKind::Text},
}};
inline constexpr int kConditionCount = static_cast<int>(kConditions.size());

// The condition of a list item; no selection (-1) or an index outside the list gives NoCondition.
constexpr MatchCondition ConditionAt(int item) {
    return item >= 0 && item < kConditionCount ? kConditions[static_cast<std::size_t>(item)].condition
                                               : MatchCondition::NoCondition;
}
// The list item of a condition; -1 for NoCondition.
constexpr int ItemOf(MatchCondition condition) {
    return static_cast<int>(condition) - 1;
}
constexpr const TConditionInfo& InfoOf(MatchCondition condition) {
    return kConditions[static_cast<std::size_t>(ItemOf(condition))];
}
// The condition the tool's word names; NoCondition for an unknown word.
constexpr MatchCondition ConditionNamed(std::string_view word) {
    for (const TConditionInfo& info : kConditions)
        if (info.word == word) return info.condition;
    return MatchCondition::NoCondition;
}

namespace detail {
constexpr bool NumberedInListOrder() {
    for (int i = 0; i < kConditionCount; ++i)
        if (static_cast<int>(kConditions[static_cast<std::size_t>(i)].condition) != i + 1) return false;
    return true;
}
} // namespace detail
static_assert(detail::NumberedInListOrder(), "a condition is its list item's index plus one");
static_assert(static_cast<int>(MatchCondition::NoCondition) == 0 && static_cast<int>(MatchCondition::NotEqual) == 11);

} // namespace vg
