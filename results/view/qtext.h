#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vg {

// Windows-1251 bytes to a QString: the one way 8-bit text crosses into Qt.
QString ToQString(std::string_view cp1251);
// The same written at `out` (one unit a byte); returns the end of what was written.
char16_t* WriteUtf16(std::string_view cp1251, char16_t* out);
// A QString to Windows-1251; false when a character has no byte in the code page.
bool FromQString(const QString& text, std::string& cp1251);
// A QString to Windows-1251 for comparing: a character the code page cannot hold becomes the unassigned
// byte 0x98, which no directory text holds, so it matches nothing.
std::string ToCp1251ForSearch(const QString& text);

} // namespace vg
