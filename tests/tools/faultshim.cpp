// Injects I/O failures into a program started with LD_PRELOAD, for the tool's tests. Only regular files are
// touched; every variable is optional:
//   VG_FAIL_READ_AFTER=N    read() delivers N bytes in all, then fails with EIO
//   VG_FAIL_WRITE_AFTER=N   write() takes N bytes in all, then fails with ENOSPC
//   VG_FAIL_FSYNC=1         fsync() fails with EIO
//   VG_FAIL_CLOSE=1         close() of a file open for writing closes it and fails with EIO
//   VG_SIGNAL_ON_WRITE=S    the first write() raises signal S instead of writing
//   VG_FAIL_STAT=SUFFIX     stat() and lstat() of a path ending in SUFFIX fail with EIO, whatever it is
//   VG_RENAME_ON_LSTAT=P    the first lstat() of P finds P.new renamed over it, as by another writer
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

template <class F> F Next(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

long long Setting(const char* name) {
    const char* v = getenv(name);
    return v && *v ? atoll(v) : -1;
}

bool Regular(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

long long readSoFar, writtenSoFar;

bool StatFails(const char* path) {
    const char* suffix = getenv("VG_FAIL_STAT");
    if (!suffix || !*suffix || !path) return false;
    const std::size_t n = strlen(path), k = strlen(suffix);
    return n >= k && strcmp(path + n - k, suffix) == 0;
}

} // namespace

extern "C" {

ssize_t read(int fd, void* buffer, std::size_t count) {
    static auto next = Next<ssize_t (*)(int, void*, std::size_t)>("read");
    long long after = Setting("VG_FAIL_READ_AFTER");
    if (after < 0 || !Regular(fd)) return next(fd, buffer, count);
    if (readSoFar >= after) {
        errno = EIO;
        return -1;
    }
    if (static_cast<long long>(count) > after - readSoFar) count = static_cast<std::size_t>(after - readSoFar);
    ssize_t n = next(fd, buffer, count);
    if (n > 0) readSoFar += n;
    return n;
}

ssize_t write(int fd, const void* buffer, std::size_t count) {
    static auto next = Next<ssize_t (*)(int, const void*, std::size_t)>("write");
    if (!Regular(fd)) return next(fd, buffer, count);
    long long sig = Setting("VG_SIGNAL_ON_WRITE");
    if (sig > 0) std::raise(static_cast<int>(sig));
    long long after = Setting("VG_FAIL_WRITE_AFTER");
    if (after < 0) return next(fd, buffer, count);
    if (writtenSoFar >= after) {
        errno = ENOSPC;
        return -1;
    }
    if (static_cast<long long>(count) > after - writtenSoFar) count = static_cast<std::size_t>(after - writtenSoFar);
    ssize_t n = next(fd, buffer, count);
    if (n > 0) writtenSoFar += n;
    return n;
}

int fsync(int fd) {
    static auto next = Next<int (*)(int)>("fsync");
    if (Setting("VG_FAIL_FSYNC") > 0 && Regular(fd)) {
        errno = EIO;
        return -1;
    }
    return next(fd);
}

int close(int fd) {
    static auto next = Next<int (*)(int)>("close");
    bool failIt = Setting("VG_FAIL_CLOSE") > 0 && Regular(fd) && (fcntl(fd, F_GETFL) & O_ACCMODE) != O_RDONLY;
    int rc = next(fd);
    if (rc == 0 && failIt) {
        errno = EIO;
        return -1;
    }
    return rc;
}

int stat(const char* path, struct stat* st) {
    static auto next = Next<int (*)(const char*, struct stat*)>("stat");
    return StatFails(path) ? (errno = EIO, -1) : next(path, st);
}

int lstat(const char* path, struct stat* st) {
    static auto next = Next<int (*)(const char*, struct stat*)>("lstat");
    static const char* renamed = getenv("VG_RENAME_ON_LSTAT");
    if (char from[4096]; renamed && strcmp(path, renamed) == 0) {
        renamed = nullptr;
        snprintf(from, sizeof from, "%s.new", path);
        rename(from, path);
    }
    return StatFails(path) ? (errno = EIO, -1) : next(path, st);
}

} // extern "C"
