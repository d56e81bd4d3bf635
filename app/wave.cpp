#include "sound.h"

#include <QtEndian>

bool ParseWave(const QByteArray& wave, TWaveFormat& format, QByteArray& samples) {
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
            format.channels = channels;
            format.sampleRate = static_cast<int>(rate);
            format.bits = bits;
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
