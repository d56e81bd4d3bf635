#pragma once

#include "directory/fields.h"
#include "directory/strcontainer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vg {

class TBoxQuery;
struct TBoxCounts;
struct TDialled;
class TCriterionTest;
class TPreparingSink;
class TRecordFilter;

// One field of every record, held as which of the field's distinct texts each record has: a criterion is
// tested once per distinct text and then looked up once per record. A directory's streets, houses and flats
// number a few hundred whatever its size, its subscribers a sixth of its records.
class TFieldColumn {
public:
    // Empty, with room for `count` records. A record without the field holds the empty text.
    explicit TFieldColumn(std::int32_t count);
    // The next record's text and its HashText; Prefetch with the hash first, then PrefetchText, each as early as
    // possible (a batch of records at a time); Finish after the last record.
    void Add(std::string_view text, std::uint64_t hash);
    void Prefetch(std::uint64_t hash) const { __builtin_prefetch(&slots_[(hash >> 32) & (slots_.size() - 1)]); }
    // Fetches the text the hash most likely finds and its count, once its slot has been fetched.
    void PrefetchText(std::uint64_t hash) const {
        const TSlot& slot = slots_[(hash >> 32) & (slots_.size() - 1)];
        if (slot.code == 0) return;
        __builtin_prefetch(texts_.data() + slot.begin);
        __builtin_prefetch(counts_.data() + (slot.code - 1));
    }
    void Finish(Field field);

    std::size_t Distinct() const { return ends_.size(); }
    std::string_view Text(std::size_t code) const {
        const std::uint32_t begin = code == 0 ? 0 : ends_[code - 1];
        return {texts_.data() + begin, ends_[code] - begin};
    }
    // The test's verdict on every distinct text, 1 where it passes.
    std::vector<unsigned char> Verdicts(const TCriterionTest& test) const;
    // How many records hold each distinct text.
    std::uint32_t Records(std::size_t code) const { return counts_[code]; }
    // Keeps the positions in [begin, end) whose record passes, ascending, appended to `out`.
    void Select(const std::vector<unsigned char>& verdicts, std::uint32_t begin, std::uint32_t end,
                std::vector<std::uint32_t>& out) const;
    // Removes from `positions`, from its element `from` on, those whose record fails; the others keep their order.
    void Filter(const std::vector<unsigned char>& verdicts, std::vector<std::uint32_t>& positions,
                std::size_t from) const;
    std::size_t MemoryBytes() const;
    // A distinct text folded as the search compares it (FoldForMatch of the field's kind), and a record's text.
    std::string_view Folded(std::size_t code) const {
        const std::uint32_t begin = foldedStarts_[code];
        const std::size_t end = code + 1 < foldedStarts_.size() ? foldedStarts_[code + 1] - 1 : folded_.size() - 1;
        return {folded_.data() + begin, end - begin};
    }
    // Every distinct text folded, each after a line feed, and one more line feed at the end: Folded(code) is a
    // piece of it.
    std::string_view FoldedTexts() const { return folded_; }
    // The records the column holds.
    std::size_t CodeCount() const { return narrow_.size() + wide_.size(); }
    // The records' codes, whichever their width, for a loop to hold in registers.
    struct TCodes {
        const std::uint16_t* narrow;
        const std::uint32_t* wide;
        std::uint32_t operator[](std::uint32_t record) const { return narrow ? narrow[record] : wide[record]; }
        void Prefetch(std::uint32_t record) const {
            if (narrow)
                __builtin_prefetch(narrow + record);
            else
                __builtin_prefetch(wide + record);
        }
    };
    // Calls f with the records' codes, whichever their width.
    template <class F> decltype(auto) WithCodes(F&& f) const {
        return narrow_.empty() && !wide_.empty() ? f(wide_) : f(narrow_);
    }
    TCodes Codes() const {
        return WithCodes([](const auto& codes) {
            if constexpr (sizeof codes[0] == sizeof(std::uint16_t))
                return TCodes{codes.data(), nullptr};
            else
                return TCodes{nullptr, codes.data()};
        });
    }

