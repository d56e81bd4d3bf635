#include "sound.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

QStringList DefaultSoundModules() {
    const QString dir = QCoreApplication::applicationDirPath();
    return {dir + QStringLiteral("/vetlograd09-sound.so"),
            dir + QStringLiteral("/../" VG_SOUND_MODULE_DIR "/vetlograd09-sound.so")};
}

TWavePlayer::TWavePlayer(QStringList modules) : modules_(std::move(modules)) {}

TWavePlayer::~TWavePlayer() {
    player_.reset(); // its code is in the module, which stays loaded
}

bool TWavePlayer::Load() {
    if (tried_) return player_ != nullptr;
    tried_ = true;
    QStringList tried;
    for (const QString& path : modules_) {
        if (!QFileInfo::exists(path)) {
            tried << path;
            continue;
        }
        library_.setFileName(path);
        if (!library_.load()) {
            tried << library_.errorString();
            continue;
        }
        auto create = reinterpret_cast<NewWavePlayerFunction>(library_.resolve(kNewWavePlayer));
        if (!create) {
            tried << QStringLiteral("%1: no %2").arg(path, QLatin1String(kNewWavePlayer));
            continue;
        }
        player_.reset(create());
        if (player_) return true;
        tried << path + QStringLiteral(": no player");
    }
    failure_ = QStringLiteral("no sound module: %1").arg(tried.join(QStringLiteral("; ")));
    std::fprintf(stderr, "vetlograd09: %s\n", qPrintable(failure_));
    return false;
}

void TWavePlayer::Play(const QByteArray& wave) {
    if (Load()) player_->Play(wave);
}
