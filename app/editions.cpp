#include "editions.h"

#include "database.h"
#include "directory/limits.h"
#include "results/view/qtext.h"

#include <QFileInfo>

QString EditionName(const QString& path) {
    return path.isEmpty() ? QStringLiteral("встроенный справочник") : QFileInfo(path).fileName();
}

namespace {

// "1 запись", "2 записи", "5 записей", "21 запись", "1,011 записей".
QString Records(std::int32_t n) {
    const int tens = n % 100, units = n % 10;
    const char* word = (tens >= 11 && tens <= 14)   ? "записей"
                       : units == 1                 ? "запись"
                       : (units >= 2 && units <= 4) ? "записи"
                                                    : "записей";
    return vg::ToQString(vg::GroupedNumber(n)) + QLatin1Char(' ') + QString::fromUtf8(word);
}

} // namespace

QString EditionStatus(const TEdition& edition) {
    QString text = edition.BuiltIn() ? QStringLiteral("Встроенный справочник")
                                     : QStringLiteral("Справочник «%1»").arg(EditionName(edition.path));
    text += QStringLiteral(", ") + Records(edition.records);
    if (edition.time.isValid())
        text += QStringLiteral(", от %1").arg(edition.time.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    return text;
}
