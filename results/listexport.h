#pragma once

#include "directory/progress.h"
#include "directory/strcontainer.h"

#include <string>
#include <string_view>

namespace vg {

// The first `rows` records of the container, in its order (the list's sorting), as the CSV a Russian-locale
// spreadsheet opens into columns: UTF-8 with a byte-order mark, ';' between fields, the directory CSV's header
// and fields, which the tool's pack reads back. Made a piece at a time, so that millions of rows are written
// without the whole text ever in memory.
class TListCsv {
public:
    TListCsv(const TStrContainer& container, int rows, ProgressCallback progress = {});
    // The next piece of the text (the header first), valid until the next call; empty at the end. Tells the
    // progress (rows made, rows): 0 with the header, then after each piece, all of them with the last.
    std::string_view Next();

    // The size of a piece: big enough that writing it costs one call, small enough to stay in the cache.
    static constexpr std::size_t kPieceBytes = 256 * 1024;

private:
    const TStrContainer& container_;
    const int rows_;
    const ProgressCallback progress_;
    int next_ = -1; // the row the next piece starts with; -1: the header
    std::string piece_;
};

// Writes TListCsv of the rows to `path`, replacing the file all at once (WriteFileAtomically), with the progress
// as TListCsv tells it. False, with the reason in `error`, when the old file (or none) is left as it was.
bool SaveListCsv(const std::string& path, const TStrContainer& container, int rows, std::string& error,
                 const ProgressCallback& progress = {});

} // namespace vg
