// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config.h"

#include <QString>

namespace platform {

// The name and version the build gives the program, for main() to hand to
// QCoreApplication, where the program reads them.
inline const auto appTitle = [] { return QStringLiteral(LEVRUN_NAME); };
inline const auto versionMajor = [] { return LEVRUN_VERSION_MAJOR; };
inline const auto versionMinor = [] { return LEVRUN_VERSION_MINOR; };
inline const auto versionRevision = [] { return LEVRUN_VERSION_PATCH; };

} // namespace platform
