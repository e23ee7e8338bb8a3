// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AppInfo.h"

#include "config.h"

namespace platform {

QString appTitle()
{
    return QStringLiteral("Levrun");
}

int versionMajor()
{
    return LEVRUN_VERSION_MAJOR;
}

int versionMinor()
{
    return LEVRUN_VERSION_MINOR;
}

int versionRevision()
{
    return LEVRUN_VERSION_PATCH;
}

} // namespace platform
