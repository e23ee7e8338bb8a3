// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace platform {

// Turns SIGTERM, SIGHUP and SIGINT (the end of a session, a kill, Ctrl+C) into an
// orderly close of the window, as if the user had closed it. The signal handler
// only writes a byte to a pipe; the close happens in the event loop.
class SignalCloser : public QObject
{
    Q_OBJECT
public:
    explicit SignalCloser(QWidget *window);
    ~SignalCloser() override;

private:
    void onSignal();

    QWidget *m_window;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace platform
