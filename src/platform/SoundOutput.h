// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SoundRequest.h"

#include <QByteArrayView>

namespace platform {

// The platform's sound-playing call: plays a wave file image from memory on the
// default audio output, one clip at a time.
class SoundOutput
{
public:
    virtual ~SoundOutput() = default;

    // Stops the clip still playing, then plays image as the flags say
    // (SoundRequest.h). The image is read in place: it must stay valid until
    // the clip has ended or stop() has been called. True when the clip started.
    virtual bool playSound(QByteArrayView image, int flags) = 0;

    // Stops the clip still playing. Once it returns, no byte of that clip's
    // image is read again.
    virtual void stop() = 0;
};

// The output in use: the real one unless a test has put another in its place.
SoundOutput &soundOutput();

// Puts output in place of the real one (tests); nullptr brings the real one back.
void setSoundOutput(SoundOutput *output);

// The sound-playing call itself. Without a sound server or device it returns
// at once and reports nothing; a clip that cannot be played is replaced by the
// default sound unless SndNoDefault is given.
bool sndPlaySound(QByteArrayView image, int flags);

// Ends the process with status, at once, while the sound server has not yet
// answered the program's first question: the sound library's own clean-up at
// the very end would wait for that answer until it gives up (some 30 s).
// Otherwise it returns, for the program to end as usual.
void endIfSoundServerSilent(int status);

} // namespace platform
