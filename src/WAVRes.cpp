// SPDX-License-Identifier: GPL-3.0-or-later
#include "WAVRes.h"

#include "errlog/ErrLog.h"
#include "platform/ErrorCatalogue.h"
#include "platform/SoundOutput.h"
#include "platform/WaveClip.h"

void PlayWaveRes(const QString &ClipName, std::optional<int> PlayFlags)
{
    errlog::Guard guard(", WAVRes, PlayWaveRes, ");
    // The output keeps the clip loaded last, header and all; a playing clip has its own copy.
    platform::SoundOutput &output = platform::soundOutput();
    guard.attempt(
        [&] { output.setClipData(platform::loadResource(QStringLiteral("WAVE"), ClipName)); });
    // The clip is always played from memory.
    const int flags = PlayFlags.value_or(platform::SndNoDefault) | platform::SndMemory;
    guard.attempt([&] {
        if (output.clipData().isEmpty())
            platform::fail(platform::SubscriptOutOfRange);
        output.playSound(output.clipData(), flags);
    });
}
