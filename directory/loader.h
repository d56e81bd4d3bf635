#pragma once

#include "progress.h"
#include "strcontainer.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vg {

// Fills the container from the compressed directory bytes (a zlib stream of the container's serialised
// form), inflating as it parses, and reads the stream to its end, where its Adler-32 checksum must match.
// Progress: (0, Count) first, then every Count div 100 records (every record for fewer than 100) and the last
// one. Failures are passed on. Damage zlib finds within the stream, a stream cut short and a failing source
// keep the records read before them; a checksum that does not match leaves no record at all (EChecksumError),
// since the altered bytes may lie anywhere, and so does a malformed record when the checksum then fails. Data
// beyond the limits of limits.h fails with ELimitError as soon as the limit is passed. Returns the number of
// bytes the stream inflated to. `sink`, when given, is handed the records as they are read (LoadFromStream).
std::int64_t LoadDirectory(TStrContainer& container, std::string_view compressed, const ProgressCallback& progress = {},
                           IRecordSink* sink = nullptr);
// The same from a stream of compressed bytes (a file read piece by piece).
std::int64_t LoadDirectory(TStrContainer& container, TStream& compressed, const ProgressCallback& progress = {},
                           IRecordSink* sink = nullptr);
// The same from a directory file (as `vetlograd09-cli pack` writes it), read whole first: it is at most
// limits::kFileBytes long. A file that cannot be opened or read fails with EFileError before the container is
// touched, a longer one with ELimitError.
std::int64_t LoadDirectoryFile(TStrContainer& container, const std::string& path, const ProgressCallback& progress = {},
                               IRecordSink* sink = nullptr);

// A directory that never changes while the program runs, parsed once: every load after the first restores
// the container from the parsed copy instead of inflating and parsing again. A load through it is a
// LoadDirectory in effect: the same records in the same order, the same progress reports and the same
// failure, with the records read before it, on every load.
class TDirectoryMaster {
public:
    // How the directory is parsed: fills the container, reporting to the callback and handing the records to the
    // sink (when there is one), as LoadDirectory does.
    using Reader = std::function<void(TStrContainer&, const ProgressCallback&, IRecordSink*)>;

    // The bytes must stay alive and unchanged as long as the master; nothing is read yet. `indexCount` is the
    // number of index objects of the containers it fills.
    explicit TDirectoryMaster(std::string_view compressed, int indexCount = 0);
    // A directory read some other way, a file piece by piece for one: `read` runs once, at the first load.
    explicit TDirectoryMaster(Reader read, int indexCount = 0);
    TDirectoryMaster(const TDirectoryMaster&) = delete;
    TDirectoryMaster& operator=(const TDirectoryMaster&) = delete;

    // Fills the container with the master's records, which it shares: they stay valid as long as the
    // container holds them, also when the master is gone. The load that parses the directory hands the parsed
    // records to `sink` as it reads them; the others leave it untouched.
    void Load(TStrContainer& container, const ProgressCallback& progress = {}, IRecordSink* sink = nullptr);
    bool Parsed() const { return parsed_; }
    // The whole directory once it has been parsed without a failure; null before, or after a failure.
    const TStrContainer* Whole() const { return parsed_ && !failure_ ? &master_ : nullptr; }
    // The same, shared: what holds it keeps the parsed records alive, also when the master is gone.
    std::shared_ptr<const TStrContainer> WholeShared() const { return Whole() ? shared_ : nullptr; }
    // As Load once the directory is whole, but the container gets only the records at `positions` (of Whole),
    // in that order; the progress reports are the load's.
    void LoadOnly(TStrContainer& container, const std::vector<std::uint32_t>& positions,
                  const ProgressCallback& progress = {});

private:
    void Parse(const ProgressCallback& progress, IRecordSink* sink);
    void Replay(const ProgressCallback& progress) const;

    Reader read_;
    // The parsed records, owned with every container that holds them.
    std::shared_ptr<TStrContainer> shared_;
    TStrContainer& master_ = *shared_;
    bool parsed_ = false;
    // What the parse told its progress: Count, once it was read (-1 before), and every position reported.
    std::int32_t count_ = -1;
    std::vector<std::int32_t> reported_;
    std::exception_ptr failure_;
};

} // namespace vg
