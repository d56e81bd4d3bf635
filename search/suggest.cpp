#include "suggest.h"

#include "directory/cp1251.h"
#include "folding.h"
#include "matching.h"
#include "prepared.h"
#include "searchrun.h"
#include "textvariants.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <functional>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <type_traits>

namespace vg {

struct TSearchAdvisor::Data {
    // A name near names are taken from, upper-cased as folded for matching, with the number of records that hold
    // it: a piece of the column's folded texts (TFieldColumn::FoldedTexts), which the prepared directory keeps.
    struct Name {
        std::uint32_t at = 0;
        std::uint32_t length = 0;
        std::int32_t records = 0;
    };
    // Where near names come from: "begins with" takes prefixes of heads (what a field begins with: the whole
    // street, the surname), "contains" prefixes of any word, "equal" whole values.
    struct Names {
        std::string_view folded; // what they are pieces of
        std::vector<Name> heads, words, wholes;
        std::string_view Text(const Name& name) const { return folded.substr(name.at, name.length); }
    };

    std::shared_ptr<const TPreparedDirectory> prepared;
    std::array<bool, kFieldCount> hasLatin{}; // some distinct text holds a Latin letter; the phone's below
    // Whether some phone holds a Latin letter: -1 until a Cyrillic text typed into the phone asks (the first such
    // explanation reads every record's phone once).
    mutable std::atomic<signed char> phoneLatin{-1};
    std::array<Names, kFieldCount> names;
};

namespace {

using Data = TSearchAdvisor::Data;

constexpr std::size_t kNearCandidates = 12;
constexpr std::size_t kShortestWord = 3;

bool IsLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0 || c == 0xA8 || c == 0xB8;
}

std::size_t LetterCount(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return IsLetter(static_cast<unsigned char>(c)); }));
}

bool IsPositive(MatchCondition condition) {
    return condition == MatchCondition::BeginsWith || condition == MatchCondition::Contains ||
           condition == MatchCondition::Equal || condition == MatchCondition::FitsMask;
}

std::string_view Caption(Field field) {
    std::string_view caption = InfoOf(field).caption;
    return caption.substr(0, caption.find(','));
}

std::string_view ReasonOf(SuggestionKind kind) {
    switch (kind) {
    case SuggestionKind::Layout:
        return "другая раскладка клавиатуры";
    case SuggestionKind::Looser:
        return "условие шире";
    case SuggestionKind::NearName:
        return "похожее написание";
    case SuggestionKind::StreetForm:
        return "улица, как её называют";
    case SuggestionKind::SetAsMask:
        return "набор как маска";
    case SuggestionKind::WrongField:
        return "другое поле";
    case SuggestionKind::Drop:
        return "меньше условий";
    }
    return {};
}

// Distinct names with the records that hold them, in the order they come: open addressing over a table of
// numbers, as the hundreds of thousands of lookups are several times slower through a map of nodes.
class NameTally {
public:
    // Names are pieces of `folded`.
    explicit NameTally(std::string_view folded) : folded_(folded) {}

    void Add(std::string_view name, std::int32_t records) {
        if ((names_.size() + 1) * 2 > slots_.size()) Grow();
        const std::size_t hash = std::hash<std::string_view>{}(name);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint32_t slot = slots_[i];
            if (slot == 0) {
                names_.push_back({static_cast<std::uint32_t>(name.data() - folded_.data()),
                                  static_cast<std::uint32_t>(name.size()), records});
                hashes_.push_back(hash);
                slots_[i] = static_cast<std::uint32_t>(names_.size());
                return;
            }
            Data::Name& held = names_[slot - 1];
            if (hashes_[slot - 1] == hash && folded_.substr(held.at, held.length) == name) {
                held.records += records;
                return;
            }
        }
    }
    std::vector<Data::Name> Take() {
        names_.shrink_to_fit();
        return std::move(names_);
    }

private:
    void Grow() {
        slots_.assign(std::max<std::size_t>(64, slots_.size() * 2), 0);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t id = 0; id < names_.size(); ++id) {
            std::size_t i = hashes_[id] & mask;
            while (slots_[i] != 0)
                i = (i + 1) & mask;
            slots_[i] = static_cast<std::uint32_t>(id + 1);
        }
    }

    std::string_view folded_;
    std::vector<Data::Name> names_;
    std::vector<std::size_t> hashes_;
    std::vector<std::uint32_t> slots_;
};

