#include "stream.h"

#include "errors.h"

#include <algorithm>
#include <cstring>

namespace vg {

std::int64_t TStream::Size() const {
    throw EStreamError();
}

bool TStream::HasAtLeast(std::size_t count) {
    return Size() - Position() >= static_cast<std::int64_t>(count);
}

void TStream::ReadBuffer(void* buffer, std::size_t count, const char* what) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t got = 0;
    // A short read may come just before a failure: the next Read raises it.
    while (got < count) {
        std::size_t n = Read(out + got, count - got);
        if (n == 0) break;
        got += n;
    }
    if (got != count)
        throw EReadError("The directory data ends early: " + std::string(what) + " is cut short at byte " +
                         std::to_string(Position()));
}

std::int32_t TStream::ReadInt32(const char* what) {
    unsigned char b[4];
    ReadBuffer(b, 4, what);
    std::uint32_t v = b[0] | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24);
    return static_cast<std::int32_t>(v);
}

std::string TStream::ReadString(std::size_t count, const char* what) {
    constexpr std::size_t kPiece = 64 * 1024;
    std::string out;
    out.resize(std::min(count, kPiece));
    std::size_t done = 0;
    while (done < count) {
        std::size_t piece = std::min(count - done, kPiece);
        if (out.size() < done + piece) out.resize(done + piece);
        ReadBuffer(out.data() + done, piece, what);
        done += piece;
    }
    return out;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    std::size_t n = std::min(count, bytes_.size() - pos_);
    if (n > 0) std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
}

} // namespace vg
