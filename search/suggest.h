#pragma once

#include "criteria.h"
#include "directory/strcontainer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vg {

class TPreparedDirectory;

// Why a search found nothing and what would find something. Nothing here changes a criterion: it only counts
// and proposes, with the search's own matching.

// The kinds, in the order suggestions rank.
enum class SuggestionKind : std::uint8_t {
    Layout,     // the text typed under the other keyboard layout
    StreetForm, // a street as it is said: its words the other way round, its kind spelt out or abbreviated
    SetAsMask,  // a character set typed without '*' or '?', taken as a mask
    WrongField, // a text that finds nothing in its field, in the field where it finds something
    Looser,     // a condition that lets more through: "содержит" for "начинается с", and the like
    NearName,   // a street or name of the directory a typing slip away, initials included
    Drop,       // fewer criteria: the smallest removal that finds something
};

// What one set criterion alone would find.
struct TCriterionCount {
    Field field = Field::Phone;
    std::int32_t count = 0;
    std::string description; // UTF-8, the criterion as it reads: "Улица начинается с «ЛЕН»"
};

// A criterion changed so that the search finds something.
struct TSuggestion {
    SuggestionKind kind = SuggestionKind::Layout;
    Field field = Field::Phone;
    MatchCondition condition = MatchCondition::NoCondition; // to select; the criterion's own if only the text changes
    std::string text;        // Windows-1251, to put into the field as it is (already prepared)
    std::string description; // UTF-8, the changed criterion as it reads: "Улица начинается с «ЛЕНИНА»"
    std::string reason;         // UTF-8, why it is offered: "другая раскладка клавиатуры", ...
    std::int32_t count = 0;     // what the search with this change finds, every other criterion as it is
    std::vector<Field> cleared; // criteria emptied besides: the field a text moves from, the criteria dropped
};

struct TExplanation {
    std::vector<TCriterionCount> criteria; // every set criterion, Phone to User
    std::int32_t together = 0;             // what all of them together find
    // Only when together is 0: at most kMaxSuggestions, each finding at least one record, best first: by kind,
    // then the nearer name, then the one that finds more.
    std::vector<TSuggestion> suggestions;

    static constexpr std::size_t kMaxSuggestions = 5;
};

// The criteria as they become when the suggestion is taken: an empty text with NoCondition empties its field.
TCriteria Apply(const TCriteria& criteria, const TSuggestion& suggestion);

// The counts in one line: "Улица начинается с «ЛЕН»: 728 · Абонент содержит «ИВАНОВ»: 312 · вместе: 0".
std::string FormatCounts(const TExplanation& explanation);
// The forms the directory may write a street in that is typed as `street` (folded for matching, FoldForMatch):
// its two words the other way round ("МОСКОВСКОЕ ШОССЕ": "ШОССЕ МОСКОВСКОЕ"), and a kind spelt out or abbreviated
// put in the directory's own form ("ПРОСПЕКТ ЛЕНИНА": "ПР.ЛЕНИНА"; "УЛИЦА ЛЕНИНА": "ЛЕНИНА"). Windows-1251.
std::vector<std::string> StreetForms(std::string_view street);
// One suggestion in one line: "Улица начинается с «ЛЕНИНА» (похожее написание): 720".
std::string FormatSuggestion(const TSuggestion& suggestion);
// A criterion as it reads, UTF-8: its caption (up to a comma), the condition and the text in «».
std::string DescribeCriterion(Field field, MatchCondition condition, std::string_view text);

// Explains any criteria quickly from a directory prepared for searching, which it shares: each field's distinct
// texts with every record's, and the phones read from the records. Of its own it keeps only the street names and
// surnames near names come from, a few per distinct text. A window makes one from the directory it prepared at
// the load and keeps it until the next load.
class TSearchAdvisor {
public:
    explicit TSearchAdvisor(std::shared_ptr<const TPreparedDirectory> prepared);
    ~TSearchAdvisor();
    TSearchAdvisor(TSearchAdvisor&&) noexcept;
    TSearchAdvisor& operator=(TSearchAdvisor&&) noexcept;

    // Counts every set criterion alone and all together in one pass, and, when together they find nothing,
    // proposes changes. Fails with ECriterionMaskException, as the search does, when a mask is invalid.
    TExplanation Explain(const TCriteria& criteria) const;
    std::int32_t Records() const;
    const TPreparedDirectory& Prepared() const;
    // What it keeps besides the prepared directory.
    std::size_t MemoryBytes() const;

    struct Data;

private:
    std::unique_ptr<Data> data_;
};

// The same in one call, for a caller that explains once: the container must hold the whole directory, which is
// prepared for the call.
TExplanation ExplainSearch(const TStrContainer& directory, const TCriteria& criteria);

} // namespace vg