    // Appends to `codes`, ascending, every distinct text whose folded form is `folded` (without a line feed).
    void Folding(std::string_view folded, std::vector<std::uint32_t>& codes) const;
    // Appends to `codes`, ascending, every distinct text where the folded `word` (without a line feed) begins a
    // word (BeginsWordAt).
    void WordStarts(std::string_view word, std::vector<std::uint32_t>& codes) const;

private:
    // The code of the folded text the byte at `at` of folded_ belongs to.
    std::size_t CodeAt(std::size_t at) const;
    // The texts' occurrences of a folded criterion, one verdict per text: at their start only, or anywhere.
    std::vector<unsigned char> Occurrences(std::string_view criterion, bool atStart) const;

    std::string texts_;               // the distinct texts back to back, in their first record's order
    std::vector<std::uint32_t> ends_; // where each distinct text ends in texts_
    // Per record, its text's number: 16 bits while the field has at most 65,536 distinct texts.
    std::vector<std::uint16_t> narrow_;
    std::vector<std::uint32_t> wide_;
    std::vector<std::uint32_t> counts_; // per distinct text, the records that hold it
    // While records are added: the distinct texts by their hash, open addressing. A slot holds the upper half of
    // the text's hash, which also places it, so that a probe compares texts only when those agree, its number
    // plus one (0: the slot is free) and where it lies in texts_, so that the comparison reads the text alone.
    struct TSlot {
        std::uint32_t tag = 0;
        std::uint32_t code = 0;
        std::uint32_t begin = 0;
        std::uint32_t size = 0;
    };
    std::vector<TSlot> slots_;
    void Rehash();
    // The distinct texts folded as the search compares them, each after a line feed (which no line holds) and
    // the last one before one more: a criterion is looked for in all of them at once.
    std::string folded_;
    std::vector<std::uint32_t> foldedStarts_;
};

// The records holding each distinct text of a column, ascending within a text (a counting sort of the column's
// codes, made once). Where the texts are few (a street's), a position is kept as 16 bits within a block of
// 65,536 records, with where each text's positions start in each block; else whole.
class TPostings {
public:
    void Build(const TFieldColumn& column);
    // Always in blocks, however many the codes: `count` records' codes, each below `distinct`, read as codes[i].
    template <class Codes> void BuildBlocks(const Codes& codes, std::size_t count, std::size_t distinct);
    std::uint32_t Blocks() const { return blocks_; }
    // In blocks only: block b's records of the codes [first, last), code after code, each code's ascending, as
    // positions within the block.
    std::span<const std::uint16_t> InBlock(std::uint32_t b, std::size_t first, std::size_t last) const {
        const std::size_t list = std::size_t{b} * codes_;
        return {low_.data() + starts_[list + first], starts_[list + last] - starts_[list + first]};
    }
    // Calls f with every record holding `code`, ascending.
    template <class F> void ForEach(std::size_t code, F&& f) const {
        if (blocks_ == 0) {
            for (std::uint32_t k = starts_[code]; k < starts_[code + 1]; ++k)
                f(whole_[k]);
            return;
        }
        for (std::uint32_t b = 0; b < blocks_; ++b) {
            const std::size_t list = std::size_t{b} * codes_ + code;
            for (std::uint32_t k = starts_[list]; k < starts_[list + 1]; ++k)
                f(b << 16 | low_[k]);
        }
    }
    std::size_t MemoryBytes() const;

private:
    template <class Codes, class Counts>
    void Fill(const Codes& codes, std::size_t count, std::size_t distinct, bool blocked, const Counts& records);

    std::uint32_t blocks_ = 0; // blocks of 65,536 records when positions are kept as 16 bits, else 0
    std::uint32_t codes_ = 0;
    // Per text, or per block and text, where its positions start; one more at the end.
    std::vector<std::uint32_t> starts_;
    std::vector<std::uint16_t> low_;
    std::vector<std::uint32_t> whole_;
};

