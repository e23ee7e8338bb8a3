#include "platform/SoundOutput.h"

#include <QApplication>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QEventLoop>
#include <QMediaDevices>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace platform {

namespace {

// What is still buffered when the sink has handed over its last bytes is heard
// after that; this much is added to the sink's own buffer for the server's.
constexpr int DrainMarginMs = 60;
// However the sink behaves, a clip ends this long after its own length.
constexpr int SafetyMarginMs = 2000;

// QAudioSink on the default output, pulling the samples straight from the image.
class QtSoundOutput final : public SoundOutput
{
public:
    QtSoundOutput();
    ~QtSoundOutput() override;

    bool playSound(QByteArrayView image, int flags) override;
    void stop() override;

private:
    void onStateChanged(QAudio::State state);

    QObject m_context; // receives the sink's signals; gone with the sink's connections
    QPointer<QAudioSink> m_sink;
    QByteArray m_samples; // raw view of the image's data chunk, never a copy
    QBuffer m_reader;
    QTimer m_drain;  // the tail still buffered after the last bytes went out
    QTimer m_safety; // bound on a clip that never reports its end
    QEventLoop *m_wait = nullptr;
};

QtSoundOutput::QtSoundOutput()
{
    m_drain.setSingleShot(true);
    m_safety.setSingleShot(true);
    QObject::connect(&m_drain, &QTimer::timeout, &m_context, [this] { stop(); });
    QObject::connect(&m_safety, &QTimer::timeout, &m_context, [this] { stop(); });
}

QtSoundOutput::~QtSoundOutput()
{
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

    if (!request.synchronous)
        return true;
    // The window repaints meanwhile but takes no input.
    QEventLoop wait;
    m_wait = &wait;
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    if (m_wait == &wait)
        m_wait = nullptr;
    return true;
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

} // namespace platform
