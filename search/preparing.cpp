#include "preparing.h"

#include <utility>

namespace vg {

TPreparingSink::~TPreparingSink() {
    Stop();
}

void TPreparingSink::Stop() noexcept {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        queue_.clear();
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void TPreparingSink::Take(std::span<const TString> records, std::size_t expected) {
    try {
        {
            std::unique_lock lock(mutex_);
            if (closed_) alone_ = true; // records of another load: not the ones handed over before
            if (!worker_.joinable() && expected < least_) alone_ = true;
            if (alone_) return;
            if (!worker_.joinable()) {
                prepared_.reset(new TPreparedDirectory(expected));
                worker_ = std::thread(&TPreparingSink::Work, this);
            }
            queue_.push_back(records);
            changed_.notify_all();
            // The load waits while the thread is well behind: its reports then follow the preparing, which would
            // otherwise be left to finish after the last one, and on a busy machine the thread gets the core the
            // load would take running ahead.
            changed_.wait(lock, [this] { return queue_.size() <= kMostWaiting || alone_ || drained_; });
        }
    } catch (...) {
        // Whatever failed here, the load goes on, and Finish prepares the directory alone.
        std::lock_guard lock(mutex_);
        alone_ = true;
    }
}

void TPreparingSink::Close(bool whole) noexcept {
    std::unique_lock lock(mutex_);
    if (closed_) return;
    closed_ = true;
    whole_ = whole;
    if (!whole) queue_.clear(); // the records are going
    changed_.notify_all();
    if (worker_.joinable()) changed_.wait(lock, [this] { return drained_; });
}

void TPreparingSink::Work() {
    try {
        bool whole = false;
        for (;;) {
            std::span<const TString> run;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return !queue_.empty() || closed_ || alone_; });
                if (queue_.empty() || alone_) {
                    whole = whole_ && !alone_;
                    drained_ = true;
                    break;
                }
                run = queue_.front();
                queue_.pop_front();
            }
            changed_.notify_all();
            prepared_->Add(run);
        }
        changed_.notify_all();
        // The records are no longer read: the subscribers' column is finished here while Finish finishes the others.
        if (whole) prepared_->Finish(Index(Field::User) - 1);
    } catch (...) {
        {
            std::lock_guard lock(mutex_);
            alone_ = true;
            drained_ = true;
            queue_.clear();
        }
        changed_.notify_all();
    }
}

std::shared_ptr<const TPreparedDirectory> TPreparingSink::Finish(std::shared_ptr<const TStrContainer> whole) {
    bool made = false;
    {
        std::lock_guard lock(mutex_);
        made = prepared_ && closed_ && whole_ && drained_ && !alone_ && whole && prepared_->count_ == whole->Count();
    }
    if (made) {
        for (std::size_t c = 0; c < TPreparedDirectory::kColumns; ++c)
            if (c != Index(Field::User) - 1) prepared_->Finish(c);
        std::vector<std::uint32_t>& phones = prepared_->phones_;
        if (phones.capacity() - phones.size() > phones.size() / 8) phones.shrink_to_fit();
    }
    Stop();
    {
        std::lock_guard lock(mutex_);
        made = made && !alone_;
    }
    if (!made) {
        prepared_.reset();
        return std::make_shared<const TPreparedDirectory>(std::move(whole));
    }
    prepared_->whole_ = std::move(whole);
    return std::shared_ptr<const TPreparedDirectory>(std::move(prepared_));
}

std::shared_ptr<const TPreparedDirectory> LoadPrepared(TDirectoryMaster& master, TStrContainer& container,
                                                       const ProgressCallback& progress) {
    if (master.Parsed()) {
        master.Load(container, progress);
        return master.Whole() ? std::make_shared<const TPreparedDirectory>(master.WholeShared()) : nullptr;
    }
    TPreparingSink sink;
    master.Load(container, progress, &sink);
    return master.Whole() ? sink.Finish(master.WholeShared()) : nullptr;
}

} // namespace vg
