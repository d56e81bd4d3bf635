#pragma once

#include <QString>

#include <exception>

// What the operator reads about a failure, in Russian: the core's messages are English and go to the log.

// Why a directory (the built-in one or a file) could not be loaded: the file could not be read, is too large, or
// its data are damaged; a sentence fragment without a full stop.
QString LoadFailureReason(const std::exception& e);

// What a search or a sort stopped at: the damaged record by its place in the list and its phone, and the field
// it lacks; for any other failure, that the directory's data are damaged. A sentence fragment.
QString DamagedRecordReason(const std::exception& e);
