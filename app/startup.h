#pragma once

#include "database.h"

#include <QString>

#include <memory>

class ISoundPlayer;
class TFmMain;
class TFmSplash;

// Where the program looks for its directory at start, in this order: the file named on the command line; the
// file opened last, remembered in the settings, while it is still there; the system-wide edition, where the
// package put one; the directory built into the program. A file that cannot be loaded passes its turn on.
struct TStartEditions {
    QString file;          // named on the command line; none when empty
    bool remember = false; // the last file opened is looked for, and each file opened is remembered
    QString systemEdition; // the system-wide edition's path; none when empty
};

// The system-wide edition the package may carry: /usr/share/vetlograd09/directory.rcd unless the build says
// otherwise.
QString SystemEditionPath();

// The running program: the directory and the windows that show it, each owned here once. The directory is
// made first and goes last, so that it outlives every view of it.
class TProgram {
public:
    // `sound` plays the outcome of a search; the program does not own it.
    explicit TProgram(ISoundPlayer* sound, DirectorySource source = BuiltinDirectoryResource,
                      TStartEditions editions = {});
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Start-up in its fixed order: splash at 0 % with the loading text, the load, the hidden progress window, the
    // main window listing the whole directory, sorted as the operator left it with the splash showing the sort, and
    // the splash destroyed. False (after telling the
    // operator and stderr) when the directory cannot be loaded; the exit status is then in `status`.
    bool StartUp(int& status);
    // The windows first, then the directory's records.
    void ShutDown();

    TDatabase& Database() { return database_; }
    // The splash while starting up, then the hidden progress window; none after ShutDown.
    TFmSplash* FmSplash() const { return splash_.get(); }
    TFmMain* FmMain() const { return main_.get(); }
    // What start-up has to say about the files it could not take, and why, for the status line; empty when it
    // took the first one it looked for.
    const QString& StartNote() const { return startNote_; }

private:
    // Tries the files in start-up's order and keeps the first that loads; false when none did.
    bool OpenStartEdition();
    ISoundPlayer* sound_;
    TStartEditions editions_;
    QString startNote_;
    TDatabase database_;
    std::unique_ptr<TFmSplash> splash_;
    std::unique_ptr<TFmMain> main_;
};
