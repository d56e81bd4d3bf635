// Sorting and drawing arbitrary records, damaged ones (fewer than four lines) among them: the column sort
// keeps the records and orders them, group starts and type-ahead never fail and the type-ahead finds what a
// plain scan finds, phone numbers format as written out, and whole records survive dump and pack.
#include "directory/cp1251.h"
#include "directory/csv.h"
#include "directory/errors.h"
#include "directory/loader.h"
#include "directory/writer.h"
#include "results/columnsort.h"
#include "results/rowlogic.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A failed check names its line, so that a finding says which property broke.
void CheckAt(bool ok, int line) {
    if (ok) return;
    std::fprintf(stderr, "fuzz_rows: check at line %d failed\n", line);
    std::abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

// Field bytes a CSV carries whole: anything but the zero byte and line breaks.
std::string FieldText(FuzzedDataProvider& in, std::size_t most) {
    std::string s = in.ConsumeRandomLengthString(most);
    for (char& c : s)
        if (c == '\0' || c == '\r' || c == '\n') c = 'x';
    return s;
}

std::string Digits(FuzzedDataProvider& in) {
    std::string s = in.ConsumeRandomLengthString(7);
    for (char& c : s)
        c = static_cast<char>('0' + static_cast<unsigned char>(c) % 10);
    return s;
}

// The field a column shows, as the records were built: the key, or the line, empty when missing.
std::string_view Field(const vg::TString& r, int column) {
    return column == 0 ? r.Key() : r.Lines().Get(column - 1);
}

// The type-ahead ignores letter case in the code page's own casing, Cyrillic included.
unsigned char Fold(char c) {
    return vg::cp1251::Upper(static_cast<unsigned char>(c));
}

// The type-ahead as a plain scan over the rows in the order it visits them.
int ScanRow(const vg::TStrContainer& c, std::string_view text, int start, bool wrap, int column) {
    if (text.empty() || c.Count() == 0) return -1;
    if (start < 0 || start >= c.Count()) start = 0;
    std::vector<int> order;
    for (int r = start; r < c.Count(); ++r)
        order.push_back(r);
    if (wrap)
        for (int r = 0; r < start; ++r)
            order.push_back(r);
    for (int r : order) {
        std::string_view v = Field(*c.GetItem(r), column);
        if (v.size() < text.size()) continue;
        if (std::equal(text.begin(), text.end(), v.begin(), [](char a, char b) { return Fold(a) == Fold(b); }))
            return r;
    }
    return -1;
}

std::vector<std::string> Fields(const vg::TString& r) {
    return {std::string(r.Key()),          std::string(r.Lines().Get(0)), std::string(r.Lines().Get(1)),
            std::string(r.Lines().Get(2)), std::string(r.Lines().Get(3)), std::to_string(r.Lines().Count())};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const int column = in.ConsumeIntegralInRange(0, vg::kColumnCount - 1);
    const bool ascending = in.ConsumeBool();
    const bool damaged = in.ConsumeBool();
    vg::TStrContainer container;
    std::vector<vg::DirectoryRecord> whole; // the records with four lines, as fields
    const int count = in.ConsumeIntegralInRange(0, 40);
    for (int i = 0; i < count; ++i) {
        auto r = std::make_unique<vg::TString>(Digits(in));
        std::vector<std::string> lines;
        int lineCount = damaged ? in.ConsumeIntegralInRange(0, 5) : 4;
        for (int k = 0; k < lineCount; ++k)
            lines.push_back(FieldText(in, k == 3 ? 40 : 12));
        r->SetLines(lines);
        if (lineCount == 4) whole.push_back({std::string(r->Key()), lines[0], lines[1], lines[2], lines[3]});
        container.Append(std::move(r));
    }

    // Sort: the same records afterwards, in order when every record has the column's fields.
    std::vector<std::vector<std::string>> before;
    for (int i = 0; i < container.Count(); ++i)
        before.push_back(Fields(*container.GetItem(i)));
    bool sorted = true;
    try {
        vg::SortByColumn(container, column, ascending);
    } catch (const vg::EListError&) {
        sorted = false; // a record without the lines the sort needs
    }
    Check(sorted || damaged);
    std::vector<std::vector<std::string>> after;
    for (int i = 0; i < container.Count(); ++i)
        after.push_back(Fields(*container.GetItem(i)));
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    Check(before == after);
    if (sorted)
        for (int i = 0; i + 1 < container.Count(); ++i)
            Check(vg::CompareByColumn(&container, column, i, i + 1, ascending) <= 0);

    // Drawing: group starts for every column never fail; an empty value never opens a group, and a
    // value under an empty one always does.
    for (int c = 0; c < vg::kColumnCount; ++c)
        for (int row = 0; row < container.Count(); ++row) {
            bool start = vg::IsGroupStart(container, row, c);
            std::string_view cur = Field(*container.GetItem(row), c);
            std::string_view prev = row > 0 ? Field(*container.GetItem(row - 1), c) : std::string_view{};
            if (cur.empty()) Check(!start);
            if (!cur.empty() && prev.empty()) Check(start);
        }

    // Type-ahead against the plain scan.
    std::string text = in.ConsumeRandomLengthString(4);
    int start = in.ConsumeIntegralInRange(-2, count + 2);
    bool wrap = in.ConsumeBool();
    for (int c = 0; c < vg::kColumnCount; ++c)
        Check(vg::FindRow(container, text, start, wrap, c) == ScanRow(container, text, start, wrap, c));

    // The phone as shown: 1-23-45 and 12-34-56, any other length as it is; the digits always come back.
    for (int i = 0; i < container.Count(); ++i) {
        std::string key(container.GetKey(i));
        std::string shown = vg::FormatPhone(key);
        if (key.size() == 5)
            Check(shown == key.substr(0, 1) + "-" + key.substr(1, 2) + "-" + key.substr(3, 2));
        else if (key.size() == 6)
            Check(shown == key.substr(0, 2) + "-" + key.substr(2, 2) + "-" + key.substr(4, 2));
        else
            Check(shown == key);
    }

    // Dump and pack: the whole records come back from the CSV, and from the directory packed from it in key order.
    std::string csv = vg::DirectoryCsvHeader();
    for (const auto& r : whole)
        csv += vg::CsvLine(r);
    auto parsed = vg::ParseDirectoryCsv(csv);
    Check(parsed.error.empty());
    Check(parsed.records.size() == whole.size());
    auto same = [](const vg::DirectoryRecord& a, const vg::DirectoryRecord& b) {
        return a.phone == b.phone && a.street == b.street && a.house == b.house && a.flat == b.flat && a.user == b.user;
    };
    for (std::size_t k = 0; k < whole.size(); ++k)
        Check(same(parsed.records[k], whole[k]));
    vg::TStrContainer packed;
    vg::LoadDirectory(packed, vg::PackDirectory(parsed.records));
    std::stable_sort(whole.begin(), whole.end(), [](const auto& a, const auto& b) { return a.phone < b.phone; });
    Check(packed.Count() == static_cast<int>(whole.size()));
    for (int i = 0; i < packed.Count(); ++i)
        Check(same(vg::ToRecord(*packed.GetItem(i)), whole[static_cast<std::size_t>(i)]) &&
              packed.GetItem(i)->Lines().Count() == 4);
    return 0;
}
