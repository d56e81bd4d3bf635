#pragma once

#include "directory/strcontainer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vg {

// The figures by which a publisher checks a directory.
struct DirectoryStats {
    std::int64_t records = 0, headerValue = 0, indexSections = 0;
    std::int64_t emptyKeys = 0, fiveDigitKeys = 0, sixDigitKeys = 0, otherKeys = 0, repeatedNumbers = 0;
    std::int64_t emptyStreets = 0, emptyHouses = 0, emptyFlats = 0, noStreet = 0;
    std::int64_t shortestText = 0, longestText = 0;
    std::int64_t longestStreet = 0, longestHouse = 0, longestFlat = 0, longestUser = 0;
    std::int64_t compressedBytes = 0, inflatedBytes = 0;
    std::int64_t nonZeroTags = 0, recordsWithoutFourLines = 0;

    // "name: value" lines.
    std::string Format() const;
};

// Loads the compressed directory and measures it. Failures (damaged data, a limit passed) are passed on.
DirectoryStats MeasureDirectory(std::string_view compressed);
// The same, reading the compressed bytes from a stream to its end.
DirectoryStats MeasureDirectory(TStream& compressed);

} // namespace vg
