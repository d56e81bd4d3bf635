#pragma once

#include "directory/errors.h"
#include "directory/strcontainer.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class TFmSplash;
class TFmMain;

// The application's shared objects: the one directory container, the number of records last published,
// the splash or progress window and the main window.
extern vg::TStrContainer* Directory;
extern std::int32_t ResultCount;
extern TFmSplash* FmSplash;
extern TFmMain* FmMain;

// The program carries no directory: a build without its resource.
class EDirectoryMissing : public vg::Exception {
public:
    EDirectoryMissing();
};

// Where the compressed directory comes from: the program's resource "RCD" unless a test says otherwise.
// An empty optional means that there is none.
using DirectorySource = std::function<std::optional<std::string_view>()>;
void SetDirectorySource(DirectorySource source);
std::optional<std::string_view> BuiltinDirectoryResource();

QString LoadingText();

// Refills the directory container from the directory with the progress window's text and bar; shows and
// hides the window unless Quiet. Failures are passed on with the window hidden again; the records read
// until then stay and the result count keeps its value. No directory at all: EDirectoryMissing, before
// anything is touched.
void LoadDatabase(bool Quiet);