void CollectNames(const TFieldColumn& column, Field field, Data::Names& names) {
    names.folded = column.FoldedTexts();
    NameTally heads(names.folded), words(names.folded), wholes(names.folded);
    for (std::size_t v = 0; v < column.Distinct(); ++v) {
        const std::string_view view = column.Folded(v);
        if (LetterCount(view) < kShortestWord) continue;
        const auto records = static_cast<std::int32_t>(column.Records(v));
        wholes.Add(view, records);
        // A name begins with its surname, or with all of it when the initials are typed as well.
        heads.Add(view, records);
        if (field == Field::User && view.find(' ') != std::string_view::npos)
            heads.Add(view.substr(0, view.find(' ')), records);
        std::size_t i = 0;
        while (i < view.size()) {
            while (i < view.size() && !IsLetter(static_cast<unsigned char>(view[i])))
                ++i;
            std::size_t end = i;
            while (end < view.size() && IsLetter(static_cast<unsigned char>(view[end])))
                ++end;
            if (end - i >= kShortestWord) words.Add(view.substr(i, end - i), records);
            i = end;
        }
    }
    names.heads = heads.Take();
    names.words = words.Take();
    names.wholes = wholes.Take();
}

// One criterion's verdict on every record: a street's, house's, flat's or subscriber's per distinct text of its
// column, looked up through each record's code; the phone's read from the phone digits the prepared directory
// keeps (TPhoneTest). Fails with EMaskException for an invalid mask.
class RecordVerdicts {
public:
    RecordVerdicts(const TPreparedDirectory& prepared, Field field, std::string_view text, MatchCondition condition)
        : test_(std::make_unique<TCriterionTest>(text, condition, FoldKindOf(field))) {
        if (field == Field::Phone) {
            phone_ = std::make_unique<TPhoneTest>(prepared, *test_);
            alone_ = phone_->Count();
            return;
        }
        column_ = &prepared.Column(field);
        byCode_ = column_->Verdicts(*test_);
        for (std::size_t code = 0; code < byCode_.size(); ++code)
            alone_ += byCode_[code] != 0 ? static_cast<std::int32_t>(column_->Records(code)) : 0;
    }

    // The records it lets through.
    std::int32_t Alone() const { return alone_; }
    // For a column, the verdict per distinct text; empty for the phone.
    const std::vector<unsigned char>& ByCode() const { return byCode_; }
    // Sets bit `bit` of marks[i] where the record begin + i passes, for the records [begin, end).
    void Mark(std::uint32_t begin, std::uint32_t end, unsigned bit, std::uint8_t* marks) const {
        if (phone_) {
            std::array<unsigned char, kBlock> verdicts;
            phone_->Verdicts(begin, end, verdicts.data());
            for (std::uint32_t i = 0; i < end - begin; ++i)
                marks[i] = static_cast<std::uint8_t>(marks[i] | verdicts[i] << bit);
            return;
        }
        const unsigned char* const verdict = byCode_.data();
        column_->WithCodes([&](const auto& codes) {
            const auto* const code = codes.data() + begin;
            for (std::uint32_t i = 0; i < end - begin; ++i)
                marks[i] = static_cast<std::uint8_t>(marks[i] | verdict[code[i]] << bit);
        });
    }
    // The record's code in the column; for the phone, the record.
    std::uint32_t CodeOf(std::uint32_t record) const { return column_ ? column_->Codes()[record] : record; }
    // The verdict on one record.
    bool Passes(std::uint32_t record) const { return phone_ ? (*phone_)(record) : byCode_[CodeOf(record)] != 0; }

    static constexpr std::uint32_t kBlock = 2048; // records marked at a time

private:
    std::unique_ptr<TCriterionTest> test_; // where the phone's test finds it
    std::unique_ptr<TPhoneTest> phone_;
    const TFieldColumn* column_ = nullptr;
    std::vector<unsigned char> byCode_;
    std::int32_t alone_ = 0;
};

