// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundOutput.h"

#include <QApplication>
#include <QAudioSink>
#include <QEventLoop>
#include <QMediaDevices>
#ifdef LEVRUN_PULSE
#include <pulse/pulseaudio.h>
#endif
namespace platform {

#ifdef LEVRUN_PULSE
// Asked before Qt's PulseAudio backend meets the server: that waits where nothing can
// stop it, 30 s for a server that never answers. This wait ends when the thread is told to.
static bool serverAnswers(const QThread &thread)
{
    pa_mainloop *const loop = pa_mainloop_new();
    pa_context *const context = pa_context_new(pa_mainloop_get_api(loop), "Levrun");
    bool waiting = pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0;
    while (waiting && pa_context_get_state(context) != PA_CONTEXT_READY)
        waiting = PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) &&
                  !thread.isInterruptionRequested() && pa_mainloop_prepare(loop, 100'000) >= 0 &&
                  pa_mainloop_poll(loop) >= 0 && pa_mainloop_dispatch(loop) >= 0;
    const bool answered = pa_context_get_state(context) == PA_CONTEXT_READY;
    pa_context_unref(context); // disconnects
    pa_mainloop_free(loop);
    return answered;
}
#else
const auto serverAnswers = [](const QThread &) { return true; }; // other backends wait for none
#endif

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
        m_playing = m_playing == playback ? nullptr : m_playing;
        playback->deleteLater();
    });
    playback->endIn(clipMilliseconds(request.clip)); // started by then, or never
    if (m_server == Server::Usable)
        serverAnswered(true);
    else if (std::exchange(m_server, Server::Asking) == Server::Unknown)
        askServer();
    if (!request.synchronous || m_playing != playback)
        return;
    QEventLoop wait; // until it has ended: the window repaints, but takes no input
    connect(playback, &Playback::finished, &wait, &QEventLoop::quit);
    wait.exec(QEventLoop::ExcludeUserInputEvents);
}

void SoundOutput::serverAnswered(bool usable)
{
    m_server = usable ? Server::Usable : Server::Unknown;
    // Started, it ends 2 s after its length at the latest (a failed sink may have ended it).
    if (Playback *const playback = m_playing; playback && usable && startSink(*playback))
        playback->endIn(clipMilliseconds(playback->request().clip) + 2000);
    else if (playback)
        playback->stop();
}

void SoundOutput::askServer()
{
    if (!m_backendThread.isRunning()) // the first question
        m_backendHome.moveToThread(&m_backendThread), m_backendThread.start();
    QMetaObject::invokeMethod(&m_backendHome, [this] {
        // Qt connects twice, for its devices and for its sinks: both here. A sink
        // without a format stops before it has a stream.
        const QAudioDevice device =
            serverAnswers(m_backendThread) ? QMediaDevices::defaultAudioOutput() : QAudioDevice();
        if (QBuffer nothing; !device.isNull())
            QAudioSink(device, QAudioFormat()).start(&nothing);
        QMetaObject::invokeMethod(this, [this, device] { serverAnswered(!device.isNull()); });
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
        // Idle at the end: the buffer, and the server's (60 ms), are still to be heard.
        if (state == QAudio::IdleState && playback.samples()->atEnd())
            playback.endIn(sink->format().durationForBytes(int(sink->bufferSize())) / 1000 + 60);
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
