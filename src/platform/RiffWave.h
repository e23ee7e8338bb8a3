// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <optional>

namespace platform {

// The "fmt " chunk of a PCM wave file.
struct WaveFormat
{
    quint16 formatTag = 0;
    quint16 channels = 0;
    quint32 samplesPerSecond = 0;
    quint32 bytesPerSecond = 0;
    quint16 blockAlign = 0;
    quint16 bitsPerSample = 0;
};

// A RIFF WAVE image as it lies in memory: its format and where its samples are.
struct RiffWave
{
    WaveFormat format;
    qsizetype dataOffset = 0; // first sample byte, counted from the start of the image
    qsizetype dataSize = 0;   // sample bytes, without the pad byte of an odd chunk
};

// Reads the RIFF WAVE PCM image at the start of bytes, in place. The chunks are
// walked by their lengths, an odd chunk followed by its pad byte; chunks other
// than "fmt " and "data" are skipped, and bytes after the RIFF form are ignored.
// Nothing when the image is not RIFF WAVE PCM, or when a length runs past the
// bytes or past the form.
std::optional<RiffWave> readRiffWave(QByteArrayView bytes) noexcept;

} // namespace platform
