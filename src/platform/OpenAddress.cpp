// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/OpenAddress.h"

#include "platform/ErrorCatalogue.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

void openAddress(const QString &address)
{
    if (!QDesktopServices::openUrl(QUrl(address)))
        fail(FileNotFound);
}

} // namespace platform
