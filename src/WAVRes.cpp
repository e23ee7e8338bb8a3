// SPDX-License-Identifier: GPL-3.0-or-later
#include "WAVRes.h"

#include "errlog/ErrLog.h"
#include "platform/ErrorCatalogue.h"
#include "platform/Resources.h"
#include "platform/SoundOutput.h"

namespace {

// The clip loaded last, header and all. The sound output reads it in place
// while the clip plays, after PlayWaveRes has returned.
QByteArray ClipData;

} // namespace

void PlayWaveRes(const QString &ClipName, std::optional<int> PlayFlags)
{
    errlog::Guard guard(", WAVRes, PlayWaveRes, ");
    guard.attempt([&] {
        QByteArray clip = platform::loadResource(QStringLiteral("WAVE"), ClipName);
        // The clip still playing reads these bytes: stop it before they go.
        platform::soundOutput().stop();
        ClipData = std::move(clip);
    });
    if (!PlayFlags)
        PlayFlags = platform::SndNoDefault | platform::SndMemory;
    if ((*PlayFlags & platform::SndMemory) == 0)
        PlayFlags = *PlayFlags | platform::SndMemory;
    guard.attempt([&] {
        if (ClipData.isEmpty())
            platform::fail(platform::SubscriptOutOfRange);
        platform::sndPlaySound(QByteArrayView(ClipData), *PlayFlags);
    });
}
