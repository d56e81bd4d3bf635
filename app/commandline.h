#pragma once

// Answers --help and --version and refuses what the program does not take, before the application object
// exists, so that both work without a display. True when the program should start; otherwise status is the
// exit status to end with.
bool AnswerCommandLine(int argc, char** argv, int& status);
