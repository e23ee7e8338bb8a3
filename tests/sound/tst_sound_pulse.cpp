#include "TestSupport.h"
#include "WAVRes.h"
#include "platform/Resources.h"
#include "platform/RiffWave.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

using namespace testsupport;

namespace {

// Records what the null sink of tests/with-pulse plays, through parec, as
// unsigned 8-bit mono samples: sample i was heard i/8000 s after the first.
class SoundRecorder
{
public:
    static constexpr int Rate = 8000;

    ~SoundRecorder()
    {
        m_parec.terminate();
        m_parec.waitForFinished(3000);
    }

    // True once samples flow.
    bool start()
    {
        // Without the short latency most of the recording is lost when parec stops.
        m_parec.start(QStringLiteral("parec"),
                      {"--device=null.monitor", "--rate=8000", "--channels=1", "--format=u8",
                       "--latency-msec=10", "--raw"});
        QElapsedTimer waited;
        waited.start();
        while (m_parec.state() != QProcess::NotRunning && waited.elapsed() < 10000) {
            m_parec.waitForReadyRead(100);
            if (!m_parec.readAllStandardOutput().isEmpty())
                return true;
        }
        return false;
    }

    const QByteArray &samples()
    {
        m_samples += m_parec.readAllStandardOutput();
        return m_samples;
    }

    // The first and last sample that is not silence (128, give or take the
    // server's resampling noise).
    struct Span
    {
        qsizetype first = 0;
        qsizetype last = 0;
        double seconds() const { return double(last - first + 1) / Rate; }
    };
    std::optional<Span> soundSpan()
    {
        const auto isSound = [](char sample) { return qAbs(int(uchar(sample)) - 128) > 4; };
        const QByteArray &all = samples();
        const auto first = std::find_if(all.begin(), all.end(), isSound);
        if (first == all.end())
            return std::nullopt;
        const auto last = std::find_if(all.rbegin(), all.rend(), isSound);
        return Span{first - all.begin(), all.rend() - last - 1};
    }

    // Waits, with the event loop running so that the sound output is fed, until
    // something is heard, or until quietMs of silence follow the last sound.
    bool waitForSound(int timeoutMs)
    {
        return waitFor(timeoutMs, [this] { return soundSpan(); });
    }
    bool waitForQuiet(int quietMs, int timeoutMs)
    {
        return waitFor(timeoutMs, [&] {
            const std::optional<Span> span = soundSpan();
            return span && m_samples.size() - 1 - span->last >= qsizetype(quietMs) * Rate / 1000;
        });
    }

private:
    template <typename Condition>
    bool waitFor(int timeoutMs, Condition condition)
    {
        QElapsedTimer waited;
        waited.start();
        while (!condition()) {
            if (waited.elapsed() > timeoutMs)
                return false;
            QTest::qWait(20);
        }
        return true;
    }

    QProcess m_parec;
    QByteArray m_samples;
};

// How long a clip lasts, from its own header.
double clipSeconds(const QString &name)
{
    const QByteArray bytes = platform::loadResource(QStringLiteral("WAVE"), name);
    const std::optional<platform::RiffWave> wave = platform::readRiffWave(bytes);
    return wave ? double(wave->dataSize) / wave->format.bytesPerSecond : 0.0;
}

// The recorded length may differ from the clip's by this much.
constexpr double LengthTolerance = 0.15;
// parec's own latency, and the pipe: how far the recording lags behind the sink.
constexpr double RecorderLag = 0.05;

QString describe(const char *what, double seconds, double expected)
{
    return QStringLiteral("%1: %2 s, expected %3 s").arg(what).arg(seconds).arg(expected);
}

} // namespace

// Real playback into the null sink of tests/with-pulse, recorded as it is heard.
class tst_SoundPulse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { clearLog(); }
    void cleanup() { QCOMPARE(logLines(), QStringList()); }

    void synchronousClipIsHeardWholeBeforeItReturns();
    void asynchronousClipReturnsAtOnceAndPlaysOn();
    void secondRequestCutsTheFirstOff();
};

