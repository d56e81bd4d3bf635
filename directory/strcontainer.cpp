#include "strcontainer.h"

#include "cp1251.h"
#include "errors.h"
#include "limits.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <numeric>
#include <zlib.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vg {

EListError::EListError(long long index)
    : Exception("List index out of bounds (" + std::to_string(index) + ")"), index_(index) {}

namespace {

// A phone as a message may quote it: digits only, as a phone is; a damaged key is not echoed.
std::string QuotedPhone(const std::string& phone) {
    if (phone.empty()) return " (no phone)";
    const bool digits =
        phone.size() <= 16 && std::all_of(phone.begin(), phone.end(), [](char c) { return c >= '0' && c <= '9'; });
    return digits ? " (phone " + phone + ")" : " (its phone is not digits)";
}

} // namespace

ERecordError::ERecordError(std::int32_t position, std::string phone, const EListError& cause)
    : EListError(cause.Index(), "record " + GroupedNumber(std::int64_t{position} + 1) + QuotedPhone(phone) +
                                    " lacks line " + std::to_string(cause.Index() + 1) + ": " + cause.what()),
      position_(position), phone_(std::move(phone)), line_(static_cast<int>(cause.Index())) {}

namespace {

// Calls `line` for every line of a record text: CR LF, CR or LF end a line, a zero byte ends the text. The
// text is looked through sixteen bytes at a time for the three, and every one found in them is taken in turn.
template <class F> void ForEachLine(std::string_view text, F&& line) {
    const char* const base = text.data();
    std::size_t end = text.size();
    std::size_t start = 0;
    for (std::size_t block = 0; block < end; block += 16) {
        const std::size_t left = end - block;
        unsigned stops = 0;
#if defined(__SSE2__)
        char tail[16];
        const char* from = base + block;
        if (left < 16) {
            std::memset(tail, 'x', sizeof tail);
            std::memcpy(tail, from, left);
            from = tail;
        }
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        stops = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))),
                         _mm_cmpeq_epi8(v, _mm_setzero_si128()))));
#else
        for (std::size_t k = 0; k < std::min<std::size_t>(left, 16); ++k) {
            const char c = base[block + k];
            if (c == '\r' || c == '\n' || c == 0) stops |= 1u << k;
        }
#endif
        for (; stops != 0; stops &= stops - 1) {
            const std::size_t at = block + static_cast<std::size_t>(__builtin_ctz(stops));
            if (at < start) continue; // the LF of a CR LF
            const char c = base[at];
            if (c == 0) {
                end = at;
                break;
            }
            line(std::string_view(base + start, at - start));
            start = at + 1;
            if (c == '\r' && start < end && base[start] == '\n') ++start;
        }
    }
    if (start < end) line(std::string_view(base + start, end - start));
}

} // namespace

// ---- TLineList ----

void TLineList::Fail(int i) {
    throw EListError(i);
}

// ---- TString ----

TString::TString(std::string_view key) {
    if (!key.empty()) Assign(key, nullptr, 0);
}

TString::~TString() {
    Release();
}

void TString::Release() {
    if (data_ != inline_) delete[] data_;
    data_ = inline_;
}

void TString::Assign(std::string_view key, const std::string_view* lines, std::size_t count, bool aside) {
    std::size_t text = 0;
    for (std::size_t k = 0; k < count; ++k)
        text += lines[k].size();
    std::size_t total = key.size() + text + count * sizeof(std::uint32_t);
    // The parts may point into this record's own storage (SetKey keeps the lines): build aside, then swap in.
    // Parts from elsewhere go straight in.
    char scratch[kInlineBytes];
    if (!aside && total <= kInlineBytes) Release();
    char* data = total > kInlineBytes ? new char[total] : aside ? scratch : inline_;
    char* p = data;
    if (!key.empty()) std::memcpy(p, key.data(), key.size());
    p += key.size();
    char* endsAt = p + text;
    std::uint32_t end = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (!lines[k].empty()) std::memcpy(p + end, lines[k].data(), lines[k].size());
        end += static_cast<std::uint32_t>(lines[k].size());
        std::memcpy(endsAt + k * sizeof end, &end, sizeof end);
    }
    if (data != inline_) Release();
    if (data == scratch) {
        std::memcpy(inline_, scratch, total);
        data_ = inline_;
    } else {
        data_ = data;
    }
    keyLen_ = static_cast<std::uint32_t>(key.size());
    textLen_ = static_cast<std::uint32_t>(text);
    lineCount_ = static_cast<std::uint32_t>(count);
}

