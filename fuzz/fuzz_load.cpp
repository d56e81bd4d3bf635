// The whole load from compressed bytes: inflate and read. The load from memory, which inflates a sound stream
// whole, ends exactly as the streaming load of the same bytes: the same records, progress reports and failure.
// The input is taken as it is, or as an inflated directory that is compressed here and then cut short or
// damaged at one byte, so that sound streams with every kind of record structure come through too.
#include "directory/errors.h"
#include "directory/loader.h"
#include "directory/stream.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

struct Outcome {
    std::vector<std::string> records;
    std::vector<std::pair<int, int>> reports;
    std::string failure;
    bool operator==(const Outcome&) const = default;
};

template <typename Source> Outcome Load(Source&& source) {
    Outcome o;
    vg::TStrContainer c;
    try {
        vg::LoadDirectory(c, source, [&o](std::int32_t p, std::int32_t m) { o.reports.emplace_back(p, m); });
    } catch (const std::exception& e) {
        o.failure = e.what();
    }
    for (int i = 0; i < c.Count(); ++i) {
        std::string record(c.GetKey(i));
        const vg::TLineList lines = c.GetItem(i)->Lines();
        for (int k = 0; k < lines.Count(); ++k)
            record.append("|").append(lines.Get(k));
        o.records.push_back(record + '#' + std::to_string(c.GetItem(i)->Tag));
    }
    return o;
}

std::string Compressed(const std::uint8_t* data, std::size_t size) {
    uLongf room = compressBound(static_cast<uLong>(size));
    std::string out(room, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &room, data, static_cast<uLong>(size), 9) != Z_OK) std::abort();
    out.resize(room);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 16) return 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size >= 3 && data[0] == 'Z') {
        // 'Z', how to spoil it, where: the rest is the inflated directory.
        const unsigned how = data[1] % 3;
        bytes = Compressed(data + 3, size - 3);
        const std::size_t at = data[2] * bytes.size() / 256;
        if (how == 1) bytes.resize(at);
        if (how == 2) bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
    }
    vg::TMemoryStream stream(bytes);
    if (!(Load(std::string_view(bytes)) == Load(stream))) std::abort();
    return 0;
}
