// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundOutput.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QEventLoop>
#include <QMediaDevices>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

#include <unistd.h>

namespace platform {

namespace {

// What is still buffered when the sink has handed over its last bytes is heard
// after that; this much is added to the sink's own buffer for the server's.
constexpr int DrainMarginMs = 60;
// However the sink behaves, a clip ends this long after its own length.
constexpr int SafetyMarginMs = 2000;

// The first question to the sound server is asked on a thread of its own: a
// server that takes the connection and never answers holds that thread for the
// sound library's timeout (some 30 s), not the window. The thread stays for the
// program's run, as the audio system's objects made on it belong to it.
class ServerConnection
{
public:
    ServerConnection()
    {
        m_asker.moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(&m_asker, [this] {
            QMediaDevices::defaultAudioOutput();
            m_answered = true;
            QMetaObject::invokeMethod(
                &m_here,
                [this] {
                    if (whenAnswered)
                        whenAnswered();
                },
                Qt::QueuedConnection);
        });
    }

    bool answered() const { return m_answered; }
    std::function<void()> whenAnswered; // runs in the thread that made this

private:
    QObject m_here;
    QThread m_thread;
    QObject m_asker;
    std::atomic<bool> m_answered = false;
};

// Never deleted: its thread may still be waiting for the server at the end.
ServerConnection *serverConnection = nullptr;

// QAudioSink on the default output, pulling the samples straight from the image.
class QtSoundOutput final : public SoundOutput
{
public:
    QtSoundOutput();
    ~QtSoundOutput() override;

    bool playSound(QByteArrayView image, int flags) override;
    void stop() override;

private:
    bool start(QByteArrayView image, const SoundRequest &request);
    void waitForEnd();
    void onServerAnswered();
    void onStateChanged(QAudio::State state);

