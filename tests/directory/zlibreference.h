#pragma once

#include "directory/errors.h"
#include "directory/stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <zlib.h>

namespace vg::test {

// A source that delivers its bytes and fails after `failAfter` of them, as a damaged medium would; it never
// fails when `failAfter` is past its bytes' end, and ends there instead.
class TFailingSource : public TStream {
public:
    explicit TFailingSource(std::string bytes, std::size_t failAfter = std::string::npos)
        : bytes_(std::move(bytes)), failAfter_(failAfter) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        if (pos_ >= failAfter_) throw Exception("source failed");
        // Fewer than asked only just before the end or the failure, as streams promise.
        const std::size_t n = std::min({count, bytes_.size() - pos_, failAfter_ - pos_});
        std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        return n;
    }
    std::int64_t Position() const override { return static_cast<std::int64_t>(pos_); }

private:
    std::string bytes_;
    std::size_t failAfter_;
    std::size_t pos_ = 0;
};

// What the inflating readers must agree with: zlib producing one byte at a time, so that every byte it hands
// out before it notices damage or runs out of input is counted, and nothing after.
struct TInflatedBytewise {
    std::string bytes;
    bool damaged = false;  // zlib noticed damage
    bool checksum = false; // the damage it noticed is a checksum that does not match every byte it produced
    bool ended = false;    // the stream ended whole
};
inline TInflatedBytewise InflateBytewise(std::string_view compressed) {
    TInflatedBytewise out;
    z_stream z{};
    inflateInit(&z);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = static_cast<uInt>(compressed.size());
    for (;;) {
        unsigned char byte;
        z.next_out = &byte;
        z.avail_out = 1;
        const int rc = inflate(&z, Z_NO_FLUSH);
        if (z.avail_out == 0) out.bytes.push_back(static_cast<char>(byte));
        if (rc == Z_STREAM_END) {
            out.ended = true;
            break;
        }
        if (rc == Z_BUF_ERROR) break;
        if (rc != Z_OK) {
            out.damaged = true;
            out.checksum = z.msg && std::string_view(z.msg) == "incorrect data check";
            break;
        }
    }
    inflateEnd(&z);
    return out;
}

} // namespace vg::test
