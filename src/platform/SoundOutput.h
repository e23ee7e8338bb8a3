// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SoundRequest.h"

#include <QBuffer>
#include <QByteArray>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <memory>

namespace platform {

class ServerProbe;

// One clip on its way to the speaker: its own bytes, its sink (a child) and the
// one deadline by which it must have started, and then ended. Goes with one
// deleteLater once finished.
class Playback : public QObject
{
    Q_OBJECT
public:
    Playback(const QByteArray &image, const SoundRequest &request, QObject *parent);

    const QByteArray &image() const { return m_image; }
    const SoundRequest &request() const { return m_request; }
    QIODevice *samples() { return &m_samples; }
    // Ends the clip ms from now unless something ends it sooner.
    void endIn(qint64 ms) { m_deadline.start(int(ms)); }
    // Ends it now; finished() comes once, and the sink stops with it.
    void stop();

signals:
    void finished();

private:
    const QByteArray m_image;
    const SoundRequest m_request;
    QBuffer m_samples; // reads m_image in place
    QTimer m_deadline;
    bool m_finished = false;
};

// The platform's sound-playing call: plays a wave file image on the default
// audio output, one clip at a time, the latest request winning.
class SoundOutput : public QObject
{
    Q_OBJECT
public:
    explicit SoundOutput(QObject *parent = nullptr);
    ~SoundOutput() override;

    // Stops the clip still playing, then plays image as flags say (SoundRequest.h).
    // A clip that has not started within its own length, the server being slow or
    // absent, is dropped unheard. A synchronous one returns once it has ended.
    virtual void playSound(const QByteArray &image, int flags);

    // The image loaded last: a request whose own clip cannot be loaded plays it again.
    const QByteArray &clipData() const { return m_clipData; }
    void setClipData(const QByteArray &image) { m_clipData = image; }

protected:
    // Finds out, without blocking, whether the sound server can be used; the
    // answer comes through serverAnswered().
    virtual void askServer();
    // Starts the playback's samples on a sink of its own; false when it cannot.
    virtual bool startSink(Playback &playback);
    void serverAnswered(bool usable);

private:
    void start();

    enum class Server { Unknown, Asking, Usable };
    Server m_server = Server::Unknown;
    Playback *m_playing = nullptr;
    QByteArray m_clipData;
    std::unique_ptr<ServerProbe> m_probe;
    // Qt's audio backend is made here: it waits for the server's answer, and
    // reconnects to a server lost and back, without holding up the window.
    QThread m_backendThread;
    QObject m_backendHome;
};

// The application's sound output (a child of the application, made on first
// use). Tests put one of their own in its place by making it first.
SoundOutput &soundOutput();

} // namespace platform
