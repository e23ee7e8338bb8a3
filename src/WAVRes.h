// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Plays one of the sound clips stored in the program ("WAV1" to "WAV6").
// PlayFlags: 1 returns at once while the clip plays on; left out, the call
// returns when the clip has been heard to its end. Failures are logged, never
// passed on.
void PlayWaveRes(const QString &ClipName, std::optional<int> PlayFlags = std::nullopt);
