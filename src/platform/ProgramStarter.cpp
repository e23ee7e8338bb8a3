// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ProgramStarter.h"

#include "platform/ErrorCatalogue.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef LEVRUN_PORTABLE
#include <QProcess>
#else
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

#ifdef LEVRUN_PORTABLE

// QProcess hands its arguments over as text: a name that is not text would reach the
// program as another name, so it starts nothing.
bool startDetached(const QString &program, const QStringList &arguments)
{
    for (const QString &argument : arguments)
        if (holdsRawBytes(argument))
            fail(BadFileName);
    return QProcess::startDetached(program, arguments, QDir::currentPath());
}

#else

// Started by a child that ends at once, the program is nobody's child to wait for. Its
// arguments go as their bytes. The exec closes the report pipe; a failure writes errno there.
bool startDetached(const QString &program, const QStringList &arguments)
{
    std::vector<QByteArray> bytes{toNativeName(program)};
    for (const QString &argument : arguments)
        bytes.push_back(toNativeName(argument));
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        const pid_t started = ::fork();
        if (started == 0)
            ::execv(argv[0], argv.data());
        if (started <= 0) { // the exec or the fork failed
            const int error = errno;
            (void)!::write(report[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(report[1]);
    int error = 0;
    ssize_t got;
    do
        got = child > 0 ? ::read(report[0], &error, sizeof error) : -1;
    while (got < 0 && errno == EINTR);
    ::close(report[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return got == 0;
}

#endif

} // namespace

void startProgram(const QString &program, const QStringList &arguments)
{
    // Windows' program search covers the current directory; PATH on Linux does not.
    QString path = QStringLiteral("./") + program;
    if (const QFileInfo here(path); !here.isFile() || !here.isExecutable())
        path = QStandardPaths::findExecutable(program);
    if (path.isEmpty() || !startDetached(path, arguments))
        fail(FileNotFound);
}

} // namespace platform
