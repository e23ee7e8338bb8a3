// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WaveClip.h"

#include "platform/ErrorCatalogue.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace platform {

QByteArray loadResource(const QString &type, const QString &name)
{
    // A name is one path component: no way out of its type's folder.
    if (name.isEmpty() || type.isEmpty() || (type + name).contains(u'/'))
        fail(ResourceNotFound);
    // Resource names are not case-sensitive; the program's are stored in capitals.
    QFile resource(QStringLiteral(":/%1/%2").arg(type.toUpper(), name.toUpper()));
    if (!QFileInfo(resource).isFile() || !resource.open(QIODevice::ReadOnly))
        fail(ResourceNotFound);
    return resource.readAll();
}

std::optional<RiffWave> readRiffWave(QByteArrayView bytes) noexcept
{
    // Little-endian fields and tags; the caller has checked that they lie inside the bytes.
    const auto word = [&](quint64 at) { return qFromLittleEndian<quint16>(bytes.data() + at); };
    const auto dword = [&](quint64 at) { return qFromLittleEndian<quint32>(bytes.data() + at); };
    const auto tag = [&](quint64 at) { return bytes.sliced(qsizetype(at), 4); };
    constexpr quint64 ChunkHeaderSize = 8;
    // 64-bit arithmetic throughout: a 32-bit length near 4 GiB cannot wrap.
    const quint64 size = quint64(bytes.size());
    if (size < 12 || tag(0) != "RIFF" || tag(8) != "WAVE")
        return std::nullopt;
    const quint64 formEnd = ChunkHeaderSize + dword(4);
    if (formEnd > size || formEnd < 12)
        return std::nullopt;

    std::optional<WaveFormat> format;
    std::optional<RiffWave> wave;
    for (quint64 at = 12; at + ChunkHeaderSize <= formEnd;) {
        const quint64 length = dword(at + 4);
        const quint64 body = at + ChunkHeaderSize;
        if (body + length > formEnd)
            return std::nullopt;
        if (!format && tag(at) == "fmt ") {
            if (length < 16) // the PCM format's size
                return std::nullopt;
            // Only the first counts: one that is not PCM (tag 1) refuses the image here already.
            // The bytes per second, at 8, are not needed.
            const WaveFormat &f = format.emplace(WaveFormat{
                word(body), word(body + 2), dword(body + 4), word(body + 12), word(body + 14)});
            if (f.formatTag != 1 || f.channels == 0 || f.samplesPerSecond == 0 ||
                f.bitsPerSample == 0 || f.blockAlign != f.channels * ((f.bitsPerSample + 7) / 8))
                return std::nullopt;
        } else if (!wave && tag(at) == "data") {
            wave = RiffWave{{}, qsizetype(body), qsizetype(length)};
        }
        at = body + length + (length & 1);
    }
    if (!format || !wave)
        return std::nullopt;
    wave->format = *format;
    return wave;
}

SoundRequest soundRequest(QByteArrayView image, int flags) noexcept
{
    std::optional<RiffWave> clip = (flags & SndMemory) ? readRiffWave(image) : std::nullopt;
    // Playable: 8 or 16 bits, and one whole sample frame at least.
    if (!clip || (clip->format.bitsPerSample != 8 && clip->format.bitsPerSample != 16) ||
        clip->dataSize < clip->format.blockAlign)
        return {(flags & SndNoDefault) ? SoundRequest::StaySilent : SoundRequest::PlayDefaultSound,
                {}};
    clip->dataSize -= clip->dataSize % clip->format.blockAlign; // whole sample frames only
    return {SoundRequest::PlayClip, *clip, !(flags & SndAsync)};
}

qint64 clipMilliseconds(const RiffWave &clip) noexcept
{
    const qint64 frames = clip.format.blockAlign ? clip.dataSize / clip.format.blockAlign : 0;
    return clip.format.samplesPerSecond ? frames * 1000 / clip.format.samplesPerSecond : 0;
}

} // namespace platform
