#include "qtext.h"

#include "directory/cp1251.h"

namespace vg {

QString ToQString(std::string_view cp1251) {
    QString out(static_cast<qsizetype>(cp1251.size()), Qt::Uninitialized);
    QChar* p = out.data();
    for (char c : cp1251)
        *p++ = QChar(static_cast<char16_t>(cp1251::ToUnicode(static_cast<unsigned char>(c))));
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
