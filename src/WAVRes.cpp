// SPDX-License-Identifier: GPL-3.0-or-later
#include "WAVRes.h"

#include "errlog/ErrLog.h"
#include "platform/ErrorCatalogue.h"
#include "platform/WaveClip.h"
#include "platform/SoundOutput.h"

void PlayWaveRes(const QString &ClipName, std::optional<int> PlayFlags)
{
    errlog::Guard guard(", WAVRes, PlayWaveRes, ");
    // The output keeps the clip loaded last, header and all; a playing clip has its own copy.
    platform::SoundOutput &output = platform::soundOutput();
    guard.attempt(
        [&] { output.setClipData(platform::loadResource(QStringLiteral("WAVE"), ClipName)); });
    if (!PlayFlags)
        PlayFlags = platform::SndNoDefault | platform::SndMemory;
    if ((*PlayFlags & platform::SndMemory) == 0)
        PlayFlags = *PlayFlags | platform::SndMemory;
    guard.attempt([&] {
        if (output.clipData().isEmpty())
            platform::fail(platform::SubscriptOutOfRange);
        output.playSound(output.clipData(), *PlayFlags);
    });
}