class TPreparedDirectory;

// A phone criterion tested on the first digits the prepared directory keeps of every phone, wherever they tell all
// the test sees: on a phone of at most eight digits, or of more for a test decided by its first eight characters,
// that holds nothing else matching keeps. A test decided by a phone's first few characters ("начинается с", a mask
// without '*', the order conditions) is made once for every group of that many digits and then looked up per
// record; "начинается с" digits is a range of the digits read as a number. Any other phone is tested as it lies.
// The verdicts are exactly the test's on every record's phone.
class TPhoneTest {
public:
    // Both must outlive it.
    TPhoneTest(const TPreparedDirectory& prepared, const TCriterionTest& test);
    // The verdicts on the records [begin, end), 1 where the phone passes, into out[0, end - begin).
    void Verdicts(std::uint32_t begin, std::uint32_t end, unsigned char* out) const;
    bool operator()(std::uint32_t record) const;
    // How many records' phones pass.
    std::int32_t Count() const;

private:
    enum class Way : std::uint8_t { Range, Table, Holds, Each };
    template <int Prefix> void Looked(const std::uint32_t* phones, std::uint32_t n, unsigned char* out) const;
    bool Digits(std::uint32_t phone) const; // the verdict on a phone its digits tell all of
    void Fix(bool verdict);                 // the same verdict on every phone of digits only

    const TPreparedDirectory* prepared_;
    const TCriterionTest* test_;
    Way way_ = Way::Each;
    int prefix_ = 0;                             // Table: the characters that decide the test
    std::uint32_t digits_ = 0, lo_ = 0, hi_ = 0; // Range: at least `digits_` digits, the number in [lo_, hi_)
    // Holds: the criterion's `digits_` digits as bytes, the first lowest, and whether the verdict is "does not".
    std::uint64_t held_ = 0;
    bool lacks_ = false;
    // Table: per group of digits, the verdict on a phone that begins with it (or is it, when shorter than the
    // prefix); the groups of each length follow those of the length before.
    std::vector<unsigned char> table_;
    std::vector<std::uint32_t> offsets_; // where the groups of each length begin in table_
};

// Which records a search keeps, in the directory's order, and where its walk stops.
struct TSelection {
    std::vector<std::uint32_t> positions;
    // The record short of lines where the walk from the last record down stops with a failure; -1: none.
    // Every record before it is kept.
    std::int32_t stop = -1;
};

// The whole directory prepared for searching: its streets, houses, flats and subscribers as columns of
// distinct texts. The selection is exactly the walk's: every field is tested by the same criterion test as
// the walk's, on the same text; the phone, nearly one per record, is read from the record itself.
class TPreparedDirectory {
public:
    // Shares the ownership of `whole` (not null), which must stay unchanged as long as this: what it selects
    // are positions in it, and what it tests are its records' texts.
    explicit TPreparedDirectory(std::shared_ptr<const TStrContainer> whole);
    TPreparedDirectory(const TPreparedDirectory&) = delete;
    TPreparedDirectory& operator=(const TPreparedDirectory&) = delete;

