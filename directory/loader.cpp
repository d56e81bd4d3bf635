#include "loader.h"

#include "filestream.h"
#include "inflate.h"
#include "limits.h"
#include "zstream.h"

namespace vg {
namespace {

// The records from the inflated bytes, which may not pass the inflated limit.
void LoadInflated(TStrContainer& container, TStream& inflated, const ProgressCallback& progress) {
    TLimitedStream bounded(inflated, limits::kInflatedBytes, "The inflated directory");
    container.LoadFromStream(&bounded, progress);
}

} // namespace

void LoadDirectory(TStrContainer& container, std::string_view compressed, const ProgressCallback& progress) {
    // Inflated whole first when the stream is sound, which is faster by far; the bytes and so the records, the
    // progress and any failure of the read are the same as the streaming reader's. A damaged stream is left
    // to the streaming reader, which keeps the records before the damage.
    TInflated inflated;
    if (InflateWhole(compressed, limits::kInflatedBytes, inflated)) {
        TMemoryStream whole(inflated.View());
        LoadInflated(container, whole, progress);
        return;
    }
    TMemoryStream source(compressed);
    LoadDirectory(container, source, progress);
}

void LoadDirectory(TStrContainer& container, TStream& compressed, const ProgressCallback& progress) {
    // Inflated on this thread as the records are built: a read-ahead thread gained nothing measurable once the
    // directory is parsed only at start-up, and nothing at all with the other core busy.
    TDecompressionStream inflated(compressed);
    LoadInflated(container, inflated, progress);
}

void LoadDirectoryFile(TStrContainer& container, const std::string& path, const ProgressCallback& progress) {
    // Read whole, then inflated whole: the file is small beside what it inflates to, and the whole-stream
    // inflater is the fast one.
    std::string bytes;
    {
        TFileStream file(path, limits::kFileBytes);
        char buffer[64 * 1024];
        while (std::size_t n = file.Read(buffer, sizeof buffer))
            bytes.append(buffer, n);
    }
    LoadDirectory(container, bytes, progress);
}

TDirectoryMaster::TDirectoryMaster(std::string_view compressed, int indexCount)
    : TDirectoryMaster([compressed](TStrContainer& c, const ProgressCallback& p) { LoadDirectory(c, compressed, p); },
                       indexCount) {}

TDirectoryMaster::TDirectoryMaster(Reader read, int indexCount) : read_(std::move(read)), master_(indexCount) {}

void TDirectoryMaster::Parse(const ProgressCallback& progress) {
    bool reporterFailed = false;
    ProgressCallback watch = [&](std::int32_t position, std::int32_t maximum) {
        count_ = maximum;
        if (!progress) return;
        try {
            progress(position, maximum);
        } catch (...) {
            reporterFailed = true;
            throw;
        }
    };
    try {
        read_(master_, watch);
    } catch (...) {
        // A failing reporter is the caller's fault, not the directory's: the next load parses again.
        if (reporterFailed) {
            master_.Clear();
            count_ = -1;
            throw;
        }
        failure_ = std::current_exception();
    }
    parsed_ = true;
}

void TDirectoryMaster::Replay(const ProgressCallback& progress) const {
    // The reports the parse made, figure for figure: (0, Count), then each record read whose index is a
    // multiple of the step, and the last one.
    if (!progress || count_ < 1) return;
    const std::int32_t step = std::max(count_ / 100, 1);
    progress(0, count_);
    const std::int32_t read = master_.Count();
    for (std::int32_t i = 0; i < read; ++i)
        if (i % step == 0 || i == count_ - 1) progress(i, count_);
}

void TDirectoryMaster::Load(TStrContainer& container, const ProgressCallback& progress) {
    if (!parsed_) {
        container.Clear();
        Parse(progress);
        container.RestoreFrom(master_);
    } else {
        container.RestoreFrom(master_);
        Replay(progress);
    }
    if (failure_) std::rethrow_exception(failure_);
}

} // namespace vg
