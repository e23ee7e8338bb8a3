// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RiffWave.h"

#include <QByteArrayView>

namespace platform {

// The flags of the platform's sound-playing call.
enum SoundFlag : int {
    SndSync = 0x0,      // return when the clip has been heard to its end
    SndAsync = 0x1,     // return at once, the clip plays on
    SndNoDefault = 0x2, // a clip that cannot be played stays silent
    SndMemory = 0x4,    // the image is a wave file in memory, not a file name
};

// What the sound-playing call does with one request.
struct SoundRequest
{
    enum Action { PlayClip, PlayDefaultSound, StaySilent };
    Action action = StaySilent;
    RiffWave clip;           // PlayClip: the samples to play, inside the image
    bool synchronous = true; // PlayClip: wait until the clip has been heard
};

// Decides a request: a clip that can be played is played, one that cannot is
// replaced by the default sound unless SndNoDefault asks for silence. Only wave
// images in memory are understood, as PCM of 8 or 16 bits.
SoundRequest soundRequest(QByteArrayView image, int flags) noexcept;

// How long the clip lasts when played, in milliseconds.
qint64 clipMilliseconds(const RiffWave &clip) noexcept;

} // namespace platform
