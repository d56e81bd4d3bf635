#pragma once

#include "errors.h"
#include "stream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vg {

// Limits no real directory reaches (the city has 45,129 records of at most 62 text bytes; a city of several
// million subscribers stays far below them), so that damaged or hostile data fails early instead of taking
// gigabytes. The README lists them.
namespace limits {
constexpr std::int64_t kFileBytes = std::int64_t{256} << 20;   // a compressed directory file
constexpr std::int64_t kInflatedBytes = std::int64_t{1} << 30; // the directory inflated
constexpr std::int32_t kRecords = 10'000'000;                  // Count
// The longest text of each field in Windows-1251 bytes, the same for pack and the reader: phone (the key),
// street, house, flat, user. None is longer than a search criterion holds (80 characters), so that the whole
// text of any field can be searched for.
constexpr std::size_t kFieldBytes[5] = {32, 80, 32, 32, 80};
constexpr std::size_t kLineBytes = 80;                    // a line after the record's four fields
constexpr std::int32_t kKeyBytes = 32;                    // KeyLen: the phone's limit
constexpr std::uint32_t kLines = 16;                      // lines of one record
constexpr std::int32_t kTextBytes = 16 * (80 + 2);        // TextLen: every line at its longest, with CR LF
constexpr std::int64_t kCsvBytes = std::int64_t{1} << 30; // a CSV given to pack
} // namespace limits

// Data beyond one of the limits above; the message names the limit.
class ELimitError : public Exception {
public:
    using Exception::Exception;
};

// Decimal with a comma between groups of three digits, for every number the program shows or tells:
// 1234567 -> "1,234,567", -1234 -> "-1,234".
std::string GroupedNumber(std::int64_t value);

// Each fails with ELimitError when the value passes its limit.
void CheckRecordCount(std::int32_t count);
void CheckRecordLengths(std::int32_t keyLen, std::int32_t textLen);
[[noreturn]] void FailTooManyLines();
// Fails when line `line` (0: the street) of a record is longer than its field's limit.
void CheckLongLine(std::uint32_t line, std::size_t length);
inline void CheckLineLength(std::uint32_t line, std::size_t length) {
    // No line's limit is below a house's: only a longer line needs its own limit looked up.
    static_assert(limits::kLineBytes >= limits::kFieldBytes[2] && limits::kFieldBytes[1] >= limits::kFieldBytes[2] &&
                  limits::kFieldBytes[3] >= limits::kFieldBytes[2] && limits::kFieldBytes[4] >= limits::kFieldBytes[2]);
    if (length > limits::kFieldBytes[2]) CheckLongLine(line, length);
}

// Passes another stream's bytes on and fails with ELimitError once more than `limit` of them have been read.
class TLimitedStream : public TStream {
public:
    TLimitedStream(TStream& inner, std::int64_t limit, std::string what)
        : inner_(inner), limit_(limit), what_(std::move(what)) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return position_; }
    bool HasAtLeast(std::size_t count) override { return inner_.HasAtLeast(count); }
    std::string_view ReadInPlace(std::size_t count) override {
        if (static_cast<std::int64_t>(count) > limit_ - position_) return {};
        const std::string_view bytes = inner_.ReadInPlace(count);
        position_ += static_cast<std::int64_t>(bytes.size());
        return bytes;
    }
    std::size_t InPlaceLeft() const override {
        return std::min(inner_.InPlaceLeft(), static_cast<std::size_t>(std::max<std::int64_t>(limit_ - position_, 0)));
    }

private:
    TStream& inner_;
    const std::int64_t limit_;
    const std::string what_;
    std::int64_t position_ = 0;
};

} // namespace vg
