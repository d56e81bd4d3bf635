#include "atomicfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace vg {
namespace {

std::string Reason(int error = errno) {
    return std::strerror(error);
}

// Closes a descriptor on every path out.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

// The temporary being written, for the signal handler to remove: a fixed buffer, changed only while signals
// are held. gPrevious holds each guarded signal's disposition before the guard, restored before it is raised
// again; gGuarded says which ones the guard took over.
char gTemp[PATH_MAX + 1];
volatile sig_atomic_t gHaveTemp = 0;
struct sigaction gPrevious[NSIG];
bool gGuarded[NSIG];

// Every signal whose default action ends the program, real-time signals included.
template <class F> void ForEachFatalSignal(F&& each) {
    for (int s : {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,    SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV, SIGUSR2,
                  SIGPIPE, SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS})
        each(s);
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s)
        each(s);
}

extern "C" void RemoveTempAndDie(int signal) {
    const int saved = errno;
    if (gHaveTemp) ::unlink(gTemp);
    gHaveTemp = 0;
    // What would have happened without the guard happens now: the signal is delivered again on return.
    ::sigaction(signal, &gPrevious[signal], nullptr);
    ::raise(signal);
    errno = saved;
}

// Holds every signal while the temporary's name and existence change together.
class HeldSignals {
public:
    HeldSignals() {
        sigset_t all;
        sigfillset(&all);
        ::pthread_sigmask(SIG_BLOCK, &all, &old_);
    }
    ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t old_;
};

// While alive, every fatal signal left at its default removes the temporary before it ends the program;
// ignored and handled signals are left as they are.
class TempGuard {
public:
    TempGuard() {
        HeldSignals held;
        ForEachFatalSignal([](int s) {
            gGuarded[s] = false;
            if (::sigaction(s, nullptr, &gPrevious[s]) != 0 || (gPrevious[s].sa_flags & SA_SIGINFO) ||
                gPrevious[s].sa_handler != SIG_DFL)
                return;
            struct sigaction sa {};
            sa.sa_handler = RemoveTempAndDie;
            sigemptyset(&sa.sa_mask);
            gGuarded[s] = ::sigaction(s, &sa, nullptr) == 0;
        });
    }
    ~TempGuard() {
        Remove();
        HeldSignals held;
        ForEachFatalSignal([](int s) {
            if (gGuarded[s]) ::sigaction(s, &gPrevious[s], nullptr);
            gGuarded[s] = false;
        });
    }
    TempGuard(const TempGuard&) = delete;
    TempGuard& operator=(const TempGuard&) = delete;

    // Creates "target.tmp-XXXXXX" exclusively with `mode` under the umask; -1 with errno on failure.
    int Create(const std::string& target, mode_t mode) {
        static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        std::random_device random;
        // A name at the longest a folder takes is shortened so that the suffix fits.
        const std::size_t slash = target.rfind('/') + 1; // 0 without a folder
        const std::string base = target.substr(0, slash + std::min<std::size_t>(target.size() - slash, NAME_MAX - 11));
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = base + ".tmp-";
            for (int k = 0; k < 6; ++k)
                name += kLetters[random() % (sizeof kLetters - 1)];
            if (name.size() > PATH_MAX) {
                errno = ENAMETOOLONG;
                return -1;
            }
            HeldSignals held;
            int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
            if (fd >= 0) {
                std::memcpy(gTemp, name.c_str(), name.size() + 1);
                gHaveTemp = 1;
                return fd;
            }
            if (errno != EEXIST) return -1;
        }
        return -1;
    }
    // Renames the temporary over `target`; false with errno, the temporary still there, on failure.
    bool RenameTo(const std::string& target) {
        HeldSignals held;
        if (::rename(gTemp, target.c_str()) != 0) return false;
        gHaveTemp = 0;
        return true;
    }
    // Removes the temporary unless it was renamed.
    void Remove() {
        HeldSignals held;
        const int saved = errno;
        if (gHaveTemp) ::unlink(gTemp);
        gHaveTemp = 0;
        errno = saved;
    }
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

