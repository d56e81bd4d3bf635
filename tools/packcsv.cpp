#include "packcsv.h"

#include "directory/atomicfile.h"
#include "directory/limits.h"
#include "directory/writer.h"
#include "fileio.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace vg {
namespace {

// Standard output, written to the last byte; a reader that went away ends the program by SIGPIPE as cat ends.
bool WriteStandardOutput(std::string_view bytes, std::string& error) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = std::string("cannot write the output: ") + std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

bool PackCsv(const PackRequest& request, std::string& error) {
    const bool fromStdin = request.csv == "-", toStdout = request.output == "-";
    const std::string input = fromStdin ? "/dev/stdin" : request.csv;
    const std::string shown = fromStdin ? "standard input" : request.csv;
    if (!toStdout && WouldReplace(request.output, input, error)) {
        if (error.empty()) error = request.output + " is the CSV itself";
        error += "; nothing was written";
        return false;
    }
    std::string csv;
    if (!ReadWholeFile(input, csv, error, limits::kCsvBytes, CheckCsvStart)) {
        error += "; nothing was written";
        return false;
    }
    CsvParseResult parsed = ParseDirectoryCsv(csv, request.encoding);
    if (!parsed.error.empty()) {
        error = shown + ": " + parsed.error + "; nothing was written";
        return false;
    }
    csv = {};
    const std::string packed = PackDirectory(std::move(parsed.records));
    return toStdout ? WriteStandardOutput(packed, error) : WriteFileAtomically(request.output, packed, error);
}

} // namespace vg
