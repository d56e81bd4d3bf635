#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QString>
#include <QStringList>

#include <memory>

// Plays a whole RIFF/WAVE image from memory, asynchronously; a new sound replaces one still playing.
class ISoundPlayer {
public:
    virtual ~ISoundPlayer() = default;
    virtual void Play(const QByteArray& wave) = 0;
};

// The PCM format of a RIFF/WAVE image: 1 or 2 channels of 8 (unsigned) or 16 (signed) bit samples.
struct TWaveFormat {
    int channels = 0;
    int sampleRate = 0;
    int bits = 0;
};
// The format and the samples of a RIFF/WAVE image; false when it is not PCM that the player can play.
bool ParseWave(const QByteArray& wave, TWaveFormat& format, QByteArray& samples);

// The sound module's one entry: a new player on the default audio output, owned by the caller.
using NewWavePlayerFunction = ISoundPlayer* (*)();
inline constexpr char kNewWavePlayer[] = "vg_new_wave_player";

// Where the program looks for its sound module: beside itself (the build tree), then in its own folder of
// libraries (an installed program: VG_SOUND_MODULE_DIR, such as lib/x86_64-linux-gnu/vetlograd09, next to bin).
QStringList DefaultSoundModules();

// Plays on the default audio output through the sound module. The module, and the audio libraries with it,
// is loaded when the first sound plays, not at start-up: they are a good part of a start's cost and the
// operator hears the first sound only after the first search. Silent where the module or an audio output is
// missing; a missing module is told once on stderr.
class TWavePlayer : public ISoundPlayer {
public:
    explicit TWavePlayer(QStringList modules = DefaultSoundModules());
    ~TWavePlayer() override;
    TWavePlayer(const TWavePlayer&) = delete;
    TWavePlayer& operator=(const TWavePlayer&) = delete;

    void Play(const QByteArray& wave) override;
    // Loads the module now, if it has not been tried yet; true when a player is there to play.
    bool Load();
    // Why there is no player, once the module was tried and failed; empty otherwise.
    QString Failure() const { return failure_; }

private:
    QStringList modules_;
    bool tried_ = false;
    QLibrary library_;
    std::unique_ptr<ISoundPlayer> player_;
    QString failure_;
};
