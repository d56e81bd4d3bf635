#pragma once

#include <QString>
#include <QVariant>

// The directory files the program opens, as the operator knows them: their names, and the last one opened,
// remembered from one run to the next.

// The name of an edition as the title shows it: the file's name, or "встроенный справочник".
QString EditionName(const QString& path);

// The file opened last, as remembered; empty when none is.
QString RememberedEdition();
// Remembers the file opened last.
void RememberEdition(const QString& path);

// Writes a setting at once. When the settings cannot be written, says so on stderr, once in a run: the choice
// then lasts only until the program ends.
void WriteSetting(const QString& key, const QVariant& value);
