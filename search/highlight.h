#pragma once

#include "boxsearch.h"
#include "criteria.h"
#include "directory/strcontainer.h"
#include "matching.h"

#include <array>
#include <optional>
#include <vector>

// What to highlight in a record: the parts of its fields that made the last search keep it, so the operator sees
// why a row is there. The list asks one interface whichever search made it, the box or the criteria.
namespace vg {

class IMatchSpans {
public:
    virtual ~IMatchSpans() = default;
    // Per field, the parts matched, on the field as stored: in order, none overlapping or touching another. A
    // record that the search would not keep, or a line the record lacks, has none.
    virtual TFieldSpans Spans(const TString& record) const = 0;
};

// Sorts the spans and joins those that overlap or touch.
void MergeSpans(std::vector<TSpan>& spans);

// The box's words where they matched (TBoxQuery::Spans), merged.
class TBoxSpans final : public IMatchSpans {
public:
    explicit TBoxSpans(TBoxQuery query) : query_(std::move(query)) {}
    TFieldSpans Spans(const TString& record) const override;

private:
    TBoxQuery query_;
};

// The criteria's matches, one criterion per field, compared as the search compares (FoldForMatch on both sides),
// and a field that fails its criterion shows nothing:
// - "начинается с": the folded beginning, as far as the criterion goes;
// - "содержит": every place the criterion stands in the folded field, none overlapping;
// - "подходит к маске": the longest beginning that the mask covers without the star the search adds, so "Л?Н"
//   marks "Лен" of "Ленина" and a mask that ends with '*' the whole field;
// - "равно", "больше", "больше или равно", "меньше", "меньше или равно": the whole field (from the first to the
//   last character the comparison reads, so quotes and blanks around it stay plain): the field as a whole
//   satisfies them;
// - "не содержит", "не подходит к маске", "не равно": nothing, since they say what the field does not hold.
// Positions are mapped back from the folded text to the stored one, so a match across a dropped quote or a
// closed-up blank covers them too.
class TCriteriaSpans final : public IMatchSpans {
public:
    // A criterion whose mask is invalid highlights nothing (its search found nothing).
    explicit TCriteriaSpans(const TCriteria& criteria);
    TFieldSpans Spans(const TString& record) const override;

private:
    struct TCriterion {
        Field field;
        TCriterionTest test;
        std::optional<TMask> exact; // a mask without the added star
    };
    std::vector<TCriterion> criteria_;
};

} // namespace vg
