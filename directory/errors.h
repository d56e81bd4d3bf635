#pragma once

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

} // namespace vg
