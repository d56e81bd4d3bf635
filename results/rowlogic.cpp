#include "rowlogic.h"

#include "directory/cp1251.h"

namespace vg {
namespace {

std::string_view FirstWord(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos) return {};
    std::size_t end = text.find(' ', begin);
    return text.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin);
}

unsigned char Fold(char c) {
    return cp1251::Upper(static_cast<unsigned char>(c));
}

} // namespace

std::string_view ColumnValue(const TStrContainer& container, int row, int column) {
    if (row < 0 || row >= container.Count()) return {};
    if (column == 0) return container.GetKey(row);
    // A damaged record may lack lines: a missing field reads as empty, so that drawing never fails.
    return container.GetItem(row)->Lines().Get(column - 1);
}

bool IsGroupStart(const TStrContainer& container, int row, int sortColumn) {
    std::string_view cur = ColumnValue(container, row, sortColumn);
    std::string_view prev = row > 0 ? ColumnValue(container, row - 1, sortColumn) : std::string_view{};
    if (prev.empty()) return !cur.empty();
    if (cur.empty()) return false;
    switch (sortColumn) {
    case 0:
        return prev[0] != cur[0];
    case 4:
        if (cur.find_first_of("\"/") != std::string_view::npos) return false;
        return StrCompare(FirstWord(prev), FirstWord(cur)) != 0;
    default:
        return StrCompare(prev, cur) != 0;
    }
}

std::string FormatPhone(std::string_view key) {
    std::string s;
    if (key.size() == 5) {
        s.append(key.substr(0, 1)).append("-").append(key.substr(1, 2)).append("-").append(key.substr(3));
    } else if (key.size() == 6) {
        s.append(key.substr(0, 2)).append("-").append(key.substr(2, 2)).append("-").append(key.substr(4));
    } else {
        s.assign(key);
    }
    return s;
}

std::vector<TSpan> FormatPhoneSpans(std::string_view key, std::vector<TSpan> spans) {
    // The dashes stand before the key's characters 1 and 3 (five digits) or 2 and 4 (six).
    const std::uint32_t first = key.size() == 5 ? 1 : 2, second = first + 2;
    if (key.size() != 5 && key.size() != 6) return spans;
    auto shown = [&](std::uint32_t at) { return at + (at >= first ? 1 : 0) + (at >= second ? 1 : 0); };
    for (TSpan& s : spans) {
        if (s.length == 0) continue;
        const std::uint32_t begin = shown(s.begin), last = shown(s.begin + s.length - 1);
        s = {begin, last + 1 - begin};
    }
    return spans;
}

int FindRow(const TStrContainer& container, std::string_view findString, int startIndex, bool wrap, int sortColumn) {
    int count = container.Count();
    if (findString.empty() || count <= 0) return -1;
    if (startIndex < 0 || startIndex >= count) startIndex = 0;
    auto matches = [&](int row) {
        std::string_view value = ColumnValue(container, row, sortColumn);
        if (value.size() < findString.size()) return false;
        for (std::size_t k = 0; k < findString.size(); ++k)
            if (Fold(value[k]) != Fold(findString[k])) return false;
        return true;
    };
    int row = startIndex;
    do {
        if (matches(row)) return row;
        ++row;
        if (row >= count) {
            if (!wrap) return -1;
            row = 0;
        }
    } while (row != startIndex);
    return -1;
}

int TypeAheadRow(const TStrContainer& container, std::string_view typed, int currentRow, bool newText, int sortColumn) {
    const int count = container.Count();
    int start = 0;
    if (currentRow >= 0 && currentRow < count) start = newText ? (currentRow + 1) % count : currentRow;
    return FindRow(container, typed, start, true, sortColumn);
}

} // namespace vg
