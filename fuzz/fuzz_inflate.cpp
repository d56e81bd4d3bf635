// The inflating reader over a compressed text that is damaged, cut short or read from a source that gives out,
// read in random pieces: it delivers exactly what zlib, producing one byte at a time, produces before the
// damage, and only then the failure, every time it is asked for more.
#include "directory/errors.h"
#include "directory/zstream.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <zlib.h>

namespace {

// Delivers `bytes`, then fails (or ends, when `fails` is false).
class TFailingSource : public vg::TStream {
public:
    TFailingSource(std::string_view bytes, bool fails) : bytes_(bytes), fails_(fails) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        if (pos_ == bytes_.size()) {
            if (fails_) throw vg::Exception("source failed");
            return 0;
        }
        // Fewer than asked only just before the end or the failure, as streams promise.
        const std::size_t n = std::min(count, bytes_.size() - pos_);
        std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    std::int64_t Position() const override { return static_cast<std::int64_t>(pos_); }

private:
    std::string_view bytes_;
    bool fails_;
    std::size_t pos_ = 0;
};

// What zlib hands out before it needs more input than there is or meets damage, one byte at a time.
std::string Unbuffered(std::string_view compressed, bool& damaged, bool& ended) {
    z_stream z{};
    inflateInit(&z);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = static_cast<uInt>(compressed.size());
    std::string out;
    damaged = false;
    ended = false;
    for (;;) {
        unsigned char byte;
        z.next_out = &byte;
        z.avail_out = 1;
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (z.avail_out == 0) out.push_back(static_cast<char>(byte));
        if (rc == Z_STREAM_END) {
            ended = true;
            break;
        }
        if (rc == Z_BUF_ERROR) break;
        if (rc != Z_OK) {
            damaged = true;
            break;
        }
    }
    inflateEnd(&z);
    return out;
}

} // namespace

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

    bool damaged = false, ended = false;
    const std::string want = Unbuffered(held, damaged, ended);
    // A complete text is never read past its end, so a source failing after it is never noticed.
    const bool failure = damaged || (fails && !ended);

    TFailingSource source(held, fails);
    vg::TDecompressionStream z(source);
    std::string got;
    bool failed = false;
    std::string buffer(piece, '\0');
    try {
        for (;;) {
            const std::size_t n = z.Read(buffer.data(), piece);
            got.append(buffer, 0, n);
            if (z.Position() != static_cast<std::int64_t>(got.size())) std::abort();
            if (n == 0) break;
        }
    } catch (const vg::Exception&) {
        failed = true;
    }
    if (got != want) std::abort();
    if (failed != failure) std::abort();
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
