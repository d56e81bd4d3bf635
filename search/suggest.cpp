#include "suggest.h"

#include "directory/cp1251.h"
#include "matching.h"
#include "searchrun.h"
#include "textvariants.h"

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <tuple>

namespace vg {

struct TSearchAdvisor::Data {
    // One field of every record: its distinct values as stored, and each record's value by number.
    struct Column {
        std::vector<std::string> values;
        std::vector<std::uint32_t> ids;
        bool hasLatin = false; // some value holds a Latin letter
    };
    // A name near names are taken from, upper-cased, with the number of records that hold it.
    struct Name {
        std::string text;
        std::int32_t records = 0;
    };
    // Where near names come from: "begins with" takes prefixes of heads (what a field begins with: the whole
    // street, the surname), "contains" prefixes of any word, "equal" whole values.
    struct Names {
        std::vector<Name> heads, words, wholes;
    };

    std::int32_t records = 0;
    std::array<Column, kFieldCount> columns;
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
    }
    return {};
}

// Numbers distinct texts in the order they come, keeping one copy of each: open addressing over a table of
// numbers, as the snapshot's 180,000 lookups are several times slower through a map of nodes.
class Interner {
public:
    std::uint32_t Add(std::string_view text) {
        if ((texts.size() + 1) * 2 > slots_.size()) Grow();
        const std::size_t hash = std::hash<std::string_view>{}(text);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint32_t slot = slots_[i];
            if (slot == 0) {
                texts.emplace_back(text);
                hashes_.push_back(hash);
                slots_[i] = static_cast<std::uint32_t>(texts.size());
                return static_cast<std::uint32_t>(texts.size() - 1);
            }
            if (hashes_[slot - 1] == hash && texts[slot - 1] == text) return slot - 1;
        }
    }

    std::vector<std::string> texts;

private:
    void Grow() {
        slots_.assign(std::max<std::size_t>(64, slots_.size() * 2), 0);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t id = 0; id < texts.size(); ++id) {
            std::size_t i = hashes_[id] & mask;
            while (slots_[i] != 0)
                i = (i + 1) & mask;
            slots_[i] = static_cast<std::uint32_t>(id + 1);
        }
    }

    std::vector<std::size_t> hashes_;
    std::vector<std::uint32_t> slots_;
};

// Distinct names with the records that hold them.
class NameTally {
public:
    void Add(std::string_view name, std::int32_t records) {
        const std::uint32_t id = names_.Add(name);
        if (id == records_.size()) records_.push_back(0);
        records_[id] += records;
    }
    std::vector<Data::Name> Take() {
        std::vector<Data::Name> out;
        out.reserve(records_.size());
        for (std::size_t i = 0; i < records_.size(); ++i)
            out.push_back({std::move(names_.texts[i]), records_[i]});
        return out;
    }

private:
    Interner names_;
    std::vector<std::int32_t> records_;
};

void CollectNames(const Data::Column& column, Field field, Data::Names& names) {
    std::vector<std::int32_t> records(column.values.size(), 0);
    for (std::uint32_t id : column.ids)
        ++records[id];
    NameTally heads, words, wholes;
    for (std::size_t v = 0; v < column.values.size(); ++v) {
        const std::string whole = PrepareCriterionText(field, column.values[v]);
        if (LetterCount(whole) < kShortestWord) continue;
        const std::string_view view = whole;
        wholes.Add(view, records[v]);
        heads.Add(field == Field::User ? view.substr(0, view.find(' ')) : view, records[v]);
        std::size_t i = 0;
        while (i < view.size()) {
            while (i < view.size() && !IsLetter(static_cast<unsigned char>(view[i])))
                ++i;
            std::size_t end = i;
            while (end < view.size() && IsLetter(static_cast<unsigned char>(view[end])))
                ++end;
            if (end - i >= kShortestWord) words.Add(view.substr(i, end - i), records[v]);
            i = end;
        }
    }
    names.heads = heads.Take();
    names.words = words.Take();
    names.wholes = wholes.Take();
}

// A proposed change before it is ranked.
struct Candidate {
    TSuggestion suggestion;
    int distance = 0; // for near names: how far from the typed text
};

// Explains one set of criteria against the snapshot.
class Explainer {
public:
    Explainer(const Data& data, const TCriteria& criteria) : data_(data), criteria_(criteria) {}

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
            Rank(out);
        }
        return out;
    }

