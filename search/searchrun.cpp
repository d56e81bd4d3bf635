#include "searchrun.h"

#include "boxsearch.h"
#include "directory/cp1251.h"
#include "directory/errors.h"
#include "matching.h"
#include "prepared.h"

#include <numeric>
#include <optional>
#include <utility>
#include <vector>

namespace vg {

std::string SearchInfoText() {
    std::string text;
    cp1251::FromUtf8("Поиск в базе данных ...", text);
    return text;
}

TRecordFilter::TRecordFilter(const TCriteria& criteria) {
    for (const TCriterionInfo& info : kCriteria) {
        try {
            tests_.emplace_back(criteria.Text(info.field), criteria.Condition(info.field), FoldKindOf(info.field));
        } catch (const EMaskException& e) {
            throw ECriterionMaskException(e, static_cast<int>(info.field));
        }
        conditions_[Index(info.field)] = criteria.Condition(info.field);
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

namespace {

// The search's report of an invalid mask.
void DescribeMaskFailure(const TCriteria& criteria, const ECriterionMaskException& e, SearchResult& result) {
    result.outcome = SearchOutcome::Failed;
    result.criterion = e.Criterion();
    const auto k = static_cast<std::size_t>(result.criterion);
    // A record filled without the typed texts reports in the prepared one.
    result.mask = criteria.Origins[k].empty() ? criteria.Texts[k] : criteria.Typed[k];
    result.position = TypedPosition(criteria.Origins[k], e.Position());
    result.reason = e.Reason();
    result.message = e.what();
}

// The walk over every record that the criteria's search and the box's share: the whole directory reloaded, the
// records the test refuses marked from the last record to the first with a report every 150 records, and
// removed in one pass, so that a search costs linear time however the matches are spread (what is removed is
// the same as deleting each one in turn); Finish runs however the walk ends. `start()`, called once the directory
// is reloaded and not empty, gives the test: its Prepare(result), called once the progress is shown, returns
// false after describing in `result` why no record is tested (every record then stays); its (record, n) tells
// whether record n stays.
template <class Start> SearchResult WalkEveryRecord(TStrContainer& container, ISearchHost& host, Start start) {
    SearchResult result;
    host.Reload();
    if (container.Count() <= 0) return result;
    auto test = start();
    const std::int32_t total = container.Count();
    host.SetInfoText(SearchInfoText());
    host.ProgressCallback(0, total);
    host.ShowProgress();

    std::vector<char> doomed(static_cast<std::size_t>(total), 0);
    auto finish = [&]() {
        container.DeleteMarked(doomed);
        result.count = container.Count();
        if (result.outcome != SearchOutcome::Failed)
            result.outcome = result.count > 0 ? SearchOutcome::Found : SearchOutcome::NotFound;
        host.Finish(result);
    };
    try {
        if (test.Prepare(result))
            for (std::int32_t n = total - 1; n >= 0; --n) {
                if (!test(*container.GetItem(n), n)) doomed[static_cast<std::size_t>(n)] = 1;
                if (n % 150 == 0) host.ProgressCallback(total - n, total);
            }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return result;
}

// The criteria's test for the walk: every record against the five criteria tests.
class TCriteriaWalkTest {
public:
    explicit TCriteriaWalkTest(TCriteria criteria) : criteria_(std::move(criteria)) {}
    // An invalid mask makes the search fail before any record is tested.
    bool Prepare(SearchResult& result) {
        try {
            filter_.emplace(criteria_);
        } catch (const ECriterionMaskException& e) {
            DescribeMaskFailure(criteria_, e, result);
            return false;
        }
        return true;
    }
    bool operator()(const TString& record, std::int32_t n) const {
        try {
            return (*filter_)(record);
        } catch (const EListError& e) {
            throw ERecordError(n, std::string(record.Key()), e);
        }
    }

private:
    TCriteria criteria_;
    std::optional<TRecordFilter> filter_;
};

// The box's test for the walk: the records the words do not all match go.
class TBoxWalkTest {
public:
    explicit TBoxWalkTest(const TBoxQuery& query) : query_(query) {}
    static bool Prepare(SearchResult& /*result*/) { return true; }
    bool operator()(const TString& record, std::int32_t /*n*/) const { return query_(record); }

private:
    const TBoxQuery& query_;
};

// The same search over the prepared directory: the records kept are picked first and only they are reloaded;
// the reports are the walk's, and a failure of the walk comes at the same record with the same records kept.
SearchResult SelectPrepared(TStrContainer& container, ISearchHost& host, const TPreparedDirectory& prepared) {
    SearchResult result;
    TCriteria criteria = host.ReadCriteria();
    std::optional<TRecordFilter> filter;
    try {
        filter.emplace(criteria);
    } catch (const ECriterionMaskException& e) {
        // Nothing is searched: the whole directory stays.
        host.Reload();
        host.SetInfoText(SearchInfoText());
        host.ProgressCallback(0, container.Count());
        host.ShowProgress();
        DescribeMaskFailure(criteria, e, result);
        result.count = container.Count();
        host.Finish(result);
        return result;
    }
    TSelection selection = prepared.Select(*filter);
    host.ReloadOnly(selection.positions);
    const std::int32_t total = prepared.Count();
    host.SetInfoText(SearchInfoText());
    host.ProgressCallback(0, total);
    host.ShowProgress();
    auto finish = [&]() {
        result.count = container.Count();
        result.outcome = result.count > 0 ? SearchOutcome::Found : SearchOutcome::NotFound;
        host.Finish(result);
    };
    std::int32_t untested = total - 1; // every record above it has been tested
    try {
        // The walk reports after each record whose position is a multiple of 150, counting the records done.
        for (std::int32_t n = (total - 1) / 150 * 150; n > selection.stop; n -= 150) {
            untested = n - 1;
            host.ProgressCallback(total - n, total);
        }
        untested = selection.stop;
        // Reading the record short of lines fails as it does in the walk.
        if (selection.stop >= 0) {
            const TString& record = *prepared.Whole().GetItem(selection.stop);
            try {
                (void)(*filter)(record);
            } catch (const EListError& e) {
                throw ERecordError(selection.stop, std::string(record.Key()), e);
            }
        }
    } catch (...) {
        // The walk would have kept every record it had not tested yet.
        std::vector<std::uint32_t> kept(static_cast<std::size_t>(untested + 1));
        std::iota(kept.begin(), kept.end(), 0u);
        for (std::uint32_t i : selection.positions)
            if (static_cast<std::int32_t>(i) > untested) kept.push_back(i);
        if (kept.size() != selection.positions.size()) host.ReloadOnly(kept);
        finish();
        throw;
    }
    finish();
    return result;
}

} // namespace

SearchResult RunBoxSearch(TStrContainer& container, ISearchHost& host, const TBoxQuery& query) {
    const TPreparedDirectory* prepared = host.Prepared();
    std::optional<std::vector<std::uint32_t>> kept;
    if (prepared && prepared->Count() > 0) kept = prepared->SelectBox(query);
    if (!kept) return WalkEveryRecord(container, host, [&query] { return TBoxWalkTest(query); });
    host.ReloadOnly(*kept);
    const std::int32_t total = prepared->Count();
    host.SetInfoText(SearchInfoText());
    host.ProgressCallback(0, total);
    host.ShowProgress();
    host.ProgressCallback(total, total);
    SearchResult result;
    result.count = container.Count();
    result.outcome = result.count > 0 ? SearchOutcome::Found : SearchOutcome::NotFound;
    host.Finish(result);
    return result;
}

SearchResult RunSearch(TStrContainer& container, ISearchHost& host) {
    const TPreparedDirectory* prepared = host.Prepared();
    if (!prepared || prepared->Count() <= 0)
        return WalkEveryRecord(container, host, [&host] { return TCriteriaWalkTest(host.ReadCriteria()); });
    return SelectPrepared(container, host, *prepared);
}

std::optional<SearchResult> InvalidMask(const TCriteria& criteria) {
    try {
        TRecordFilter filter(criteria);
    } catch (const ECriterionMaskException& e) {
        SearchResult result;
        DescribeMaskFailure(criteria, e, result);
        return result;
    }
    return std::nullopt;
}

} // namespace vg