// The file a write to `path` lands in: links followed one by one, a relative link from its own folder. `exists`
// tells whether it is there; then `st` is its status and it is a regular file. False with `error` otherwise, and
// `replaced` when the name led to a regular file other than the one first seen (renamed over it meanwhile).
bool LookUpTarget(const std::string& path, std::string& target, bool& exists, struct stat& st, std::string& error,
                  bool& replaced) {
    replaced = false;
    struct stat seen {};
    exists = ::stat(path.c_str(), &seen) == 0;
    if (!exists && errno != ENOENT) {
        error = "cannot examine " + path + ": " + Reason();
        return false;
    }
    if (exists && !S_ISREG(seen.st_mode)) {
        error = path + " exists and is not a regular file; it is left as it is";
        return false;
    }
    target = path;
    for (int hops = 0;; ++hops) {
        if (::lstat(target.c_str(), &st) != 0) {
            if (errno == ENOENT && !exists) return true; // a new file, or one a dangling link names
            error = "cannot examine " + target + ": " + Reason();
            return false;
        }
        if (!S_ISLNK(st.st_mode)) break;
        if (hops == 40) {
            error = "cannot examine " + path + ": " + Reason(ELOOP);
            return false;
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size()) {
            error = "cannot examine " + target + ": " + Reason(n < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        link.resize(static_cast<std::size_t>(n));
        target = link.front() == '/' ? link : Folder(target) + "/" + link;
    }
    // What the links lead to must be what the system found through them (a link into /proc names a file that
    // may have no path any more).
    if (!exists || !S_ISREG(st.st_mode) || st.st_dev != seen.st_dev || st.st_ino != seen.st_ino) {
        replaced = S_ISREG(st.st_mode);
        error = "cannot tell which file " + path + " names; it is left as it is";
        return false;
    }
    return true;
}

// The same, looked up again when another writer renamed its file over `path` between the looks.
bool FinalTarget(const std::string& path, std::string& target, bool& exists, struct stat& st, std::string& error) {
    bool replaced = false;
    for (int look = 0; look < 8; ++look) {
        if (LookUpTarget(path, target, exists, st, error, replaced)) return true;
        if (!replaced) return false;
    }
    return false;
}

std::mutex gOneWriteAtATime;

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error) {
    bool given = false;
    return WriteFileAtomically(
        path,
        [&]() -> std::string_view {
            if (given) return {};
            given = true;
            return bytes;
        },
        error);
}

bool WriteFileAtomically(const std::string& path, const FilePieces& pieces, std::string& error) {
    std::lock_guard<std::mutex> lock(gOneWriteAtATime);
    std::string target;
    bool exists = false;
    struct stat old {};
    if (!FinalTarget(path, target, exists, old, error)) return false;
    const std::string folder = Folder(target);
    TempGuard guard;
    Fd out;
    // A replaced file's content stays private to its owner until it has the old file's mode.
    out.fd = guard.Create(target, exists ? 0600 : 0666);
    if (out.fd < 0) {
        error = "cannot create a file in " + folder + ": " + Reason();
        return false;
    }
    auto fail = [&](const std::string& what) {
        error = what + ": " + Reason();
        guard.Remove();
        return false;
    };
    if (exists) {
        // The owner first: changing it clears the set-user-ID and set-group-ID bits, which the mode then restores.
        struct stat made {};
        if (::fstat(out.fd, &made) != 0) return fail("cannot examine the new " + target);
        if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) && ::fchown(out.fd, old.st_uid, old.st_gid) != 0)
            return fail("cannot keep the owner of " + target + ", which is left as it is");
        if (::fchmod(out.fd, old.st_mode & 07777) != 0)
            return fail("cannot keep the mode of " + target + ", which is left as it is");
    }
    for (std::string_view piece = pieces(); !piece.empty(); piece = pieces())
        if (!WriteAll(out.fd, piece.data(), piece.size())) return fail("cannot write " + target);
    if (::fsync(out.fd) != 0) return fail("cannot write " + target);
    const int fd = out.fd;
    out.fd = -1;
    if (::close(fd) != 0) return fail("cannot write " + target);
    if (!guard.RenameTo(target)) return fail("cannot replace " + target);
    // The rename itself must reach the disk before the file counts as written.
    Fd dir;
    dir.fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd < 0 || (::fsync(dir.fd) != 0 && errno != EINVAL)) {
        error = "cannot sync the folder " + folder + ": " + Reason();
        return false;
    }
    return true;
}

bool WouldReplace(const std::string& output, const std::string& input, std::string& error) {
    struct stat in {
    }, out{};
    if (::stat(input.c_str(), &in) != 0) {
        error = "cannot examine " + input + ": " + Reason();
        return true;
    }
    if (::stat(output.c_str(), &out) != 0) {
        if (errno == ENOENT) return false;
        error = "cannot examine " + output + ": " + Reason();
        return true;
    }
    return in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

} // namespace vg
