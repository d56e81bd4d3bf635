#pragma once

#include "directory/loader.h"
#include "search/prepared.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

namespace vg {

// Prepares a large directory for searching while it is loaded: the records a load hands over are added to the
// columns on a thread of its own, while the loading thread inflates and splits the records that follow. A small
// directory, one whose size the data does not tell, any failure of that thread and records that are not the whole
// directory's leave the preparing to Finish, which then prepares the directory as TPreparedDirectory's
// constructor does: the outcome is the same either way.
class TPreparingSink final : public IRecordSink {
public:
    // On a thread of its own from `least` records on (as many as the data claims when the bytes in memory can
    // hold them): below kLeast a second thread gains less than starting and feeding it costs on a busy machine.
    static constexpr std::size_t kLeast = std::size_t{1} << 18;
    // Runs handed over and not yet taken up by the thread, at most, before the load waits for it.
    static constexpr std::size_t kMostWaiting = 8;
    explicit TPreparingSink(std::size_t least = kLeast) : least_(least) {}
    ~TPreparingSink() override;
    TPreparingSink(const TPreparingSink&) = delete;
    TPreparingSink& operator=(const TPreparingSink&) = delete;

    void Take(std::span<const TString> records, std::size_t expected) override;
    void Close(bool whole) noexcept override;
    // Once the load has ended: the directory `whole` (not null) prepared for searching. `whole` is the container
    // the load filled, the records handed over its records.
    std::shared_ptr<const TPreparedDirectory> Finish(std::shared_ptr<const TStrContainer> whole);

private:
    void Work();
    // Stops the thread, if it runs, and waits for it.
    void Stop() noexcept;

    std::size_t least_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::span<const TString>> queue_; // runs of records waiting for the thread
    bool closed_ = false;                        // no more records: the load's records ended
    bool whole_ = false;                         // ... every one the data claims read
    bool drained_ = false;                       // the thread touches no record any more
    // Finish prepares alone: the directory is small (or its size unknown), or the thread or the handing over failed.
    bool alone_ = false;
    std::unique_ptr<TPreparedDirectory> prepared_;
    std::thread worker_;
};

// The master's load into `container` (its records, progress reports and failure), and when the master then
// holds the directory whole, that directory prepared for searching; else null. When this load parses the
// directory, it is prepared while it is parsed (TPreparingSink).
std::shared_ptr<const TPreparedDirectory> LoadPrepared(TDirectoryMaster& master, TStrContainer& container,
                                                       const ProgressCallback& progress = {});

} // namespace vg