// The records that pass every one of `criteria` (at most eight), and, with `combinations`, per set of criteria
// passed (a bit each in their order), the records that pass exactly those. A criterion every record passes, or
// none, is not looked up. `failingOne(k, record)` is called for every record that fails criterion k alone.
template <class F>
std::int32_t CountRecords(const std::vector<const RecordVerdicts*>& criteria, std::size_t records,
                          std::vector<std::int32_t>* combinations, F&& failingOne) {
    const std::size_t n = criteria.size();
    const unsigned all = (1u << n) - 1;
    unsigned always = 0; // the criteria every record passes
    std::vector<std::size_t> varying;
    for (std::size_t k = 0; k < n; ++k) {
        const std::int32_t alone = criteria[k]->Alone();
        if (static_cast<std::size_t>(alone) == records)
            always |= 1u << k;
        else if (alone > 0)
            varying.push_back(k);
    }
    if (!combinations) {
        // Only the records that pass all: none if a criterion lets none through.
        if (varying.size() + static_cast<std::size_t>(std::popcount(always)) < n) return 0;
        if (varying.empty()) return static_cast<std::int32_t>(records);
    }
    // Four tallies of the sets passed, taken in turn, so that runs of the same set do not wait on one another.
    std::array<std::array<std::int32_t, 256>, 4> sets{};
    std::array<std::uint8_t, RecordVerdicts::kBlock> marks;
    const bool failing = !std::is_same_v<std::decay_t<F>, std::nullptr_t>;
    // Per set passed, the criterion it lacks plus one when it lacks exactly one, else 0.
    std::array<std::uint8_t, 256> failsOne{};
    for (std::size_t k = 0; k < n; ++k)
        failsOne[all & ~(1u << k)] = static_cast<std::uint8_t>(k + 1);
    for (std::uint32_t begin = 0; begin < records; begin += RecordVerdicts::kBlock) {
        const auto end = static_cast<std::uint32_t>(std::min<std::size_t>(records, begin + RecordVerdicts::kBlock));
        const std::uint32_t size = end - begin;
        std::fill_n(marks.begin(), size, static_cast<std::uint8_t>(always));
        for (const std::size_t k : varying)
            criteria[k]->Mark(begin, end, static_cast<unsigned>(k), marks.data());
        std::uint32_t i = 0;
        for (; i + 4 <= size; i += 4) {
            ++sets[0][marks[i]];
            ++sets[1][marks[i + 1]];
            ++sets[2][marks[i + 2]];
            ++sets[3][marks[i + 3]];
        }
        for (; i < size; ++i)
            ++sets[0][marks[i]];
        if constexpr (failing) {
            for (i = 0; i < size; ++i)
                if (const unsigned one = failsOne[marks[i]]; one != 0) failingOne(one - 1, begin + i);
        }
    }
    if (combinations) {
        combinations->assign(std::size_t{1} << n, 0);
        for (unsigned m = 0; m <= all; ++m)
            (*combinations)[m] = sets[0][m] + sets[1][m] + sets[2][m] + sets[3][m];
    }
    return sets[0][all] + sets[1][all] + sets[2][all] + sets[3][all];
}
// The characters of a typed text, to tell at a glance a name too far from it: an edit (a character changed, put
// in, left out or two swapped) mends at most one character of the text that no character of the name can stand
// for, and one of the name that none of the text can, so that either count bounds the distance from below.
class LetterBag {
public:
    explicit LetterBag(std::string_view text) : size_(text.size()) {
        for (const char c : text)
            ++count_[static_cast<unsigned char>(c)];
    }
    // Whether the text is more than `limit` edits from the name, or, unless `whole`, from every prefix of it.
    bool Beyond(std::string_view name, int limit, bool whole) {
        std::size_t extra = 0; // the name's characters the text has none left for
        for (const char c : name)
            if (count_[static_cast<unsigned char>(c)]-- <= 0) ++extra;
        for (const char c : name)
            ++count_[static_cast<unsigned char>(c)];
        const std::size_t missing = size_ - (name.size() - extra);
        const auto most = static_cast<std::size_t>(limit);
        return missing > most || (whole && extra > most);
    }

private:
    std::array<int, 256> count_{};
    std::size_t size_;
};

// A proposed change before it is ranked.
struct Candidate {
    TSuggestion suggestion;
    int distance = 0; // for near names: how far from the typed text
};

// Explains one set of criteria against the snapshot.
class Explainer {
public:
    Explainer(const Data& data, const TCriteria& criteria)
        : data_(data), prepared_(*data.prepared), records_(static_cast<std::size_t>(prepared_.Count())),
          criteria_(criteria) {}

