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
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || type.isEmpty() ||
        type.contains(QLatin1Char('/')))
        fail(ResourceNotFound);
    // Resource names are not case-sensitive; the program's are stored in capitals.
    const QString path = QStringLiteral(":/%1/%2").arg(type.toUpper(), name.toUpper());
    QFile resource(path);
    if (!QFileInfo(path).isFile() || !resource.open(QIODevice::ReadOnly))
        fail(ResourceNotFound);
    return resource.readAll();
}

namespace {

constexpr quint16 WaveFormatPcm = 1;
constexpr quint64 ChunkHeaderSize = 8;
constexpr quint64 PcmFormatSize = 16;

// Little-endian fields; the caller has checked that they lie inside the bytes.
template <typename Field>
Field field(QByteArrayView bytes, quint64 at)
{
    return qFromLittleEndian<Field>(bytes.data() + at);
}
constexpr auto word = field<quint16>;
constexpr auto dword = field<quint32>;

bool tagAt(QByteArrayView bytes, quint64 at, const char (&tag)[5])
{
    return bytes.sliced(qsizetype(at), 4) == QByteArrayView(tag, 4);
}

bool isPcm(const WaveFormat &f)
{
    return f.formatTag == WaveFormatPcm && f.channels > 0 && f.samplesPerSecond > 0 &&
           f.bitsPerSample > 0 && f.blockAlign == f.channels * ((f.bitsPerSample + 7) / 8);
}

bool canPlay(const std::optional<RiffWave> &clip)
{
    return clip && (clip->format.bitsPerSample == 8 || clip->format.bitsPerSample == 16) &&
           clip->dataSize >= clip->format.blockAlign;
}

} // namespace

std::optional<RiffWave> readRiffWave(QByteArrayView bytes) noexcept
{
    // 64-bit arithmetic throughout: a 32-bit length near 4 GiB cannot wrap.
    const quint64 size = quint64(bytes.size());
    if (size < 12 || !tagAt(bytes, 0, "RIFF") || !tagAt(bytes, 8, "WAVE"))
        return std::nullopt;
    const quint64 formEnd = ChunkHeaderSize + dword(bytes, 4);
    if (formEnd > size || formEnd < 12)
        return std::nullopt;

    std::optional<WaveFormat> format;
    std::optional<RiffWave> wave;
    for (quint64 at = 12; at + ChunkHeaderSize <= formEnd;) {
        const quint64 length = dword(bytes, at + 4);
        const quint64 body = at + ChunkHeaderSize;
        if (body + length > formEnd)
            return std::nullopt;
        if (!format && tagAt(bytes, at, "fmt ")) {
            if (length < PcmFormatSize)
                return std::nullopt;
            format =
                WaveFormat{word(bytes, body),      word(bytes, body + 2),  dword(bytes, body + 4),
                           dword(bytes, body + 8), word(bytes, body + 12), word(bytes, body + 14)};
        } else if (!wave && tagAt(bytes, at, "data")) {
            wave = RiffWave{{}, qsizetype(body), qsizetype(length)};
        }
        at = body + length + (length & 1);
    }
    if (!format || !wave || !isPcm(*format))
        return std::nullopt;
    wave->format = *format;
    return wave;
}

SoundRequest soundRequest(QByteArrayView image, int flags) noexcept
{
    SoundRequest request;
    const std::optional<RiffWave> clip = (flags & SndMemory) ? readRiffWave(image) : std::nullopt;
    if (canPlay(clip)) {
        request.action = SoundRequest::PlayClip;
        request.clip = *clip;
        // Whole sample frames only.
        request.clip.dataSize -= request.clip.dataSize % clip->format.blockAlign;
        request.synchronous = !(flags & SndAsync);
    } else {
        request.action =
            (flags & SndNoDefault) ? SoundRequest::StaySilent : SoundRequest::PlayDefaultSound;
    }
    return request;
}

qint64 clipMilliseconds(const RiffWave &clip) noexcept
{
    const qint64 frames = clip.format.blockAlign ? clip.dataSize / clip.format.blockAlign : 0;
    return clip.format.samplesPerSecond ? frames * 1000 / clip.format.samplesPerSecond : 0;
}

} // namespace platform
