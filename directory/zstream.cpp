#include "zstream.h"

#include "errors.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace vg {

// Owns zlib's state: inflateEnd runs on every path out, the failing ones included.
struct TDecompressionStream::Inflater {
    z_stream z{};
    Inflater() {
        if (inflateInit(&z) != Z_OK) throw EZDecompressionError();
    }
    ~Inflater() { inflateEnd(&z); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
};

TDecompressionStream::TDecompressionStream(TStream& source)
    : source_(source), z_(std::make_unique<Inflater>()), input_(kChunk) {}

TDecompressionStream::~TDecompressionStream() = default;

void TDecompressionStream::Fill(std::size_t want) {
    if (aheadPos_ > 0) {
        ahead_.erase(ahead_.begin(), ahead_.begin() + static_cast<std::ptrdiff_t>(aheadPos_));
        aheadPos_ = 0;
    }
    while (ahead_.size() < want && !ended_ && !failure_) {
        z_stream& z = z_->z;
        if (z.avail_in == 0) {
            std::size_t got = 0;
            try {
                got = source_.Read(input_.data(), input_.size());
            } catch (...) {
                failure_ = std::current_exception();
                break;
            }
            if (got == 0) {
                // The compressed input ran out before zlib saw the end of its stream.
                ended_ = true;
                break;
            }
            z.next_in = input_.data();
            z.avail_in = static_cast<uInt>(got);
        }
        std::size_t old = ahead_.size();
        std::size_t room = std::max<std::size_t>(want - old, kChunk);
        ahead_.resize(old + room);
        z.next_out = ahead_.data() + old;
        z.avail_out = static_cast<uInt>(room);
        int rc = inflate(&z, Z_NO_FLUSH);
        ahead_.resize(old + room - z.avail_out);
        if (rc == Z_STREAM_END) {
            ended_ = complete_ = true;
        } else if (rc == Z_DATA_ERROR && z.msg && std::strcmp(z.msg, "incorrect data check") == 0) {
            // Every byte was inflated, and they are not the bytes that were compressed.
            failure_ = std::make_exception_ptr(EChecksumError());
        } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
            // What zlib inflated before it noticed the damage is delivered first.
            failure_ = std::make_exception_ptr(EZDecompressionError());
        }
    }
}

void TDecompressionStream::Fail() const {
    std::rethrow_exception(failure_);
}

std::size_t TDecompressionStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        if (aheadPos_ == ahead_.size()) {
            ahead_.clear();
            aheadPos_ = 0;
            if (!ended_ && !failure_) Fill(std::min(count - done, kChunk));
            if (ahead_.empty()) {
                // Bytes already delivered stay delivered; the failure comes with the next Read.
                if (failure_ && done == 0) Fail();
                break;
            }
        }
        std::size_t n = std::min(count - done, ahead_.size() - aheadPos_);
        std::memcpy(out + done, ahead_.data() + aheadPos_, n);
        aheadPos_ += n;
        done += n;
    }
    position_ += static_cast<std::int64_t>(done);
    return done;
}

bool TDecompressionStream::HasAtLeast(std::size_t count) {
    if (ahead_.size() - aheadPos_ < count) Fill(count);
    if (ahead_.size() - aheadPos_ >= count) return true;
    if (failure_) Fail();
    return false;
}

void ReadToTheEnd(TStream& inflated, const TDecompressionStream& zlib) {
    char sink[16384];
    while (inflated.Read(sink, sizeof sink) > 0) {
    }
    if (!zlib.Complete())
        throw EReadError("The directory data ends early: the compressed stream is cut short before its checksum");
}

} // namespace vg