    TExplanation Run() {
        TRecordFilter validated(criteria_); // an invalid mask fails here exactly as the search fails
        (void)validated;
        for (Field field : kFields)
            if (criteria_.Condition(field) != MatchCondition::NoCondition) set_.push_back(field);
        TExplanation out;
        Count(out);
        if (out.together == 0 && !set_.empty()) {
            for (std::size_t k = 0; k < set_.size(); ++k)
                Propose(k, out.criteria[k].count);
            ProposeDrop();
            Rank(out);
        }
        return out;
    }

private:
    // Each set criterion alone from its verdicts: a column's per distinct text and the records holding each, the
    // phone's on its digits. All of them together, and what each lets through of the records all the others
    // pass, in one pass over the records when more than one is set.
    void Count(TExplanation& out) {
        const std::size_t n = set_.size();
        out.together = static_cast<std::int32_t>(records_);
        if (n == 0) return;
        verdicts_.clear();
        verdicts_.reserve(n);
        std::vector<const RecordVerdicts*> criteria;
        for (const Field field : set_) {
            verdicts_.emplace_back(prepared_, field, criteria_.Text(field), criteria_.Condition(field));
            criteria.push_back(&verdicts_.back());
            out.criteria.push_back({field, verdicts_.back().Alone(),
                                    DescribeCriterion(field, criteria_.Condition(field), criteria_.Text(field))});
        }
        tallies_.assign(n, {});
        phoneOpen_.clear();
        phoneAll_ = false;
        if (n == 1) {
            // Alone: a change to it finds what it finds on every record.
            out.together = out.criteria[0].count;
            if (set_[0] == Field::Phone) {
                phoneAll_ = true;
            } else {
                const TFieldColumn& column = prepared_.Column(set_[0]);
                tallies_[0].resize(column.Distinct());
                for (std::size_t code = 0; code < column.Distinct(); ++code)
                    tallies_[0][code] = static_cast<std::int32_t>(column.Records(code));
            }
            return;
        }
        for (std::size_t k = 0; k < n; ++k)
            if (set_[k] != Field::Phone) tallies_[k].assign(prepared_.Column(set_[k]).Distinct(), 0);
        // Every other criterion holds: what criterion k lets through of those is what a change to it would find.
        out.together = CountRecords(criteria, records_, &combinations_, [&](std::size_t k, std::uint32_t record) {
            if (set_[k] == Field::Phone)
                phoneOpen_.push_back(record);
            else
                ++tallies_[k][verdicts_[k].CodeOf(record)];
        });
    }

    // What the search would find with criterion k changed to (text, condition); 0 for an invalid mask.
    std::int32_t CountChanged(std::size_t k, const std::string& text, MatchCondition condition) const {
        const Field field = set_[k];
        std::optional<TCriterionTest> test;
        try {
            test.emplace(text, condition, FoldKindOf(field));
        } catch (const EMaskException&) {
            return 0;
        }
        std::int32_t found = 0;
        if (field == Field::Phone) {
            const TPhoneTest phone(prepared_, *test);
            if (phoneAll_) return phone.Count();
            for (const std::uint32_t record : phoneOpen_)
                found += phone(record) ? 1 : 0;
            return found;
        }
        const TFieldColumn& column = prepared_.Column(field);
        if (condition == MatchCondition::Equal && FoldKindOf(field) == FoldKind::Words &&
            test->Folded().find('\n') == std::string::npos) {
            // Equal to the criterion: the texts whose folded form it is, looked for in all of them at once.
            std::vector<std::uint32_t> codes;
            column.Folding(test->Folded(), codes);
            for (const std::uint32_t code : codes)
                found += tallies_[k][code];
            return found;
        }
        const bool atOnce = condition == MatchCondition::BeginsWith || condition == MatchCondition::Contains ||
                            condition == MatchCondition::NotContains;
        if (atOnce && open_.size() * 8 > column.Distinct()) {
            const std::vector<unsigned char> verdicts = column.Verdicts(*test);
            for (const auto& [id, records] : open_)
                found += verdicts[id] ? records : 0;
            return found;
        }
        for (const auto& [id, records] : open_)
            if ((*test)(column.Text(id))) found += records;
        return found;
    }

    // Whether some text of the field holds a Latin letter: known for the columns; only a phone that holds more
    // than digits can.
    bool HasLatin(Field field) const {
        if (field != Field::Phone) return data_.hasLatin[Index(field)];
        if (data_.phoneLatin < 0) {
            const TStrContainer& whole = prepared_.Whole();
            bool latin = false;
            for (const std::uint32_t r : prepared_.PhonesBeyondDigits())
                if ((latin = variants::HasLatinLetter(whole.GetItem(static_cast<int>(r))->Key()))) break;
            data_.phoneLatin = latin ? 1 : 0;
        }
        return data_.phoneLatin > 0;
    }
    void Offer(std::size_t k, SuggestionKind kind, std::string_view typed, MatchCondition condition, int distance = 0) {
        const Field field = set_[k];
        std::string text = PrepareCriterionText(field, typed);
        if (text.empty() || (text == criteria_.Text(field) && condition == criteria_.Condition(field))) return;
        const bool mask = condition == MatchCondition::FitsMask || condition == MatchCondition::NotFitsMask;
        // Put into the field, a '*' or '?' would turn the condition into a mask.
        if (!mask && text.find_first_of("*?") != std::string::npos) return;
        for (const Candidate& c : candidates_)
            if (c.suggestion.field == field && c.suggestion.condition == condition && c.suggestion.text == text) return;
        const std::int32_t found = CountChanged(k, text, condition);
        if (found == 0) return;
        Candidate c;
        c.suggestion.kind = kind;
        c.suggestion.field = field;
        c.suggestion.condition = condition;
        c.suggestion.description = DescribeCriterion(field, condition, text);
        c.suggestion.reason = std::string(ReasonOf(kind));
        c.suggestion.text = std::move(text);
        c.suggestion.count = found;
        c.distance = distance;
        candidates_.push_back(std::move(c));
    }