void TString::SetKey(std::string_view key) {
    std::string copy(key);
    std::vector<std::string> keep;
    auto lines = Lines();
    for (int i = 0; i < lines.Count(); ++i)
        keep.emplace_back(lines.Get(i));
    std::vector<std::string_view> views(keep.begin(), keep.end());
    Assign(copy, views.data(), views.size());
}

void TString::SetLines(const std::vector<std::string>& lines) {
    std::string key(Key());
    std::vector<std::string_view> views(lines.begin(), lines.end());
    Assign(key, views.data(), views.size());
}

void TString::Clear() {
    Assign({}, nullptr, 0);
}

void TString::LoadFromStream(TStream* stream) {
    Release();
    keyLen_ = textLen_ = lineCount_ = 0;
    if (!stream) return;
    unsigned char head[12];
    // A directory inflated whole is read where it lies; anything else through copies.
    if (const std::string_view bytes = stream->ReadInPlace(sizeof head); !bytes.empty())
        std::memcpy(head, bytes.data(), sizeof head);
    else
        stream->ReadBuffer(head, 12, "a record's header");
    auto word = [&head](int k) {
        return static_cast<std::int32_t>(head[4 * k] | (std::uint32_t{head[4 * k + 1]} << 8) |
                                         (std::uint32_t{head[4 * k + 2]} << 16) |
                                         (std::uint32_t{head[4 * k + 3]} << 24));
    };
    std::int32_t keyLen = word(0);
    std::int32_t textLen = word(1);
    Tag = word(2);
    if (keyLen <= 0 && textLen <= 0) return;
    CheckRecordLengths(keyLen, textLen);
    // One buffer per thread, reused for every record: a load makes no allocation besides the record's own.
    thread_local std::string buffer;
    constexpr std::size_t kDirect = 64 * 1024;
    auto key = static_cast<std::size_t>(std::max(keyLen, 0));
    auto text = static_cast<std::size_t>(std::max(textLen, 0));
    if (const std::string_view bytes = stream->ReadInPlace(key + text); !bytes.empty()) {
        // The records that follow, fetched while this one is split (a hint: it never faults).
        __builtin_prefetch(bytes.data() + 1024);
        AssignText(bytes.substr(0, key), bytes.substr(key));
        return;
    }
    if (key <= kDirect) {
        buffer.resize(key);
        stream->ReadBuffer(buffer.data(), key, "a record's key");
    } else {
        buffer = stream->ReadString(key, "a record's key");
    }
    if (text > 0) {
        try {
            if (text <= kDirect) {
                buffer.resize(key + text);
                stream->ReadBuffer(buffer.data() + key, text, "a record's text");
            } else {
                buffer += stream->ReadString(text, "a record's text");
            }
        } catch (...) {
            buffer.resize(key);
        }
    }
    std::string_view all(buffer);
    AssignText(all.substr(0, key), all.substr(key));
}

void TString::AssignText(std::string_view key, std::string_view text) {
    // A record has four lines; at most kLines + 1 get here.
    std::string_view lines[limits::kLines + 1];
    std::size_t count = 0;
    ForEachLine(text, [&](std::string_view line) {
        lines[count] = line;
        CheckLineLength(static_cast<std::uint32_t>(count), line.size());
        if (++count > limits::kLines) FailTooManyLines();
    });
    // The parts lie elsewhere: straight into the record's own room, or a new one.
    Assign(key, lines, count, false);
}

// ---- TStrIndex ----

void TStrIndex::Check(int i) const {
    if (i < 0 || i >= Count()) throw EListError(i);
}

const std::string& TStrIndex::Text(int i) const {
    Check(i);
    return entries_[static_cast<std::size_t>(i)].first;
}

std::int32_t TStrIndex::EntryValue(int i) const {
    Check(i);
    return entries_[static_cast<std::size_t>(i)].second;
}

void TStrIndex::Exchange(int i, int j) {
    Check(i);
    Check(j);
    std::swap(entries_[static_cast<std::size_t>(i)], entries_[static_cast<std::size_t>(j)]);
}

