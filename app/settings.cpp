#include "settings.h"

#include <cstdio>

void WriteSetting(const char* key, const QVariant& value) {
    QSettings settings;
    settings.setValue(QLatin1String(key), value);
    settings.sync();
    static bool told = false;
    if (settings.status() != QSettings::NoError && !told) {
        told = true;
        std::fprintf(stderr, "vetlograd09: the settings cannot be written to %s: what is chosen is not remembered\n",
                     qPrintable(settings.fileName()));
    }
}
