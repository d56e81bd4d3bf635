// The sound module: plays RIFF/WAVE images through Qt Multimedia. The program loads it on its first sound, so
// that the audio libraries stay out of its start.
#include "sound.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QObject>
#include <QPointer>

namespace {

class TAudioSinkPlayer : public QObject, public ISoundPlayer {
public:
    ~TAudioSinkPlayer() override { Stop(); }

    void Play(const QByteArray& wave) override {
        Stop();
        TWaveFormat wav;
        QByteArray samples;
        if (!ParseWave(wave, wav, samples)) return;
        QAudioFormat format;
        format.setChannelCount(wav.channels);
        format.setSampleRate(wav.sampleRate);
        format.setSampleFormat(wav.bits == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull() || !device.isFormatSupported(format)) return; // no sound rather than an error
        buffer_ = new QBuffer(this);
        buffer_->setData(samples);
        buffer_->open(QIODevice::ReadOnly);
        sink_ = new QAudioSink(device, format, this);
        sink_->start(buffer_);
    }

private:
    void Stop() {
        if (sink_) {
            sink_->stop();
            delete sink_.data();
        }
        delete buffer_.data();
    }

    QPointer<QAudioSink> sink_;
    QPointer<QBuffer> buffer_;
};

} // namespace

extern "C" Q_DECL_EXPORT ISoundPlayer* vg_new_wave_player() {
    return new TAudioSinkPlayer;
}
