#include "mask.h"

#include "directory/cp1251.h"

namespace vg {
namespace {

unsigned char Fold(unsigned char c) {
    return cp1251::Upper(c);
}

} // namespace

EMaskException::EMaskException(std::string mask, int position, MaskError reason)
    : Exception("'" + mask + "' is an invalid mask at (" + std::to_string(position) + ")"), mask_(std::move(mask)),
      position_(position), reason_(reason) {}

TMask::~TMask() = default;
TMask::TMask(TMask&&) noexcept = default;
TMask& TMask::operator=(TMask&&) noexcept = default;

TMask::TMask(std::string_view mask) {
    const std::string text(mask);
    auto invalid = [&](std::size_t index, MaskError reason) {
        throw EMaskException(text, static_cast<int>(index) + 1, reason);
    };
    bool pending = false;
    std::size_t star = 0; // the first '*' of the pending run
    int stars = 0;
    auto emit = [&](Step step) {
        if (pending) {
            if (stars == kMaxStars) invalid(star, MaskError::TooManyStars);
            ++stars;
        }
        step.afterStar = pending;
        pending = false;
        steps_.push_back(std::move(step));
    };

    std::size_t i = 0;
    while (i < mask.size()) {
        auto c = static_cast<unsigned char>(mask[i]);
        if (c == '*') {
            if (!pending) star = i;
            pending = true;
        } else if (c == '?') {
            if (!pending) {
                Step step;
                step.kind = Kind::AnyChar;
                emit(std::move(step));
            }
        } else if (c == '[') {
            Step step;
            step.kind = Kind::CharClass;
            step.set = std::make_unique<std::bitset<256>>();
            ++i;
            if (i < mask.size() && mask[i] == '!') {
                step.negated = true;
                ++i;
            }
            // A character followed by '-' starts a range and joins the set only through that range.
            bool haveMember = false;
            unsigned char last = 0;
            std::size_t lastAt = 0;
            std::size_t backward = std::string_view::npos; // the first range that runs backwards
            while (i < mask.size() && mask[i] != ']') {
                auto m = static_cast<unsigned char>(mask[i]);
                if (m == '-') {
                    if (!haveMember) invalid(i, MaskError::RangeWithoutStart);
                    if (i + 1 >= mask.size()) invalid(mask.size(), MaskError::UnclosedSet);
                    unsigned char end = Fold(static_cast<unsigned char>(mask[i + 1]));
                    if (end < last && backward == std::string_view::npos) backward = lastAt;
                    // Texts are folded before the set is asked, so a small letter joins as its capital.
                    for (int code = last; code <= end; ++code)
                        step.set->set(Fold(static_cast<unsigned char>(code)));
                    i += 2;
                } else {
                    last = Fold(m);
                    lastAt = i;
                    haveMember = true;
                    if (i + 1 >= mask.size() || mask[i + 1] != '-') step.set->set(last);
                    ++i;
                }
            }
            if (i >= mask.size()) invalid(mask.size(), MaskError::UnclosedSet);
            if (step.set->none()) {
                if (backward != std::string_view::npos) invalid(backward, MaskError::BackwardRange);
                invalid(i, MaskError::EmptySet);
            }
            emit(std::move(step));
        } else {
            Step step;
            step.literal = Fold(c);
            emit(std::move(step));
        }
        ++i;
    }
    emit(Step{});
}

bool TMask::Accepts(const Step& step, std::string_view text, std::size_t pos) const {
    bool atEnd = pos >= text.size();
    switch (step.kind) {
    case Kind::Literal:
        if (step.literal == 0) return atEnd;
        return !atEnd && Fold(static_cast<unsigned char>(text[pos])) == step.literal;
    case Kind::AnyChar:
        return !atEnd;
    case Kind::CharClass:
        return !atEnd && step.set->test(Fold(static_cast<unsigned char>(text[pos]))) != step.negated;
    }
    return false;
}

bool TMask::Fits(std::string_view text) const {
    struct Pair {
        std::size_t pos, step;
    };
    Pair stack[kMaxStars + 1];
    int depth = 0;
    std::size_t pos = 0;
    std::size_t first = 0;
    while (true) {
        bool fits = true;
        for (std::size_t s = first; s < steps_.size(); ++s) {
            const Step& step = steps_[s];
            if (step.afterStar) {
                while (pos < text.size() && !Accepts(step, text, pos))
                    ++pos;
                if (pos < text.size()) stack[depth++] = {pos + 1, s};
            }
            if (!Accepts(step, text, pos)) {
                fits = false;
                break;
            }
            ++pos;
        }
        if (fits) return true;
        if (depth == 0) return false;
        // Every step matches exactly one character, so only the latest star is worth moving: if no later
        // start of its tail fits, no other place for an earlier star can make it fit. Dropping the older
        // pairs gives the same answers as trying them, without the exponential cost.
        pos = stack[depth - 1].pos;
        first = stack[depth - 1].step;
        depth = 0;
    }
}

} // namespace vg
