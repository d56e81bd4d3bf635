#pragma once

#include "database.h"

#include <memory>

class ISoundPlayer;
class TFmMain;
class TFmSplash;

// The running program: the directory and the windows that show it, each owned here once. The directory is
// made first and goes last, so that it outlives every view of it.
class TProgram {
public:
    // `sound` plays the outcome of a search; the program does not own it.
    explicit TProgram(ISoundPlayer* sound, DirectorySource source = BuiltinDirectoryResource);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    // Start-up in its fixed order: splash at 0 % with the loading text, the load, the splash destroyed, the
    // hidden progress window, and the main window listing the whole directory. False (after telling the
    // operator and stderr) when the directory cannot be loaded; the exit status is then in `status`.
    bool StartUp(int& status);
    // The windows first, then the directory's records.
    void ShutDown();

    TDatabase& Database() { return database_; }
    // The splash while starting up, then the hidden progress window; none after ShutDown.
    TFmSplash* FmSplash() const { return splash_.get(); }
    TFmMain* FmMain() const { return main_.get(); }

private:
    ISoundPlayer* sound_;
    TDatabase database_;
    std::unique_ptr<TFmSplash> splash_;
    std::unique_ptr<TFmMain> main_;
};