    void Propose(std::size_t k, std::int32_t alone) {
        const Field field = set_[k];
        open_.clear();
        const auto& tally = tallies_[k];
        for (std::size_t v = 0; v < tally.size(); ++v)
            if (tally[v] > 0) open_.emplace_back(static_cast<std::uint32_t>(v), tally[v]);
        // Some other criterion finds nothing whatever this one says.
        if (field == Field::Phone ? !phoneAll_ && phoneOpen_.empty() : open_.empty()) return;

        const std::string& text = criteria_.Text(field);
        const MatchCondition condition = criteria_.Condition(field);
        const bool mask = condition == MatchCondition::FitsMask;
        if (IsPositive(condition)) {
            const bool latin = variants::HasLatinLetter(text), cyrillic = variants::HasCyrillicLetter(text);
            if (latin && !cyrillic)
                Offer(k, SuggestionKind::Layout, variants::LatinToCyrillicKeys(text, mask), condition);
            if (cyrillic && !latin && HasLatin(field))
                Offer(k, SuggestionKind::Layout, variants::CyrillicToLatinKeys(text), condition);
        }
        if (field == Field::Street && IsPositive(condition) && !mask) ProposeStreetForms(k);
        if (!mask && text.find('[') != std::string::npos && text.find_first_of("*?") == std::string::npos) {
            // A set typed under another condition: as a mask, fitting anywhere unless it was to begin the field.
            Offer(k, SuggestionKind::SetAsMask, condition == MatchCondition::BeginsWith ? text : "*" + text,
                  MatchCondition::FitsMask);
        }
        if (alone == 0 && IsPositive(condition)) ProposeOtherFields(k);
        ProposeLooser(k);
        if (alone == 0 && IsPositive(condition) && !mask && (field == Field::Street || field == Field::User))
            ProposeNear(k);
    }

    // The street as the directory writes it, from the way a caller says it: its words in the other order, and
    // its kind (улица, проспект, ...) in the directory's own form, or left out.
    void ProposeStreetForms(std::size_t k) {
        const std::string typed = FoldForMatch(FoldKind::Words, criteria_.Text(set_[k]));
        for (const std::string& form : StreetForms(typed))
            Offer(k, SuggestionKind::StreetForm, form, criteria_.Condition(set_[k]));
    }

