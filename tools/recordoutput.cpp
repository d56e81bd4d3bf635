#include "recordoutput.h"

#include "directory/cp1251.h"
#include "directory/csv.h"
#include "directory/writer.h"
#include "search/criteria.h"

#include <algorithm>

namespace vg {
namespace {

std::string_view ColumnName(int column) {
    return kCriteria[static_cast<std::size_t>(column)].word;
}

const std::string& FieldOf(const DirectoryRecord& r, int column) {
    const std::string* fields[kFieldCount] = {&r.phone, &r.street, &r.house, &r.flat, &r.user};
    return *fields[column];
}

std::string TsvField(std::string_view cp1251Text) {
    std::string out;
    for (char c : cp1251::ToUtf8(cp1251Text)) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string JsonString(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20) {
            out += "\\u00";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += c;
        }
    }
    return out + '"';
}

// One line of the chosen columns: the header when `record` is null.
std::string Line(const RecordOutput& how, const DirectoryRecord* record) {
    std::string out;
    if (how.format == RecordFormat::Json) {
        if (!record) return "[\n";
        out = "{";
        for (int column : how.columns) {
            if (out.size() > 1) out += ',';
            out += JsonString(ColumnName(column)) + ':' + JsonString(cp1251::ToUtf8(FieldOf(*record, column)));
        }
        return out + '}';
    }
    const char separator = how.format == RecordFormat::Csv ? how.csv.separator : '\t';
    for (std::size_t k = 0; k < how.columns.size(); ++k) {
        if (k > 0) out += separator;
        const int column = how.columns[k];
        if (!record)
            out += ColumnName(column);
        else if (how.format == RecordFormat::Csv)
            out += CsvField(FieldOf(*record, column), how.csv);
        else
            out += TsvField(FieldOf(*record, column));
    }
    return out + (how.format == RecordFormat::Csv ? "\r\n" : "\n");
}

} // namespace

bool ParseRecordFormat(std::string_view word, RecordFormat& format) {
    constexpr std::pair<std::string_view, RecordFormat> kFormats[] = {
        {"csv", RecordFormat::Csv}, {"tsv", RecordFormat::Tsv}, {"json", RecordFormat::Json}};
    for (const auto& [name, value] : kFormats)
        if (word == name) {
            format = value;
            return true;
        }
    return false;
}

std::string ParseColumnList(std::string_view list, std::vector<int>& columns) {
    columns.clear();
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view word = list.substr(0, comma);
        int column = -1;
        for (int k = 0; k < kFieldCount; ++k)
            if (word == ColumnName(k)) column = k;
        if (column < 0) return "unknown column '" + std::string(word) + "' (phone, street, house, flat, user)";
        if (std::find(columns.begin(), columns.end(), column) != columns.end())
            return "column '" + std::string(word) + "' given twice";
        columns.push_back(column);
        if (comma == std::string_view::npos) return {};
        list.remove_prefix(comma + 1);
    }
}

void WriteRecords(const TStrContainer& records, const RecordOutput& how,
                  const std::function<void(std::string_view)>& put) {
    const std::int64_t shown = how.limit < 0 ? records.Count() : std::min<std::int64_t>(how.limit, records.Count());
    if (how.countOnly) {
        put(std::to_string(records.Count()) + "\n");
        return;
    }
    std::string out = Line(how, nullptr);
    for (std::int64_t i = 0; i < shown; ++i) {
        const DirectoryRecord record = ToRecord(*records.GetItem(static_cast<int>(i)));
        if (how.format == RecordFormat::Json)
            out += i + 1 < shown ? Line(how, &record) + ",\n" : Line(how, &record) + "\n";
        else
            out += Line(how, &record);
        if (out.size() > (1 << 16)) {
            put(out);
            out.clear();
        }
    }
    if (how.format == RecordFormat::Json) out += "]\n";
    put(out);
}

} // namespace vg
