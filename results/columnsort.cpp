#include "columnsort.h"

#include "directory/cp1251.h"
#include "directory/errors.h"
#include "search/folding.h"
#include "search/matching.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <unordered_map>
#include <vector>

namespace vg {
namespace {

struct Step {
    Field field;
    bool number;
    bool last = false; // the chain ends here
};

// Tie-breaking chains per sort column; the Street chain has four steps.
constexpr Step kChains[kColumnCount][5] = {
    {{Field::Phone, true},
     {Field::User, false},
     {Field::Street, false},
     {Field::House, true},
     {Field::Flat, true, true}},
    {{Field::Street, false}, {Field::House, true}, {Field::Flat, true}, {Field::User, false, true}, {}},
    {{Field::House, true},
     {Field::Street, false},
     {Field::Flat, true},
     {Field::User, false},
     {Field::Phone, true, true}},
    {{Field::Flat, true},
     {Field::House, true},
     {Field::Street, false},
     {Field::User, false},
     {Field::Phone, true, true}},
    {{Field::User, false},
     {Field::Street, false},
     {Field::House, true},
     {Field::Flat, true},
     {Field::Phone, true, true}},
};

template <class Int> int CompareInt(Int a, Int b) {
    return a > b ? 1 : a < b ? -1 : 0;
}

// A number step: the phone through ToNumber, a house or flat as an address number is read.
int CompareNumbers(Field field, std::string_view x, std::string_view y) {
    return field == Field::Phone ? CompareInt(ToNumber(x), ToNumber(y)) : CompareAddress(x, y);
}

// The column sort's one comparator: two records in the order of a column's chain, ascending, -1, 0 or 1. Each
// step asks `compareStep` how the two records order by that step's field, until one differs or the chain ends.
template <class CompareStep> int CompareByChain(const Step (&chain)[5], const CompareStep& compareStep) {
    for (const Step& step : chain) {
        const int r = compareStep(step);
        if (r != 0 || step.last) return r;
    }
    return 0;
}

// Two records by a column's chain, read from the records themselves. A missing line fails as the record's line
// list does.
int CompareRecords(const TString& a, const TString& b, int column) {
    return CompareByChain(kChains[column], [&](const Step& step) {
        const std::string_view x = FieldOf(a, step.field);
        const std::string_view y = FieldOf(b, step.field);
        return step.number ? CompareNumbers(step.field, x, y) : StrCompare(x, y);
    });
}

// The same for records a and b of the container; the one that lacks a line the chain reads is named.
int CompareRecordsAt(const TStrContainer& container, std::int32_t a, std::int32_t b, int column) {
    const TString& x = *container.GetItem(a);
    const TString& y = *container.GetItem(b);
    try {
        return CompareRecords(x, y, column);
    } catch (const EListError& e) {
        const std::int32_t which = x.Lines().Count() <= e.Index() ? a : b;
        throw ERecordError(which, std::string(container.GetItem(which)->Key()), e);
    }
}

void ReportProgress(ISortProgress* progress, int i, int j, int count) {
    if (progress && i % 150 == 0 && progress->Visible()) {
        int p = RoundedShare(j, count);
        if (progress->Percent() < p) progress->SetPercent(p);
    }
}

// ---- the sort over prepared keys ----

// A text upper-cased once: its first sixteen bytes as two big-endian numbers decide most compares alone.
struct TextKey {
    std::uint64_t head[2];
    const unsigned char* data;
    std::uint32_t size;
};

// StrCompare of the texts the keys were made from.
inline int CompareText(const TextKey& a, const TextKey& b) {
    if (a.head[0] != b.head[0]) return a.head[0] < b.head[0] ? -1 : 1;
    if (a.head[1] != b.head[1]) return a.head[1] < b.head[1] ? -1 : 1;
    // Equal heads: the first min(size, 16) bytes of both texts are equal (zero padding is never compared with
    // a real byte, since it lies past the shorter text's end).
    const std::size_t n = std::min(a.size, b.size);
    if (n > 16) {
        const int r = std::memcmp(a.data + 16, b.data + 16, n - 16);
        if (r != 0) return r < 0 ? -1 : 1;
    }
    return a.size == b.size ? 0 : a.size < b.size ? -1 : 1;
}

// A house or flat number read once: the rest is a view into the record, compared only when the numbers tie.
struct AddressKey {
    std::uint32_t number;
    std::uint32_t restSize;
    const char* rest;
};

inline AddressKey KeyOf(std::string_view text) {
    const TAddressNumber a = ReadAddressNumber(text);
    return {a.number, static_cast<std::uint32_t>(a.rest.size()), a.rest.data()};
}

inline int CompareKeys(const AddressKey& a, const AddressKey& b) {
    return CompareAddress(TAddressNumber{a.number, {a.rest, a.restSize}},
                          TAddressNumber{b.number, {b.rest, b.restSize}});
}

// One record's sort keys: the numbers read and the texts upper-cased once, instead of in every compare.
// A city has few streets and many records on each: a street is its rank among the city's streets, so that
// equal streets compare in one step. Left unset when made, so that the threads that set them touch the memory first.
struct Entry {
    TextKey user;
    std::int32_t phone;
    AddressKey house, flat;
    std::uint32_t streetRank; // equal streets equal ranks, ordered as StrCompare orders the streets
    std::uint32_t record;     // position before the sort
    bool damaged;             // fewer than four lines: compared through the record itself, failing as it would
};

// Two records by a column's chain, read from their prepared keys: the same order as CompareRecords.
template <int Column> int CompareEntries(const Entry& a, const Entry& b) {
    return CompareByChain(kChains[Column], [&](const Step& step) {
        if (step.field == Field::Phone) return CompareInt(a.phone, b.phone);
        if (step.number)
            return step.field == Field::House ? CompareKeys(a.house, b.house) : CompareKeys(a.flat, b.flat);
        if (step.field == Field::Street) return CompareInt(a.streetRank, b.streetRank);
        return CompareText(a.user, b.user);
    });
}

// Gives texts ids: equal texts the same id.
class TTextRanks {
public:
    // The text's id; the key must stay valid while the ids are used.
    std::uint32_t Add(const TextKey& key) {
        const std::string_view text(reinterpret_cast<const char*>(key.data), key.size);
        if (!distinct_.empty() && text == last_) return lastId_;
        auto [at, added] = ids_.try_emplace(text, static_cast<std::uint32_t>(distinct_.size()));
        if (added) distinct_.push_back(key);
        last_ = text;
        lastId_ = at->second;
        return lastId_;
    }
    // The texts by id.
    const std::vector<TextKey>& Distinct() const { return distinct_; }

private:
    std::unordered_map<std::string_view, std::uint32_t> ids_;
    std::vector<TextKey> distinct_;
    std::string_view last_;
    std::uint32_t lastId_ = 0;
};

// Upper-cased copies of the texts that have lower-case letters; the others are used where they lie.
class TUpperTexts {
public:
    TextKey Key(std::string_view text) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t n = text.size();
        std::size_t k = 0;
        while (k < n && cp1251::Upper(bytes[k]) == bytes[k])
            ++k;
        const unsigned char* data = bytes;
        if (k < n) {
            unsigned char* copy = Take(n);
            std::memcpy(copy, bytes, k);
            for (; k < n; ++k)
                copy[k] = cp1251::Upper(bytes[k]);
            data = copy;
        }
        TextKey key{};
        key.data = data;
        key.size = static_cast<std::uint32_t>(n);
        for (std::size_t b = 0; b < 16; ++b)
            key.head[b / 8] = key.head[b / 8] << 8 | (b < n ? data[b] : 0u);
        return key;
    }

private:
    unsigned char* Take(std::size_t n) {
        constexpr std::size_t kBlock = 64 * 1024;
        if (n > kBlock) return big_.emplace_back(new unsigned char[n]).get();
        if (blocks_.empty() || used_ + n > kBlock) {
            blocks_.emplace_back(new unsigned char[kBlock]);
            used_ = 0;
        }
        unsigned char* at = blocks_.back().get() + used_;
        used_ += n;
        return at;
    }
    std::vector<std::unique_ptr<unsigned char[]>> blocks_;
    std::vector<std::unique_ptr<unsigned char[]>> big_;
    std::size_t used_ = 0;
};

// ---- progress ----

// The bar through the sort's phases: each phase has its share of the bar, from one percentage to another, and says
// how far through it it is. The bar only moves forward, and only while the window shows or is about to.
class TSortBar {
public:
    explicit TSortBar(ISortProgress* progress) : progress_(progress) {}
    void Phase(int from, int to) {
        from_ = from;
        to_ = to;
        Report(0, 1);
    }
    // `done` of `total` of the current phase.
    void Report(std::int64_t done, std::int64_t total) const {
        if (!progress_ || total <= 0) return;
        const int p = from_ + static_cast<int>((to_ - from_) * std::clamp<std::int64_t>(done, 0, total) / total);
        if (p > progress_->Percent() && progress_->Visible()) progress_->SetPercent(p);
    }

private:
    ISortProgress* progress_;
    int from_ = 0, to_ = 0;
};

// The bar's share of each phase, from what they take at ten million records: the keys, the quick sort, the
// records put in their new order.
constexpr int kKeysEnd = 25;
constexpr int kSortEnd = 98;

// ---- the quick sort, on as many threads as there are cores ----

// The compares a range of n records is expected to take: n for each of its about log2 n levels of partitions.
inline std::int64_t WorkOf(int n) {
    return n < 2 ? 0 : std::int64_t{n} * std::bit_width(static_cast<unsigned>(n));
}

// Sorts the entries as PivotQuickSort does, the same arrangement whatever the threads: a range is arranged by its own
// records alone, so that the ranges two partitions leave may be sorted at the same time. The biggest ranges are
// parted one partition at a time into a shared list; a thread takes the biggest range there, and sorts one small
// enough to the end by itself. The calling thread is one of them, and the one that moves the bar: by the compares
// made against those still expected (each range left to sort by WorkOf), so that every phase of the sort moves it.
template <int Column> class TEntrySort {
public:
    TEntrySort(std::span<Entry> entries, const TStrContainer& container, bool ascending, const TSortBar& bar)
        : entries_(entries), container_(container), ascending_(ascending), bar_(bar) {}

    // `threads` 1: the calling thread alone, where a damaged record may stop the sort with ERecordError, the records
    // in the order reached.
    void Run(int threads) {
        const int count = static_cast<int>(entries_.size());
        cutoff_ = threads > 1 ? std::max(count / (8 * threads), 4096) : count;
        tasks_.push_back({0, count - 1, detail::QuickSortDepth(count)});
        left_ = WorkOf(count);
        std::vector<std::jthread> helpers; // joined when they go, whichever way this leaves
        for (int k = 1; k < threads; ++k)
            helpers.emplace_back([this] { Work(false); });
        try {
            Work(true);
        } catch (...) {
            const std::lock_guard lock(mutex_);
            stopped_ = true; // the other threads leave after their range
            changed_.notify_all();
            throw;
        }
    }

private:
    struct Task {
        int L, R, depth;
    };

    // One thread's share: its compares and its change to the work expected, told to the others now and then.
    struct Worker {
        TEntrySort& sort;
        bool reports;
        std::int64_t compares = 0, left = 0;
        void Parted(int L, int J, int I, int R) { left += WorkOf(J - L + 1) + WorkOf(R - I + 1) - WorkOf(R - L + 1); }
        void HeapSorted(int L, int R) { left -= WorkOf(R - L + 1); }
        void Tell() {
            sort.compares_.fetch_add(compares, std::memory_order_relaxed);
            sort.left_.fetch_add(left, std::memory_order_relaxed);
            compares = left = 0;
        }
    };

    int Compare(int i, int p) const {
        const Entry& a = entries_[static_cast<std::size_t>(i)];
        const Entry& b = entries_[static_cast<std::size_t>(p)];
        int r;
        if constexpr (Column < 0) {
            r = 0;
        } else if (a.damaged || b.damaged) {
            r = CompareRecordsAt(container_, static_cast<std::int32_t>(a.record), static_cast<std::int32_t>(b.record),
                                 Column);
        } else {
            r = CompareEntries<Column>(a, b);
        }
        return ascending_ ? r : -r;
    }

    void Report() const {
        const std::int64_t done = compares_.load(std::memory_order_relaxed);
        bar_.Report(done, done + left_.load(std::memory_order_relaxed));
    }

    void Work(bool reports) {
        Worker w{*this, reports};
        auto compare = [&](int i, int p) {
            if ((++w.compares & 1023) == 0) {
                w.Tell();
                if (w.reports) Report();
            }
            return Compare(i, p);
        };
        auto exchange = [this](int i, int j) {
            std::swap(entries_[static_cast<std::size_t>(i)], entries_[static_cast<std::size_t>(j)]);
        };
        std::unique_lock lock(mutex_);
        for (;;) {
            if (stopped_) break;
            if (tasks_.empty()) {
                if (busy_ == 0) break;
                if (reports) { // the bar moves while the other threads finish
                    lock.unlock();
                    Report();
                    lock.lock();
                    changed_.wait_for(lock, std::chrono::milliseconds(8));
                } else {
                    changed_.wait(lock);
                }
                continue;
            }
            auto biggest = std::max_element(tasks_.begin(), tasks_.end(),
                                            [](const Task& x, const Task& y) { return x.R - x.L < y.R - y.L; });
            const Task task = *biggest;
            *biggest = tasks_.back();
            tasks_.pop_back();
            ++busy_;
            lock.unlock();
            int I = 0, J = 0;
            const bool part = task.R - task.L + 1 > cutoff_ && task.depth > 0;
            if (part) {
                detail::PartitionRange(task.L, task.R, compare, exchange, I, J);
                w.Parted(task.L, J, I, task.R);
            } else {
                detail::WatchedQuickSort(task.L, task.R, compare, exchange, task.depth, w);
            }
            w.Tell();
            lock.lock();
            if (part) {
                if (task.L < J) tasks_.push_back({task.L, J, task.depth - 1});
                if (I < task.R) tasks_.push_back({I, task.R, task.depth - 1});
            }
            --busy_;
            changed_.notify_all();
        }
        changed_.notify_all();
    }

    std::span<Entry> entries_;
    const TStrContainer& container_;
    const bool ascending_;
    const TSortBar& bar_;
    int cutoff_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Task> tasks_; // ranges parted off, not yet taken
    int busy_ = 0;            // threads at work on a range
    bool stopped_ = false;    // the calling thread failed
    std::atomic<std::int64_t> compares_{0}, left_{0};
};

template <int Column>
void SortEntries(std::span<Entry> entries, const TStrContainer& container, bool ascending, const TSortBar& bar,
                 int threads) {
    TEntrySort<Column>(entries, container, ascending, bar).Run(threads);
}

// The keys of a run of records, made on a thread of its own: the texts it upper-cased and the streets it met.
struct TKeyMaker {
    TUpperTexts upper;
    TTextRanks streets;
    bool damaged = false;
    std::exception_ptr failure;

