#include "platform/ProgramStarter.h"

#include "platform/ErrorCatalogue.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

void startProgram(const QString &program, const QStringList &arguments)
{
    // A name on disk that is not UTF-8 reads as U+FFFD, which names another
    // file: the program would be started on something that is not there.
    for (const QString &argument : arguments)
        if (argument.contains(QChar::ReplacementCharacter))
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
