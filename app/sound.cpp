#include "sound.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QtEndian>

bool ParseWave(const QByteArray& wave, QAudioFormat& format, QByteArray& samples) {
    if (wave.size() < 12 || !wave.startsWith("RIFF") || wave.mid(8, 4) != "WAVE") return false;
    qsizetype pos = 12;
    bool haveFormat = false;
    while (pos + 8 <= wave.size()) {
        const QByteArray id = wave.mid(pos, 4);
        const auto size = qFromLittleEndian<quint32>(wave.constData() + pos + 4);
        const qsizetype body = pos + 8;
        if (size > static_cast<quint32>(wave.size() - body)) return false;
        if (id == "fmt " && size >= 16) {
            const char* f = wave.constData() + body;
            const auto tag = qFromLittleEndian<quint16>(f);
            const auto channels = qFromLittleEndian<quint16>(f + 2);
            const auto rate = qFromLittleEndian<quint32>(f + 4);
            const auto bits = qFromLittleEndian<quint16>(f + 14);
            if (tag != 1 || channels < 1 || channels > 2 || rate == 0 || (bits != 8 && bits != 16)) return false;
            format.setChannelCount(channels);
            format.setSampleRate(static_cast<int>(rate));
            format.setSampleFormat(bits == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat) return false;
            samples = wave.mid(body, size);
            return true;
        }
        pos = body + size + (size & 1);
    }
    return false;
}

TWavePlayer::TWavePlayer(QObject* parent) : QObject(parent) {}

TWavePlayer::~TWavePlayer() {
    Stop();
}

void TWavePlayer::Stop() {
    if (sink_) {
        sink_->stop();
        delete sink_.data();
    }
    delete buffer_.data();
}

void TWavePlayer::Play(const QByteArray& wave) {
    Stop();
    QAudioFormat format;
    QByteArray samples;
    if (!ParseWave(wave, format, samples)) return;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || !device.isFormatSupported(format)) return; // no sound rather than an error
    buffer_ = new QBuffer(this);
    buffer_->setData(samples);
    buffer_->open(QIODevice::ReadOnly);
    sink_ = new QAudioSink(device, format, this);
    sink_->start(buffer_);
}
