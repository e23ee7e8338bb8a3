// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundRequest.h"

namespace platform {

namespace {

bool canPlay(const std::optional<RiffWave> &clip)
{
    return clip && (clip->format.bitsPerSample == 8 || clip->format.bitsPerSample == 16) &&
           clip->dataSize >= clip->format.blockAlign;
}

} // namespace

SoundRequest soundRequest(QByteArrayView image, int flags) noexcept
{
    SoundRequest request;
    const std::optional<RiffWave> clip =
        (flags & SndMemory) ? readRiffWave(image) : std::optional<RiffWave>();
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
