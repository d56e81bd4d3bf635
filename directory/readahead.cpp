#include "readahead.h"

#include <algorithm>
#include <cstring>

namespace vg {

TReadAheadStream::TReadAheadStream(TStream& inner, std::size_t chunk, std::size_t depth)
    : inner_(inner), chunk_(std::max<std::size_t>(chunk, 1)), depth_(std::max<std::size_t>(depth, 1)),
      worker_(&TReadAheadStream::Work, this) {}

TReadAheadStream::~TReadAheadStream() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    room_.notify_all();
    worker_.join();
}

void TReadAheadStream::Work() {
    while (true) {
        std::vector<unsigned char> chunk(chunk_);
        std::size_t got = 0;
        std::exception_ptr error;
        try {
            got = inner_.Read(chunk.data(), chunk.size());
        } catch (...) {
            error = std::current_exception();
        }
        chunk.resize(got);
        std::unique_lock<std::mutex> lock(mutex_);
        room_.wait(lock, [this] { return chunks_.size() < depth_ || stop_; });
        if (stop_) return;
        if (got > 0) chunks_.push_back(std::move(chunk));
        if (error || got == 0) {
            error_ = error;
            done_ = true;
        }
        ready_.notify_all();
        if (done_) return;
    }
}

bool TReadAheadStream::Next() {
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return !chunks_.empty() || done_; });
    if (chunks_.empty()) {
        if (error_) std::rethrow_exception(error_);
        return false;
    }
    current_ = std::move(chunks_.front());
    chunks_.pop_front();
    offset_ = 0;
    room_.notify_one();
    return true;
}

std::size_t TReadAheadStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        if (offset_ == current_.size()) {
            try {
                if (!Next()) break;
            } catch (...) {
                // The bytes before the failure are delivered; the failure stays for the next Read.
                if (done > 0) break;
                throw;
            }
        }
        const std::size_t n = std::min(count - done, current_.size() - offset_);
        std::memcpy(out + done, current_.data() + offset_, n);
        offset_ += n;
        done += n;
    }
    position_ += static_cast<std::int64_t>(done);
    return done;
}

bool TReadAheadStream::HasAtLeast(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto available = [this] {
        std::size_t total = current_.size() - offset_;
        for (const auto& c : chunks_)
            total += c.size();
        return total;
    };
    // With the queue full the worker waits for room: a count beyond what the read-ahead holds is answered by
    // what it holds (the readers ask for a few bytes only).
    ready_.wait(lock, [&] { return available() >= count || done_ || chunks_.size() >= depth_; });
    if (available() >= count) return true;
    // Asked beyond the last good byte: the failure there is the answer.
    if (done_ && error_) std::rethrow_exception(error_);
    return false;
}

} // namespace vg
