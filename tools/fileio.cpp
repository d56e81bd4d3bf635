#include "fileio.h"

#include "directory/limits.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
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

// The temporary being written, for the signal handler to remove: a fixed buffer, set while signals are held.
char gTemp[PATH_MAX + 1];
volatile sig_atomic_t gHaveTemp = 0;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTempAndDie(int signal) {
    if (gHaveTemp) ::unlink(gTemp);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Holds the signals above while the temporary's name and existence change together.
class HeldSignals {
public:
    HeldSignals() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kSignals)
            sigaddset(&set, s);
        ::sigprocmask(SIG_BLOCK, &set, &old_);
    }
    ~HeldSignals() { ::sigprocmask(SIG_SETMASK, &old_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t old_;
};

// While alive, the signals above remove the temporary before they end the program.
class TempGuard {
public:
    TempGuard() {
        struct sigaction sa {};
        sa.sa_handler = RemoveTempAndDie;
        sigemptyset(&sa.sa_mask);
        for (std::size_t k = 0; k < std::size(kSignals); ++k)
            ::sigaction(kSignals[k], &sa, &old_[k]);
    }
    ~TempGuard() {
        Forget();
        for (std::size_t k = 0; k < std::size(kSignals); ++k)
            ::sigaction(kSignals[k], &old_[k], nullptr);
    }
    TempGuard(const TempGuard&) = delete;
    TempGuard& operator=(const TempGuard&) = delete;

    // Creates the temporary from gTemp's pattern; -1 with errno on failure.
    int Create(const std::string& pattern) {
        HeldSignals held;
        if (pattern.size() > PATH_MAX) {
            errno = ENAMETOOLONG;
            return -1;
        }
        std::memcpy(gTemp, pattern.c_str(), pattern.size() + 1);
        int fd = ::mkostemp(gTemp, O_CLOEXEC);
        if (fd >= 0) gHaveTemp = 1;
        return fd;
    }
    // Removes the temporary unless it was renamed.
    void Remove() {
        HeldSignals held;
        if (gHaveTemp) ::unlink(gTemp);
        gHaveTemp = 0;
    }
    void Forget() {
        HeldSignals held;
        gHaveTemp = 0;
    }

private:
    struct sigaction old_[std::size(kSignals)];
};

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string Folder(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

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

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = path + " exists and is not a regular file; it is left as it is";
        return false;
    }
    const std::string folder = Folder(path);
    TempGuard guard;
    Fd out;
    out.fd = guard.Create(folder + "/.vetlograd09-XXXXXX");
    if (out.fd < 0) {
        error = "cannot create a file in " + folder + ": " + Reason();
        return false;
    }
    auto fail = [&](const std::string& what) {
        error = what + ": " + Reason();
        guard.Remove();
        return false;
    };
    // mkstemp makes the file private; give it the mode any new file gets.
    mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(out.fd, 0666 & ~mask) != 0) return fail("cannot set the mode of " + path);
    if (!WriteAll(out.fd, bytes.data(), bytes.size())) return fail("cannot write " + path);
    if (::fsync(out.fd) != 0) return fail("cannot write " + path);
    int fd = out.fd;
    out.fd = -1;
    if (::close(fd) != 0) return fail("cannot write " + path);
    if (::rename(gTemp, path.c_str()) != 0) return fail("cannot replace " + path);
    guard.Forget();
    // The rename itself must reach the disk before the file counts as written.
    Fd dir;
    dir.fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd < 0 || (::fsync(dir.fd) != 0 && errno != EINVAL)) {
        error = "cannot sync the folder " + folder + ": " + Reason();
        return false;
    }
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat x {
    }, y{};
    return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

} // namespace vg
