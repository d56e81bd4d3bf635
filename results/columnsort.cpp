#include "columnsort.h"

#include "directory/cp1251.h"
#include "search/matching.h"

namespace vg {
namespace {

enum Field { fPhone, fStreet, fHouse, fFlat, fUser, fNone };

struct Step {
    Field field;
    bool number;
};

// Tie-breaking chains per sort column.
constexpr Step kChains[kColumnCount][5] = {
    {{fPhone, true}, {fUser, false}, {fStreet, false}, {fHouse, true}, {fFlat, true}},
    {{fStreet, false}, {fHouse, true}, {fFlat, true}, {fUser, false}, {fNone, false}},
    {{fHouse, true}, {fStreet, false}, {fFlat, true}, {fUser, false}, {fPhone, true}},
    {{fFlat, true}, {fHouse, true}, {fStreet, false}, {fUser, false}, {fPhone, true}},
    {{fUser, false}, {fStreet, false}, {fHouse, true}, {fFlat, true}, {fPhone, true}},
};

std::string_view FieldOf(const TString& record, Field field) {
    if (field == fPhone) return record.Key();
    return record.Lines()[field - 1];
}

int CompareInt(std::int32_t a, std::int32_t b) {
    return a > b ? 1 : a < b ? -1 : 0;
}

} // namespace

int CompareByColumn(const TStrContainer* container, int column, int i, int j, bool ascending, ISortProgress* progress) {
    if (!container || i < 0 || j < 0 || i >= container->Count() || j >= container->Count()) return 0;
    if (column < 0 || column >= kColumnCount) return 0;
    if (progress && i % 150 == 0 && progress->Visible()) {
        int p = RoundedShare(j, container->Count());
        if (progress->Percent() < p) progress->SetPercent(p);
    }
    const TString& a = *container->GetItem(i);
    const TString& b = *container->GetItem(j);
    int r = 0;
    for (const Step& step : kChains[column]) {
        if (r != 0 || step.field == fNone) break;
        std::string_view x = FieldOf(a, step.field);
        std::string_view y = FieldOf(b, step.field);
        r = step.number ? CompareInt(ToNumber(x), ToNumber(y)) : StrCompare(x, y);
    }
    if (!ascending) NegateOrder(r);
    return r;
}

CompareFunc ColumnCompare(ISortProgress* progress) {
    return [progress](const TStrContainer* container, int column, int i, int j, bool ascending) {
        return CompareByColumn(container, column, i, j, ascending, progress);
    };
}

void SortByColumn(TStrContainer& container, int column, bool ascending, ISortProgress* progress) {
    container.SortWith(column, ascending, [progress](const TStrContainer* c, int col, int i, int j, bool asc) {
        return CompareByColumn(c, col, i, j, asc, progress);
    });
}

std::string SortInfoText() {
    std::string text;
    cp1251::FromUtf8("Сортировка телефонного справочника ...", text);
    return text;
}

} // namespace vg
