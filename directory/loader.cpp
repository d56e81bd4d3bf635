#include "loader.h"

#include "limits.h"
#include "readahead.h"
#include "zstream.h"

namespace vg {

void LoadDirectory(TStrContainer& container, std::string_view compressed, const ProgressCallback& progress) {
    TMemoryStream source(compressed);
    LoadDirectory(container, source, progress);
}

void LoadDirectory(TStrContainer& container, TStream& compressed, const ProgressCallback& progress) {
    TDecompressionStream inflated(compressed);
    TLimitedStream bounded(inflated, limits::kInflatedBytes, "The inflated directory");
    // Inflating on a second core while this one builds the records.
    TReadAheadStream ahead(bounded);
    container.LoadFromStream(&ahead, progress);
}

} // namespace vg
