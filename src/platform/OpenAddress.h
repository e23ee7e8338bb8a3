// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace platform {

// Hands a web or mailto: address to the desktop, which opens it with the
// user's associated program without waiting for it (the START command's job on
// Windows). Fails with "File not found" when nothing can open it.
void openAddress(const QString &address);

} // namespace platform
