#pragma once

#include <string>
#include <string_view>

// Windows-1251 text: the directory's and the criteria's 8-bit code page.
namespace vg::cp1251 {

// Byte 0x98 is unassigned in the code page; it maps to U+0098 and back so that every byte round-trips.
std::string ToUtf8(std::string_view bytes);

// Converts UTF-8 to Windows-1251. Returns false (and leaves `out` unspecified) when the text is not valid
// UTF-8 or holds a character the code page has no byte for.
bool FromUtf8(std::string_view utf8, std::string& out);

// The code page's locale casing: Latin a-z, Cyrillic а-я and ё, and ђ ѓ љ њ ќ ћ џ ў ј ґ є ѕ і ї.
unsigned char Upper(unsigned char c);
unsigned char Lower(unsigned char c);
std::string Upper(std::string_view text);
std::string Lower(std::string_view text);
void UpperInPlace(std::string& text);

// The Unicode code point of one byte.
char32_t ToUnicode(unsigned char c);

} // namespace vg::cp1251
