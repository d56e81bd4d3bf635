#include "editions.h"

#include <QFileInfo>
#include <QSettings>

#include <cstdio>

namespace {

const QString kEditionKey = QStringLiteral("Edition");

} // namespace

QString EditionName(const QString& path) {
    return path.isEmpty() ? QStringLiteral("встроенный справочник") : QFileInfo(path).fileName();
}

QString RememberedEdition() {
    return QSettings().value(kEditionKey).toString();
}

void RememberEdition(const QString& path) {
    WriteSetting(kEditionKey, path);
}

void WriteSetting(const QString& key, const QVariant& value) {
    QSettings settings;
    settings.setValue(key, value);
    settings.sync();
    static bool told = false;
    if (settings.status() != QSettings::NoError && !told) {
        told = true;
        std::fprintf(stderr, "vetlograd09: the settings cannot be written to %s: what is chosen is not remembered\n",
                     qPrintable(settings.fileName()));
    }
}
