// The read-ahead over a source that gives out after some bytes, with random chunk sizes, queue depths and
// read sizes: every byte the source delivered arrives, in order, and only then its failure, every time.
#include "directory/errors.h"
#include "directory/readahead.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Delivers `bytes` in pieces of at most `piece`, then fails (or ends, when `fails` is false).
class TFailingSource : public vg::TStream {
public:
    TFailingSource(std::string_view bytes, std::size_t piece, bool fails)
        : bytes_(bytes), piece_(piece), fails_(fails) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        if (pos_ == bytes_.size()) {
            if (fails_) throw vg::Exception("source failed");
            return 0;
        }
        // Short reads only just before the end or the failure, as streams promise.
        const std::size_t n = std::min(count, bytes_.size() - pos_);
        const std::size_t give = n < count ? n : std::min(n, std::max<std::size_t>(piece_, count));
        std::memcpy(buffer, bytes_.data() + pos_, give);
        pos_ += give;
        return give;
    }
    std::int64_t Position() const override { return static_cast<std::int64_t>(pos_); }

private:
    std::string_view bytes_;
    std::size_t piece_;
    bool fails_;
    std::size_t pos_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    const std::size_t chunk = 1 + data[0] % 64;
    const std::size_t depth = 1 + data[1] % 4;
    const bool fails = data[2] & 1;
    const std::size_t piece = 1 + data[3] % 32;
    // The rest: half of it is the source's bytes, the other half drives the reader.
    std::string_view rest(reinterpret_cast<const char*>(data) + 4, size - 4);
    std::string_view bytes = rest.substr(0, rest.size() / 2);
    std::string_view moves = rest.substr(rest.size() / 2);

    TFailingSource source(bytes, piece, fails);
    vg::TReadAheadStream ahead(source, chunk, depth);
    std::string got;
    std::size_t m = 0;
    bool failed = false;
    char buffer[256];
    for (int round = 0; round < 100000 && !failed; ++round) {
        const unsigned char move = m < moves.size() ? static_cast<unsigned char>(moves[m++]) : 0x7F;
        const std::size_t count = 1 + (move & 0x7F) % sizeof buffer;
        try {
            if (move & 0x80) {
                try {
                    // A yes means the bytes are there; a no may also come from a full queue.
                    if (ahead.HasAtLeast(count) && got.size() + count > bytes.size()) std::abort();
                } catch (const vg::Exception&) {
                    // Asked beyond the last good byte of a failing source: the failure is the answer, and
                    // the bytes before it can still be read.
                    if (!fails || got.size() + count <= bytes.size()) std::abort();
                }
                continue;
            }
            const std::size_t n = ahead.Read(buffer, count);
            got.append(buffer, n);
            if (ahead.Position() != static_cast<std::int64_t>(got.size())) std::abort();
            if (n == 0) break;
            if (n < count && got.size() != bytes.size()) std::abort(); // short only at the end
        } catch (const vg::Exception&) {
            failed = true;
        }
    }
    // Every byte, in order; the failure only after the last of them, and then again on the next read.
    if (got != bytes.substr(0, got.size())) std::abort();
    if (failed) {
        if (!fails || got.size() != bytes.size()) std::abort();
        try {
            (void)ahead.Read(buffer, 1);
            std::abort();
        } catch (const vg::Exception&) {
        }
    } else if (got.size() == bytes.size() && fails) {
        // The reader stopped exactly at the end without asking further: the next read fails.
        try {
            (void)ahead.Read(buffer, 1);
            std::abort();
        } catch (const vg::Exception&) {
        }
    }
    return 0;
}
