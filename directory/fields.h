#pragma once

#include "strcontainer.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vg {

// The five fields of a directory record. Their numbering is the list's column numbering and the order of the
// search's criteria: the Phone is the record's key, every other field is its line (field - 1).
enum class Field : std::uint8_t { Phone = 0, Street, House, Flat, User };

inline constexpr int kFieldCount = 5;
inline constexpr std::array<Field, kFieldCount> kFields{Field::Phone, Field::Street, Field::House, Field::Flat,
                                                        Field::User};

constexpr std::size_t Index(Field field) {
    return static_cast<std::size_t>(field);
}

// The field's text; a line the record lacks fails with EListError, as reading the line does.
inline std::string_view FieldOf(const TString& record, Field field) {
    return field == Field::Phone ? record.Key() : record.Lines()[static_cast<int>(field) - 1];
}

} // namespace vg
