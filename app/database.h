#pragma once

#include "directory/errors.h"
#include "directory/strcontainer.h"
#include "search/prepared.h"
#include "search/suggest.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace vg {
class TBoxQuery;
class TDirectoryMaster;
} // namespace vg

class IProgress;

// The program carries no directory: a build without its resource.
class EDirectoryMissing : public vg::Exception {
public:
    EDirectoryMissing();
};

// Where the compressed directory comes from: the program's resource "RCD" unless a test says otherwise.
// An empty optional means that there is none.
using DirectorySource = std::function<std::optional<std::string_view>()>;
std::optional<std::string_view> BuiltinDirectoryResource();

QString LoadingText();

// The directory the windows work on: the one container, which is at once the loaded directory and the current
// result set, and where it is reloaded from. Whoever owns it keeps it alive longer than every window that
// shows it.
class TDatabase {
public:
    explicit TDatabase(DirectorySource source = BuiltinDirectoryResource);
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    vg::TStrContainer& Directory() { return directory_; }
    const vg::TStrContainer& Directory() const { return directory_; }

    // Refills the container from the directory with `progress`'s text and bar (none: no reports); shows and
    // hides it unless Quiet. Failures are passed on with the window hidden again; the records read until
    // then stay. No directory at all: EDirectoryMissing, before
    // anything is touched. The directory is parsed once; every later load restores the container from that
    // parsed copy, with the same records, order, progress reports and failure as a parse.
    void LoadDatabase(IProgress* progress, bool Quiet);
    // The same, but the container gets only the whole directory's records at `positions` (of Prepared), in
    // that order.
    void LoadDatabase(IProgress* progress, bool Quiet, const std::vector<std::uint32_t>& positions);
    // The whole directory prepared for searching, made as soon as it has been parsed whole; null before, after
    // a failed parse, and when the source hands out other bytes than were parsed.
    const vg::TPreparedDirectory* Prepared() const;

    // What explains an empty search, made from the whole directory when it is first needed.
    const vg::TSearchAdvisor& Advisor();
    // Why the box found nothing in the whole directory, and what would find something (ExplainBox).
    vg::TExplanation ExplainBox(const vg::TBoxQuery& query);

private:
    void Load(IProgress* progress, bool Quiet, const std::vector<std::uint32_t>* positions);

    DirectorySource source_;
    // The parsed copy and the bytes it was parsed from; made again when the source hands out other bytes.
    std::string_view masterBytes_;
    std::unique_ptr<vg::TDirectoryMaster> master_;
    vg::TStrContainer directory_{0}; // shares the records of the master it was last loaded from
    std::unique_ptr<vg::TSearchAdvisor> advisor_;
    std::unique_ptr<vg::TPreparedDirectory> prepared_; // of the master's records
};
