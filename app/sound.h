#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QPointer>

class QAudioSink;
class QBuffer;

// Plays a whole RIFF/WAVE image from memory, asynchronously; a new sound replaces one still playing.
class ISoundPlayer {
public:
    virtual ~ISoundPlayer() = default;
    virtual void Play(const QByteArray& wave) = 0;
};

// The format and the samples of a RIFF/WAVE image; false when it is not PCM that the player can play.
bool ParseWave(const QByteArray& wave, QAudioFormat& format, QByteArray& samples);

// Plays on the default audio output; silent where the machine has none.
class TWavePlayer : public QObject, public ISoundPlayer {
    Q_OBJECT

public:
    explicit TWavePlayer(QObject* parent = nullptr);
    ~TWavePlayer() override;
    void Play(const QByteArray& wave) override;

private:
    void Stop();
    QPointer<QAudioSink> sink_;
    QPointer<QBuffer> buffer_;
};
