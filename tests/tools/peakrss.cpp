// peakrss FILE COMMAND [ARG...]: runs COMMAND, writes its peak resident size in KB to FILE and exits as it
// exited (128 + the signal when a signal ended it). Started fresh, so that the figure is the command's own and
// not that of a large process it was forked from.
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 3) return 125;
    pid_t pid = ::fork();
    if (pid < 0) return 125;
    if (pid == 0) {
        ::execvp(argv[2], argv + 2);
        ::_exit(127);
    }
    int raw = 0;
    rusage usage{};
    if (::wait4(pid, &raw, 0, &usage) != pid) return 125;
    std::FILE* out = std::fopen(argv[1], "w");
    if (!out || std::fprintf(out, "%ld\n", usage.ru_maxrss) < 0 || std::fclose(out) != 0) return 125;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
}
