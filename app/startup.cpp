#include "startup.h"

#include "directory/loader.h"
#include "editions.h"
#include "failuretext.h"
#include "fmmain.h"
#include "fmsplash.h"
#include "settings.h"

#include <QFileInfo>
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

QString SystemEditionPath() {
    return QStringLiteral(VG_SYSTEM_EDITION);
}

TProgram::TProgram(ISoundPlayer* sound, DirectorySource source, TStartEditions editions)
    : sound_(sound), editions_(std::move(editions)), database_(std::move(source)) {}

TProgram::~TProgram() {
    ShutDown();
}

bool TProgram::StartUp(int& status) {
    splash_ = std::make_unique<TFmSplash>();
    splash_->SetInfoText(LoadingText());
    splash_->ProgressCallback(0, 100);
    splash_->ShowNow();
    try {
        if (!OpenStartEdition()) database_.LoadDatabase(splash_.get(), false);
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
    // The progress window of every later long operation; hidden until one starts.
    std::unique_ptr<TFmSplash> progress = std::make_unique<TFmSplash>();
    progress->SetShowDelay(TFmSplash::kShowDelayMs); // fast work shows no window
    main_ = std::make_unique<TFmMain>(database_, *progress, sound_);
    main_->RefreshList();
    // The sort the operator left the list in shows on the splash, as the load did.
    main_->RestoreListDesk(splash_.get());
    splash_ = std::move(progress);
    main_->ShowEdition(startNote_);
    status = 0;
    return true;
}

bool TProgram::OpenStartEdition() {
    QStringList notes;
    auto open = [&](const QString& path) {
        try {
            database_.OpenEdition(path, [this](std::int32_t position, std::int32_t maximum) {
                splash_->ProgressCallback(position, maximum);
            });
            splash_->hide();
            return true;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "vetlograd09: %s: %s\n", qPrintable(path), e.what());
            notes << QStringLiteral("справочник «%1» не открыт: %2").arg(EditionName(path), LoadFailureReason(e));
            return false;
        }
    };
    bool opened = false;
    const QString remembered = editions_.remember ? settings::Edition.Read() : QString();
    if (!editions_.file.isEmpty()) {
        opened = open(editions_.file);
        if (opened && editions_.remember) settings::Edition.Write(database_.Edition().path);
    } else if (!remembered.isEmpty()) {
        if (QFileInfo::exists(remembered))
            opened = open(remembered);
        else
            notes << QStringLiteral("справочник «%1» не найден").arg(remembered);
    }
    const QString& system = editions_.systemEdition;
    if (!opened && !system.isEmpty() && QFileInfo::exists(system)) opened = open(system);
    if (!notes.isEmpty()) {
        startNote_ = notes.join(QStringLiteral("; ")) + QLatin1Char('.');
        startNote_[0] = startNote_[0].toUpper();
    }
    return opened;
}

void TProgram::ShutDown() {
    main_.reset();
    splash_.reset();
    database_.Directory().Clear();
}
