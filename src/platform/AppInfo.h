// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// The application title: names the settings, the error log and the About box.
// Read afresh wherever it is needed, never cached.
QString appTitle();

int versionMajor();
int versionMinor();
int versionRevision();

} // namespace platform
