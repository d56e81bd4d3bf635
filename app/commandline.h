#pragma once

#include <QString>

// Answers --help and --version and refuses what the program does not take, before the application object
// exists, so that both work without a display. True when the program should start, with the directory file
// named on the command line in `file` (empty when none is); otherwise status is the exit status to end with.
bool AnswerCommandLine(int argc, char** argv, int& status, QString& file);
