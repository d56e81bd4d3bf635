#include "qtext.h"

#include "directory/cp1251.h"

#include <array>

namespace vg {

namespace {

// Every byte of the code page is one UTF-16 unit.
const std::array<char16_t, 256> kUtf16 = [] {
    std::array<char16_t, 256> table{};
    for (std::size_t c = 0; c < table.size(); ++c)
        table[c] = static_cast<char16_t>(cp1251::ToUnicode(static_cast<unsigned char>(c)));
    return table;
}();

} // namespace

char16_t* WriteUtf16(std::string_view cp1251, char16_t* out) {
    for (char c : cp1251)
        *out++ = kUtf16[static_cast<unsigned char>(c)];
    return out;
}

QString ToQString(std::string_view cp1251) {
    QString out(static_cast<qsizetype>(cp1251.size()), Qt::Uninitialized);
    WriteUtf16(cp1251, reinterpret_cast<char16_t*>(out.data()));
    return out;
}

bool FromQString(const QString& text, std::string& out) {
    return cp1251::FromUtf8(text.toStdString(), out);
}

std::string ToCp1251ForSearch(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        std::string one;
        out += FromQString(QString(c), one) ? one : std::string("\x98");
    }
    return out;
}

} // namespace vg
