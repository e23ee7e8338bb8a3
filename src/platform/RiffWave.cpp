// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RiffWave.h"

namespace platform {

namespace {

constexpr quint16 WaveFormatPcm = 1;
constexpr quint64 ChunkHeaderSize = 8;
constexpr quint64 PcmFormatSize = 16;

// Little-endian fields; the caller has checked that they lie inside the bytes.
quint16 word(QByteArrayView bytes, quint64 at)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data()) + at;
    return quint16(p[0] | (p[1] << 8));
}

quint32 dword(QByteArrayView bytes, quint64 at)
{
    return quint32(word(bytes, at)) | (quint32(word(bytes, at + 2)) << 16);
}

bool tagAt(QByteArrayView bytes, quint64 at, const char (&tag)[5])
{
    return bytes.sliced(qsizetype(at), 4) == QByteArrayView(tag, 4);
}

bool isPcm(const WaveFormat &f)
{
    return f.formatTag == WaveFormatPcm && f.channels > 0 && f.samplesPerSecond > 0 &&
           f.bitsPerSample > 0 && f.blockAlign == f.channels * ((f.bitsPerSample + 7) / 8);
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

} // namespace platform
