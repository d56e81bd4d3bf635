// The inflating reader over a compressed text that is damaged, cut short or read from a source that gives out,
// read in random pieces: it delivers exactly what zlib, producing one byte at a time, produces before the
// damage, and only then the failure (a checksum failure as such), every time it is asked for more.
#include "directory/errors.h"
#include "directory/zlibreference.h"
#include "directory/zstream.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <zlib.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) return 0;
    const std::size_t piece = 1 + data[0] % 200;      // the reader's pieces
    const bool fails = data[1] & 1;                   // the source fails where it is cut
    const bool flip = data[1] & 2;                    // one byte of the compressed text damaged
    const std::size_t cutAt = data[2] | data[3] << 8; // compressed bytes the source holds (from the end)
    const std::size_t flipAt = data[4] | data[5] << 8;
    std::string_view plain(reinterpret_cast<const char*>(data) + 6, size - 6);
    uLongf packedSize = compressBound(static_cast<uLong>(plain.size()));
    std::string packed(packedSize, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(plain.data()),
              static_cast<uLong>(plain.size()), 6);
    packed.resize(packedSize);
    if (flip) packed[flipAt % packed.size()] = static_cast<char>(packed[flipAt % packed.size()] ^ 0x5A);
    const std::size_t kept = packed.size() - std::min(cutAt % 512, packed.size());
    std::string_view held(packed.data(), kept);

    const vg::test::TInflatedBytewise reference = vg::test::InflateBytewise(held);
    const std::string& want = reference.bytes;
    // A complete text is never read past its end, so a source failing after it is never noticed.
    const bool failure = reference.damaged || (fails && !reference.ended);

    vg::test::TFailingSource source(std::string(held), fails ? held.size() : std::string::npos);
    vg::TDecompressionStream z(source);
    std::string got;
    bool failed = false, checksum = false;
    std::string buffer(piece, '\0');
    try {
        for (;;) {
            const std::size_t n = z.Read(buffer.data(), piece);
            got.append(buffer, 0, n);
            if (z.Position() != static_cast<std::int64_t>(got.size())) std::abort();
            if (n == 0) break;
        }
    } catch (const vg::EChecksumError&) {
        failed = checksum = true;
    } catch (const vg::Exception&) {
        failed = true;
    }
    if (got != want) std::abort();
    if (failed != failure) std::abort();
    // A checksum failure is told apart from other damage, and an end that is the stream's from a cut.
    if (checksum != reference.checksum || z.Complete() != reference.ended) std::abort();
    if (failed) {
        // Asked again, it fails again; asked whether a byte remains, it fails too.
        try {
            (void)z.Read(buffer.data(), 1);
            std::abort();
        } catch (const vg::Exception&) {
        }
        try {
            (void)z.HasAtLeast(1);
            std::abort();
        } catch (const vg::Exception&) {
        }
    }
    return 0;
}
