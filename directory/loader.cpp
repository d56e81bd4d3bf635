#include "loader.h"

#include "readahead.h"
#include "zstream.h"

namespace vg {

void LoadDirectory(TStrContainer& container, std::string_view compressed, const ProgressCallback& progress) {
    TMemoryStream source(compressed);
    TDecompressionStream inflated(source);
    // Inflating on a second core while this one builds the records.
    TReadAheadStream ahead(inflated);
    container.LoadFromStream(&ahead, progress);
}

} // namespace vg
