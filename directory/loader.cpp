#include "loader.h"

#include "errors.h"
#include "filestream.h"
#include "inflate.h"
#include "limits.h"
#include "zstream.h"

#include <utility>

namespace vg {

namespace {

// The reporter a load hands to the parse: each report goes first to `note`, when there is one, then on to
// `progress`; a report that `progress` fails sets `failed`, so that the reporter's failure, the caller's own,
// is told apart from the directory's. Both callbacks must outlive the one returned.
ProgressCallback Watched(const ProgressCallback& progress, bool& failed, ProgressCallback note = {}) {
    if (!progress && !note) return {};
    return [&progress, &failed, note = std::move(note)](std::int32_t position, std::int32_t maximum) {
        if (note) note(position, maximum);
        if (!progress) return;
        try {
            progress(position, maximum);
        } catch (...) {
            failed = true;
            throw;
        }
    };
}

} // namespace

std::int64_t LoadDirectory(TStrContainer& container, std::string_view compressed, const ProgressCallback& progress,
                           IRecordSink* sink) {
    // Inflated whole first when the stream is sound, its checksum verified, which is faster by far; the bytes
    // and so the records, the progress and any failure of the read are the same as the streaming reader's.
    // Anything else is left to the streaming reader, which tells damage, cuts and checksums apart.
    TInflated inflated;
    // Once the bytes inflated so far hold a record header for every record the count claims (when LoadFromStream
    // trusts it), the room for the records is made, and its pages are faulted in while the rest is inflated.
    bool reserved = false;
    const Inflating inflating = [&](std::string_view bytes, const FreshMemory& fresh) {
        constexpr std::size_t kHeaderBytes = 12;
        if (reserved || bytes.size() < 8) return;
        std::int32_t count = 0;
        for (int k = 3; k >= 0; --k)
            count = static_cast<std::int32_t>(static_cast<std::uint32_t>(count) << 8 |
                                              static_cast<unsigned char>(bytes[static_cast<std::size_t>(k)]));
        if (count < 1 || (bytes.size() - 8) / kHeaderBytes < static_cast<std::size_t>(count)) return;
        reserved = true;
        try {
            container.Reserve(count, fresh);
        } catch (...) {
            // The load makes its room itself.
        }
    };
    if (InflateWhole(compressed, limits::kInflatedBytes, inflated, inflating)) {
        TMemoryStream whole(inflated.View());
        TLimitedStream bounded(whole, limits::kInflatedBytes, "The inflated directory");
        container.LoadFromStream(&bounded, progress, sink);
        return static_cast<std::int64_t>(inflated.View().size());
    }
    TMemoryStream source(compressed);
    return LoadDirectory(container, source, progress, sink);
}

std::int64_t LoadDirectory(TStrContainer& container, TStream& compressed, const ProgressCallback& progress,
                           IRecordSink* sink) {
    // Inflated on this thread as the records are built: a read-ahead thread gained nothing measurable once the
    // directory is parsed only at start-up, and nothing at all with the other core busy.
    TDecompressionStream zlib(compressed);
    TLimitedStream bounded(zlib, limits::kInflatedBytes, "The inflated directory");
    bool reporterFailed = false;
    const ProgressCallback watch = Watched(progress, reporterFailed);
    try {
        container.LoadFromStream(&bounded, watch, sink);
    } catch (const EChecksumError&) {
        container.Clear();
        throw;
    } catch (const Exception&) {
        // A record zlib delivered whole was refused: the file says so, or it was altered, which only the checksum
        // at its end can tell. Damage zlib found, a cut and a failing source are passed on as they are.
        if (reporterFailed || !zlib.Intact()) throw;
        try {
            ReadToTheEnd(bounded, zlib);
        } catch (const EChecksumError&) {
            container.Clear();
            throw;
        } catch (const Exception&) {
            // Nothing more is known about the records: the refusal stands.
        }
        throw;
    }
    try {
        ReadToTheEnd(bounded, zlib);
    } catch (const EChecksumError&) {
        container.Clear();
        throw;
    }
    return bounded.Position();
}

std::int64_t LoadDirectoryFile(TStrContainer& container, const std::string& path, const ProgressCallback& progress,
                               IRecordSink* sink) {
    // Read whole, then inflated whole: the file is small beside what it inflates to, and the whole-stream
    // inflater is the fast one.
    std::string bytes;
    {
        TFileStream file(path, limits::kFileBytes);
        char buffer[64 * 1024];
        while (std::size_t n = file.Read(buffer, sizeof buffer))
            bytes.append(buffer, n);
    }
    return LoadDirectory(container, bytes, progress, sink);
}

TDirectoryMaster::TDirectoryMaster(std::string_view compressed, int indexCount)
    : TDirectoryMaster([compressed](TStrContainer& c, const ProgressCallback& p,
                                    IRecordSink* sink) { LoadDirectory(c, compressed, p, sink); },
                       indexCount) {}

TDirectoryMaster::TDirectoryMaster(Reader read, int indexCount)
    : read_(std::move(read)), shared_(std::make_shared<TStrContainer>(indexCount)) {}

void TDirectoryMaster::Parse(const ProgressCallback& progress, IRecordSink* sink) {
    bool reporterFailed = false;
    const ProgressCallback watch =
        Watched(progress, reporterFailed, [this](std::int32_t position, std::int32_t maximum) {
            count_ = maximum;
            reported_.push_back(position);
        });
    try {
        read_(master_, watch, sink);
    } catch (...) {
        // A failing reporter is the caller's fault, not the directory's: the next load parses again.
        if (reporterFailed) {
            master_.Clear();
            count_ = -1;
            reported_.clear();
            throw;
        }
        failure_ = std::current_exception();
    }
    parsed_ = true;
}

void TDirectoryMaster::Replay(const ProgressCallback& progress) const {
    // The reports the parse made, figure for figure, also for records a failure took away again.
    if (!progress) return;
    for (std::int32_t position : reported_)
        progress(position, count_);
}

void TDirectoryMaster::Load(TStrContainer& container, const ProgressCallback& progress, IRecordSink* sink) {
    if (!parsed_) {
        container.Clear();
        Parse(progress, sink);
        container.RestoreFrom(shared_);
    } else {
        container.RestoreFrom(shared_);
        Replay(progress);
    }
    if (failure_) std::rethrow_exception(failure_);
}

void TDirectoryMaster::LoadOnly(TStrContainer& container, const std::vector<std::uint32_t>& positions,
                                const ProgressCallback& progress) {
    if (!Whole()) throw Exception("The directory is not loaded whole: it cannot be loaded in part.");
    container.RestoreOnly(shared_, positions);
    Replay(progress);
}

} // namespace vg
