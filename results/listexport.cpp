#include "listexport.h"

#include "directory/csv.h"
#include "directory/writer.h"

#include <algorithm>

namespace vg {

std::string ListCsv(const TStrContainer& container, int rows) {
    constexpr CsvDialect kDialect{';', CsvEncoding::Utf8};
    std::string csv = "\xEF\xBB\xBF" + DirectoryCsvHeader(kDialect);
    const int count = std::min(rows, container.Count());
    for (int i = 0; i < count; ++i)
        csv += CsvLine(ToRecord(*container.GetItem(i)), kDialect);
    return csv;
}

} // namespace vg
