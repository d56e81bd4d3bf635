#pragma once

#include "progress.h"
#include "stream.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vg {

// The lines of one record, read-only. Reading a line the record does not have fails with EListError.
class TLineList {
public:
    TLineList(const char* text, const std::uint32_t* ends, std::uint32_t count)
        : text_(text), ends_(ends), count_(count) {}
    int Count() const { return static_cast<int>(count_); }
    std::string_view operator[](int i) const {
        if (i < 0 || static_cast<std::uint32_t>(i) >= count_) Fail(i);
        return Line(static_cast<std::uint32_t>(i));
    }
    // Line i, or the empty text when the record has no such line.
    std::string_view Get(int i) const {
        return i < 0 || static_cast<std::uint32_t>(i) >= count_ ? std::string_view{}
                                                                : Line(static_cast<std::uint32_t>(i));
    }

private:
    std::string_view Line(std::uint32_t i) const {
        std::uint32_t begin = 0, end;
        if (i > 0) std::memcpy(&begin, ends_ + (i - 1), sizeof begin);
        std::memcpy(&end, ends_ + i, sizeof end);
        return {text_ + begin, end - begin};
    }
    [[noreturn]] static void Fail(int i);

    const char* text_;
    const std::uint32_t* ends_;
    std::uint32_t count_;
};

// One directory record: the key (the Phone field), the text lines (Street, House, Flat, User) and a tag.
// Key and lines share one allocation, so that a whole directory stays small in memory.
class TString {
public:
    explicit TString(std::string_view key = {});
    ~TString();
    TString(const TString&) = delete;
    TString& operator=(const TString&) = delete;

    std::string_view Key() const { return {data_, keyLen_}; }
    TLineList Lines() const {
        return {data_ + keyLen_, reinterpret_cast<const std::uint32_t*>(data_ + keyLen_ + textLen_), lineCount_};
    }
    void SetKey(std::string_view key);
    void SetLines(const std::vector<std::string>& lines);
    // Key becomes empty and the lines go; Tag keeps its value.
    void Clear();
    // Reads one record; a failure while its text is read leaves it without lines and is not passed on.
    void LoadFromStream(TStream* stream);

private:
    // `aside`: the parts may lie in the record's own storage.
    void Assign(std::string_view key, const std::string_view* lines, std::size_t count, bool aside = true);
    // Splits `text` into lines straight into the record's storage: CR LF, a lone CR and a lone LF each end a
    // line, a break after the last line starts no further line, and a zero byte ends the text.
    void AssignText(std::string_view key, std::string_view text);

    void Release();

    // Key bytes, line bytes back to back, then one 32-bit end offset per line: in the record itself when they
    // fit (nearly every directory record), on the heap otherwise.
    static constexpr std::size_t kInlineBytes = 64;
    char* data_ = inline_;
    char inline_[kInlineBytes];
    std::uint32_t keyLen_ = 0;
    std::uint32_t textLen_ = 0;
    std::uint32_t lineCount_ = 0;

public:
    // Last, beside the lengths: a record takes 88 bytes, not 96 with the padding a first member would need.
    std::int32_t Tag = 0;
};

// A string index: (text, value) entries, unsorted, duplicates allowed.
class TStrIndex {
public:
    void Clear() { entries_.clear(); }
    void LoadFromStream(TStream* stream);
    void Sort(bool ascending);

    int Count() const { return static_cast<int>(entries_.size()); }
    const std::string& Text(int i) const;
    std::int32_t EntryValue(int i) const;
    void Append(std::string text, std::int32_t value) { entries_.emplace_back(std::move(text), value); }
    void Exchange(int i, int j);

    std::int32_t IndexValue = 0;

private:
    void Check(int i) const;
    std::vector<std::pair<std::string, std::int32_t>> entries_;
};