    std::int32_t Count() const { return count_; }
    const TStrContainer& Whole() const { return *whole_; }
    // The street's, house's, flat's or subscriber's column (not the phone's).
    const TFieldColumn& Column(Field field) const { return columns_.at(Index(field) - 1); }
    // The records the walk from the last record to the first keeps, and where it stops.
    TSelection Select(const TRecordFilter& filter) const;
    // The records every word of the box matches, in the directory's order, as TBoxQuery's test on each record
    // decides: each word is tested once per distinct street, subscriber, house and flat. When a word of letters
    // matches few records, only the records of the streets and subscribers it matches are tested; else every
    // record. None when the box holds more than 64 words or the directory a record short of lines: the walk
    // decides then.
    std::optional<std::vector<std::uint32_t>> SelectBox(const TBoxQuery& query) const;
    // How many records SelectBox keeps, without listing them; none when it would give none.
    std::optional<std::size_t> CountSelectBox(const TBoxQuery& query) const;
    // What each word of the box matches alone and all of them together, as CountBoxWords counts them on the
    // records: a word of letters from the records of the streets and subscribers it matches, those holding both
    // counted once; a group of numbers alone from the lists of its houses', flats' and phones' records, several in
    // one pass over the houses', flats' and phones' codes. False, `counts`
    // untouched, where SelectBox gives none.
    bool CountBox(const TBoxQuery& query, TBoxCounts& counts) const;
    // What the columns take besides the records.
    std::size_t MemoryBytes() const;
    // The records, ascending, whose phone holds more than digits as matching folds it: a letter, '*', '?', '['.
    const std::vector<std::uint32_t>& PhonesBeyondDigits() const { return oddPhones_; }

private:
    friend class TPreparingSink;
    static constexpr std::size_t kColumns = kFieldCount - 1;
    // Empty, with room for `count` records, to which the records are added in their order.
    explicit TPreparedDirectory(std::size_t count);
    // Adds the records that follow to the columns and the phones.
    void Add(std::span<const TString* const> records);
    void Add(std::span<const TString> records);
    template <class Records> void AddRun(const Records& records);
    // Once every record has been added: column `c`'s texts folded, and for the street and the subscriber their
    // lists of records.
    void Finish(std::size_t c);

    std::shared_ptr<const TStrContainer> whole_;
    std::int32_t count_ = 0;
    std::int32_t lastShort_ = -1;       // the last record with fewer lines than fields
    std::vector<TFieldColumn> columns_; // Street, House, Flat, User
    // Per record, the phone's first digits for the box (PhoneDigits): what the box asks of a phone, without
    // reading the record.
    std::vector<std::uint32_t> phones_;
    // The records, ascending, whose phone holds more than digits as matching folds it (a letter, '*', '?', '[').
    std::vector<std::uint32_t> oddPhones_;
    friend class TPhoneTest;
    // The records of each street and each subscriber, for a box whose words match few of them; of each house, each
    // flat and each phone's first two digits (PhoneHead), for a box of numbers alone.
    TPostings streetRecords_, userRecords_, houseRecords_, flatRecords_, phoneRecords_;
    struct TBoxTables;
    TBoxTables BoxTables(const TBoxQuery& query) const;
    // Whether the box's words and the records are few enough for the tables: SelectBox's condition.
    bool BoxFits(const TBoxQuery& query) const;
    // SelectBox's selection: the records kept appended to `list`, or only counted when it is null.
    std::size_t Box(const TBoxQuery& query, const TBoxTables& tables, std::vector<std::uint32_t>* list) const;
    // The same for a box of one group of numbers and no letters, gathered from the lists of records.
    std::size_t OneGroup(const TBoxQuery& query, const TBoxTables& tables, std::vector<std::uint32_t>* list) const;
    // The records whose house is one of `houses` or whose flat is one of `flats` (both, when `pair`), or whose
    // phone begins with `dialled` (none: no phone), from the lists of records: appended to `list`, ascending,
    // unless it is null. How many.
    std::size_t Gather(const std::vector<std::uint32_t>& houses, const std::vector<std::uint32_t>& flats, bool pair,
                       const TDialled* dialled, std::vector<std::uint32_t>* list) const;
    // The records, ascending, whose street's bit `word` is set in `street` or whose subscriber is one of
    // `userCodes` (ascending); `atMost` is their count, a record with both counted twice.
    std::vector<std::uint32_t> Holding(const std::vector<std::uint64_t>& street, std::size_t word,
                                       const std::vector<std::uint32_t>& userCodes, std::uint64_t atMost) const;
};

} // namespace vg
