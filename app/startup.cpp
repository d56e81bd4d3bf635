#include "startup.h"

#include "database.h"
#include "fmmain.h"
#include "fmsplash.h"

#include <QMessageBox>

#include <cstdio>

namespace {

void Fatal(const QString& text) {
    std::fprintf(stderr, "vetlograd09: %s\n", text.toLocal8Bit().constData());
    QMessageBox box(QMessageBox::Critical, QStringLiteral("09-Ветлоград"), text);
    box.setObjectName(QStringLiteral("FatalMessage"));
    box.exec();
}

} // namespace

bool StartUp(ISoundPlayer* sound, int& status) {
    FmSplash = new TFmSplash();
    Directory = new vg::TStrContainer(0);
    FmSplash->SetInfoText(LoadingText());
    FmSplash->ProgressCallback(0, 100);
    FmSplash->ShowNow();
    try {
        LoadDatabase(false);
    } catch (const EDirectoryMissing& e) {
        Fatal(QString::fromUtf8(e.what()));
        status = 2;
        ShutDown();
        return false;
    } catch (const std::exception& e) {
        Fatal(QStringLiteral("Справочник не удалось загрузить: %1").arg(QString::fromUtf8(e.what())));
        status = 1;
        ShutDown();
        return false;
    }
    delete FmSplash;
    FmSplash = nullptr;
    FmMain = new TFmMain(sound);
    FmMain->RefreshList();
    FmSplash = new TFmSplash();
    status = 0;
    return true;
}

void ShutDown() {
    delete Directory;
    Directory = nullptr;
    delete FmMain;
    FmMain = nullptr;
    delete FmSplash;
    FmSplash = nullptr;
}
