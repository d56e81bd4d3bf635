#pragma once

#include "directory/strcontainer.h"

#include <string>

namespace vg {

// The first `rows` records of the container, in its order (the list's sorting), as the CSV a Russian-locale
// spreadsheet opens into columns: UTF-8 with a byte-order mark, ';' between fields, the directory CSV's header
// and fields, which the tool's pack reads back.
std::string ListCsv(const TStrContainer& container, int rows);

} // namespace vg
