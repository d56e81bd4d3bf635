#include "csv.h"

#include "cp1251.h"
#include "limits.h"

#include <algorithm>

namespace vg {
namespace {

std::string Quote(std::string_view cp1251Text, const CsvDialect& dialect) {
    std::string text = dialect.encoding == CsvEncoding::Utf8 ? cp1251::ToUtf8(cp1251Text) : std::string(cp1251Text);
    const char special[] = {dialect.separator, '"', '\r', '\n', '\0'};
    if (text.find_first_of(special) == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

constexpr std::string_view kHeader = "phone,street,house,flat,user";
constexpr std::string_view kSpreadsheetHeader = "phone;street;house;flat;user";
constexpr const char* kFieldNames[5] = {"phone", "street", "house", "flat", "user"};

// A field as a message quotes it: its first 24 characters between quotes, every control character, quote,
// backslash and byte that is not UTF-8 escaped, "..." after a longer text; nothing of it reaches a terminal raw.
std::string Shown(std::string_view text) {
    std::string out = "\"";
    std::size_t pos = 0;
    for (int shown = 0; pos < text.size() && shown < 24; ++shown) {
        const auto c = static_cast<unsigned char>(text[pos]);
        std::size_t n = c < 0x80                ? 1
                        : c >= 0xC2 && c < 0xE0 ? 2
                        : c >= 0xE0 && c < 0xF0 ? 3
                        : c >= 0xF0 && c < 0xF5 ? 4
                                                : 0;
        if (n > 1 && (pos + n > text.size() || !IsUtf8(text.substr(pos, n)))) n = 0;
        if (n == 0 || c < 0x20 || c == 0x7F || c == '"' || c == '\\') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += c == '"' || c == '\\' ? std::string{'\\', static_cast<char>(c)}
                                         : std::string{'\\', 'x', kHex[c >> 4], kHex[c & 15]};
            ++pos;
        } else {
            out.append(text.substr(pos, n));
            pos += n;
        }
    }
    return out + (pos < text.size() ? "\"..." : "\"");
}

} // namespace

std::string CheckCsvStart(std::string_view start) {
    if (start.substr(0, 3) == "\xEF\xBB\xBF") start.remove_prefix(3);
    std::size_t end = start.find_first_of("\r\n");
    std::string_view line = start.substr(0, end);
    auto fits = [&](std::string_view header) {
        return end == std::string_view::npos ? header.substr(0, line.size()) == line : line == header;
    };
    if (fits(kHeader) || fits(kSpreadsheetHeader)) return {};
    return "line 1: the header must be phone,street,house,flat,user";
}

std::string CsvField(std::string_view cp1251Text, const CsvDialect& dialect) {
    return Quote(cp1251Text, dialect);
}

std::string DirectoryCsvHeader(const CsvDialect& dialect) {
    std::string header(kHeader);
    std::replace(header.begin(), header.end(), ',', dialect.separator);
    return header + "\r\n";
}

std::string CsvLine(const DirectoryRecord& r, const CsvDialect& dialect) {
    const char s = dialect.separator;
    return Quote(r.phone, dialect) + s + Quote(r.street, dialect) + s + Quote(r.house, dialect) + s +
           Quote(r.flat, dialect) + s + Quote(r.user, dialect) + "\r\n";
}

CsvParseResult ParseDirectoryCsv(std::string_view csv, CsvEncoding encoding) {
    CsvParseResult result;
    auto fail = [&](std::size_t line, const std::string& why) {
        result.records.clear();
        result.error = "line " + std::to_string(line) + ": " + why;
        return result;
    };
    const bool bom = csv.substr(0, 3) == "\xEF\xBB\xBF";
    if (bom) csv.remove_prefix(3);
    // The header names the separator. Windows-1251 text is read as the UTF-8 it stands for, byte for byte (0x98,
    // which the code page leaves unassigned, included), so that every row meets the same checks.
    const char separator = csv.substr(0, 6) == "phone;" ? ';' : ',';
    std::string converted;
    if (!bom && encoding == CsvEncoding::Windows1251) {
        converted = cp1251::ToUtf8(csv);
        csv = converted;
    }

    bool header = true;
    // A field is refused as soon as it is surely too long: a Windows-1251 character is at most three UTF-8 bytes.
    auto most = [](std::size_t k) { return 3 * (k < 5 ? limits::kFieldBytes[k] : limits::kLineBytes); };
    auto tooLong = [&](std::size_t rowLine, std::size_t k) {
        if (header) return fail(rowLine, "the header must be phone,street,house,flat,user");
        return fail(rowLine, std::string("the ") + (k < 5 ? kFieldNames[k] : "field " + std::to_string(k + 1)) +
                                 " is longer than the limit of " +
                                 std::to_string(k < 5 ? limits::kFieldBytes[k] : limits::kLineBytes) + " bytes");
    };
    // What the records inflate to in the packed file: the count, the header value and the index count, and per
    // record its three words, its key and its four lines with CR LF each.
    std::int64_t inflated = 12;
    std::size_t pos = 0;
    std::size_t line = 1;
    while (pos < csv.size()) {
        std::size_t rowLine = line;
        std::vector<std::string> fields;
        std::string field;
        bool lineBreakInField = false;
        // One row: fields up to an unquoted line break or the end of the data.
        while (true) {
            if (pos < csv.size() && csv[pos] == '"') {
                ++pos;
                while (true) {
                    if (pos >= csv.size()) return fail(rowLine, "a quoted field is not closed");
                    char c = csv[pos++];
                    if (c == '"') {
                        if (pos < csv.size() && csv[pos] == '"') {
                            field += '"';
                            ++pos;
                        } else {
                            break;
                        }
                    } else {
                        if (c == '\n') ++line;
                        if (c == '\r' || c == '\n') lineBreakInField = true;
                        field += c;
                    }
                    if (field.size() > most(fields.size())) return tooLong(rowLine, fields.size());
                }
                if (pos < csv.size() && csv[pos] != separator && csv[pos] != '\r' && csv[pos] != '\n')
                    return fail(rowLine, "text after a quoted field");
            } else {
                while (pos < csv.size() && csv[pos] != separator && csv[pos] != '\r' && csv[pos] != '\n') {
                    if (csv[pos] == '"') return fail(rowLine, "a quote inside an unquoted field");
                    field += csv[pos++];
                    if (field.size() > most(fields.size())) return tooLong(rowLine, fields.size());
                }
            }
            fields.push_back(std::move(field));
            field.clear();
            if (pos < csv.size() && csv[pos] == separator) {
                ++pos;
                continue;
            }
            if (pos < csv.size() && csv[pos] == '\r') ++pos;
            if (pos < csv.size() && csv[pos] == '\n') ++pos;
            ++line;
            break;
        }
        if (header) {
            header = false;
            if (fields != std::vector<std::string>{"phone", "street", "house", "flat", "user"})
                return fail(rowLine, "the header must be phone,street,house,flat,user");
            continue;
        }
        if (fields.size() == 1 && fields[0].empty()) continue; // a blank line
        if (fields.size() != 5) return fail(rowLine, "expected 5 fields, found " + std::to_string(fields.size()));
        if (lineBreakInField) return fail(rowLine, "a field holds a line break");
        if (result.records.size() >= static_cast<std::size_t>(limits::kRecords))
            return fail(rowLine, "more than " + GroupedNumber(limits::kRecords) + " records, the limit");
        DirectoryRecord r;
        std::string* out[5] = {&r.phone, &r.street, &r.house, &r.flat, &r.user};
        for (int k = 0; k < 5; ++k) {
            if (fields[static_cast<std::size_t>(k)].find('\0') != std::string::npos)
                return fail(rowLine, "a field holds a zero byte");
            if (!IsUtf8(fields[static_cast<std::size_t>(k)]))
                return fail(rowLine, std::string("the ") + kFieldNames[k] +
                                         " is not UTF-8 (a file in Windows-1251 is read with --excel)");
            if (!cp1251::FromUtf8(fields[static_cast<std::size_t>(k)], *out[k]))
                return fail(rowLine, "the text " + Shown(fields[static_cast<std::size_t>(k)]) +
                                         " cannot be written in Windows-1251");
            if (out[k]->size() > kCsvFieldBytes[k])
                return fail(rowLine, std::string("the ") + kFieldNames[k] + " is " + std::to_string(out[k]->size()) +
                                         " bytes long, more than the limit of " + std::to_string(kCsvFieldBytes[k]));
        }
        if (!std::all_of(r.phone.begin(), r.phone.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return fail(rowLine, "the phone " + Shown(fields[0]) + " must be bare digits");
        inflated += static_cast<std::int64_t>(12 + r.phone.size() + r.street.size() + r.house.size() + r.flat.size() +
                                              r.user.size() + 8);
        if (inflated > limits::kInflatedBytes)
            return fail(rowLine, "the records would inflate to more than the limit of " +
                                     GroupedNumber(limits::kInflatedBytes) + " bytes");
        result.records.push_back(std::move(r));
    }
    if (header) return fail(1, "the file is empty; the header must be phone,street,house,flat,user");
    return result;
}

} // namespace vg
