#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vg {

// Every failure of the core is one of these; the message is the text the operator or the log sees.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A position outside a list: "List index out of bounds (%d)".
class EListError : public Exception {
public:
    explicit EListError(long long index);
    long long Index() const { return index_; }

protected:
    EListError(long long index, const std::string& message) : Exception(message), index_(index) {}

private:
    long long index_;
};

// An operation the stream does not offer, such as asking a decompression stream for its length.
class EStreamError : public Exception {
public:
    EStreamError() : Exception("Invalid stream operation") {}
};

// The inflater rejected the compressed data.
class EZDecompressionError : public Exception {
public:
    EZDecompressionError() : Exception("error") {}

protected:
    using Exception::Exception;
};

// The Adler-32 checksum at the end of the compressed stream does not match what it inflated to: somewhere the
// content was altered, and no record of it can be trusted.
class EChecksumError : public EZDecompressionError {
public:
    EChecksumError()
        : EZDecompressionError(
              "The checksum at the end of the data does not match its content, which was altered somewhere; "
              "nothing of the file was kept") {}
};

// The data ended before its layout did.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// A record of the container lacks a line that a search or a sort reads: which record, by its position in the
// container (from 0) and its phone, and which line. The message names all three and keeps the cause's text.
class ERecordError : public EListError {
public:
    ERecordError(std::int32_t position, std::string phone, const EListError& cause);
    std::int32_t Position() const { return position_; }
    const std::string& Phone() const { return phone_; }
    int MissingLine() const { return line_; }

private:
    std::int32_t position_;
    std::string phone_;
    int line_;
};

} // namespace vg
