#pragma once

#include "errors.h"
#include "stream.h"

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
constexpr std::int32_t kKeyBytes = 1024;                       // KeyLen
constexpr std::int32_t kTextBytes = 64 * 1024;                 // TextLen
constexpr std::uint32_t kLines = 256;                          // lines of one record
constexpr std::int64_t kCsvBytes = std::int64_t{1} << 30;      // a CSV given to pack
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

// Passes another stream's bytes on and fails with ELimitError once more than `limit` of them have been read.
class TLimitedStream : public TStream {
public:
    TLimitedStream(TStream& inner, std::int64_t limit, std::string what)
        : inner_(inner), limit_(limit), what_(std::move(what)) {}
    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return position_; }
    bool HasAtLeast(std::size_t count) override { return inner_.HasAtLeast(count); }

private:
    TStream& inner_;
    const std::int64_t limit_;
    const std::string what_;
    std::int64_t position_ = 0;
};

} // namespace vg
