#pragma once

#include "stream.h"

#include <exception>
#include <memory>
#include <vector>

namespace vg {

// Inflates a zlib stream as bytes are requested. The compressed input is pulled from the source in chunks
// of 65,536 bytes; a damaged stream fails with EZDecompressionError ("error") once every byte inflated before
// the damage has been read, and so does a failing source with its own error. It has no total length.
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
    std::exception_ptr failure_;
};

} // namespace vg
