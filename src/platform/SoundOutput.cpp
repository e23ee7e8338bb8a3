// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundOutput.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QEventLoop>
#include <QMediaDevices>

#include <pulse/pulseaudio.h>

#include <functional>
#include <utility>

namespace platform {

namespace {

// What is still buffered when the sink has handed over its last bytes is heard
// after that; this much is added to the sink's own buffer for the server's.
constexpr int DrainMarginMs = 60;
// However the sink behaves, a clip ends this long after its own length.
constexpr int SafetyMarginMs = 2000;

} // namespace

// Asks the sound server whether it answers, on libpulse's own thread, which
// the destructor stops and joins whatever the server does. Qt's backend waits
// for that answer in its constructor, some 30 s from a server that never gives
// it, and nothing can stop it then: it is made only once the server answered here.
class ServerProbe
{
public:
    ServerProbe(QObject *context, std::function<void(bool)> answered)
        : m_loop(pa_threaded_mainloop_new())
        , m_context(pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Levrun"))
        , m_receiver(context)
        , m_answered(std::move(answered))
    {
        pa_context_set_state_callback(m_context, &ServerProbe::onState, this);
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            answer(false); // an address that cannot be used
        pa_threaded_mainloop_start(m_loop);
    }
    ~ServerProbe()
    {
        pa_threaded_mainloop_stop(m_loop);
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        pa_threaded_mainloop_free(m_loop);
    }

private:
    static void onState(pa_context *context, void *probe)
    {
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state))
            static_cast<ServerProbe *>(probe)->answer(state == PA_CONTEXT_READY);
    }
    void answer(bool usable)
    {
        if (!std::exchange(m_gaveAnswer, true))
            QMetaObject::invokeMethod(
                m_receiver, [answered = m_answered, usable] { answered(usable); },
                Qt::QueuedConnection);
    }

    pa_threaded_mainloop *const m_loop;
    pa_context *const m_context;
    QObject *const m_receiver;
    const std::function<void(bool)> m_answered;
    bool m_gaveAnswer = false;
};

Playback::Playback(const QByteArray &image, const SoundRequest &request, QObject *parent)
    : QObject(parent)
    , m_image(image)
    , m_request(request)
{
    m_samples.setData(QByteArray::fromRawData(m_image.constData() + request.clip.dataOffset,
                                              request.clip.dataSize));
    m_samples.open(QIODevice::ReadOnly);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &Playback::stop);
}

void Playback::stop()
{
    m_deadline.stop();
    if (!std::exchange(m_finished, true))
        emit finished();
}

SoundOutput::SoundOutput(QObject *parent)
    : QObject(parent)
{
    m_backendHome.moveToThread(&m_backendThread);
}

// The playback still going goes with the children, its sink with it.
SoundOutput::~SoundOutput()
{
    m_probe.reset();
    m_backendThread.quit();
    m_backendThread.wait();
}

void SoundOutput::playSound(const QByteArray &image, int flags)
{
    if (m_playing)
        m_playing->stop();
    const SoundRequest request = soundRequest(image, flags);
    if (request.action == SoundRequest::PlayDefaultSound)
        QApplication::beep();
    if (request.action != SoundRequest::PlayClip)
        return;
    auto *playback = m_playing = new Playback(image, request, this);
    connect(playback, &Playback::finished, this, [this, playback] {
        if (m_playing == playback)
            m_playing = nullptr;
        playback->deleteLater();
    });
    playback->endIn(clipMilliseconds(request.clip)); // started by then, or never
    if (m_server == Server::Usable) {
        start();
    } else if (m_server == Server::Unknown) {
        m_server = Server::Asking;
        askServer();
    }
    if (!request.synchronous || m_playing != playback)
        return;
    // Until the clip has ended. The window repaints meanwhile but takes no input.
    QEventLoop wait;
    connect(playback, &Playback::finished, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
}

void SoundOutput::serverAnswered(bool usable)
{
    m_server = usable ? Server::Usable : Server::Unknown;
    if (usable)
        start();
    else if (m_playing) // nothing will play it
        m_playing->stop();
}

void SoundOutput::start()
{
    // A sink that fails may have finished the playback already: it stays until deleted later.
    Playback *const playback = m_playing;
    if (playback && startSink(*playback))
        playback->endIn(clipMilliseconds(playback->request().clip) + SafetyMarginMs);
    else if (playback)
        playback->stop();
}

void SoundOutput::askServer()
{
    m_probe = std::make_unique<ServerProbe>(this, [this](bool answered) {
        m_probe.reset();
        if (!answered)
            return serverAnswered(false);
        m_backendThread.start();
        QMetaObject::invokeMethod(&m_backendHome, [this] {
            const bool usable = !QMediaDevices::defaultAudioOutput().isNull();
            QMetaObject::invokeMethod(this, [this, usable] { serverAnswered(usable); });
        });
    });
}

bool SoundOutput::startSink(Playback &playback)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;
    const WaveFormat &wave = playback.request().clip.format;
    QAudioFormat format;
    format.setSampleRate(int(wave.samplesPerSecond));
    format.setChannelCount(wave.channels);
    format.setSampleFormat(wave.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    auto *sink = new QAudioSink(device, format, &playback);
    connect(&playback, &Playback::finished, sink, &QAudioSink::stop);
    connect(sink, &QAudioSink::stateChanged, &playback, [&playback, sink](QAudio::State state) {
        // Idle at the end means handed to the server, not heard: wait out the
        // buffer. An underrun on a busy machine is idle too, with bytes left.
        if (state == QAudio::IdleState && playback.samples()->atEnd())
            playback.endIn(sink->format().durationForBytes(int(sink->bufferSize())) / 1000 +
                           DrainMarginMs);
        else if (state == QAudio::StoppedState) // the server went, or the stream failed
            playback.stop();
    });
    sink->start(playback.samples());
    return sink->error() == QAudio::NoError && sink->state() != QAudio::StoppedState;
}

SoundOutput &soundOutput()
{
    auto *output = qApp->findChild<SoundOutput *>(QString(), Qt::FindDirectChildrenOnly);
    return output ? *output : *new SoundOutput(qApp);
}

} // namespace platform
