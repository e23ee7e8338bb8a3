// SPDX-License-Identifier: GPL-3.0-or-later
// Linked into a start-up probe: when the process has finished its first frame
// it writes the time (CLOCK_MONOTONIC seconds) to standard output and ends.
// The real program and the minimal one are timed by the very same code.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <ctime>

#include <unistd.h>

namespace {

void reportAndExit()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%lld.%09ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
    std::fflush(stdout);
    _exit(0);
}

class FirstFrame : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen && watched->isWidgetType()) {
            m_seen = true;
            // Handled once the frame that this paint belongs to has been flushed.
            QTimer::singleShot(0, qApp, reportAndExit);
        }
        return false;
    }

private:
    bool m_seen = false;
};

void watchFirstFrame()
{
    qApp->installEventFilter(new FirstFrame);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstFrame)

#ifdef LEVBENCH_MINIMAL_MAIN
#include <QLabel>

// The yardstick: a Qt Widgets program with one empty window of the main window's
// size; with LEVBENCH_TEXT the window shows one line of text.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
#ifdef LEVBENCH_TEXT
    QLabel window(QStringLiteral("Levrun"));
#else
    QWidget window;
#endif
    window.setFixedSize(397, 371);
    window.show();
    return app.exec();
}
#endif
