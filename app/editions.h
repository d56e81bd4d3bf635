#pragma once

#include <QString>

// The name of an edition as the title shows it: the file's name, or "встроенный справочник" for the directory
// built into the program (an empty path).
QString EditionName(const QString& path);

struct TEdition;

// What the status line says of an edition: its name, its number of records and, for a file, its time.
QString EditionStatus(const TEdition& edition);
