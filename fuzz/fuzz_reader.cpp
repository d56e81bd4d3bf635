// The directory reader on inflated bytes: any input gives records or a clear error, within the input's size.
#include "directory/errors.h"
#include "directory/strcontainer.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vg::TMemoryStream stream(std::string_view(reinterpret_cast<const char*>(data), size));
    vg::TStrContainer container(size > 0 ? data[0] % 3 : 0);
    try {
        container.LoadFromStream(&stream, [](std::int32_t pos, std::int32_t max) {
            if (pos < 0 || pos >= max) std::abort();
        });
    } catch (const vg::Exception&) {
    }
    // Every record read holds no more than the input did.
    std::size_t bytes = 0;
    for (int i = 0; i < container.Count(); ++i) {
        const vg::TString* r = container.GetItem(i);
        bytes += r->Key().size();
        for (int k = 0; k < r->Lines().Count(); ++k)
            bytes += r->Lines()[k].size();
    }
    if (bytes > size) std::abort();
    return 0;
}