void TStrIndex::LoadFromStream(TStream* stream) {
    Clear();
    if (!stream) return;
    if (!stream->HasAtLeast(2)) return;
    std::int32_t entryCount = stream->ReadInt32("an index's entry count");
    IndexValue = stream->ReadInt32("an index's value");
    for (std::int32_t k = 0; k < entryCount; ++k) {
        std::int32_t value = stream->ReadInt32("an index entry's value");
        std::string text;
        ReadGuardedString(stream, text);
        Append(std::move(text), value);
    }
}

void TStrIndex::Sort(bool ascending) {
    if (Count() <= 1) return;
    // The container's quick sort, over entries compared by text.
    auto compare = [&](int i, int p) {
        int r = StrCompare(entries_[static_cast<std::size_t>(i)].first, entries_[static_cast<std::size_t>(p)].first);
        if (!ascending) NegateOrder(r);
        return r;
    };
    auto exchange = [this](int i, int j) { Exchange(i, j); };
    detail::PivotQuickSort(0, Count() - 1, compare, exchange);
}

// ---- TStrContainer ----

TStrContainer::TStrContainer(int indexCount) {
    for (int j = 0; j < indexCount; ++j)
        indexes_.push_back(std::make_unique<TStrIndex>());
}

TStrContainer::~TStrContainer() {
    Clear();
}

void TRecordPtr::reset() {
    TString* record = get();
    switch (static_cast<Owner>(bits_ & kOwnerBits)) {
    case Owner::Heap:
        delete record;
        break;
    case Owner::Store:
        record->~TString();
        break;
    case Owner::Borrowed:
        break;
    }
    bits_ = 0;
}

void* TRecordStore::Allocate(std::size_t expected) {
    if (block_ < blocks_.size() && used_ == blocks_[block_].size) {
        ++block_;
        used_ = 0;
    }
    // Uninitialised: every slot is constructed before it is used.
    if (block_ == blocks_.size()) {
        const std::size_t room = expected == 0 ? SlotsIn(block_) : std::clamp(expected, SlotsIn(0), kMostSlots);
        blocks_.push_back({std::unique_ptr<unsigned char[]>(new unsigned char[kSlot * room]), room});
    }
    return blocks_[block_].memory.get() + kSlot * used_++;
}

void TRecordStore::Reserve(std::size_t count, const std::function<void(void*, std::size_t)>& fresh) {
    if (!blocks_.empty()) return;
    // As Allocate sizes them, each block for the records still to come.
    for (std::size_t left = count; left > 0;) {
        const std::size_t room = std::clamp(left, SlotsIn(0), kMostSlots);
        blocks_.push_back({std::unique_ptr<unsigned char[]>(new unsigned char[kSlot * room]), room});
        fresh(blocks_.back().memory.get(), kSlot * room);
        left -= std::min(left, room);
    }
}

void TStrContainer::Reserve(std::int32_t count, const std::function<void(void*, std::size_t)>& fresh) {
    if (count < 1 || borrowing_) return;
    try {
        CheckRecordCount(count);
    } catch (const Exception&) {
        return;
    }
    if (records_.capacity() < static_cast<std::size_t>(count)) {
        records_.reserve(static_cast<std::size_t>(count));
        fresh(records_.data(), records_.capacity() * sizeof(TRecordPtr));
    }
    store_.Reserve(static_cast<std::size_t>(count), fresh);
}

void TStrContainer::Clear() {
    records_.clear();
    positions_.clear();
    borrowing_ = false;
    store_.Reset();
    lender_.reset(); // after the records that belong to it
    ClearIndexes();
}

void TStrContainer::ClearIndexes() {
    for (auto& index : indexes_)
        index->Clear();
}

void TStrContainer::Check(int i) const {
    if (i < 0 || i >= Count()) throw EListError(i);
}

std::string_view TStrContainer::GetKey(int i) const {
    if (i < 0) throw EListError(i);
    if (i >= Count()) return {};
    return At(static_cast<std::size_t>(i))->Key();
}

const TString* TStrContainer::GetItem(int i) const {
    if (i < 0) throw EListError(i);
    if (i >= Count()) return nullptr;
    return At(static_cast<std::size_t>(i));
}

void TStrContainer::Delete(int i) {
    Check(i);
    if (borrowing_)
        positions_.erase(positions_.begin() + i);
    else
        records_.erase(records_.begin() + i);
}

