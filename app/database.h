#pragma once

#include "directory/errors.h"
#include "directory/progress.h"
#include "directory/strcontainer.h"
#include "search/prepared.h"
#include "search/suggest.h"

#include <QDateTime>
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

// Which directory the windows show: the one built into the program, or a directory file.
struct TEdition {
    QString path;             // the file, absolute; empty for the built-in directory
    QDateTime time;           // the file's time when it was opened
    std::int32_t records = 0; // the whole directory's, once loaded
    bool BuiltIn() const { return path.isEmpty(); }
};

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

    // Makes the directory file at `path` the directory from now on. It is parsed whole, with `progress`'s
    // reports, into a copy of its own first: a file that cannot be read or is damaged fails with the loader's
    // failure and nothing here changes. Otherwise the container holds the whole new directory, and every later
    // load restores it from that parsed copy; the file is not read again.
    void OpenEdition(const QString& path, const vg::ProgressCallback& progress = {});
    const TEdition& Edition() const { return edition_; }

    // What explains an empty search, made from the prepared directory when it is first needed.
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
    std::shared_ptr<const vg::TPreparedDirectory> prepared_; // shares the records of the master it was made from
    TEdition edition_;
};
