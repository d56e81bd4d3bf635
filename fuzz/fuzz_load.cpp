// The whole load from compressed bytes: inflate and read.
#include "directory/errors.h"
#include "directory/loader.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vg::TStrContainer container;
    try {
        vg::LoadDirectory(container, std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const vg::Exception&) {
    }
    return 0;
}