void tst_SoundPulse::initTestCase()
{
    setUpApplication();
    QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "run through tests/with-pulse");
}

void tst_SoundPulse::synchronousClipIsHeardWholeBeforeItReturns()
{
    const double length = clipSeconds(QStringLiteral("WAV2"));
    QCOMPARE(length, 18357 / 8000.0);
    SoundRecorder recorder;
    QVERIFY(recorder.start());
    QElapsedTimer call;
    call.start();
    PlayWaveRes(QStringLiteral("WAV2"));
    const double returnedAfter = call.elapsed() / 1000.0;
    const qsizetype recordedAtReturn = recorder.samples().size();
    QVERIFY(recorder.waitForQuiet(500, 5000));

    const auto span = recorder.soundSpan();
    QVERIFY(span);
    qInfo("WAV2 heard for %.3f s; PlayWaveRes returned after %.3f s", span->seconds(),
          returnedAfter);
    QVERIFY2(qAbs(span->seconds() - length) <= LengthTolerance,
             qPrintable(describe("heard", span->seconds(), length)));
    // Its end had been heard when the call returned.
    QVERIFY2(span->last < recordedAtReturn + qsizetype(RecorderLag * SoundRecorder::Rate),
             qPrintable(QStringLiteral("sound until sample %1, returned at sample %2")
                            .arg(span->last)
                            .arg(recordedAtReturn)));
    QVERIFY(returnedAfter >= span->seconds());
}

void tst_SoundPulse::asynchronousClipReturnsAtOnceAndPlaysOn()
{
    const double length = clipSeconds(QStringLiteral("WAV5"));
    SoundRecorder recorder;
    QVERIFY(recorder.start());
    QElapsedTimer call;
    call.start();
    PlayWaveRes(QStringLiteral("WAV5"), 1);
    const double returnedAfter = call.elapsed() / 1000.0;
    const qsizetype recordedAtReturn = recorder.samples().size();
    QVERIFY2(returnedAfter < length / 2, qPrintable(describe("returned", returnedAfter, 0)));
    QVERIFY(recorder.waitForQuiet(500, int(length * 1000) + 5000));

    const auto span = recorder.soundSpan();
    QVERIFY(span);
    qInfo("WAV5 heard for %.3f s; PlayWaveRes returned after %.3f s", span->seconds(),
          returnedAfter);
    QVERIFY2(qAbs(span->seconds() - length) <= LengthTolerance,
             qPrintable(describe("heard", span->seconds(), length)));
    // Most of it was heard after the call had returned.
    QVERIFY(span->last - recordedAtReturn > qsizetype(length / 2 * SoundRecorder::Rate));
}

void tst_SoundPulse::secondRequestCutsTheFirstOff()
{
    const double first = clipSeconds(QStringLiteral("WAV5"));
    const double second = clipSeconds(QStringLiteral("WAV3"));
    const double playedAlone = 0.5;
    SoundRecorder recorder;
    QVERIFY(recorder.start());
    PlayWaveRes(QStringLiteral("WAV5"), 1);
    QVERIFY(recorder.waitForSound(5000));
    QTest::qWait(int(playedAlone * 1000));
    PlayWaveRes(QStringLiteral("WAV3"));
    QVERIFY(recorder.waitForQuiet(500, 5000));

    const auto span = recorder.soundSpan();
    QVERIFY(span);
    qInfo("WAV5 cut off by WAV3: sound for %.3f s", span->seconds());
    // Some of the first clip, then the whole second one; not the first to its end.
    QVERIFY2(span->seconds() >= playedAlone + second - LengthTolerance,
             qPrintable(describe("heard", span->seconds(), playedAlone + second)));
    QVERIFY2(span->seconds() < first - playedAlone,
             qPrintable(describe("heard", span->seconds(), playedAlone + second)));
}

QTEST_MAIN(tst_SoundPulse)
#include "tst_sound_pulse.moc"
