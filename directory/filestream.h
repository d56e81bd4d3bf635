#pragma once

#include "errors.h"
#include "stream.h"

#include <cstdint>
#include <string>

namespace vg {

// The file could not be opened or read: the data may be sound, the system said no; Errno() says why.
class EFileError : public Exception {
public:
    EFileError(const std::string& message, int error) : Exception(message), errno_(error) {}
    int Errno() const { return errno_; }

private:
    int errno_;
};

// Reads a file front to back in the caller's pieces, never holding it whole. Opening fails with EFileError
// naming the file and the reason; a file (or a device) longer than `limit` bytes fails with ELimitError, a
// regular file at once, any other as soon as the limit is passed; a read error fails with EFileError.
class TFileStream : public TStream {
public:
    TFileStream(const std::string& path, std::int64_t limit);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::int64_t Position() const override { return position_; }
    bool HasAtLeast(std::size_t count) override;

private:
    std::string path_;
    std::int64_t limit_;
    int fd_ = -1;
    std::int64_t position_ = 0;
    std::int64_t size_ = -1; // a regular file's length; -1 for other files
};

} // namespace vg
