#include "inflate.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <isa-l/igzip_lib.h>
#include <limits>
#include <memory>
#include <mutex>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <utility>

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

// Faults in the pages of a large fresh room on a thread of its own, a few pieces ahead of the inflater, which then
// writes to pages that are there; and, while the inflater needs none, the pages of the memory handed over (Fresh).
class TPagesAhead {
public:
    // Pages up to `kAhead` bytes beyond what the inflater has reached (Reached) are faulted in.
    static constexpr std::size_t kAhead = std::size_t{16} << 20;
    // Below this the thread costs more than the faults it saves.
    static constexpr std::size_t kLeast = std::size_t{32} << 20;

    TPagesAhead(char* room, std::size_t size) {
#if defined(MADV_POPULATE_WRITE)
        const long page = sysconf(_SC_PAGESIZE);
        if (size < kLeast || page <= 0 || (page & (page - 1)) != 0) return;
        page_ = static_cast<std::uintptr_t>(page);
        const auto [from, to] = Pages(room, size);
        if (to <= from) return;
        done_ = from;
        to_ = to;
        target_ = std::min(from + kAhead, to);
        try {
            worker_ = std::thread(&TPagesAhead::Work, this);
        } catch (...) {
            // Without it the inflater faults the pages in itself.
        }
#else
        (void)room;
        (void)size;
#endif
    }
    ~TPagesAhead() {
        Stop();
    }
    TPagesAhead(const TPagesAhead&) = delete;
    TPagesAhead& operator=(const TPagesAhead&) = delete;

    bool Running() const {
        return worker_.joinable();
    }
    // The inflater has written the room up to `at`.
    void Reached(const char* at) {
        if (!Running()) return;
        {
            std::lock_guard lock(mutex_);
            target_ = std::min((reinterpret_cast<std::uintptr_t>(at) + kAhead) & ~(page_ - 1), to_);
        }
        changed_.notify_one();
    }
    // Memory to fault in once the room's pages ahead are; it must stay allocated until Stop.
    void Fresh(void* memory, std::size_t size) {
        if (!Running()) return;
        const auto range = Pages(memory, size);
        if (range.second <= range.first) return;
        {
            std::lock_guard lock(mutex_);
            fresh_.push_back(range);
        }
        changed_.notify_one();
    }
    void Stop() noexcept {
        if (!Running()) return;
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_one();
        worker_.join();
    }

private:
    using TRange = std::pair<std::uintptr_t, std::uintptr_t>;
    // The whole pages within `size` bytes at `memory`.
    TRange Pages(void* memory, std::size_t size) const {
        const auto at = reinterpret_cast<std::uintptr_t>(memory);
        return {(at + page_ - 1) & ~(page_ - 1), (at + size) & ~(page_ - 1)};
    }

    void Work() noexcept {
#if defined(MADV_POPULATE_WRITE)
        // A piece at a time, so that Stop waits for little.
        constexpr std::uintptr_t kPiece = std::uintptr_t{1} << 20;
        for (;;) {
            std::uintptr_t from = 0, to = 0;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] { return stop_ || done_ < target_ || !fresh_.empty(); });
                if (stop_) return;
                if (done_ < target_) {
                    from = done_;
                    to = std::min(from + kPiece, target_);
                    done_ = to;
                } else {
                    TRange& next = fresh_.front();
                    from = next.first;
                    to = std::min(from + kPiece, next.second);
                    next.first = to;
                    if (next.first == next.second) fresh_.pop_front();
                }
            }
            // A failure (an old kernel, no memory left) leaves the faults to the writers.
            if (madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE) != 0) return;
        }
#endif
    }

    std::uintptr_t page_ = 1;
    std::uintptr_t to_ = 0; // the room's last whole page ends here
    std::mutex mutex_;
    std::condition_variable changed_;
    std::uintptr_t done_ = 0;   // the room faulted in up to here
    std::uintptr_t target_ = 0; // ... and to be up to here
    std::deque<TRange> fresh_;  // the memory handed over, still to fault in
    bool stop_ = false;
    std::thread worker_;
};

} // namespace

void TInflated::Grow(std::size_t room, std::size_t keep) {
    std::unique_ptr<char[]> bigger(new char[room]);
    if (keep > 0) std::memcpy(bigger.get(), bytes_.get(), keep);
    bytes_ = std::move(bigger);
    room_ = room;
}

bool InflateWhole(std::string_view compressed, std::int64_t limit, TInflated& out, const Inflating& inflating) {
    constexpr std::uint32_t kMaxIn = std::numeric_limits<std::uint32_t>::max();
    if (!PlainZlibHeader(compressed) || compressed.size() > kMaxIn || limit < 0) return false;
    const auto most = static_cast<std::size_t>(std::min<std::int64_t>(limit, kMaxIn - 1));
    auto state = std::make_unique<inflate_state>();
    isal_inflate_init(state.get());
    state->crc_flag = ISAL_ZLIB;
    state->next_in = reinterpret_cast<std::uint8_t*>(const_cast<char*>(compressed.data()));
    state->avail_in = static_cast<std::uint32_t>(compressed.size());
    // A directory inflates to about four times its size; the room grows by half when that is not enough. It is
    // filled a piece at a time, so that its pages are faulted in just ahead of the inflater.
    constexpr std::size_t kPiece = std::size_t{4} << 20;
    out.size_ = 0;
    out.Grow(std::min(most + 1, std::max<std::size_t>(compressed.size() * 6, 4096)), 0);
    auto ahead = std::make_unique<TPagesAhead>(out.bytes_.get(), out.room_);
    const FreshMemory fresh = [&ahead](void* memory, std::size_t size) { ahead->Fresh(memory, size); };
    std::size_t produced = 0;
    for (;;) {
        const std::size_t end = std::min(out.room_, produced + kPiece);
        state->next_out = reinterpret_cast<std::uint8_t*>(out.bytes_.get()) + produced;
        state->avail_out = static_cast<std::uint32_t>(end - produced);
        const int rc = isal_inflate(state.get());
        produced = end - state->avail_out;
        if (rc != ISAL_DECOMP_OK) return false;
        if (state->block_state == ISAL_BLOCK_FINISH) break;
        if (produced > most) return false;      // past the limit: the reader says where
        if (state->avail_out > 0) return false; // the input ended before the stream did
        ahead->Reached(out.bytes_.get() + produced);
        if (inflating && ahead->Running()) inflating({out.bytes_.get(), produced}, fresh);
        if (produced < out.room_) continue;
        ahead->Stop(); // before its room goes
        out.Grow(std::min(most + 1, out.room_ + out.room_ / 2 + 1), produced);
    }
    if (produced > most) return false;
    out.size_ = produced;
    return true;
}

} // namespace vg