    // The text in another field, where it finds something: a surname typed into the phone or the street, a
    // number into the subscriber. The field it was typed into is emptied.
    void ProposeOtherFields(std::size_t k) {
        const Field from = set_[k];
        const std::string& text = criteria_.Text(from);
        const bool digits = std::all_of(text.begin(), text.end(), [](char c) {
            return (c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '(' || c == ')' || c == '.';
        });
        const bool letters = LetterCount(text) > 0;
        for (Field to : kFields) {
            if (to == from) continue;
            const bool fits = to == Field::Phone ? digits : to == Field::Street || to == Field::User ? letters : false;
            if (!fits) continue;
            TCriteria changed = criteria_;
            changed.Conditions[Index(from)] = MatchCondition::NoCondition;
            changed.Texts[Index(from)].clear();
            const MatchCondition condition =
                to == Field::Phone ? MatchCondition::BeginsWith : criteria_.Condition(from);
            changed.Conditions[Index(to)] = condition;
            changed.Texts[Index(to)] = text;
            AddChanged(SuggestionKind::WrongField, changed, to, {from}, DescribeCriterion(to, condition, text));
        }
    }

    // The fewest criteria to leave out so that the others find something: every removal of that size that does.
    void ProposeDrop() {
        if (set_.size() < 2) return;
        const unsigned all = (1u << set_.size()) - 1;
        for (int size = 1; size < static_cast<int>(set_.size()); ++size) {
            const std::size_t before = candidates_.size();
            for (unsigned drop = 1; drop < all; ++drop) {
                if (std::popcount(drop) != size) continue;
                std::int32_t found = 0;
                for (unsigned m = 0; m <= all; ++m)
                    if ((m | drop) == all) found += combinations_[m];
                if (found == 0) continue;
                TCriteria changed = criteria_;
                std::vector<Field> cleared;
                std::string description = "без";
                for (std::size_t j = 0; j < set_.size(); ++j) {
                    if (!((drop >> j) & 1u)) continue;
                    changed.Conditions[Index(set_[j])] = MatchCondition::NoCondition;
                    changed.Texts[Index(set_[j])].clear();
                    cleared.push_back(set_[j]);
                    description += std::string(cleared.size() > 1 ? ", «" : " «") + std::string(Caption(set_[j])) + "»";
                }
                Candidate c;
                c.suggestion.kind = SuggestionKind::Drop;
                c.suggestion.field = cleared.front();
                c.suggestion.description = std::move(description);
                c.suggestion.reason = std::string(ReasonOf(SuggestionKind::Drop));
                c.suggestion.count = found;
                c.suggestion.cleared.assign(cleared.begin() + 1, cleared.end());
                candidates_.push_back(std::move(c));
            }
            if (candidates_.size() > before) return;
        }
    }

    // A change to more than one criterion, counted by a pass over the records.
    void AddChanged(SuggestionKind kind, const TCriteria& changed, Field field, std::vector<Field> cleared,
                    std::string description) {
        const std::int32_t found = CountCriteria(changed);
        if (found == 0) return;
        Candidate c;
        c.suggestion.kind = kind;
        c.suggestion.field = field;
        c.suggestion.condition = changed.Condition(field);
        c.suggestion.text = changed.Text(field);
        c.suggestion.description = std::move(description);
        c.suggestion.reason = std::string(ReasonOf(kind));
        c.suggestion.count = found;
        c.suggestion.cleared = std::move(cleared);
        candidates_.push_back(std::move(c));
    }

    // What the search finds with these criteria: the criteria left as they were tested already, each changed one
    // against every distinct text (the phone's on its digits), then the records passing all of them counted.
    // 0 for an invalid mask.
    std::int32_t CountCriteria(const TCriteria& changed) const {
        std::vector<RecordVerdicts> fresh;
        fresh.reserve(kFieldCount);
        std::vector<const RecordVerdicts*> criteria;
        for (Field field : kFields) {
            const MatchCondition condition = changed.Condition(field);
            if (condition == MatchCondition::NoCondition) continue;
            const auto same = std::find(set_.begin(), set_.end(), field);
            if (same != set_.end() && condition == criteria_.Condition(field) &&
                changed.Text(field) == criteria_.Text(field)) {
                criteria.push_back(&verdicts_[static_cast<std::size_t>(same - set_.begin())]);
                continue;
            }
            try {
                fresh.emplace_back(prepared_, field, changed.Text(field), condition);
            } catch (const EMaskException&) {
                return 0;
            }
            criteria.push_back(&fresh.back());
        }
        if (criteria.size() == 1) return criteria[0]->Alone();
        return CountRecords(criteria, records_, nullptr, nullptr);
    }
    void ProposeLooser(std::size_t k) {
        const Field field = set_[k];
        const std::string& text = criteria_.Text(field);
        const std::size_t before = candidates_.size();
        switch (criteria_.Condition(field)) {
        case MatchCondition::Equal:
            Offer(k, SuggestionKind::Looser, text, MatchCondition::BeginsWith);
            if (candidates_.size() == before) Offer(k, SuggestionKind::Looser, text, MatchCondition::Contains);
            break;
        case MatchCondition::BeginsWith:
            Offer(k, SuggestionKind::Looser, text, MatchCondition::Contains);
            break;
        case MatchCondition::FitsMask:
            // A mask only has to fit the field's beginning: a leading '*' lets it fit anywhere.
            if (text.rfind('*', 0) != 0) Offer(k, SuggestionKind::Looser, "*" + text, MatchCondition::FitsMask);
            break;
        default:
            break;
        }
    }

    // Names of the directory a slip or two away from the typed text, the nearest and most common first.
    void ProposeNear(std::size_t k) {
        const Field field = set_[k];
        const std::string text = FoldForMatch(FoldKindOf(field), criteria_.Text(field));
        if (LetterCount(text) < kShortestWord) return;
        const int limit = text.size() < 5 ? 1 : 2;
        const MatchCondition condition = criteria_.Condition(field);
        const Data::Names& names = data_.names[Index(field)];
        struct Near {
            int distance;
            std::int32_t records;
            std::string text;
        };
        std::vector<Near> near;
        LetterBag bag(text);
        if (condition == MatchCondition::Equal) {
            for (const Data::Name& name : names.wholes) {
                if (bag.Beyond(names.Text(name), limit, true)) continue;
                const int d = variants::EditDistance(text, names.Text(name), limit);
                if (d <= limit) near.push_back({d, name.records, std::string(names.Text(name))});
            }
        } else {
            const auto& source = condition == MatchCondition::BeginsWith ? names.heads : names.words;
            for (const Data::Name& name : source) {
                // A prefix it is near is no longer than the text and the slips allowed.
                if (bag.Beyond(names.Text(name).substr(0, text.size() + static_cast<std::size_t>(limit)), limit, false))
                    continue;
                std::size_t length = 0;
                const int d = variants::PrefixDistance(text, names.Text(name), limit, length);
                if (d <= limit) near.push_back({d, name.records, std::string(names.Text(name).substr(0, length))});
            }
        }
        std::sort(near.begin(), near.end(), [](const Near& a, const Near& b) {
            return std::tie(a.distance, b.records, a.text) < std::tie(b.distance, a.records, b.text);
        });
        std::size_t tried = 0;
        for (std::size_t i = 0; i < near.size() && tried < kNearCandidates; ++i) {
            if (i > 0 && near[i].text == near[i - 1].text) continue;
            ++tried;
            Offer(k, SuggestionKind::NearName, near[i].text, condition, near[i].distance);
        }
    }

    void Rank(TExplanation& out) {
        std::stable_sort(candidates_.begin(), candidates_.end(), [](const Candidate& a, const Candidate& b) {
            return std::make_tuple(a.suggestion.kind, a.distance, -a.suggestion.count, a.suggestion.field) <
                   std::make_tuple(b.suggestion.kind, b.distance, -b.suggestion.count, b.suggestion.field);
        });
        for (std::size_t i = 0; i < candidates_.size() && i < TExplanation::kMaxSuggestions; ++i)
            out.suggestions.push_back(std::move(candidates_[i].suggestion));
    }

    const Data& data_;
    const TPreparedDirectory& prepared_;
    const std::size_t records_;
    const TCriteria& criteria_;
    std::vector<Field> set_;
    std::vector<RecordVerdicts> verdicts_; // per set criterion
    // Per set criterion other than the phone, and distinct text: the records holding it that all others let through.
    std::vector<std::vector<std::int32_t>> tallies_;
    // The phone's: every record when it is the only criterion, else the records all others let through.
    bool phoneAll_ = false;
    std::vector<std::uint32_t> phoneOpen_;
    std::vector<std::pair<std::uint32_t, std::int32_t>> open_; // the current criterion's non-zero tallies
    std::vector<std::int32_t> combinations_; // per set of criteria passed (a bit each): the records passing those
    std::vector<Candidate> candidates_;
};

} // namespace

