#pragma once

#include "directory/csv.h"
#include "directory/strcontainer.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vg {

enum class RecordFormat { Csv, Tsv, Json };

// How a command that lists records prints them. Every such command takes the same options (--format, --count,
// --limit, --columns) into one of these and prints through WriteRecords.
struct RecordOutput {
    RecordFormat format = RecordFormat::Csv;
    bool countOnly = false;                     // the number of records alone, on a line
    std::int64_t limit = -1;                    // at most this many records; -1 for all of them
    std::vector<int> columns = {0, 1, 2, 3, 4}; // the fields printed, by index (phone 0 ... user 4), in order
    CsvDialect csv;                             // the CSV's separator and encoding
};

// Reads a --format value; false for a format there is none of.
bool ParseRecordFormat(std::string_view word, RecordFormat& format);
// Reads a --columns list ("user,phone"); the empty text, or why the list is refused.
std::string ParseColumnList(std::string_view list, std::vector<int>& columns);

// Writes the records (or, with countOnly, their number, which --limit does not change) in pieces to `put`.
// CSV is in the chosen dialect (UTF-8 and ',' by default) with CR LF line ends, quoted as RFC 4180 says; TSV has LF
// line ends, a tab, line break or backslash in a field written as \t, \n, \r or \\; JSON is an array of objects, one a
// line.
void WriteRecords(const TStrContainer& records, const RecordOutput& how,
                  const std::function<void(std::string_view)>& put);

} // namespace vg
