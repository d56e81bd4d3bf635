#include "startup.h"

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

TProgram::TProgram(ISoundPlayer* sound, DirectorySource source) : sound_(sound), database_(std::move(source)) {}

TProgram::~TProgram() {
    ShutDown();
}

bool TProgram::StartUp(int& status) {
    splash_ = std::make_unique<TFmSplash>();
    splash_->SetInfoText(LoadingText());
    splash_->ProgressCallback(0, 100);
    splash_->ShowNow();
    try {
        database_.LoadDatabase(splash_.get(), false);
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
    splash_.reset();
    // The progress window of every later long operation; hidden until one starts.
    splash_ = std::make_unique<TFmSplash>();
    main_ = std::make_unique<TFmMain>(database_, *splash_, sound_);
    main_->RefreshList();
    status = 0;
    return true;
}

void TProgram::ShutDown() {
    main_.reset();
    splash_.reset();
    database_.Directory().Clear();
}
