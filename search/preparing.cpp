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

void TPreparingSink::Take(std::span<const TString* const> records, std::size_t expected) {
    try {
        std::vector<const TString*> run;
        {
            std::unique_lock lock(mutex_);
            if (closed_) failed_ = true; // records of another load: not the ones handed over before
            if (failed_) return;
            if (!worker_.joinable()) {
                prepared_.reset(new TPreparedDirectory(expected));
                worker_ = std::thread(&TPreparingSink::Work, this);
            }
            if (!spare_.empty()) {
                run = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        run.assign(records.begin(), records.end());
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return queue_.size() < kQueued || failed_; });
        if (failed_) return;
        queue_.push_back(std::move(run));
        changed_.notify_all();
    } catch (...) {
        // Whatever failed here, the load goes on, and Finish prepares the directory alone.
        std::lock_guard lock(mutex_);
        failed_ = true;
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
            std::vector<const TString*> run;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return !queue_.empty() || closed_ || failed_; });
                if (queue_.empty() || failed_) {
                    whole = whole_ && !failed_;
                    drained_ = true;
                    break;
                }
                run = std::move(queue_.front());
                queue_.pop_front();
            }
            changed_.notify_all();
            prepared_->Add(run);
            run.clear();
            std::lock_guard lock(mutex_);
            spare_.push_back(std::move(run));
        }
        changed_.notify_all();
        // The records are no longer read: the subscribers' column is finished here while Finish finishes the others.
        if (whole) prepared_->Finish(Index(Field::User) - 1);
    } catch (...) {
        {
            std::lock_guard lock(mutex_);
            failed_ = true;
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
        made = prepared_ && closed_ && whole_ && drained_ && !failed_ && whole && prepared_->count_ == whole->Count();
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
        made = made && !failed_;
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
