#include "csv.h"

#include "cp1251.h"
#include "limits.h"

#include <algorithm>
#include <cstring>

namespace vg {
namespace {

// A field written at `out`: the room it needs is at most FieldRoom of its text.
std::size_t FieldRoom(std::string_view cp1251Text) {
    return 3 * cp1251Text.size() + 2;
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

namespace {

char* WriteCsvField(std::string_view cp1251Text, const CsvDialect& dialect, char* out) {
    // The special characters are ASCII, the same bytes in Windows-1251 and in UTF-8.
    const char separator = dialect.separator;
    bool quoted = false;
    for (char c : cp1251Text)
        if (c == separator || c == '"' || c == '\r' || c == '\n') {
            quoted = true;
            break;
        }
    const bool utf8 = dialect.encoding == CsvEncoding::Utf8;
    if (!quoted) {
        if (utf8) return cp1251::WriteUtf8(cp1251Text, out);
        std::memcpy(out, cp1251Text.data(), cp1251Text.size());
        return out + cp1251Text.size();
    }
    *out++ = '"';
    for (std::size_t at = 0; at < cp1251Text.size();) {
        // The runs between quotes as they are, each quote doubled.
        const std::size_t quote = std::min(cp1251Text.find('"', at), cp1251Text.size());
        const std::string_view run = cp1251Text.substr(at, quote - at);
        if (utf8) {
            out = cp1251::WriteUtf8(run, out);
        } else {
            std::memcpy(out, run.data(), run.size());
            out += run.size();
        }
        if (quote == cp1251Text.size()) break;
        *out++ = '"';
        *out++ = '"';
        at = quote + 1;
    }
    *out++ = '"';
    return out;
}

} // namespace

std::size_t CsvLineRoom(const std::string_view (&fields)[5]) {
    std::size_t room = 1; // the LF; the CR takes the last separator's place
    for (const std::string_view field : fields)
        room += FieldRoom(field) + 1;
    return room;
}

std::string CsvField(std::string_view cp1251Text, const CsvDialect& dialect) {
    std::string out(FieldRoom(cp1251Text), '\0');
    out.resize(static_cast<std::size_t>(WriteCsvField(cp1251Text, dialect, out.data()) - out.data()));
    return out;
}

std::string DirectoryCsvHeader(const CsvDialect& dialect) {
    std::string header(kHeader);
    std::replace(header.begin(), header.end(), ',', dialect.separator);
    return header + "\r\n";
}

char* WriteCsvLine(const std::string_view (&fields)[5], const CsvDialect& dialect, char* out) {
    for (const std::string_view field : fields) {
        out = WriteCsvField(field, dialect, out);
        *out++ = dialect.separator;
    }
    out[-1] = '\r';
    *out++ = '\n';
    return out;
}

std::string CsvLine(const DirectoryRecord& r, const CsvDialect& dialect) {
    const std::string_view fields[5] = {r.phone, r.street, r.house, r.flat, r.user};
    std::string line(CsvLineRoom(fields), '\0');
    line.resize(static_cast<std::size_t>(WriteCsvLine(fields, dialect, line.data()) - line.data()));
    return line;
}

TCsvRecordReader::TCsvRecordReader(TStream& source, CsvEncoding encoding) : source_(source), encoding_(encoding) {}

bool TCsvRecordReader::More() {
    if (end_) return false;
    char piece[64 * 1024];
    const std::size_t n = source_.Read(piece, sizeof piece);
    if (n == 0) {
        end_ = true;
        return false;
    }
    text_.erase(0, pos_);
    pos_ = 0;
    if (convert_)
        text_ += cp1251::ToUtf8(std::string_view(piece, n));
    else
        text_.append(piece, n);
    return true;
}

bool TCsvRecordReader::Fail(std::size_t line, const std::string& why) {
    error_ = "line " + std::to_string(line) + ": " + why;
    return false;
}

bool TCsvRecordReader::TooLong(std::size_t line, std::size_t k) {
    if (header_) return Fail(line, "the header must be phone,street,house,flat,user");
    return Fail(line, std::string("the ") + (k < 5 ? kFieldNames[k] : "field " + std::to_string(k + 1)) +
                          " is longer than the limit of " +
                          std::to_string(k < 5 ? limits::kFieldBytes[k] : limits::kLineBytes) + " bytes");
}

bool TCsvRecordReader::Start() {
    started_ = true;
    // The first bytes as they are: a file that cannot start a directory CSV is refused before any more is read.
    constexpr std::size_t kStart = 4096;
    while (text_.size() < kStart && More()) {
    }
    if (std::string why = CheckCsvStart(std::string_view(text_).substr(0, kStart)); !why.empty()) {
        error_ = std::move(why);
        return false;
    }
    // A byte-order mark means UTF-8 whatever the encoding. Windows-1251 text is read as the UTF-8 it stands for,
    // byte for byte (0x98, which the code page leaves unassigned, included), so that every row meets the same
    // checks; the header names the separator.
    const bool bom = text_.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (bom) pos_ = 3;
    if (!bom && encoding_ == CsvEncoding::Windows1251) {
        convert_ = true;
        text_ = cp1251::ToUtf8(text_);
    }
    separator_ = text_.compare(pos_, 6, "phone;") == 0 ? ';' : ',';
    return true;
}

bool TCsvRecordReader::Next(DirectoryRecord& record) {
    if (!error_.empty() || (!started_ && !Start())) return false;
    // A field is refused as soon as it is surely too long: a Windows-1251 character is at most three UTF-8 bytes.
    auto most = [](std::size_t k) { return 3 * (k < 5 ? limits::kFieldBytes[k] : limits::kLineBytes); };
    auto ends = [this](int c) { return c < 0 || c == separator_ || c == '\r' || c == '\n'; };
    while (Peek() >= 0) {
        const std::size_t rowLine = line_;
        fields_.clear();
        std::string field;
        bool lineBreakInField = false;
        // One row: fields up to an unquoted line break or the end of the data.
        while (true) {
            if (Peek() == '"') {
                ++pos_;
                while (true) {
                    const int c = Peek();
                    if (c < 0) return Fail(rowLine, "a quoted field is not closed");
                    ++pos_;
                    if (c == '"') {
                        if (Peek() != '"') break;
                        field += '"';
                        ++pos_;
                    } else {
                        if (c == '\n') ++line_;
                        if (c == '\r' || c == '\n') lineBreakInField = true;
                        field += static_cast<char>(c);
                    }
                    if (field.size() > most(fields_.size())) return TooLong(rowLine, fields_.size());
                }
                if (!ends(Peek())) return Fail(rowLine, "text after a quoted field");
            } else {
                for (int c = Peek(); !ends(c); c = Peek()) {
                    if (c == '"') return Fail(rowLine, "a quote inside an unquoted field");
                    field += static_cast<char>(c);
                    ++pos_;
                    if (field.size() > most(fields_.size())) return TooLong(rowLine, fields_.size());
                }
            }
            fields_.push_back(std::move(field));
            field.clear();
            if (Peek() == separator_) {
                ++pos_;
                continue;
            }
            if (Peek() == '\r') ++pos_;
            if (Peek() == '\n') ++pos_;
            ++line_;
            break;
        }
        if (header_) {
            header_ = false;
            if (fields_ != std::vector<std::string>{"phone", "street", "house", "flat", "user"})
                return Fail(rowLine, "the header must be phone,street,house,flat,user");
            continue;
        }
        if (fields_.size() == 1 && fields_[0].empty()) continue; // a blank line
        if (fields_.size() != 5) return Fail(rowLine, "expected 5 fields, found " + std::to_string(fields_.size()));
        if (lineBreakInField) return Fail(rowLine, "a field holds a line break");
        if (records_ >= limits::kRecords)
            return Fail(rowLine, "more than " + GroupedNumber(limits::kRecords) + " records, the limit");
        DirectoryRecord& r = record;
        std::string* out[5] = {&r.phone, &r.street, &r.house, &r.flat, &r.user};
        for (int k = 0; k < 5; ++k) {
            const std::string& text = fields_[static_cast<std::size_t>(k)];
            if (text.find('\0') != std::string::npos) return Fail(rowLine, "a field holds a zero byte");
            if (!IsUtf8(text))
                return Fail(rowLine, std::string("the ") + kFieldNames[k] +
                                         " is not UTF-8 (a file in Windows-1251 is read with --excel)");
            out[k]->clear();
            if (!cp1251::FromUtf8(text, *out[k]))
                return Fail(rowLine, "the text " + Shown(text) + " cannot be written in Windows-1251");
            if (out[k]->size() > kCsvFieldBytes[k])
                return Fail(rowLine, std::string("the ") + kFieldNames[k] + " is " + std::to_string(out[k]->size()) +
                                         " bytes long, more than the limit of " + std::to_string(kCsvFieldBytes[k]));
        }
        if (!std::all_of(r.phone.begin(), r.phone.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return Fail(rowLine, "the phone " + Shown(fields_[0]) + " must be bare digits");
        // What the records inflate to in the packed file: the count, the header value and the index count, and
        // per record its three words, its key and its four lines with CR LF each.
        inflated_ += static_cast<std::int64_t>(12 + r.phone.size() + r.street.size() + r.house.size() + r.flat.size() +
                                               r.user.size() + 8);
        if (inflated_ > limits::kInflatedBytes)
            return Fail(rowLine, "the records would inflate to more than the limit of " +
                                     GroupedNumber(limits::kInflatedBytes) + " bytes");
        ++records_;
        return true;
    }
    if (header_) return Fail(1, "the file is empty; the header must be phone,street,house,flat,user");
    return false;
}

CsvParseResult ParseDirectoryCsv(std::string_view csv, CsvEncoding encoding) {
    CsvParseResult result;
    TMemoryStream source(csv);
    TCsvRecordReader reader(source, encoding);
    for (DirectoryRecord record; reader.Next(record);)
        result.records.push_back(std::move(record));
    if (!reader.Error().empty()) {
        result.records.clear();
        result.error = reader.Error();
    }
    return result;
}

} // namespace vg