    QObject m_context; // receives the sink's signals; gone with the sink's connections
    QPointer<QAudioSink> m_sink;
    QByteArray m_samples; // raw view of the image's data chunk, never a copy
    QBuffer m_reader;
    QTimer m_drain;  // the tail still buffered after the last bytes went out
    QTimer m_safety; // bound on a clip that never reports its end
    QEventLoop *m_wait = nullptr;
    // A clip asked for before the server answered, played when it does; a
    // synchronous caller waits for the answer no longer than the clip lasts.
    std::optional<SoundRequest> m_pending;
    QByteArrayView m_pendingImage;
    bool m_pendingStarted = false;
    QTimer m_answerBound;
};

QtSoundOutput::QtSoundOutput()
{
    m_drain.setSingleShot(true);
    m_safety.setSingleShot(true);
    m_answerBound.setSingleShot(true);
    QObject::connect(&m_drain, &QTimer::timeout, &m_context, [this] { stop(); });
    QObject::connect(&m_safety, &QTimer::timeout, &m_context, [this] { stop(); });
    QObject::connect(&m_answerBound, &QTimer::timeout, &m_context, [this] { stop(); });
    if (!serverConnection)
        serverConnection = new ServerConnection;
    serverConnection->whenAnswered = [this] { onServerAnswered(); };
}

QtSoundOutput::~QtSoundOutput()
{
    serverConnection->whenAnswered = {};
    // At the end of the program no event loop is left to delete the sink later.
    if (m_sink) {
        QObject::disconnect(m_sink, nullptr, &m_context, nullptr);
        m_sink->stop();
        delete m_sink;
    }
    stop();
}

bool QtSoundOutput::playSound(QByteArrayView image, int flags)
{
    stop();
    const SoundRequest request = soundRequest(image, flags);
    if (request.action == SoundRequest::PlayDefaultSound)
        QApplication::beep();
    if (request.action != SoundRequest::PlayClip)
        return false;
    if (!serverConnection->answered()) {
        m_pending = request;
        m_pendingImage = image;
        m_pendingStarted = false;
        if (!request.synchronous)
            return true;
        m_answerBound.start(int(clipMilliseconds(request.clip)));
        waitForEnd();
        return m_pendingStarted;
    }
    if (!start(image, request))
        return false;
    if (request.synchronous)
        waitForEnd();
    return true;
}

void QtSoundOutput::onServerAnswered()
{
    m_answerBound.stop();
    if (!m_pending)
        return;
    const SoundRequest request = *std::exchange(m_pending, std::nullopt);
    m_pendingStarted = start(std::exchange(m_pendingImage, {}), request);
    // Nothing to wait for when it could not start.
    if (!m_pendingStarted && m_wait) {
        m_wait->quit();
        m_wait = nullptr;
    }
}

bool QtSoundOutput::start(QByteArrayView image, const SoundRequest &request)
{
    // No device, no sound, and nothing to report.
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;

    const WaveFormat &wave = request.clip.format;
    QAudioFormat format;
    format.setSampleRate(int(wave.samplesPerSecond));
    format.setChannelCount(wave.channels);
    format.setSampleFormat(wave.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);

    m_samples =
        QByteArray::fromRawData(image.data() + request.clip.dataOffset, request.clip.dataSize);
    m_reader.setBuffer(&m_samples);
    m_reader.open(QIODevice::ReadOnly);
    m_sink = new QAudioSink(device, format);
    QObject::connect(m_sink, &QAudioSink::stateChanged, &m_context,
                     [this](QAudio::State state) { onStateChanged(state); });
    m_sink->start(&m_reader);
    if (!m_sink || m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        stop();
        return false;
    }
    m_safety.start(int(clipMilliseconds(request.clip)) + SafetyMarginMs);
    return true;
}

// Until the clip has ended. The window repaints meanwhile but takes no input.
void QtSoundOutput::waitForEnd()
{
    QEventLoop wait;
    m_wait = &wait;
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (m_wait == &wait)
        m_wait = nullptr;
}

void QtSoundOutput::onStateChanged(QAudio::State state)
{
    // An underrun (the feed fell behind on a busy machine) is idle too, with bytes left to play.
    if (state == QAudio::IdleState && m_sink && !m_drain.isActive() && m_reader.atEnd()) {
        // Idle at the end means handed to the server, not heard: wait out the buffer.
        const QAudioFormat format = m_sink->format();
        const qint64 bufferedMs = format.durationForBytes(int(m_sink->bufferSize())) / 1000;
        m_drain.start(int(bufferedMs) + DrainMarginMs);
    } else if (state == QAudio::StoppedState) {
        // The sink gave up (no server, stream failed).
        stop();
    }
}

void QtSoundOutput::stop()
{
    m_answerBound.stop();
    m_pending.reset();
    m_pendingImage = {};
    m_drain.stop();
    m_safety.stop();
    if (m_sink) {
        QObject::disconnect(m_sink, nullptr, &m_context, nullptr);
        m_sink->stop();
        // Not deleted here: this may run inside one of the sink's own signals.
        m_sink->deleteLater();
        m_sink = nullptr;
    }
    m_reader.close();
    m_reader.setBuffer(nullptr);
    m_samples = QByteArray();
    if (m_wait) {
        m_wait->quit();
        m_wait = nullptr;
    }
}

SoundOutput *replacement = nullptr;
QtSoundOutput *real = nullptr;

} // namespace

SoundOutput &soundOutput()
{
    if (replacement)
        return *replacement;
    if (!real) {
        real = new QtSoundOutput;
        // Gone with the application, while the audio system is still there.
        qAddPostRoutine([] {
            delete real;
            real = nullptr;
        });
    }
    return *real;
}

void setSoundOutput(SoundOutput *output)
{
    replacement = output;
}

bool sndPlaySound(QByteArrayView image, int flags)
{
    return soundOutput().playSound(image, flags);
}

void endIfSoundServerSilent(int status)
{
    if (serverConnection && !serverConnection->answered()) {
        std::fflush(nullptr);
        ::_exit(status);
    }
}

} // namespace platform
