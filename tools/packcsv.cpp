#include "packcsv.h"

#include "directory/atomicfile.h"
#include "directory/filestream.h"
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
    // Read, checked and converted record by record: what is held is the directory being made, never the CSV.
    TDirectoryPacker packer;
    try {
        TFileStream source(input, limits::kCsvBytes);
        TCsvRecordReader reader(source, request.encoding);
        for (DirectoryRecord record; reader.Next(record);)
            packer.Add(record);
        if (!reader.Error().empty()) {
            error = shown + ": " + reader.Error() + "; nothing was written";
            return false;
        }
    } catch (const Exception& e) { // the file could not be read, or is longer than the limit
        error = std::string(e.what()) + "; nothing was written";
        return false;
    }
    const std::string packed = packer.Finish();
    return toStdout ? WriteStandardOutput(packed, error) : WriteFileAtomically(request.output, packed, error);
}

} // namespace vg
