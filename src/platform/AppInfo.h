// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config.h"

#include <QString>

namespace platform {

// The name and version the build gives the program, for main() to hand to
// QCoreApplication, where the program reads them.
inline QString appTitle()
{
    return QStringLiteral(LEVRUN_NAME);
}
inline int versionMajor()
{
    return LEVRUN_VERSION_MAJOR;
}
inline int versionMinor()
{
    return LEVRUN_VERSION_MINOR;
}
inline int versionRevision()
{
    return LEVRUN_VERSION_PATCH;
}

} // namespace platform
