// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace platform {

// Starts program as a process of its own, in the current directory, and returns
// at once without waiting for it. The program is looked for in the current
// directory first, then on PATH. The arguments reach it one by one, exactly as
// given, by their bytes (toNativeName): no shell is involved, so blanks and shell
// characters stay as they are. Fails with FileNotFound when the program is not
// found or cannot be started; with BadFileName, starting nothing, where the
// platform's starter passes only text and an argument holds a byte that is not.
void startProgram(const QString &program, const QStringList &arguments);

// Hands a web or mailto: address to the desktop, which opens it with the
// user's associated program without waiting for it (the START command's job on
// Windows). Fails with "File not found" when nothing can open it.
void openAddress(const QString &address);

// Has large blocks (a large list's arrays) come from the system and go back to it when
// freed, where the allocator would otherwise keep them for later and hold the memory.
void keepLargeBlocksApart();

// Turns SIGTERM, SIGHUP and SIGINT (the end of a session, a kill, Ctrl+C) into an
// orderly close of the window, as if the user had closed it, for as long as the window
// lives. The signal handler only notes the signal; the close happens in the event loop:
// at once, through a pipe (Linux), or within a tenth of a second.
void closeOnSignals(QWidget *window);

} // namespace platform
