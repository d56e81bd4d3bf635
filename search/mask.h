#pragma once

#include "directory/errors.h"

#include <bitset>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vg {

// An invalid mask: "'%s' is an invalid mask at (%d)", with the whole mask and the 1-based position at which
// parsing stopped.
class EMaskException : public Exception {
public:
    EMaskException(std::string mask, int position);
    const std::string& Mask() const { return mask_; }
    int Position() const { return position_; }

private:
    std::string mask_;
    int position_;
};

// A wildcard mask: '*' any run, '?' any one character, '[...]' a character set ('[!...]' its complement,
// ranges with '-'). Latin a-z match without regard to case; every other byte must match exactly.
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

// Parses the mask and tests one text against it.
bool MaskFits(std::string_view text, std::string_view mask);

} // namespace vg