namespace detail {
// Sorts L..R by the same compare in n log n steps, whatever the order: the quick sort's way out of a range
// arranged against its pivot.
template <class Compare, class Exchange> void HeapSortRange(int L, int R, Compare& compare, Exchange& exchange) {
    const int n = R - L + 1;
    auto sift = [&](int root, int size) {
        for (int child; (child = 2 * root + 1) < size; root = child) {
            if (child + 1 < size && compare(L + child + 1, L + child) > 0) ++child;
            if (compare(L + child, L + root) <= 0) return;
            exchange(L + root, L + child);
        }
    };
    for (int k = n / 2 - 1; k >= 0; --k)
        sift(k, n);
    for (int end = n - 1; end > 0; --end) {
        exchange(L, L + end);
        sift(0, end);
    }
}

// One Hoare partition of L..R (L < R) around the record in the middle, tracked by its position: when an exchange
// moves it, P follows. compare(i, p) orders position i against the pivot's. Afterwards J < I, L..J holds no record
// after the pivot, I..R none before it, and the records between them are in their places.
template <class Compare, class Exchange>
void PartitionRange(int L, int R, Compare& compare, Exchange& exchange, int& I, int& J) {
    I = L;
    J = R;
    int P = (L + R) / 2;
    do {
        while (compare(I, P) < 0)
            ++I;
        while (compare(J, P) > 0)
            --J;
        if (I <= J) {
            exchange(I, J);
            if (P == I)
                P = J;
            else if (P == J)
                P = I;
            ++I;
            --J;
        }
    } while (I <= J);
}

// The depth past which the quick sort hands a range of n records to the heap sort.
inline int QuickSortDepth(int n) {
    return 4 * static_cast<int>(std::bit_width(static_cast<unsigned>(n)));
}

// What the quick sort tells whoever follows its work: a range L..R parted into L..J and I..R, a range sorted by
// the heap sort.
struct TNoSortWatch {
    void Parted(int /*L*/, int /*J*/, int /*I*/, int /*R*/) {}
    void HeapSorted(int /*L*/, int /*R*/) {}
};

// The Hoare-partition quick sort of both the column sort and an index (PartitionRange). Every partition, the left
// part's in a call of its own and the right part's in the loop, counts towards a depth of about 4 log2 n
// (QuickSortDepth): a range that is still unsorted past it is finished by HeapSortRange, which bounds both the
// time (n log n) and the stack (that many calls). Data arranged against the middle pivot gets there; ordinary
// directories do not (the city and a generated million in every column pass 2 log2 n, never 4 log2 n), so they
// keep the quick sort's own arrangement of equal records. Each range is arranged by its own records alone, so
// that ranges apart may be sorted on different threads with the same outcome.
template <class Compare, class Exchange, class Watch>
void WatchedQuickSort(int L, int R, Compare& compare, Exchange& exchange, int depth, Watch& watch) {
    if (depth < 0) depth = QuickSortDepth(R - L + 1);
    int I, J;
    do {
        if (depth-- == 0) {
            HeapSortRange(L, R, compare, exchange);
            watch.HeapSorted(L, R);
            return;
        }
        PartitionRange(L, R, compare, exchange, I, J);
        watch.Parted(L, J, I, R);
        if (L < J) WatchedQuickSort(L, J, compare, exchange, depth, watch);
        L = I;
    } while (I < R);
}

template <class Compare, class Exchange>
void PivotQuickSort(int L, int R, Compare& compare, Exchange& exchange, int depth = -1) {
    TNoSortWatch watch;
    WatchedQuickSort(L, R, compare, exchange, depth, watch);
}
} // namespace detail

// A record a container holds, in one pointer whose two low bits say who frees it: one from the heap is deleted,
// one from the container's own store is only destroyed (its memory goes back with the store), one borrowed from
// another container is left alone.
class TRecordPtr {
public:
    enum class Owner : std::uintptr_t { Heap = 0, Store = 1, Borrowed = 2 };
    TRecordPtr() = default;
    TRecordPtr(TString* record, Owner owner)
        : bits_(reinterpret_cast<std::uintptr_t>(record) | static_cast<std::uintptr_t>(owner)) {}
    TRecordPtr(TRecordPtr&& other) noexcept : bits_(std::exchange(other.bits_, 0)) {}
    TRecordPtr& operator=(TRecordPtr&& other) noexcept {
        if (this != &other) {
            reset();
            bits_ = std::exchange(other.bits_, 0);
        }
        return *this;
    }
    TRecordPtr(const TRecordPtr&) = delete;
    TRecordPtr& operator=(const TRecordPtr&) = delete;
    ~TRecordPtr() { reset(); }

    TString* get() const { return reinterpret_cast<TString*>(bits_ & ~kOwnerBits); }
    TString* operator->() const { return get(); }
    void reset();

private:
    static constexpr std::uintptr_t kOwnerBits = 3;
    std::uintptr_t bits_ = 0;
};
static_assert(alignof(TString) > 3 && sizeof(TRecordPtr) == sizeof(void*));

// The memory a load builds its records in: blocks of record-sized slots, handed out in order and taken
// back all at once, so that loading makes no allocation per record and the next load reuses the blocks.
class TRecordStore {
public:
    // `expected`: how many records are still to come, as far as the data tells (it may be wrong), 0 when it
    // does not tell; a new block is made for those, within the bounds of a block, so that no block is mostly
    // empty when the data is right.
    void* Allocate(std::size_t expected = 0);
    // When there are no blocks yet: makes those that Allocate makes for `count` records the data tells of (each
    // block's memory is passed to `fresh`), so that their pages may be faulted in before the records are read.
    void Reserve(std::size_t count, const std::function<void(void*, std::size_t)>& fresh);
    // Every record handed out must have been destroyed.
    void Reset() { block_ = used_ = 0; }

private:
    static constexpr std::size_t kSlot = (sizeof(TString) + alignof(TString) - 1) / alignof(TString) * alignof(TString);
    // Without a count, blocks grow from 64 slots to 65,536 (5.6 MiB), so that a small directory stays small and a
    // large one takes few allocations.
    static constexpr std::size_t kMostSlots = std::size_t{64} << 10;
    static std::size_t SlotsIn(std::size_t block) { return std::size_t{64} << std::min<std::size_t>(block, 10); }
    struct TBlock {
        std::unique_ptr<unsigned char[]> memory;
        std::size_t size; // slots
    };
    std::vector<TBlock> blocks_;
    std::size_t block_ = 0;
    std::size_t used_ = 0;
};