private:
    // Each set criterion against each distinct value once, then one pass over the records.
    void Count(TExplanation& out) {
        const std::size_t n = set_.size();
        std::vector<std::vector<char>> passes(n);
        for (std::size_t k = 0; k < n; ++k) {
            const Field field = set_[k];
            const TCriterionTest test(criteria_.Text(field), criteria_.Condition(field), FoldKindOf(field));
            const auto& values = data_.columns[Index(field)].values;
            passes[k].resize(values.size());
            for (std::size_t v = 0; v < values.size(); ++v)
                passes[k][v] = test(values[v]) ? 1 : 0;
        }
        tallies_.assign(n, std::vector<std::int32_t>());
        for (std::size_t k = 0; k < n; ++k)
            tallies_[k].assign(data_.columns[Index(set_[k])].values.size(), 0);
        std::vector<std::int32_t> alone(n, 0);
        const unsigned all = (1u << n) - 1;
        std::int32_t together = 0;
        for (std::int32_t r = 0; r < data_.records; ++r) {
            unsigned passed = 0;
            for (std::size_t k = 0; k < n; ++k)
                passed |= static_cast<unsigned>(passes[k][data_.columns[Index(set_[k])].ids[r]]) << k;
            together += passed == all;
            for (std::size_t k = 0; k < n; ++k) {
                alone[k] += (passed >> k) & 1u;
                // Every other criterion holds: what this one lets through is what a change to it would find.
                if ((passed | (1u << k)) == all) ++tallies_[k][data_.columns[Index(set_[k])].ids[r]];
            }
        }
        out.together = n == 0 ? data_.records : together;
        for (std::size_t k = 0; k < n; ++k) {
            const Field field = set_[k];
            out.criteria.push_back(
                {field, alone[k], DescribeCriterion(field, criteria_.Condition(field), criteria_.Text(field))});
        }
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
        const auto& values = data_.columns[Index(field)].values;
        std::int32_t found = 0;
        for (const auto& [id, records] : open_)
            if ((*test)(values[id])) found += records;
        return found;
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
        if (open_.empty()) return;

        const std::string& text = criteria_.Text(field);
        const MatchCondition condition = criteria_.Condition(field);
        const Data::Column& column = data_.columns[Index(field)];
        const bool mask = condition == MatchCondition::FitsMask;
        if (IsPositive(condition)) {
            const bool latin = variants::HasLatinLetter(text), cyrillic = variants::HasCyrillicLetter(text);
            if (latin && !cyrillic)
                Offer(k, SuggestionKind::Layout, variants::LatinToCyrillicKeys(text, mask), condition);
            if (cyrillic && !latin && column.hasLatin)
                Offer(k, SuggestionKind::Layout, variants::CyrillicToLatinKeys(text), condition);
        }
        ProposeLooser(k);
        if (alone == 0 && IsPositive(condition) && !mask && (field == Field::Street || field == Field::User))
            ProposeNear(k);
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
        const std::string& text = criteria_.Text(field);
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
        if (condition == MatchCondition::Equal) {
            for (const Data::Name& name : names.wholes) {
                const int d = variants::EditDistance(text, name.text, limit);
                if (d <= limit) near.push_back({d, name.records, name.text});
            }
        } else {
            const auto& source = condition == MatchCondition::BeginsWith ? names.heads : names.words;
            for (const Data::Name& name : source) {
                std::size_t length = 0;
                const int d = variants::PrefixDistance(text, name.text, limit, length);
                if (d <= limit) near.push_back({d, name.records, name.text.substr(0, length)});
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
    const TCriteria& criteria_;
    std::vector<Field> set_;
    std::vector<std::vector<std::int32_t>> tallies_; // per set criterion and value: records all others let through
    std::vector<std::pair<std::uint32_t, std::int32_t>> open_; // the current criterion's non-zero tallies
    std::vector<Candidate> candidates_;
};

} // namespace

TSearchAdvisor::TSearchAdvisor(const TStrContainer& directory) : data_(std::make_unique<Data>()) {
    const int count = directory.Count();
    data_->records = count;
    // Phone numbers are nearly all distinct: each record keeps its own, which costs less than finding equal
    // ones. The other fields repeat a few hundred or thousand values.
    std::array<Interner, kFieldCount> seen;
    for (Field field : kFields)
        data_->columns[Index(field)].ids.resize(static_cast<std::size_t>(count));
    data_->columns[Index(Field::Phone)].values.reserve(static_cast<std::size_t>(count));
    for (int r = 0; r < count; ++r) {
        const TString& record = *directory.GetItem(r);
        const TLineList lines = record.Lines();
        Data::Column& phones = data_->columns[Index(Field::Phone)];
        phones.ids[static_cast<std::size_t>(r)] = static_cast<std::uint32_t>(phones.values.size());
        phones.values.emplace_back(record.Key());
        for (Field field : {Field::Street, Field::House, Field::Flat, Field::User}) {
            // A record without the line searches as an empty field here; the search itself reports it.
            const std::string_view value = lines.Get(static_cast<int>(field) - 1);
            data_->columns[Index(field)].ids[static_cast<std::size_t>(r)] = seen[Index(field)].Add(value);
        }
    }
    for (Field field : kFields) {
        Data::Column& column = data_->columns[Index(field)];
        if (field != Field::Phone) column.values = std::move(seen[Index(field)].texts);
        for (const std::string& value : column.values) {
            column.hasLatin = column.hasLatin || variants::HasLatinLetter(value);
        }
        if (field == Field::Street || field == Field::User) CollectNames(column, field, data_->names[Index(field)]);
    }
}

TSearchAdvisor::~TSearchAdvisor() = default;
TSearchAdvisor::TSearchAdvisor(TSearchAdvisor&&) noexcept = default;
TSearchAdvisor& TSearchAdvisor::operator=(TSearchAdvisor&&) noexcept = default;

std::int32_t TSearchAdvisor::Records() const {
    return data_->records;
}

TExplanation TSearchAdvisor::Explain(const TCriteria& criteria) const {
    return Explainer(*data_, criteria).Run();
}

TExplanation ExplainSearch(const TStrContainer& directory, const TCriteria& criteria) {
    return TSearchAdvisor(directory).Explain(criteria);
}

TCriteria Apply(const TCriteria& criteria, const TSuggestion& suggestion) {
    TCriteria changed = criteria;
    changed.Conditions[Index(suggestion.field)] = suggestion.condition;
    changed.Texts[Index(suggestion.field)] = suggestion.text;
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

std::string FormatSuggestion(const TSuggestion& suggestion) {
    return suggestion.description + " (" + suggestion.reason + "): " + std::to_string(suggestion.count);
}

} // namespace vg
