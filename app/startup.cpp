#include "startup.h"

#include "directory/loader.h"
#include "editions.h"
#include "failuretext.h"
#include "fmmain.h"
#include "fmsplash.h"

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
    splash_.reset();
    // The progress window of every later long operation; hidden until one starts.
    splash_ = std::make_unique<TFmSplash>();
    splash_->SetShowDelay(TFmSplash::kShowDelayMs); // fast work shows no window
    main_ = std::make_unique<TFmMain>(database_, *splash_, sound_);
    main_->RefreshList();
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
    const QString remembered = editions_.remember ? RememberedEdition() : QString();
    if (!editions_.file.isEmpty()) {
        opened = open(editions_.file);
        if (opened && editions_.remember) RememberEdition(database_.Edition().path);
    } else if (!remembered.isEmpty()) {
        if (QFileInfo::exists(remembered))
            opened = open(remembered);
        else
            notes << QStringLiteral("справочник «%1» не найден").arg(remembered);
    }
    const QString& system = editions_.systemEdition;
    if (!opened && !system.isEmpty() && QFileInfo::exists(system)) opened = open(system);
    if (!notes.isEmpty()) {
        QString note = notes.join(QStringLiteral("; "));
        note[0] = note[0].toUpper();
        startNote_ =
            note + QStringLiteral(". Открыт ") +
            (opened ? QStringLiteral("«%1»").arg(EditionName(database_.Edition().path)) : EditionName(QString())) +
            QLatin1Char('.');
    }
    return opened;
}

void TProgram::ShutDown() {
    main_.reset();
    splash_.reset();
    database_.Directory().Clear();
}
