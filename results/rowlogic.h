#pragma once

#include "directory/fields.h"
#include "directory/strcontainer.h"
#include "search/boxsearch.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vg {

// The list's columns, one for each field and in their order: the header's caption (UTF-8) and the design width.
struct TColumnInfo {
    Field field;
    std::string_view caption;
    int width;
};
inline constexpr std::array<TColumnInfo, kFieldCount> kColumns{{
    {Field::Phone, "Номер тел.", 100},
    {Field::Street, "Улица", 275},
    {Field::House, "Здание", 100},
    {Field::Flat, "Квартира", 100},
    {Field::User, "Абонент", 335},
}};

// The text that decides group starts and type-ahead for a row: the raw key for column 0, else
// Lines[column - 1]. Empty for a row outside the container and for a line the record lacks.
std::string_view ColumnValue(const TStrContainer& container, int row, int column);

// Whether row `row` opens a new block of equal values in the sort column: the leading digit for the phone,
// the upper-cased text for street, house and flat, the upper-cased first word for the subscriber (never for
// a name with a quote or a slash). An empty value never starts a group; a value under an empty one always does.
bool IsGroupStart(const TStrContainer& container, int row, int sortColumn);

// 12345 -> 1-23-45, 123456 -> 12-34-56; any other length unchanged.
std::string FormatPhone(std::string_view key);
// Spans of a key (sorted, disjoint) as they stand in FormatPhone of it: a span across a dash takes the dash in.
std::vector<TSpan> FormatPhoneSpans(std::string_view key, std::vector<TSpan> spans);

// The first row from `startIndex` on (wrapping to row 0 when `wrap`) whose value in the sort column begins with
// `findString`, both upper-cased as the code page upper-cases them (as the search and the sort fold). -1 when
// none, or for an empty text. A start outside the rows starts at row 0.
int FindRow(const TStrContainer& container, std::string_view findString, int startIndex, bool wrap, int sortColumn);
// The list's type-ahead from its current row (-1: none): a new text looks from the row after the current one, so
// that typing the same letter again moves on; a text that grew by a key looks from the current row, which stays
// while it still matches. Wraps; -1 when no row matches.
int TypeAheadRow(const TStrContainer& container, std::string_view typed, int currentRow, bool newText, int sortColumn);

} // namespace vg
