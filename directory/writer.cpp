#include "writer.h"

#include "errors.h"
#include "strcontainer.h"

#include <algorithm>
#include <zlib.h>

namespace vg {
namespace {

void PutInt32(std::string& out, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int k = 0; k < 4; ++k)
        out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}

} // namespace

DirectoryRecord ToRecord(const TString& record) {
    const TLineList lines = record.Lines();
    return {std::string(record.Key()), std::string(lines.Get(0)), std::string(lines.Get(1)), std::string(lines.Get(2)),
            std::string(lines.Get(3))};
}

std::string SerializeDirectory(const std::vector<DirectoryRecord>& records) {
    std::string out;
    PutInt32(out, static_cast<std::int32_t>(records.size()));
    PutInt32(out, 0);
    for (const auto& r : records) {
        std::string text = r.street + "\r\n" + r.house + "\r\n" + r.flat + "\r\n" + r.user + "\r\n";
        PutInt32(out, static_cast<std::int32_t>(r.phone.size()));
        PutInt32(out, static_cast<std::int32_t>(text.size()));
        PutInt32(out, 0);
        out += r.phone;
        out += text;
    }
    PutInt32(out, 0);
    return out;
}

std::string CompressDirectory(std::string_view inflated) {
    uLongf size = compressBound(static_cast<uLong>(inflated.size()));
    std::string out(size, '\0');
    int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(inflated.data()),
                       static_cast<uLong>(inflated.size()), Z_BEST_COMPRESSION);
    if (rc != Z_OK) throw Exception("zlib could not compress the directory");
    out.resize(size);
    out.append(2, '\0');
    return out;
}

void SortByKey(std::vector<DirectoryRecord>& records) {
    std::stable_sort(records.begin(), records.end(), [](const DirectoryRecord& a, const DirectoryRecord& b) {
        return std::lexicographical_compare(
            a.phone.begin(), a.phone.end(), b.phone.begin(), b.phone.end(),
            [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
    });
}

} // namespace vg

namespace vg {
std::string PackDirectory(std::vector<DirectoryRecord> records) {
    SortByKey(records);
    return CompressDirectory(SerializeDirectory(records));
}
} // namespace vg
