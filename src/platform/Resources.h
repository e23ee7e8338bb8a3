// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The bytes of one of the program's own resources, found by its type and name
// (":/TYPE/NAME" among the embedded files, letter case ignored). A missing one is the failure
// ResourceNotFound.
QByteArray loadResource(const QString &type, const QString &name);

} // namespace platform
