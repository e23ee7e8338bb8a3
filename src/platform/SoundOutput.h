// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/WaveClip.h"

#include <QBuffer>
#include <QThread>
#include <QTimer>

namespace platform {

// One clip: its own samples, its sink (a child), one deadline to start, then to end by.
class Playback : public QObject
{
    Q_OBJECT
public:
    Playback(const QByteArray &image, const SoundRequest &request, QObject *parent)
        : QObject(parent)
        , m_request(request)
    {
        m_samples.setData(image.sliced(request.clip.dataOffset, request.clip.dataSize));
        m_samples.open(QIODevice::ReadOnly);
        connect(&m_deadline, &QTimer::timeout, this, &Playback::stop);
    }
    // Also when the output goes with it playing: the sink stops before its samples go.
    ~Playback() override { stop(); }
    const SoundRequest &request() const { return m_request; }
    QIODevice *samples() { return &m_samples; }
    void endIn(qint64 ms) { m_deadline.start(int(ms)); } // unless it ends sooner
    // Ends it now: finished() comes once, and the sink stops with it.
    void stop()
    {
        m_deadline.stop();
        if (!std::exchange(m_finished, true))
            emit finished();
    }
signals:
    void finished();

private:
    const SoundRequest m_request;
    QBuffer m_samples; // its own copy
    QTimer m_deadline;
    bool m_finished = false;
};

// The platform's sound-playing call: one clip at a time, the latest request winning.
class SoundOutput : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SoundOutput() override // the playback still going goes with the children
    {
        m_backendThread.requestInterruption();
        m_backendThread.quit();
        m_backendThread.wait();
    }
    // Plays image as flags say (WaveClip.h); a synchronous clip returns when ended. One
    // not started within its own length (a slow or absent server) is dropped unheard.
    virtual void playSound(const QByteArray &image, int flags);
    // The image loaded last: a request whose own clip cannot be loaded plays it again.
    const QByteArray &clipData() const { return m_clipData; }
    void setClipData(const QByteArray &image) { m_clipData = image; }
    // Whether the server can be used, once asked; not usable: asked again next time.
    void serverAnswered(bool usable);

protected:                    // what tests replace
    virtual void askServer(); // without blocking; the answer comes to serverAnswered()
    virtual bool startSink(Playback &playback); // false when it cannot start

private:
    enum class Server { Unknown, Asking, Usable } m_server = Server::Unknown;
    Playback *m_playing = nullptr;
    QByteArray m_clipData;
    // Asks the server, then holds Qt's backend, which reconnects to a server lost and back.
    QThread m_backendThread;
    QObject m_backendHome;
};

// The application's sound output, its child, made on first use; a test makes its own first.
SoundOutput &soundOutput();

} // namespace platform
