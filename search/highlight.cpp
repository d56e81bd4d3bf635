#include "highlight.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace vg {
namespace {

// The field's text, an empty one for a line the record lacks.
std::string_view FieldText(const TString& record, Field field) {
    if (field == Field::Phone) return record.Key();
    const TLineList lines = record.Lines();
    const int line = static_cast<int>(field) - 1;
    return line < lines.Count() ? lines[line] : std::string_view();
}

// Folded characters [begin, end) as a span of the stored text they came from.
TSpan Stored(const std::vector<std::uint32_t>& origin, std::size_t begin, std::size_t end) {
    return {origin[begin], origin[end - 1] + 1 - origin[begin]};
}

} // namespace

void MergeSpans(std::vector<TSpan>& spans) {
    std::sort(spans.begin(), spans.end(), [](const TSpan& a, const TSpan& b) { return a.begin < b.begin; });
    std::size_t out = 0;
    for (const TSpan& s : spans) {
        if (s.length == 0) continue;
        if (out > 0 && s.begin <= spans[out - 1].begin + spans[out - 1].length) {
            TSpan& last = spans[out - 1];
            last.length = std::max(last.begin + last.length, s.begin + s.length) - last.begin;
        } else {
            spans[out++] = s;
        }
    }
    spans.resize(out);
}

TFieldSpans TBoxSpans::Spans(const TString& record) const {
    TFieldSpans spans = query_.Spans(record);
    for (std::vector<TSpan>& field : spans)
        MergeSpans(field);
    return spans;
}

TCriteriaSpans::TCriteriaSpans(const TCriteria& criteria) {
    for (Field field : kFields) {
        const MatchCondition condition = criteria.Condition(field);
        // What a negated condition matched is what the field lacks: nothing to show.
        if (condition == MatchCondition::NoCondition || condition == MatchCondition::NotContains ||
            condition == MatchCondition::NotFitsMask || condition == MatchCondition::NotEqual)
            continue;
        try {
            TCriterion c{field, TCriterionTest(criteria.Text(field), condition, FoldKindOf(field)), std::nullopt};
            if (condition == MatchCondition::FitsMask) c.exact.emplace(c.test.Folded());
            criteria_.push_back(std::move(c));
        } catch (const EMaskException&) {
            // The search refused the mask and kept nothing.
        }
    }
}

TFieldSpans TCriteriaSpans::Spans(const TString& record) const {
    TFieldSpans spans;
    std::string folded;
    std::vector<std::uint32_t> origin;
    for (const TCriterion& c : criteria_) {
        const std::string_view text = FieldText(record, c.field);
        if (!c.test(text)) continue;
        const FoldKind kind = FoldKindOf(c.field);
        origin.clear();
        FoldForMatch(kind, text, folded, &origin);
        if (folded.empty()) continue;
        std::vector<TSpan>& out = spans[Index(c.field)];
        const std::string& criterion = c.test.Folded();
        switch (c.test.Condition()) {
        case MatchCondition::BeginsWith:
            out.push_back(Stored(origin, 0, std::min(criterion.size(), folded.size())));
            break;
        case MatchCondition::Contains:
            for (std::size_t at = folded.find(criterion); at != std::string::npos && !criterion.empty();
                 at = folded.find(criterion, at + criterion.size()))
                out.push_back(Stored(origin, at, at + criterion.size()));
            break;
        case MatchCondition::FitsMask:
            for (std::size_t length = folded.size(); length > 0; --length)
                if (c.exact->Fits(std::string_view(folded).substr(0, length))) {
                    out.push_back(Stored(origin, 0, length));
                    break;
                }
            break;
        default: { // an order condition, satisfied by the field as a whole, without the blanks around it
            const std::size_t first = folded.find_first_not_of(' ');
            if (first != std::string::npos) out.push_back(Stored(origin, first, folded.find_last_not_of(' ') + 1));
            break;
        }
        }
    }
    return spans;
}

} // namespace vg
