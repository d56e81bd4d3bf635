#include "searchrun.h"

#include "directory/cp1251.h"
#include "matching.h"

#include <optional>
#include <vector>

namespace vg {

std::string SearchInfoText() {
    std::string text;
    cp1251::FromUtf8("Поиск в базе данных ...", text);
    return text;
}

namespace {

SearchResult FailedBy(const TCriteria& criteria, const ECriterionMaskException& e) {
    SearchResult result;
    result.outcome = SearchOutcome::Failed;
    result.criterion = e.Criterion();
    const auto k = static_cast<std::size_t>(result.criterion);
    // A record filled without the typed texts reports in the prepared one.
    result.mask = criteria.Origins[k].empty() ? criteria.Texts[k] : criteria.Typed[k];
    result.position = TypedPosition(criteria.Origins[k], e.Position());
    result.reason = e.Reason();
    result.message = e.what();
    return result;
}

} // namespace

std::optional<SearchResult> InvalidMask(const TCriteria& criteria) {
    try {
        TRecordFilter filter(criteria);
    } catch (const ECriterionMaskException& e) {
        return FailedBy(criteria, e);
    }
    return std::nullopt;
}

TRecordFilter::TRecordFilter(const TCriteria& criteria) {
    for (const TCriterionInfo& info : kCriteria) {
        try {
            tests_.emplace_back(criteria.Text(info.field), criteria.Condition(info.field), info.numeric);
        } catch (const EMaskException& e) {
            throw ECriterionMaskException(e, static_cast<int>(info.field));
        }
        if (criteria.Condition(info.field) != MatchCondition::NoCondition) set_.push_back(info.field);
    }
}

bool TRecordFilter::operator()(const TString& record) const {
    const TLineList lines = record.Lines();
    if (lines.Count() >= kFieldCount - 1) {
        // Every field is there and no test can fail otherwise: a criterion that is not set accepts the
        // record without looking, and the first test that fails decides.
        for (Field field : set_)
            if (!tests_[Index(field)](field == Field::Phone ? record.Key() : lines.Get(static_cast<int>(field) - 1)))
                return false;
        return true;
    }
    // A record short of lines: all five are evaluated, reading a missing line failing as it does.
    bool all = true;
    for (Field field : kFields)
        all = tests_[Index(field)](FieldOf(record, field)) && all;
    return all;
}

SearchResult RunSearch(TStrContainer& container, ISearchHost& host) {
    SearchResult result;
    host.Reload();
    if (container.Count() <= 0) return result;
    TCriteria criteria = host.ReadCriteria();
    const std::int32_t total = container.Count();
    std::int32_t processed = 0;
    host.SetInfoText(SearchInfoText());
    host.ProgressCallback(0, total);
    host.ShowProgress();

    // Failing records are marked during the walk and removed in one pass, so that a search costs linear
    // time however the matches are spread; what is removed is the same as deleting each one in turn.
    std::vector<char> doomed(static_cast<std::size_t>(total), 0);
    auto finish = [&]() {
        container.DeleteMarked(doomed);
        result.count = container.Count();
        if (result.outcome != SearchOutcome::Failed)
            result.outcome = result.count > 0 ? SearchOutcome::Found : SearchOutcome::NotFound;
        host.Finish(result);
    };
    try {
        std::optional<TRecordFilter> filter;
        try {
            filter.emplace(criteria);
        } catch (const ECriterionMaskException& e) {
            result = FailedBy(criteria, e);
            finish();
            return result;
        }
        for (std::int32_t n = total - 1; n >= 0; --n) {
            const TString* record = container.GetItem(n);
            ++processed;
            if (!(*filter)(*record)) doomed[static_cast<std::size_t>(n)] = 1;
            if (n % 150 == 0) host.ProgressCallback(processed, total);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return result;
}

} // namespace vg
