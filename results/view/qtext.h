#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vg {

// Windows-1251 bytes to a QString: the one way 8-bit text crosses into Qt.
QString ToQString(std::string_view cp1251);
// A QString to Windows-1251; false when a character has no byte in the code page.
bool FromQString(const QString& text, std::string& cp1251);
// For texts the program itself wrote in UTF-8 and knows to be representable.
std::string Cp1251(const char* utf8);

} // namespace vg
