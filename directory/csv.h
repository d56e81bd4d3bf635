#pragma once

#include "utf8.h"
#include "writer.h"

#include <string>
#include <string_view>
#include <vector>

namespace vg {

// The directory as CSV: UTF-8, RFC 4180, header "phone,street,house,flat,user".
std::string DirectoryCsvHeader();
// One CSV line (with its CR LF) for five Windows-1251 fields.
std::string CsvLine(const DirectoryRecord& record);
// One Windows-1251 field as a CSV line holds it: UTF-8, quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view cp1251Text);

struct CsvParseResult {
    std::vector<DirectoryRecord> records;
    std::string error; // empty on success; otherwise names the line
};

// The longest field a directory takes, in Windows-1251 bytes: phone, street, house, flat, user. Far above
// the city's longest (6, 24, 3, 3, 37), they keep one absurd row from costing the window seconds per sort.
constexpr std::size_t kCsvFieldBytes[5] = {32, 128, 32, 32, 256};

// Parses a directory CSV. Rejects, with the line number: a missing header, a wrong field count, text that is
// not UTF-8 or that Windows-1251 cannot hold, a field with a line break or a zero byte, a field longer than
// its limit, a phone that is not bare digits, more records than limits::kRecords.
CsvParseResult ParseDirectoryCsv(std::string_view csv);

// Why the first bytes of a file cannot start a directory CSV (its header line), or the empty text; lets a
// reader give up on a file that is no CSV at all before reading the rest of it.
std::string CheckCsvStart(std::string_view start);

} // namespace vg