namespace {

// Removes the marked elements, the others keeping their order; `drop` lets an element go first.
template <class T, class Drop> void RemoveMarked(std::vector<T>& items, const std::vector<char>& marked, Drop drop) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i < marked.size() && marked[i]) {
            drop(items[i]);
        } else {
            if (out != i) items[out] = std::move(items[i]);
            ++out;
        }
    }
    items.resize(out);
}

// The items in a new order: the one at order[k] moves to k. `order` holds every position once.
template <class T> void Permute(std::vector<T>& items, const std::vector<std::uint32_t>& order) {
    std::vector<T> arranged;
    arranged.reserve(items.size());
    for (std::uint32_t from : order)
        arranged.push_back(std::move(items[from]));
    items.swap(arranged);
}

} // namespace

void TStrContainer::DeleteMarked(const std::vector<char>& marked) {
    if (borrowing_)
        RemoveMarked(positions_, marked, [](std::uint32_t) {});
    else
        RemoveMarked(records_, marked, [](TRecordPtr& record) { record.reset(); });
}

void TStrContainer::Exchange(int i, int j) {
    Check(i);
    Check(j);
    if (borrowing_)
        std::swap(positions_[static_cast<std::size_t>(i)], positions_[static_cast<std::size_t>(j)]);
    else
        std::swap(records_[static_cast<std::size_t>(i)], records_[static_cast<std::size_t>(j)]);
}

void TStrContainer::StopBorrowing() {
    if (!borrowing_) return;
    records_.reserve(positions_.size() + 1);
    for (std::uint32_t from : positions_)
        records_.emplace_back(lender_->records_[from].get(), TRecordPtr::Owner::Borrowed);
    std::vector<std::uint32_t>().swap(positions_);
    borrowing_ = false;
}

void TStrContainer::Append(std::unique_ptr<TString> record) {
    StopBorrowing();
    records_.emplace_back(record.release(), TRecordPtr::Owner::Heap);
}

void TStrContainer::Arrange(const std::vector<std::uint32_t>& order) {
    const auto count = static_cast<std::size_t>(Count());
    if (order.size() != count) throw EListError(static_cast<long long>(order.size()));
    std::vector<char> seen(count, 0);
    for (std::uint32_t from : order) {
        if (from >= count || seen[from]) throw EListError(from);
        seen[from] = 1;
    }
    if (borrowing_)
        Permute(positions_, order);
    else
        Permute(records_, order);
}

void TStrContainer::Borrow(std::shared_ptr<const TStrContainer> master, const std::vector<std::uint32_t>* positions) {
    const auto count = static_cast<std::size_t>(master->Count());
    if (positions)
        for (std::uint32_t from : *positions)
            if (from >= count) throw EListError(from);
    Clear();
    HeaderValue = master->HeaderValue;
    if (positions)
        positions_.assign(positions->begin(), positions->end());
    else {
        positions_.resize(count);
        std::iota(positions_.begin(), positions_.end(), 0u);
    }
    const std::size_t shared = std::min(indexes_.size(), master->indexes_.size());
    for (std::size_t j = 0; j < shared; ++j)
        *indexes_[j] = *master->indexes_[j];
    // A master that borrows itself lends what it borrows.
    if (master->borrowing_) {
        for (std::uint32_t& at : positions_)
            at = master->positions_[at];
        lender_ = master->lender_;
    } else {
        lender_ = std::move(master);
    }
    borrowing_ = true;
}

void TStrContainer::RestoreFrom(std::shared_ptr<const TStrContainer> master) {
    if (!master || master.get() == this) return;
    Borrow(std::move(master), nullptr);
}

void TStrContainer::RestoreOnly(std::shared_ptr<const TStrContainer> master,
                                const std::vector<std::uint32_t>& positions) {
    if (!master || master.get() == this) return;
    Borrow(std::move(master), &positions);
}

TStrIndex& TStrContainer::Index(int j) {
    if (j < 0 || j >= IndexCount()) throw EListError(j);
    return *indexes_[static_cast<std::size_t>(j)];
}

namespace {

// Hands a load's records to a sink a run at a time, each run records side by side in the store, and closes the
// sink however the load ends.
class TRecordRuns {
public:
    explicit TRecordRuns(IRecordSink* sink) : sink_(sink) {}
    ~TRecordRuns() { Close(false); }
    TRecordRuns(const TRecordRuns&) = delete;
    TRecordRuns& operator=(const TRecordRuns&) = delete;

