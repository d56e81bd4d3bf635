#pragma once

#include "criteria.h"
#include "directory/strcontainer.h"
#include "matching.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vg {

enum class SearchOutcome {
    Found,    // at least one record matched
    NotFound, // no record matched
    Failed,   // a criterion holds an invalid mask: nothing was searched
    Empty,    // the reloaded directory holds no records: nothing happened
};

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::Empty;
    std::int32_t count = 0; // records left in the container
    // For Failed: the criterion; its text as the operator typed it (Windows-1251, neither trimmed nor
    // upper-cased); the 1-based position of the fault in that text, in its characters; what is wrong there; and
    // the mask parser's message, which counts in the prepared mask.
    int criterion = -1;
    std::string mask;
    int position = 0;
    MaskError reason = MaskError::None;
    std::string message;
};

class TPreparedDirectory;

// What a search needs from whoever runs it: the window, or a command-line tool.
class ISearchHost {
public:
    virtual ~ISearchHost() = default;
    // Refills the container with the whole directory, without showing the loader's progress.
    virtual void Reload() = 0;
    // The whole directory prepared for searching, when the host keeps it: the search then picks the records it
    // keeps from it and reloads only those, through ReloadOnly. Null: the search reloads every record and
    // removes those that fail.
    virtual const TPreparedDirectory* Prepared() { return nullptr; }
    // As Reload, but the container gets only the prepared directory's records at `positions`, in that order.
    virtual void ReloadOnly(const std::vector<std::uint32_t>& /*positions*/) {}
    virtual TCriteria ReadCriteria() = 0;
    // The progress window: its info text (Windows-1251), a report, and showing it.
    virtual void SetInfoText(std::string_view /*text*/) {}
    virtual void ProgressCallback(std::int32_t /*position*/, std::int32_t /*maximum*/) {}
    virtual void ShowProgress() {}
    // Runs once the walk has started, however it ends: publish the result, play the sound, hide the window.
    virtual void Finish(const SearchResult& /*result*/) {}
};

// Info text of the progress window while searching, Windows-1251.
std::string SearchInfoText();

// Reloads the whole directory, reads the criteria and deletes from the container every record that fails any
// of them (all five tests are evaluated), walking from the last record to the first and reporting progress
// every 150 records. An invalid mask makes the search fail before any record is deleted. Other failures are
// passed on after Finish has run. With a prepared directory the container ends the same, with the same
// reports, but only the records kept are reloaded.
SearchResult RunSearch(TStrContainer& container, ISearchHost& host);

// The failed search that `criteria` make when one of their masks is invalid; none when every mask is whole. Lets
// a caller keep what it shows while a mask is still being typed.
std::optional<SearchResult> InvalidMask(const TCriteria& criteria);

// Tests one record against prepared criteria tests.
class TRecordFilter {
public:
    // Fails with ECriterionMaskException naming the first criterion whose mask is invalid.
    explicit TRecordFilter(const TCriteria& criteria);
    bool operator()(const TString& record) const;
    const TCriterionTest& Test(Field field) const { return tests_[Index(field)]; }
    MatchCondition Condition(Field field) const { return conditions_[Index(field)]; }
    // The criteria that are set, in field order.
    const std::vector<Field>& Set() const { return set_; }

private:
    std::array<MatchCondition, kCriterionCount> conditions_{};
    std::vector<TCriterionTest> tests_;
    std::vector<Field> set_; // the criteria that are set, in field order
};

} // namespace vg
