#include "resources/builtin_directory.h"

extern "C" const char vg_builtin_directory_begin[];
extern "C" const char vg_builtin_directory_end[];

namespace vg {

std::string_view BuiltinDirectory() {
    return {vg_builtin_directory_begin,
            static_cast<std::size_t>(vg_builtin_directory_end - vg_builtin_directory_begin)};
}

} // namespace vg
