#include "TestSupport.h"

#include <optional>

// The link step routes the windows' PlayWaveRes calls here (tests/CMakeLists.txt),
// so no sound device is needed and the log holds only the windows' own lines.
QStringList &testsupport::soundRequests()
{
    static QStringList requests;
    return requests;
}

extern "C" void __wrap__Z11PlayWaveResRK7QStringSt8optionalIiE(const QString &clip,
                                                               std::optional<int> flags)
{
    testsupport::soundRequests() << (flags ? QStringLiteral("%1 %2").arg(clip).arg(*flags) : clip);
}
