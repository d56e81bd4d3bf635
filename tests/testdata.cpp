#include "testdata.h"

#include "directory/cp1251.h"
#include "directory/loader.h"
#include "resources/builtin_directory.h"

#include <stdexcept>

namespace vg::test {

std::string W(const std::string& utf8) {
    std::string out;
    if (!cp1251::FromUtf8(utf8, out)) throw std::invalid_argument("not Windows-1251: " + utf8);
    return out;
}

void Fill(TStrContainer& container, const std::vector<DirectoryRecord>& records) {
    container.Clear();
    for (const auto& r : records) {
        auto rec = std::make_unique<TString>(r.phone);
        rec->SetLines({r.street, r.house, r.flat, r.user});
        container.Append(std::move(rec));
    }
}

std::string Compressed(const std::vector<DirectoryRecord>& records) {
    return CompressDirectory(SerializeDirectory(records));
}

std::string Int32(std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    std::string out;
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    return out;
}

const TStrContainer& BuiltinContainer() {
    static TStrContainer container;
    static const bool loaded = (LoadDirectory(container, BuiltinDirectory()), true);
    (void)loaded;
    return container;
}

std::vector<DirectoryRecord> BuiltinRecords(int step, int count) {
    std::vector<DirectoryRecord> records;
    for (int i = 0; i < count; ++i)
        records.push_back(ToRecord(*BuiltinContainer().GetItem(i * step)));
    return records;
}

} // namespace vg::test
