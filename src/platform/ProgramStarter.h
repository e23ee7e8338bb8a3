// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Starts program as a process of its own, in the current directory, and returns
// at once without waiting for it. The program is looked for in the current
// directory first, then on PATH. The arguments reach it one by one, exactly as
// given, by their bytes (toNativeName): no shell is involved, so blanks and shell
// characters stay as they are. Fails with FileNotFound when the program is not
// found or cannot be started; with BadFileName, starting nothing, where the
// platform's starter passes only text and an argument holds a byte that is not.
void startProgram(const QString &program, const QStringList &arguments);

} // namespace platform
