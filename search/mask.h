#pragma once

#include "directory/errors.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vg {

// What makes a mask invalid.
enum class MaskError : std::uint8_t {
    None = 0,
    UnclosedSet,       // a '[' without its ']'
    EmptySet,          // '[]' or '[!]': nothing between the brackets
    BackwardRange,     // a set whose only ranges run from a higher character to a lower one, such as '[9-0]'
    RangeWithoutStart, // a '-' opens the set, with no character before it
    TooManyStars,      // more than TMask::kMaxStars steps follow a '*'
};

struct TMaskErrorInfo {
    MaskError error;
    std::string_view text; // for the operator, UTF-8
    std::string_view word; // for the companion tool
};
inline constexpr std::array<TMaskErrorInfo, 5> kMaskErrors{{
    {MaskError::UnclosedSet, "скобка [ не закрыта", "a '[' is not closed by ']'"},
    {MaskError::EmptySet, "пустой набор [ ]", "an empty set '[]'"},
    {MaskError::BackwardRange, "диапазон идёт в обратную сторону", "a range runs backwards"},
    {MaskError::RangeWithoutStart, "перед «-» в наборе нет начала диапазона", "a '-' with no range start before it"},
    {MaskError::TooManyStars, "больше 30 звёздочек *", "more than 30 '*'"},
}};

// The texts of a mask error; MaskError::None has none.
constexpr const TMaskErrorInfo& InfoOf(MaskError error) {
    return kMaskErrors[static_cast<std::size_t>(error) - 1];
}
namespace detail {
constexpr bool MaskErrorsInOrder() {
    for (std::size_t i = 0; i < kMaskErrors.size(); ++i)
        if (static_cast<std::size_t>(kMaskErrors[i].error) != i + 1) return false;
    return true;
}
} // namespace detail
static_assert(detail::MaskErrorsInOrder(), "a mask error's texts stand at its number minus one");

// An invalid mask: "'%s' is an invalid mask at (%d)", with the whole mask, the 1-based position of the fault
// in it and what is wrong there. The position is that of the character at fault: the '-' without a start, the
// first character of a backward range, the ']' of an empty set, the '*' one too many; for a set left open,
// just after the mask's last character.
class EMaskException : public Exception {
public:
    EMaskException(std::string mask, int position, MaskError reason);
    const std::string& Mask() const { return mask_; }
    int Position() const { return position_; }
    MaskError Reason() const { return reason_; }

private:
    std::string mask_;
    int position_;
    MaskError reason_;
};

// A wildcard mask: '*' any run, '?' any one character, '[...]' a character set ('[!...]' its complement,
// ranges with '-'). Letters match without regard to case, folded as the code page upper-cases them.
class TMask {
public:
    // Fails with EMaskException when the mask is invalid.
    explicit TMask(std::string_view mask);
    ~TMask();
    TMask(TMask&&) noexcept;
    TMask& operator=(TMask&&) noexcept;

    bool Fits(std::string_view text) const;

    static constexpr int kMaxStars = 30;

private:
    enum class Kind { Literal, AnyChar, CharClass };
    struct Step {
        bool afterStar = false;
        Kind kind = Kind::Literal;
        unsigned char literal = 0; // 0 is the end of the text
        bool negated = false;
        std::unique_ptr<std::bitset<256>> set;
    };
    bool Accepts(const Step& step, std::string_view text, std::size_t pos) const;

    std::vector<Step> steps_;
};

// An invalid mask in one of the search's criteria: the mask error, and which criterion holds it.
class ECriterionMaskException : public EMaskException {
public:
    ECriterionMaskException(const EMaskException& e, int criterion) : EMaskException(e), criterion_(criterion) {}
    int Criterion() const { return criterion_; }

private:
    int criterion_;
};

} // namespace vg
