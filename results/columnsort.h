#pragma once

#include "directory/fields.h"
#include "directory/strcontainer.h"

#include <string>

namespace vg {

// The progress window as the sort sees it: whether it is showing, and its bar's percentage.
class ISortProgress {
public:
    virtual ~ISortProgress() = default;
    virtual bool Visible() const = 0;
    virtual int Percent() const = 0;
    virtual void SetPercent(int percent) = 0;
};

// The list's columns are the record's fields, in their order.
inline constexpr int kColumnCount = kFieldCount;

// Compares records i (being placed) and j (the pivot) by the sort column's chain of fields: the phone through
// ToNumber, a house or flat as an address number (CompareAddress: 8 < 8А < 8/1 < 9) and texts through StrCompare,
// reversed when not ascending. Indexes out of range compare equal; a record without a line the chain reads fails
// with ERecordError naming it. With a visible progress window, every compare whose first index is a multiple of 150
// moves the bar forward to the pivot's share of the records.
int CompareByColumn(const TStrContainer* container, int column, int i, int j, bool ascending,
                    ISortProgress* progress = nullptr);

// Sorts the container by a column: the container's quick sort with the pivot tracked by position, every compare
// answering as CompareByColumn, its progress included, over keys prepared once per record. The arrangement,
// equal records included, is the one that sort gives. A record without the lines a compare needs stops the
// sort with ERecordError naming it, the records keeping the order reached.
void SortByColumn(TStrContainer& container, int column, bool ascending, ISortProgress* progress = nullptr);

// Info text of the progress window while sorting, Windows-1251.
std::string SortInfoText();

} // namespace vg