// Told of the records a load makes, a run at a time and in their order, on the thread that loads.
class IRecordSink {
public:
    virtual ~IRecordSink() = default;
    // The next records, as the container holds them, side by side in memory. They stay where they are until the
    // container is cleared, and the sink may read them from another thread until Close returns. `expected`: how
    // many records the data claims in all, when the bytes in memory can hold that many; else 0.
    virtual void Take(std::span<const TString> records, std::size_t expected) = 0;
    // The load's records end, every one the data claims read (`whole`) or not: once this returns, the sink
    // touches none of them. Called once, however the load ends.
    virtual void Close(bool whole) noexcept = 0;
};

// The directory in memory: an ordered, owning list of records and a fixed number of string indexes.
class TStrContainer {
public:
    explicit TStrContainer(int indexCount = 0);
    ~TStrContainer();
    TStrContainer(const TStrContainer&) = delete;
    TStrContainer& operator=(const TStrContainer&) = delete;

    void Clear();
    void ClearIndexes();
    // Makes room, before a load, for the `count` records its data claims, as LoadFromStream makes it when the bytes
    // in memory can hold that many: the list and the records' blocks, each piece of new memory passed to `fresh`.
    // A count beyond the limits is left to the load.
    void Reserve(std::int32_t count, const std::function<void(void*, std::size_t)>& fresh);
    // Replaces the whole content from the stream. Failures are passed on; what was read until then stays.
    // `sink`, when given, is handed every record read whole, and closed before this returns.
    void LoadFromStream(TStream* stream, const ProgressCallback& progress = {}, IRecordSink* sink = nullptr);

    int Count() const { return static_cast<int>(borrowing_ ? positions_.size() : records_.size()); }
    // Empty at or beyond Count; a negative position fails with EListError.
    std::string_view GetKey(int i) const;
    // None at or beyond Count; a negative position fails with EListError.
    const TString* GetItem(int i) const;
    void Delete(int i);
    void Exchange(int i, int j);
    // Deletes every record whose flag is set, the others keeping their order: the same as deleting them one
    // by one from the last to the first, in linear time. Flags beyond Count are ignored.
    void DeleteMarked(const std::vector<char>& marked);
    void Append(std::unique_ptr<TString> record);
    // Puts the records in a new order: the record at position order[k] moves to position k. `order` must hold
    // every position once; otherwise nothing moves and EListError names the first position that is out of
    // range or repeated.
    void Arrange(const std::vector<std::uint32_t>& order);
    // Replaces the whole content with `master`'s, sharing its records instead of copying them, and shares the
    // ownership of `master` until Clear or the next restore: the records stay valid as long as this container
    // holds them, whatever becomes of the master's other owners. The container then holds only the records'
    // positions in `master` (four bytes a record). The master must own every record it holds, or borrow them
    // all, and stay unchanged while it is shared. Indexes and HeaderValue are copied.
    void RestoreFrom(std::shared_ptr<const TStrContainer> master);
    // The same with only `master`'s records at `positions`, in that order; a position out of range fails with
    // EListError before anything changes.
    void RestoreOnly(std::shared_ptr<const TStrContainer> master, const std::vector<std::uint32_t>& positions);

    int IndexCount() const { return static_cast<int>(indexes_.size()); }
    TStrIndex& Index(int j);

    std::int32_t HeaderValue = 0;

private:
    void Check(int i) const;
    const TString* At(std::size_t i) const {
        return borrowing_ ? lender_->records_[positions_[i]].get() : records_[i].get();
    }
    // Shares `master`'s records and the master itself: its records at `positions` when given, else all of them.
    void Borrow(std::shared_ptr<const TStrContainer> master, const std::vector<std::uint32_t>* positions);
    // From positions in the lender to a list of records of its own, so that a record of another kind can join.
    void StopBorrowing();

    TRecordStore store_; // before records_: the records go first
    std::vector<TRecordPtr> records_;
    std::shared_ptr<const TStrContainer> lender_; // what the borrowed records belong to
    // While borrowing_, the container holds every record at its position in lender_, and records_ is empty.
    bool borrowing_ = false;
    std::vector<std::uint32_t> positions_;
    std::vector<std::unique_ptr<TStrIndex>> indexes_;
};

// Case-insensitive ordinal comparison: both sides upper-cased in Windows-1251, then compared as unsigned
// bytes, a proper prefix first. Returns -1, 0 or 1.
int StrCompare(std::string_view a, std::string_view b);
// -1 becomes 1 and 1 becomes -1; every other value stays.
void NegateOrder(int& result);

// Reads a length guarded by its complement and its CRC-32; a broken guard gives the empty text.
void ReadGuardedString(TStream* stream, std::string& result);

} // namespace vg
