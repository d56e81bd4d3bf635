#pragma once

#include "stream.h"

#include <exception>
#include <memory>
#include <vector>

namespace vg {

// Inflates a zlib stream as bytes are requested. The compressed input is pulled from the source in chunks
// of 65,536 bytes; a damaged stream fails with EZDecompressionError ("error") once every byte inflated before
// the damage has been read, a stream whose Adler-32 trailer does not match its bytes with EChecksumError once
// all of them have been read, and a failing source with its own error. It has no total length.
class TDecompressionStream : public TStream {
public:
    // Fails with EZDecompressionError when the inflater cannot be initialised.
    explicit TDecompressionStream(TStream& source);
    ~TDecompressionStream() override;
    TDecompressionStream(const TDecompressionStream&) = delete;
    TDecompressionStream& operator=(const TDecompressionStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return position_; }
    bool HasAtLeast(std::size_t count) override;
    // Whether zlib found the end of the stream, its checksum verified: a stream that ran out of input before
    // (a cut file) simply stops delivering bytes, and only this tells the two ends apart.
    bool Complete() const { return complete_; }
    // Whether no damage, failing source or cut has been met by the reader so far: one may lie in what zlib
    // inflated ahead, but bytes before it remain to be read.
    bool Intact() const { return aheadPos_ < ahead_.size() || (!failure_ && (complete_ || !ended_)); }

    static constexpr std::size_t kChunk = 65536;

private:
    struct Inflater;
    // Inflates into the look-ahead buffer until it holds `want` bytes, the data ends or a failure is met; a
    // failure is kept in failure_ and raised once the bytes before it are used.
    void Fill(std::size_t want);
    [[noreturn]] void Fail() const;

    TStream& source_;
    std::unique_ptr<Inflater> z_;
    std::vector<unsigned char> input_;
    std::vector<unsigned char> ahead_;
    std::size_t aheadPos_ = 0;
    std::int64_t position_ = 0;
    bool ended_ = false;
    bool complete_ = false;
    std::exception_ptr failure_;
};

// Reads `inflated` (zlib's stream itself or one passing its bytes on) to its end, which must be the end of zlib's
// stream with its checksum verified: a stream cut short fails with EReadError, a wrong checksum with
// EChecksumError, damage and a failing source as reading them fails.
void ReadToTheEnd(TStream& inflated, const TDecompressionStream& zlib);

} // namespace vg
