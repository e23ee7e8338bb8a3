#include "WAVRes.h"

#include "errlog/ErrLog.h"

void PlayWaveRes(const QString &ClipName, std::optional<int> PlayFlags)
{
    errlog::Guard guard(", WAVRes, PlayWaveRes, ");
    Q_UNUSED(ClipName);
    Q_UNUSED(PlayFlags);
}
