#include "filestream.h"

#include "limits.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vg {

TFileStream::TFileStream(const std::string& path, std::int64_t limit) : path_(path), limit_(limit) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        const int err = errno;
        throw EFileError("cannot open " + path + ": " + std::strerror(err), err);
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        int err = errno;
        ::close(fd_);
        throw EFileError("cannot read " + path + ": " + std::strerror(err), err);
    }
    if (S_ISREG(st.st_mode)) {
        size_ = st.st_size;
        if (size_ > limit_) {
            ::close(fd_);
            throw ELimitError(path + " is " + GroupedNumber(size_) + " bytes long, more than the limit of " +
                              GroupedNumber(limit_) + " bytes");
        }
    }
}

TFileStream::~TFileStream() {
    ::close(fd_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::read(fd_, out + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            throw EFileError("cannot read " + path_ + ": " + std::strerror(err), err);
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        position_ += n;
        if (position_ > limit_)
            throw ELimitError(path_ + " is longer than the limit of " + GroupedNumber(limit_) + " bytes");
    }
    return done;
}

bool TFileStream::HasAtLeast(std::size_t count) {
    // Only the loaders' index sections ask, and only of the inflated stream; a file without a length says no.
    return size_ >= 0 && size_ - position_ >= static_cast<std::int64_t>(count);
}

} // namespace vg