    void Make(const TStrContainer& container, std::span<Entry> entries, int from, int to,
              std::atomic<std::int64_t>& made) {
        // After a sort by another column the records lie scattered in memory: each is fetched a few records ahead.
        constexpr int kAhead = 8;
        for (int i = from; i < to; ++i) {
            if ((i - from) % 1024 == 1023) made.fetch_add(1024, std::memory_order_relaxed);
            if (i + kAhead < to) {
                const auto* ahead = reinterpret_cast<const char*>(container.GetItem(i + kAhead));
                __builtin_prefetch(ahead);
                __builtin_prefetch(ahead + 64);
            }
            const TString& record = *container.GetItem(i);
            const TLineList lines = record.Lines();
            Entry& e = entries[static_cast<std::size_t>(i)];
            e.record = static_cast<std::uint32_t>(i);
            e.damaged = lines.Count() < 4;
            damaged = damaged || e.damaged;
            e.phone = ToNumber(record.Key());
            e.house = KeyOf(lines.Get(1));
            e.flat = KeyOf(lines.Get(2));
            e.streetRank = streets.Add(upper.Key(lines.Get(0)));
            e.user = upper.Key(lines.Get(3));
        }
    }
};

// Makes every entry's keys, the records split evenly between the makers' threads (the calling thread makes the
// first part and moves the bar), then ranks the streets all of them met, equal texts equal ranks.
void MakeKeys(const TStrContainer& container, std::span<Entry> entries, std::vector<TKeyMaker>& makers,
              const TSortBar& bar) {
    const int count = static_cast<int>(entries.size());
    const int parts = static_cast<int>(makers.size());
    auto from = [&](int part) { return static_cast<int>(std::int64_t{count} * part / parts); };
    std::atomic<std::int64_t> made{0};
    std::atomic<int> finished{0};
    std::vector<std::jthread> helpers; // joined when they go, whichever way this leaves
    for (int part = 1; part < parts; ++part)
        helpers.emplace_back([&, part] {
            TKeyMaker& maker = makers[static_cast<std::size_t>(part)];
            try {
                maker.Make(container, entries, from(part), from(part + 1), made);
            } catch (...) {
                maker.failure = std::current_exception();
            }
            finished.fetch_add(1);
        });
    // The first part a thousand records at a time, the bar moving between them.
    const int firstEnd = from(1);
    for (int at = 0; at < firstEnd; at += 1024) {
        bar.Report(made.load(std::memory_order_relaxed), count);
        makers[0].Make(container, entries, at, std::min(at + 1024, firstEnd), made);
    }
    while (finished.load() < parts - 1) {
        bar.Report(made.load(std::memory_order_relaxed), count);
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    for (TKeyMaker& maker : makers)
        if (maker.failure) std::rethrow_exception(maker.failure);
    // Every street once, in StrCompare's order: a part's street takes the rank of its text among all of them.
    struct Street {
        TextKey key;
        std::uint32_t part, id;
    };
    std::vector<Street> all;
    std::vector<std::vector<std::uint32_t>> rank(makers.size());
    for (std::size_t part = 0; part < makers.size(); ++part) {
        const std::vector<TextKey>& distinct = makers[part].streets.Distinct();
        rank[part].resize(distinct.size());
        for (std::uint32_t id = 0; id < distinct.size(); ++id)
            all.push_back({distinct[id], static_cast<std::uint32_t>(part), id});
    }
    std::sort(all.begin(), all.end(), [](const Street& x, const Street& y) { return CompareText(x.key, y.key) < 0; });
    std::uint32_t r = 0;
    for (std::size_t k = 0; k < all.size(); ++k) {
        if (k > 0 && CompareText(all[k - 1].key, all[k].key) != 0) ++r;
        rank[all[k].part][all[k].id] = r;
    }
    for (int part = 0; part < parts; ++part)
        for (int i = from(part); i < from(part + 1); ++i) {
            Entry& e = entries[static_cast<std::size_t>(i)];
            e.streetRank = rank[static_cast<std::size_t>(part)][e.streetRank];
        }
}

} // namespace

int CompareByColumn(const TStrContainer* container, int column, int i, int j, bool ascending, ISortProgress* progress) {
    if (!container || i < 0 || j < 0 || i >= container->Count() || j >= container->Count()) return 0;
    if (column < 0 || column >= kColumnCount) return 0;
    ReportProgress(progress, i, j, container->Count());
    int r = CompareRecordsAt(*container, i, j, column);
    if (!ascending) NegateOrder(r);
    return r;
}

void SortByColumn(TStrContainer& container, int column, bool ascending, ISortProgress* progress) {
    const int count = container.Count();
    if (count <= 1) return;
    TSortBar bar(progress);
    // Below this many records a sort takes a few milliseconds: a second thread would not pay for itself.
    constexpr int kThreadedFrom = 1 << 16;
    int threads = count < kThreadedFrom ? 1 : static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    bar.Phase(0, kKeysEnd);
    const std::unique_ptr<Entry[]> storage(new Entry[static_cast<std::size_t>(count)]);
    const std::span<Entry> entries(storage.get(), static_cast<std::size_t>(count));
    std::vector<TKeyMaker> makers(static_cast<std::size_t>(threads));
    MakeKeys(container, entries, makers, bar);
    const bool damaged = std::any_of(makers.begin(), makers.end(), [](const TKeyMaker& m) { return m.damaged; });
    if (damaged) threads = 1;
    // The records take the order the entries reached, also when a damaged record stops the sort half-way.
    auto arrange = [&] {
        std::vector<std::uint32_t> order(entries.size());
        for (std::size_t k = 0; k < entries.size(); ++k)
            order[k] = entries[k].record;
        container.Arrange(order);
    };
    bar.Phase(kKeysEnd, kSortEnd);
    try {
        // One sort per column, each with its chain compiled in.
        using Sort = void (*)(std::span<Entry>, const TStrContainer&, bool, const TSortBar&, int);
        constexpr Sort kSorts[kColumnCount] = {SortEntries<0>, SortEntries<1>, SortEntries<2>, SortEntries<3>,
                                               SortEntries<4>};
        const Sort sort = column >= 0 && column < kColumnCount ? kSorts[column] : SortEntries<-1>;
        sort(entries, container, ascending, bar, threads);
    } catch (...) {
        arrange();
        throw;
    }
    bar.Phase(kSortEnd, 100);
    arrange();
    bar.Report(1, 1);
}

std::string SortInfoText() {
    std::string text;
    cp1251::FromUtf8("Сортировка телефонного справочника ...", text);
    return text;
}

} // namespace vg