TSearchAdvisor::TSearchAdvisor(std::shared_ptr<const TPreparedDirectory> prepared) : data_(std::make_unique<Data>()) {
    if (!prepared) throw std::invalid_argument("TSearchAdvisor: no prepared directory");
    data_->prepared = std::move(prepared);
    for (Field field : {Field::Street, Field::House, Field::Flat, Field::User}) {
        const TFieldColumn& column = data_->prepared->Column(field);
        bool latin = false;
        for (std::size_t code = 0; code < column.Distinct() && !latin; ++code)
            latin = variants::HasLatinLetter(column.Text(code));
        data_->hasLatin[Index(field)] = latin;
        if (field == Field::Street || field == Field::User) CollectNames(column, field, data_->names[Index(field)]);
    }
}

TSearchAdvisor::~TSearchAdvisor() = default;
TSearchAdvisor::TSearchAdvisor(TSearchAdvisor&&) noexcept = default;
TSearchAdvisor& TSearchAdvisor::operator=(TSearchAdvisor&&) noexcept = default;

std::int32_t TSearchAdvisor::Records() const {
    return data_->prepared->Count();
}

const TPreparedDirectory& TSearchAdvisor::Prepared() const {
    return *data_->prepared;
}

std::size_t TSearchAdvisor::MemoryBytes() const {
    std::size_t bytes = sizeof(Data);
    for (const Data::Names& names : data_->names)
        bytes += (names.heads.capacity() + names.words.capacity() + names.wholes.capacity()) * sizeof(Data::Name);
    return bytes;
}

