#pragma once

#include "writer.h"

#include <string>
#include <string_view>
#include <vector>

namespace vg {

// The directory as CSV: UTF-8, RFC 4180, header "phone,street,house,flat,user".
std::string DirectoryCsvHeader();
// One CSV line (with its CR LF) for five Windows-1251 fields.
std::string CsvLine(const DirectoryRecord& record);

struct CsvParseResult {
    std::vector<DirectoryRecord> records;
    std::string error; // empty on success; otherwise names the line
};

// Parses a directory CSV. Rejects, with the line number: a missing header, a wrong field count, text that
// Windows-1251 cannot hold, a field with a line break or a zero byte, a phone that is not bare digits.
CsvParseResult ParseDirectoryCsv(std::string_view csv);

} // namespace vg
