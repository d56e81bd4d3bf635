#pragma once

#include "stream.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace vg {

// Reads another stream ahead on a worker thread, a chunk at a time, so that producing the bytes (inflating)
// and using them (parsing) run at once on two cores. The bytes, their order and the failure at their end are
// the inner stream's: the failure comes only when every byte before it has been read. The inner stream is
// touched by the worker only.
class TReadAheadStream : public TStream {
public:
    explicit TReadAheadStream(TStream& inner, std::size_t chunk = 32 * 1024, std::size_t depth = 4);
    ~TReadAheadStream() override;
    TReadAheadStream(const TReadAheadStream&) = delete;
    TReadAheadStream& operator=(const TReadAheadStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return position_; }
    bool HasAtLeast(std::size_t count) override;

private:
    void Work();
    // Takes the next chunk; false at the end. Raises the inner stream's failure, every time, once its bytes are
    // used.
    bool Next();

    TStream& inner_;
    const std::size_t chunk_;
    const std::size_t depth_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable room_;
    std::deque<std::vector<unsigned char>> chunks_;
    bool done_ = false;
    bool stop_ = false;
    std::exception_ptr error_;
    std::vector<unsigned char> current_;
    std::size_t offset_ = 0;
    std::int64_t position_ = 0;
    std::thread worker_;
};

} // namespace vg
