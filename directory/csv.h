#pragma once

#include "limits.h"
#include "stream.h"
#include "utf8.h"
#include "writer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vg {

// The text's encoding in a directory CSV: UTF-8, or Windows-1251, the directory's own code page, which a
// Russian-locale spreadsheet saves.
enum class CsvEncoding { Utf8, Windows1251 };

// How a directory CSV is laid out: RFC 4180 with CR LF line ends, a field quoted when it holds the separator, a
// quote or a line break; the header "phone,street,house,flat,user" with the dialect's separator.
struct CsvDialect {
    char separator = ',';
    CsvEncoding encoding = CsvEncoding::Utf8;
};
// What a Russian-locale spreadsheet saves as CSV: Windows-1251 text separated by ';'.
inline constexpr CsvDialect kSpreadsheetCsv{';', CsvEncoding::Windows1251};

// The header line, with its CR LF.
std::string DirectoryCsvHeader(const CsvDialect& dialect = {});
// One CSV line (with its CR LF) for five Windows-1251 fields.
std::string CsvLine(const DirectoryRecord& record, const CsvDialect& dialect = {});
// One Windows-1251 field as a CSV line holds it.
std::string CsvField(std::string_view cp1251Text, const CsvDialect& dialect = {});
// CsvLine of five Windows-1251 fields (phone, street, house, flat, user) written at `out`, which has room for
// CsvLineRoom of them; returns the end of what was written. Builds a file of millions of lines without a string
// per line or field.
char* WriteCsvLine(const std::string_view (&fields)[5], const CsvDialect& dialect, char* out);
std::size_t CsvLineRoom(const std::string_view (&fields)[5]);

struct CsvParseResult {
    std::vector<DirectoryRecord> records;
    std::string error; // empty on success; otherwise names the line
};

// The longest field a directory takes, in Windows-1251 bytes: phone, street, house, flat, user, as the reader
// takes them (limits::kFieldBytes). Far above the city's longest (6, 24, 3, 3, 37).
inline constexpr const std::size_t (&kCsvFieldBytes)[5] = limits::kFieldBytes;

// Reads a directory CSV of either dialect record by record, checking each row as it is read (as ParseDirectoryCsv
// describes): what it holds at once is a row and a piece of the file, whatever the file's size. A failing
// source's exception is passed on.
class TCsvRecordReader {
public:
    TCsvRecordReader(TStream& source, CsvEncoding encoding = CsvEncoding::Utf8);
    // The next record; false at the end of the data, or at a bad row with Error() naming its line.
    bool Next(DirectoryRecord& record);
    // Why the reading stopped short; empty while every row read was sound.
    const std::string& Error() const { return error_; }

private:
    bool Start();
    // The next character of the UTF-8 text, or -1 at its end; reads another piece when it needs one.
    int Peek() {
        if (pos_ == text_.size() && !More()) return -1;
        return static_cast<unsigned char>(text_[pos_]);
    }
    bool More();
    bool Fail(std::size_t line, const std::string& why);
    bool TooLong(std::size_t line, std::size_t field);

    TStream& source_;
    const CsvEncoding encoding_;
    bool started_ = false, convert_ = false, end_ = false, header_ = true;
    std::string text_; // the piece being read, as UTF-8
    std::size_t pos_ = 0;
    char separator_ = ',';
    std::size_t line_ = 1;
    std::int32_t records_ = 0;
    std::int64_t inflated_ = 12; // what the records read so far inflate to in the packed file
    std::vector<std::string> fields_;
    std::string error_;
};

// Parses a directory CSV of either dialect: the header's separator (',' or ';') separates every line, and the text
// is UTF-8 after a UTF-8 byte-order mark, otherwise in `encoding`. Rejects, with the line number: a missing header, a
// wrong field count, text that is not UTF-8 or that Windows-1251 cannot hold, a field with a line break or a zero byte,
// a field longer than its limit (found while the field is read), a phone that is not bare digits, more records than
// limits::kRecords, records that would inflate to more than limits::kInflatedBytes: exactly what the reader would
// refuse in the packed file. A bad field is quoted by at most its first 24 characters, escaped.
CsvParseResult ParseDirectoryCsv(std::string_view csv, CsvEncoding encoding = CsvEncoding::Utf8);

// Why the first bytes of a file cannot start a directory CSV (its header line), or the empty text; lets a
// reader give up on a file that is no CSV at all before reading the rest of it.
std::string CheckCsvStart(std::string_view start);

} // namespace vg
