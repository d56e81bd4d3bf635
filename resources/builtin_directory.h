#pragma once

#include <string_view>

namespace vg {

// The compressed directory linked into the program.
std::string_view BuiltinDirectory();

} // namespace vg
