#include "TestSupport.h"
#include "WAVRes.h"

#include <QtTest>

using namespace testsupport;

namespace {

constexpr int Rate = 8000;
// The recorded length may differ from the clip's by this much.
constexpr double Tolerance = 0.15;

// Records what the null sink of tests/with-pulse plays, through parec, as
// unsigned 8-bit mono samples: sample i was heard i/8000 s after the first.
class SoundRecorder
{
public:
    SoundRecorder()
    {
        // Without the short latency most of the recording is lost when parec stops.
        m_parec.start("parec", {"--device=null.monitor", "--rate=8000", "--channels=1",
                                "--format=u8", "--latency-msec=10", "--raw"});
    }
    ~SoundRecorder()
    {
        m_parec.terminate();
        m_parec.waitForFinished(3000);
    }

    qsizetype recorded() { return (m_samples += m_parec.readAllStandardOutput()).size(); }

    // The first and last sample that is not silence (128, give or take the
    // server's resampling noise); last < first while all is silence.
    std::pair<qsizetype, qsizetype> sound()
    {
        recorded();
        const auto isSound = [](char sample) { return qAbs(int(uchar(sample)) - 128) > 4; };
        const auto first = std::find_if(m_samples.begin(), m_samples.end(), isSound);
        const auto last = std::find_if(m_samples.rbegin(), m_samples.rend(), isSound);
        return {first - m_samples.begin(), m_samples.rend() - last - 1};
    }
    double seconds() { return double(sound().second - sound().first + 1) / Rate; }
    // Until something has been heard and half a second of silence follows it;
    // QTRY runs the event loop meanwhile, which feeds the sound output.
    bool quiet() { return seconds() > 0 && recorded() - sound().second > Rate / 2; }

private:
    QProcess m_parec;
    QByteArray m_samples;
};

} // namespace

// Real playback into the null sink of tests/with-pulse, recorded as it is heard.
class tst_SoundPulse : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setUpApplication();
        QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "run through tests/with-pulse");
    }
    void init() { clearLog(); }
    void cleanup() { QCOMPARE(logLines(), QStringList()); }

    void synchronousClipIsHeardWholeBeforeItReturns()
    {
        const double length = 18357.0 / Rate; // the exit clip's samples
        SoundRecorder recorder;
        QTRY_VERIFY_WITH_TIMEOUT(recorder.recorded() > 0, 10000);
        QElapsedTimer call;
        call.start();
        PlayWaveRes("WAV2");
        const double returnedAfter = call.elapsed() / 1000.0;
        const qsizetype recordedAtReturn = recorder.recorded();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.quiet(), 10000);
        const double heard = recorder.seconds();
        qInfo("WAV2 heard for %.3f s; PlayWaveRes returned after %.3f s", heard, returnedAfter);
        QVERIFY2(qAbs(heard - length) <= Tolerance, qPrintable(QString::number(heard)));
        // Its end had been heard when the call returned (give or take parec's own 50 ms).
        QVERIFY(recorder.sound().second < recordedAtReturn + Rate / 20);
        QVERIFY(returnedAfter >= heard);
    }

    void asynchronousClipIsCutOffByTheNext()
    {
        const double first = 29516.0 / Rate, second = 9387.0 / Rate; // About box OK, then Play
        SoundRecorder recorder;
        QTRY_VERIFY_WITH_TIMEOUT(recorder.recorded() > 0, 10000);
        QElapsedTimer call;
        call.start();
        PlayWaveRes("WAV5", 1);
        QVERIFY(call.elapsed() < 1500); // returned at once, well before the clip's 3.7 s
        QTRY_VERIFY_WITH_TIMEOUT(recorder.seconds() > 0.5, 5000);
        const double alone = recorder.seconds();
        PlayWaveRes("WAV3");
        QTRY_VERIFY_WITH_TIMEOUT(recorder.quiet(), 10000);
        // Some of the first clip, then the whole second one; not the first to its end.
        const double heard = recorder.seconds();
        qInfo("WAV5 for %.3f s, cut off by WAV3: sound for %.3f s", alone, heard);
        QVERIFY2(heard >= alone + second - Tolerance, qPrintable(QString::number(heard)));
        QVERIFY2(heard < first, qPrintable(QString::number(heard)));
    }
};

QTEST_MAIN(tst_SoundPulse)
#include "tst_sound_pulse.moc"
