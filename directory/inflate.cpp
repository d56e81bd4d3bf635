#include "inflate.h"

#include <algorithm>
#include <cstring>
#include <isa-l/igzip_lib.h>
#include <limits>
#include <memory>

namespace vg {
namespace {

// The zlib header (RFC 1950) that zlib and ISA-L read alike: deflate with the full 32 KiB window, no preset
// dictionary, a sound check value. A smaller declared window makes zlib refuse distances that ISA-L takes.
bool PlainZlibHeader(std::string_view compressed) {
    if (compressed.size() < 2) return false;
    const auto cmf = static_cast<unsigned char>(compressed[0]);
    const auto flg = static_cast<unsigned char>(compressed[1]);
    return cmf == 0x78 && (flg & 0x20) == 0 && ((cmf << 8) | flg) % 31 == 0;
}

} // namespace

void TInflated::Grow(std::size_t room, std::size_t keep) {
    TBigMemory bigger = AllocateBig(room);
    if (keep > 0) std::memcpy(bigger.get(), bytes_.get(), keep);
    bytes_ = std::move(bigger);
    room_ = room;
}

bool InflateWhole(std::string_view compressed, std::int64_t limit, TInflated& out) {
    constexpr std::uint32_t kMaxIn = std::numeric_limits<std::uint32_t>::max();
    if (!PlainZlibHeader(compressed) || compressed.size() > kMaxIn || limit < 0) return false;
    const auto most = static_cast<std::size_t>(std::min<std::int64_t>(limit, kMaxIn - 1));
    auto state = std::make_unique<inflate_state>();
    isal_inflate_init(state.get());
    state->crc_flag = ISAL_ZLIB;
    state->next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(compressed.data()));
    state->avail_in = static_cast<std::uint32_t>(compressed.size());
    // A directory inflates to about five times its size; the room grows by half when that is not enough.
    out.size_ = 0;
    out.Grow(std::min(most + 1, std::max<std::size_t>(compressed.size() * 6, 4096)), 0);
    std::size_t produced = 0;
    for (;;) {
        state->next_out = out.bytes_.get() + produced;
        state->avail_out = static_cast<std::uint32_t>(out.room_ - produced);
        const int rc = isal_inflate(state.get());
        produced = out.room_ - state->avail_out;
        if (rc != ISAL_DECOMP_OK) return false;
        if (state->block_state == ISAL_BLOCK_FINISH) break;
        if (produced > most) return false;      // past the limit: the reader says where
        if (state->avail_out > 0) return false; // the input ended before the stream did
        out.Grow(std::min(most + 1, out.room_ + out.room_ / 2 + 1), produced);
    }
    if (produced > most) return false;
    out.size_ = produced;
    return true;
}

} // namespace vg