TExplanation TSearchAdvisor::Explain(const TCriteria& criteria) const {
    return Explainer(*data_, criteria).Run();
}

TExplanation ExplainSearch(const TStrContainer& directory, const TCriteria& criteria) {
    // The container outlives the call, and the prepared directory goes with it: it need not own the container.
    const std::shared_ptr<const TStrContainer> whole(std::shared_ptr<const TStrContainer>(), &directory);
    return TSearchAdvisor(std::make_shared<const TPreparedDirectory>(whole)).Explain(criteria);
}

TCriteria Apply(const TCriteria& criteria, const TSuggestion& suggestion) {
    TCriteria changed = criteria;
    changed.Conditions[Index(suggestion.field)] = suggestion.condition;
    changed.Texts[Index(suggestion.field)] = suggestion.text;
    for (Field field : suggestion.cleared) {
        changed.Conditions[Index(field)] = MatchCondition::NoCondition;
        changed.Texts[Index(field)].clear();
    }
    return changed;
}

std::string DescribeCriterion(Field field, MatchCondition condition, std::string_view text) {
    std::string out(Caption(field));
    if (condition != MatchCondition::NoCondition) out.append(" ").append(InfoOf(condition).caption);
    return out.append(" «").append(cp1251::ToUtf8(text)).append("»");
}

std::string FormatCounts(const TExplanation& explanation) {
    std::string out;
    for (const TCriterionCount& c : explanation.criteria)
        out += c.description + ": " + std::to_string(c.count) + " · ";
    return out + "вместе: " + std::to_string(explanation.together);
}

std::vector<std::string> StreetForms(std::string_view street) {
    // A kind as callers say it and as the directory writes it, folded: the word spelt out, its abbreviations.
    struct Kind {
        std::string_view directory; // UTF-8; empty: the directory writes the street without it
        std::array<std::string_view, 3> said;
    };
    static constexpr Kind kKinds[] = {
        {"", {"УЛИЦА", "УЛ.", "УЛ"}},          {"ПР.", {"ПРОСПЕКТ", "ПР.", "ПР-Т"}},
        {"ПЕР.", {"ПЕРЕУЛОК", "ПЕР.", "ПЕР"}}, {"ПОС.", {"ПОСЕЛОК", "ПОС.", "П."}},
        {"ШОССЕ", {"ШОССЕ", "Ш.", ""}},        {"ТУПИК", {"ТУПИК", "ТУП.", ""}},
        {"ПЛ.", {"ПЛОЩАДЬ", "ПЛ.", "ПЛ"}},
    };
    auto w = [](std::string_view utf8) {
        std::string out;
        cp1251::FromUtf8(utf8, out);
        return FoldForMatch(FoldKind::Words, out);
    };
    // The words of the street: a dot ends a word as a blank does.
    std::vector<std::string> words;
    std::string word;
    for (char c : street) {
        if (c == ' ' || c == '.') {
            if (c == '.') word += c;
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    std::vector<std::string> out;
    auto add = [&](std::string form) {
        if (!form.empty() && form != street && std::find(out.begin(), out.end(), form) == out.end())
            out.push_back(std::move(form));
    };
    if (words.size() < 2) return out;
    // The kind said first or last; the rest is the name.
    for (int last = 0; last < 2; ++last) {
        const std::string& said = last ? words.back() : words.front();
        for (const Kind& kind : kKinds) {
            if (std::none_of(kind.said.begin(), kind.said.end(),
                             [&](std::string_view s) { return !s.empty() && w(s) == said; }))
                continue;
            std::string name;
            for (std::size_t i = last ? 0 : 1; i < words.size() - (last ? 1 : 0); ++i)
                name += (name.empty() ? "" : " ") + words[i];
            const std::string directory = w(kind.directory);
            // ПР. ЛЕНИНА and ШОССЕ МОСКОВСКОЕ: the kind first, after a dot with no blank as folded.
            add(directory.empty() ? name : directory + (directory.back() == '.' ? "" : " ") + name);
            add(directory.empty() ? name : name + " " + directory);
        }
    }
    // Two words the other way round.
    if (words.size() == 2) add(words[1] + (words[0].back() == '.' ? "" : " ") + words[0]);
    return out;
}

std::string FormatSuggestion(const TSuggestion& suggestion) {
    return suggestion.description + " (" + suggestion.reason + "): " + std::to_string(suggestion.count);
}

} // namespace vg
