// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Process.h"

#include "config.h"
#include "platform/ErrorCatalogue.h"
#include "platform/Text.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <iterator>

#ifdef LEVRUN_PORTABLE
#include <QProcess>
#include <QTimer>
#else
#include <QSocketNotifier>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

constexpr int Signals[] = {SIGTERM, SIGINT,
#ifdef SIGHUP
                           SIGHUP
#endif
};

#ifdef LEVRUN_PORTABLE

// QProcess hands its arguments over as text: a name that is not text would reach the
// program as another name, so it starts nothing.
bool startDetached(const QString &program, const QStringList &arguments)
{
    if (std::ranges::any_of(arguments, holdsRawBytes))
        fail(BadFileName);
    return QProcess::startDetached(program, arguments);
}

#else

// Started by a child that ends at once, the program is nobody's child to wait for. Its
// arguments go as their bytes. The exec closes the report pipe; a failure writes errno there.
// Between the fork and the exec only calls that are safe there are made.
bool startDetached(const QString &program, const QStringList &arguments)
{
    std::vector<QByteArray> bytes{toNativeName(program)};
    std::ranges::transform(arguments, std::back_inserter(bytes), toNativeName);
    std::vector<char *> argv(bytes.size() + 1); // the last one null
    std::ranges::transform(bytes, argv.begin(), [](QByteArray &each) { return each.data(); });
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        const pid_t started = ::fork();
        if (started == 0)
            ::execv(argv[0], argv.data());
        if (started <= 0) // the exec or the fork failed
            (void)!::write(report[1], &errno, sizeof errno);
        ::_exit(0);
    }
    ::close(report[1]);
    int error = 0;
    const ssize_t got =
        child > 0 ? TEMP_FAILURE_RETRY(::read(report[0], &error, sizeof error)) : -1;
    ::close(report[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return got == 0;
}

#endif

// The program's name and version, as the build gives them, for whoever asks
// QCoreApplication: the settings, the error log and the About box.
void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral(LEVRUN_NAME));
    QCoreApplication::setApplicationVersion(QStringLiteral(LEVRUN_VERSION));
}
Q_COREAPP_STARTUP_FUNCTION(nameApplication)

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

void openAddress(const QString &address)
{
    if (!QDesktopServices::openUrl(QUrl(address)))
        fail(FileNotFound);
}

void keepLargeBlocksApart()
{
#ifndef LEVRUN_PORTABLE
    mallopt(M_MMAP_THRESHOLD, 128 * 1024); // glibc's first bound, no longer raised as blocks go
#endif
}

void closeOnSignals(QWidget *window)
{
    // A signal handler reaches no object; signals are the process's, and so is this: the
    // pipe's write end (Linux), or 1 once a signal has come.
    static std::atomic<int> signalled = -1;
#ifdef LEVRUN_PORTABLE
    signalled = 0;
    auto *watch = new QTimer(window);
    QObject::connect(watch, &QTimer::timeout, [window] {
        if (signalled.exchange(0) == 1)
            window->close();
    });
    watch->start(100);
    const auto note = [](int) { signalled = 1; };
#else
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    signalled = pipe[1];
    auto *watch = new QSocketNotifier(pipe[0], QSocketNotifier::Read, window);
    QObject::connect(watch, &QSocketNotifier::activated, [window, end = pipe[0]] {
        char buffer[16];
        while (::read(end, buffer, sizeof buffer) > 0) {
        }
        window->close();
    });
    // glibc's signal() restarts the calls that a signal interrupts (SA_RESTART).
    const auto note = [](int) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(signalled, &byte, 1);
    };
#endif
    for (const int sig : Signals)
        std::signal(sig, note);
    // When the window goes, so does its watch: the signals go back to their defaults, and
    // only then does the pipe close.
    QObject::connect(watch, &QObject::destroyed, [=] {
        for (const int sig : Signals)
            std::signal(sig, SIG_DFL);
        signalled = -1;
#ifndef LEVRUN_PORTABLE
        for (const int end : pipe)
            ::close(end);
#endif
    });
}

} // namespace platform
