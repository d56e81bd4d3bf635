// pack on arbitrary CSV: rejected with a line number, or packed into a directory that loads back the same.
#include "directory/csv.h"
#include "directory/loader.h"
#include "directory/writer.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto parsed = vg::ParseDirectoryCsv(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!parsed.error.empty()) {
        if (parsed.error.rfind("line ", 0) != 0 || !parsed.records.empty()) std::abort();
        return 0;
    }
    std::vector<vg::DirectoryRecord> records = parsed.records;
    vg::SortByKey(records);
    vg::TStrContainer container;
    vg::LoadDirectory(container, vg::PackDirectory(parsed.records));
    if (container.Count() != static_cast<int>(records.size())) std::abort();
    for (int i = 0; i < container.Count(); ++i) {
        const vg::TString* r = container.GetItem(i);
        const vg::DirectoryRecord& want = records[static_cast<std::size_t>(i)];
        if (r->Key() != want.phone || r->Lines().Count() != 4 || r->Lines()[0] != want.street ||
            r->Lines()[1] != want.house || r->Lines()[2] != want.flat || r->Lines()[3] != want.user)
            std::abort();
    }
    return 0;
}
