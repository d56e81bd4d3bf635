#pragma once

#include "directory/csv.h"

#include <string>

namespace vg {

// What to pack: the one way a publisher's CSV becomes a directory file, for the tool's pack and for the
// build's generator alike.
struct PackRequest {
    std::string csv;                          // a path, or "-" for standard input
    std::string output;                       // a path, or "-" for standard output
    CsvEncoding encoding = CsvEncoding::Utf8; // the text's, unless the file begins with a UTF-8 byte-order mark
};

// Reads the CSV (at most limits::kCsvBytes) piece by piece, checks and converts every row as it is read, packs the
// records and writes the directory file whole (through a temporary beside it; standard output as it comes). False with
// the reason in `error` (naming the file, and a bad row's line), and then nothing was written.
bool PackCsv(const PackRequest& request, std::string& error);

} // namespace vg
