#pragma once

#include "progress.h"
#include "strcontainer.h"

#include <string_view>

namespace vg {

// Fills the container from the compressed directory bytes (a zlib stream of the container's serialised
// form), inflating as it parses. Progress: (0, Count) first, then every Count div 100 records (every record
// for fewer than 100) and the last one. Failures are passed on; the records read until then stay. Data
// beyond the limits of limits.h fails with ELimitError as soon as the limit is passed.
void LoadDirectory(TStrContainer& container, std::string_view compressed, const ProgressCallback& progress = {});
// The same from a stream of compressed bytes (a file read piece by piece).
void LoadDirectory(TStrContainer& container, TStream& compressed, const ProgressCallback& progress = {});

} // namespace vg
