#include "limits.h"

namespace vg {

std::string GroupedNumber(std::int64_t value) {
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const std::string digits = std::to_string(magnitude);
    // A comma before every group of three digits counted from the right.
    std::string out = value < 0 ? "-" : "";
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k > 0 && (digits.size() - k) % 3 == 0) out += ',';
        out += digits[k];
    }
    return out;
}

void CheckRecordCount(std::int32_t count) {
    if (count > limits::kRecords)
        throw ELimitError("The directory claims " + GroupedNumber(count) + " records, more than the limit of " +
                          GroupedNumber(limits::kRecords));
}

void CheckRecordLengths(std::int32_t keyLen, std::int32_t textLen) {
    if (keyLen > limits::kKeyBytes)
        throw ELimitError("A record's key is " + GroupedNumber(keyLen) + " bytes long, more than the limit of " +
                          GroupedNumber(limits::kKeyBytes));
    if (textLen > limits::kTextBytes)
        throw ELimitError("A record's text is " + GroupedNumber(textLen) + " bytes long, more than the limit of " +
                          GroupedNumber(limits::kTextBytes));
}

void CheckLongLine(std::uint32_t line, std::size_t length) {
    static constexpr const char* kLineNames[4] = {"street", "house", "flat", "user"};
    const std::size_t limit = line < 4 ? limits::kFieldBytes[line + 1] : limits::kLineBytes;
    if (length <= limit) return;
    throw ELimitError("A record's " + (line < 4 ? std::string(kLineNames[line]) : "line " + std::to_string(line + 1)) +
                      " is " + GroupedNumber(static_cast<std::int64_t>(length)) +
                      " bytes long, more than the limit of " + GroupedNumber(static_cast<std::int64_t>(limit)));
}

void FailTooManyLines() {
    throw ELimitError("A record has more than " + GroupedNumber(limits::kLines) + " lines, the limit");
}

std::size_t TLimitedStream::Read(void* buffer, std::size_t count) {
    std::size_t got = inner_.Read(buffer, count);
    position_ += static_cast<std::int64_t>(got);
    if (position_ > limit_)
        throw ELimitError(what_ + " is larger than the limit of " + GroupedNumber(limit_) + " bytes");
    return got;
}

} // namespace vg
