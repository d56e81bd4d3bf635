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

std::string Cp1251(const char* utf8) {
    std::string out;
    cp1251::FromUtf8(utf8, out);
    return out;
}

} // namespace vg
