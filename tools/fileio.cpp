#include "fileio.h"

#include "directory/limits.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vg {
namespace {

std::string Reason() {
    return std::strerror(errno);
}

// Closes a descriptor on every path out.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

} // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error, std::int64_t limit,
                   const StartCheck& checkStart) {
    Fd in;
    in.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0) {
        error = "cannot open " + path + ": " + Reason();
        return false;
    }
    struct stat st {};
    if (::fstat(in.fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > limit) {
        error = path + " is " + GroupedNumber(st.st_size) + " bytes long, more than the limit of " +
                GroupedNumber(limit) + " bytes";
        return false;
    }
    constexpr std::size_t kStart = 4096;
    std::string data;
    std::size_t used = 0;
    bool checked = !checkStart;
    while (true) {
        if (data.size() - used < 65536) data.resize(std::max<std::size_t>(data.size() * 2, used + 65536));
        ssize_t n = ::read(in.fd, data.data() + used, data.size() - used);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = "cannot read " + path + ": " + Reason();
            return false;
        }
        used += static_cast<std::size_t>(n);
        if (static_cast<std::int64_t>(used) > limit) {
            error = path + " is longer than the limit of " + GroupedNumber(limit) + " bytes";
            return false;
        }
        if (!checked && (used >= kStart || n == 0)) {
            checked = true;
            std::string why = checkStart(std::string_view(data.data(), std::min(used, kStart)));
            if (!why.empty()) {
                error = path + ": " + why;
                return false;
            }
        }
        if (n == 0) break;
    }
    data.resize(used);
    bytes = std::move(data);
    return true;
}

} // namespace vg
