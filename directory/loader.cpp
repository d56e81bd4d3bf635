#include "loader.h"

#include "zstream.h"

namespace vg {

void LoadDirectory(TStrContainer& container, std::string_view compressed, const ProgressCallback& progress) {
    TMemoryStream source(compressed);
    TDecompressionStream inflated(source);
    container.LoadFromStream(&inflated, progress);
}

} // namespace vg
