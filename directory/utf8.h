#pragma once

#include <cstddef>
#include <string_view>

namespace vg {

// The one UTF-8 decoder. Reads the character that starts at text[at] into `cp` and moves `at` past it; false,
// with both left alone, when no well-formed character starts there: a stray continuation byte, a cut or
// overlong sequence, a surrogate, or a value above U+10FFFF.
bool NextUtf8(std::string_view text, std::size_t& at, char32_t& cp);

// Well-formed UTF-8 from end to end.
bool IsUtf8(std::string_view text);

} // namespace vg
