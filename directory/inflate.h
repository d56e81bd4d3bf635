#pragma once

#include "bigmemory.h"

#include <cstdint>
#include <string_view>

namespace vg {

// Inflates a whole zlib stream held in memory in one pass, about three times as fast as the streaming reader.
// It takes only what that reader takes whole: a stream with the standard 32 KiB window and no preset
// dictionary that ends, checksum verified, within `limit` inflated bytes (what follows its end is ignored, as
// the reader ignores it). For anything else it returns false, `out` unspecified, and the caller reads the
// stream with TDecompressionStream, which keeps what comes before damage and fails where zlib fails.
class TInflated;
bool InflateWhole(std::string_view compressed, std::int64_t limit, TInflated& out);

// The bytes of a whole inflated stream. Its room is not cleared before use: a directory is megabytes, and
// clearing them would cost as much as inflating them.
class TInflated {
public:
    std::string_view View() const { return {reinterpret_cast<const char*>(bytes_.get()), size_}; }

private:
    friend bool InflateWhole(std::string_view, std::int64_t, TInflated&);
    // Keeps the first `keep` bytes in a room of `room` bytes.
    void Grow(std::size_t room, std::size_t keep);

    TBigMemory bytes_;
    std::size_t room_ = 0;
    std::size_t size_ = 0;
};

} // namespace vg
