#include "listexport.h"

#include "directory/atomicfile.h"
#include "directory/csv.h"

#include <algorithm>

namespace vg {

namespace {
constexpr CsvDialect kDialect{';', CsvEncoding::Utf8};
}

TListCsv::TListCsv(const TStrContainer& container, int rows, ProgressCallback progress)
    : container_(container), rows_(std::clamp(rows, 0, container.Count())), progress_(std::move(progress)) {}

std::string_view TListCsv::Next() {
    if (next_ < 0) {
        next_ = 0;
        piece_ = "\xEF\xBB\xBF" + DirectoryCsvHeader(kDialect);
        if (progress_) progress_(0, rows_);
        return piece_;
    }
    if (next_ == rows_) return {};
    // The piece is written in place, with room for the longest row it may end with; its size only grows.
    piece_.resize(std::max(piece_.size(), kPieceBytes + 4096));
    std::size_t used = 0;
    while (next_ < rows_ && used < kPieceBytes) {
        const TString& record = *container_.GetItem(next_);
        const TLineList lines = record.Lines();
        const std::string_view fields[5] = {record.Key(), lines.Get(0), lines.Get(1), lines.Get(2), lines.Get(3)};
        const std::size_t room = CsvLineRoom(fields);
        if (piece_.size() - used < room) piece_.resize(used + room);
        used = static_cast<std::size_t>(WriteCsvLine(fields, kDialect, piece_.data() + used) - piece_.data());
        ++next_;
    }
    if (progress_) progress_(next_, rows_);
    return std::string_view(piece_).substr(0, used);
}

bool SaveListCsv(const std::string& path, const TStrContainer& container, int rows, std::string& error,
                 const ProgressCallback& progress) {
    TListCsv csv(container, rows, progress);
    return WriteFileAtomically(
        path, [&csv] { return csv.Next(); }, error);
}

} // namespace vg
