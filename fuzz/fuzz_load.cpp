// The whole load from compressed bytes: inflate and read. The load from memory, which inflates a sound stream
// whole, ends exactly as the streaming load of the same bytes: the same records, progress reports and failure.
// The input is taken as it is, or as an inflated directory that is compressed here and then cut short or
// damaged at one byte, so that sound streams with every kind of record structure come through too: a cut one
// never loads, and a damaged one loads only with the records of the sound one.
#include "directory/errors.h"
#include "directory/loadoutcome.h"
#include "directory/stream.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

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
    unsigned how = 0;
    std::string sound;
    if (size >= 3 && data[0] == 'Z') {
        // 'Z', how to spoil it, where: the rest is the inflated directory.
        how = data[1] % 3;
        bytes = sound = Compressed(data + 3, size - 3);
        const std::size_t at = data[2] * bytes.size() / 256;
        if (how == 1) bytes.resize(at);
        if (how == 2) bytes[at] = static_cast<char>(bytes[at] ^ 0x10);
    }
    vg::TMemoryStream stream(bytes);
    const vg::test::LoadOutcome loaded = vg::test::LoadAndSee(std::string_view(bytes));
    if (!(loaded == vg::test::LoadAndSee(stream))) std::abort();
    // A stream cut short is never accepted, and a damaged one only with the records it was packed from.
    if (how == 1 && loaded.failure.empty()) std::abort();
    if (how == 2 && loaded.failure.empty() && loaded.records != vg::test::LoadAndSee(std::string_view(sound)).records)
        std::abort();
    return 0;
}