    void Add(const TString* record, std::size_t expected) {
        if (!sink_) return;
        if (size_ > 0 && (record != first_ + size_ || size_ == kRun)) Hand(expected);
        if (size_ == 0) first_ = record;
        ++size_;
    }
    void Close(bool whole, std::size_t expected = 0) {
        if (!sink_) return;
        if (whole && size_ > 0) Hand(expected);
        std::exchange(sink_, nullptr)->Close(whole);
    }

private:
    void Hand(std::size_t expected) {
        sink_->Take({first_, size_}, expected);
        size_ = 0;
    }
    // Runs short enough for the sink to start on the first records soon.
    static constexpr std::size_t kRun = 4096;
    IRecordSink* sink_;
    const TString* first_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace

void TStrContainer::LoadFromStream(TStream* stream, const ProgressCallback& progress, IRecordSink* sink) {
    Clear();
    TRecordRuns runs(sink);
    if (!stream) {
        runs.Close(true);
        return;
    }
    std::int32_t count = stream->ReadInt32("the record count");
    HeaderValue = stream->ReadInt32("the header value");
    if (count < 1) {
        runs.Close(true);
        return;
    }
    CheckRecordCount(count);
    // Reserve no more than the data can plausibly hold: the count word is not trusted, unless the bytes lie in
    // memory and hold a record header for every record it claims.
    constexpr std::size_t kHeaderBytes = 12;
    const bool plausible = stream->InPlaceLeft() / kHeaderBytes >= static_cast<std::size_t>(count);
    records_.reserve(static_cast<std::size_t>(plausible ? count : std::min(count, 1 << 16)));
    const std::size_t expected = plausible ? static_cast<std::size_t>(count) : 0;
    std::int32_t step = std::max(count / 100, 1);
    if (progress) progress(0, count);
    // Reported at every step'th record, counted down rather than divided out.
    std::int32_t untilReport = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        // The store's blocks, too, are sized by the count only when the bytes can hold it.
        TRecordPtr record(new (store_.Allocate(plausible ? static_cast<std::size_t>(count - i) : 0)) TString(),
                          TRecordPtr::Owner::Store);
        record->LoadFromStream(stream);
        const TString* const made = record.get();
        records_.push_back(std::move(record));
        runs.Add(made, expected);
        const bool report = untilReport == 0 || i == count - 1;
        untilReport = untilReport == 0 ? step - 1 : untilReport - 1;
        if (report && progress) progress(i, count);
    }
    runs.Close(true, expected);
    // The list grew by doubling: a large directory's slack goes once it is read.
    if (records_.capacity() - records_.size() > records_.size() / 8) records_.shrink_to_fit();
    std::int32_t indexCount = stream->ReadInt32("the index count");
    if (indexCount <= 0) {
        ClearIndexes();
        return;
    }
    for (std::int32_t j = 0; j < indexCount; ++j)
        Index(j).LoadFromStream(stream);
}

// ---- string routines ----

int StrCompare(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        unsigned char x = cp1251::Upper(static_cast<unsigned char>(a[k]));
        unsigned char y = cp1251::Upper(static_cast<unsigned char>(b[k]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

void NegateOrder(int& result) {
    if (result == -1)
        result = 1;
    else if (result == 1)
        result = -1;
}

void ReadGuardedString(TStream* stream, std::string& result) {
    result.clear();
    if (!stream) return;
    unsigned char lenBytes[4];
    stream->ReadBuffer(lenBytes, 4, "a guarded string's length");
    std::uint32_t len = lenBytes[0] | (std::uint32_t{lenBytes[1]} << 8) | (std::uint32_t{lenBytes[2]} << 16) |
                        (std::uint32_t{lenBytes[3]} << 24);
    auto crc = static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0), lenBytes, 4));
    auto notLen = static_cast<std::uint32_t>(stream->ReadInt32("a guarded string's guard"));
    if (len != ~notLen) return;
    auto lenCrc = static_cast<std::uint32_t>(stream->ReadInt32("a guarded string's checksum"));
    if (lenCrc != crc) return;
    auto signedLen = static_cast<std::int32_t>(len);
    if (signedLen > 0) result = stream->ReadString(static_cast<std::size_t>(signedLen), "a guarded string");
}

} // namespace vg
