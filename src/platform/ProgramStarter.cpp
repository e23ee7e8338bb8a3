// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramStarter.h"

#include "platform/ErrorCatalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

void startProgram(const QString &program, const QStringList &arguments)
{
    // A name on disk that is not UTF-8 reads with U+FFFD in it and then names
    // no file here: the program would be started on something that is not
    // there. A name that really holds U+FFFD is a file like any other.
    for (const QString &argument : arguments)
        if (argument.contains(QChar::ReplacementCharacter) && !QFileInfo::exists(argument))
            fail(BadFileName);
    const QString here = QDir::currentPath();
    // Windows' program search covers the current directory; PATH on Linux does not.
    QString found = QStandardPaths::findExecutable(program, {here});
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(program);
    if (found.isEmpty() || !QProcess::startDetached(found, arguments, here))
        fail(FileNotFound);
}

} // namespace platform
