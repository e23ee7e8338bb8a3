// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WaveClip.h"

#include <cstddef>
#include <numeric>
#include <optional>

// What must hold for any bytes handed to the RIFF reader, whatever they are:
// shared by the fuzz target and the test that replays its inputs. Returns a
// description of the first broken promise, or nullptr when all hold. Every
// sample byte that the reader points at is read, so a sanitizer build sees
// a reach past the bytes.
inline const char *riffWaveBroken(const unsigned char *data, std::size_t size)
{
    using namespace platform;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<RiffWave> wave = readRiffWave(bytes);
    if (wave.has_value() != readRiffWave(bytes).has_value())
        return "two reads of the same bytes disagree";
    if (!wave)
        return nullptr;
    const WaveFormat &f = wave->format;
    if (wave->dataOffset < 20 || wave->dataSize < 0 ||
        quint64(wave->dataOffset) + quint64(wave->dataSize) > size)
        return "the samples lie outside the bytes";
    if (f.formatTag != 1 || f.channels == 0 || f.samplesPerSecond == 0 || f.bitsPerSample == 0 ||
        f.blockAlign != f.channels * ((f.bitsPerSample + 7) / 8))
        return "a format that is not PCM was accepted";
    const unsigned char *samples = data + wave->dataOffset;
    [[maybe_unused]] volatile unsigned sum = std::accumulate(samples, samples + wave->dataSize, 0u);

    for (int flags = 0; flags < 8; ++flags) {
        const SoundRequest request = soundRequest(bytes, flags);
        if (request.action != SoundRequest::PlayClip) {
            if ((request.action == SoundRequest::StaySilent) != bool(flags & SndNoDefault))
                return "a clip that cannot be played did not follow SndNoDefault";
            continue;
        }
        const RiffWave &clip = request.clip;
        if (!(flags & SndMemory))
            return "a clip was played from a file name";
        if (clip.dataOffset != wave->dataOffset || clip.dataSize > wave->dataSize ||
            clip.dataSize < clip.format.blockAlign || clip.dataSize % clip.format.blockAlign != 0)
            return "the samples to play are not whole frames of the clip";
        if (request.synchronous == bool(flags & SndAsync))
            return "SndAsync was not followed";
        if (clipMilliseconds(clip) < 0)
            return "a clip lasts less than nothing";
    }
    return nullptr;
}
