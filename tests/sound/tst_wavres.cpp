#include "TestSupport.h"
#include "WAVRes.h"
#include "platform/ErrorCatalogue.h"
#include "platform/Resources.h"
#include "platform/RiffWave.h"
#include "platform/SoundOutput.h"

#include <QTest>
#include <QtEndian>

using namespace testsupport;

namespace {

// Stands in for the sound output: remembers what it was asked to play.
class FakeOutput : public platform::SoundOutput
{
public:
    struct Request
    {
        QByteArray image;
        int flags;
    };

    bool playSound(QByteArrayView image, int flags) override
    {
        requests.append({image.toByteArray(), flags});
        return true;
    }
    void stop() override {}

    QList<Request> requests;
};

QByteArray clipBytes(const QString &name)
{
    return platform::loadResource(QStringLiteral("WAVE"), name);
}

const QString WavLabel = QStringLiteral(", WAVRes, PlayWaveRes, ");

} // namespace

class tst_WAVRes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { platform::setSoundOutput(nullptr); }

    // First: it needs the program's state before any clip has been loaded.
    void missingClipWithNothingLoadedIsSilent();
    void effectiveFlags_data();
    void effectiveFlags();
    void missingClipReplaysThePreviousOne_data();
    void missingClipReplaysThePreviousOne();
    void clipsAreWaveResources_data();
    void clipsAreWaveResources();
    void clipNamesIgnoreLetterCase();

private:
    FakeOutput m_output;
};

void tst_WAVRes::initTestCase()
{
    setUpApplication();
    platform::setSoundOutput(&m_output);
}

void tst_WAVRes::init()
{
    clearLog();
    m_output.requests.clear();
}

void tst_WAVRes::missingClipWithNothingLoadedIsSilent()
{
    PlayWaveRes(QStringLiteral("WAV9"), 1);
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(labelOf(lines[0]), WavLabel);
    QCOMPARE(messageOf(lines[0]), platform::errorMessage(platform::ResourceNotFound));
    QCOMPARE(labelOf(lines[1]), WavLabel);
    QCOMPARE(messageOf(lines[1]), QStringLiteral("Subscript out of range"));
    QCOMPARE(m_output.requests.size(), 0);
}

void tst_WAVRes::effectiveFlags_data()
{
    QTest::addColumn<bool>("given");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("effective");
    QTest::newRow("left out: synchronous, silent on failure") << false << 0 << 6;
    QTest::newRow("1: asynchronous") << true << 1 << 5;
    QTest::newRow("4 stays as it is") << true << 4 << 4;
    QTest::newRow("explicit 0 is not left out") << true << 0 << 4;
    QTest::newRow("2 gains only the memory bit") << true << 2 << 6;
    QTest::newRow("5 stays as it is") << true << 5 << 5;
    QTest::newRow("other bits are kept") << true << 0x2001 << 0x2005;
}

void tst_WAVRes::effectiveFlags()
{
    QFETCH(bool, given);
    QFETCH(int, flags);
    QFETCH(int, effective);
    if (given)
        PlayWaveRes(QStringLiteral("WAV3"), flags);
    else
        PlayWaveRes(QStringLiteral("WAV3"));
    QCOMPARE(m_output.requests.size(), 1);
    QCOMPARE(m_output.requests[0].flags, effective);
    QCOMPARE(m_output.requests[0].image, clipBytes(QStringLiteral("WAV3")));
    QCOMPARE(logLines(), QStringList());
}

void tst_WAVRes::missingClipReplaysThePreviousOne_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("WAV7") << "WAV7";
    QTest::newRow("empty name") << "";
    QTest::newRow("file name of a clip") << "WAV1.wav";
    QTest::newRow("path to a picture") << "../pictures/levrun.png";
    QTest::newRow("the folder of the clips") << "/";
}

void tst_WAVRes::missingClipReplaysThePreviousOne()
{
    QFETCH(QString, name);
    PlayWaveRes(QStringLiteral("WAV4"), 1);
    PlayWaveRes(name);
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 1);
    QCOMPARE(labelOf(lines[0]), WavLabel);
    QCOMPARE(messageOf(lines[0]), platform::errorMessage(platform::ResourceNotFound));
    // The clip loaded before, with this call's flags.
    QCOMPARE(m_output.requests.size(), 2);
    QCOMPARE(m_output.requests[1].image, clipBytes(QStringLiteral("WAV4")));
    QCOMPARE(m_output.requests[1].flags, 6);
}

void tst_WAVRes::clipsAreWaveResources_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("resourceSize");
    QTest::addColumn<int>("riffLength");
    QTest::addColumn<int>("sampleBytes");
    QTest::newRow("WAV1 Refresh") << "WAV1" << 22324 << 22314 << 22277;
    QTest::newRow("WAV2 Exit") << "WAV2" << 18404 << 18394 << 18357;
    QTest::newRow("WAV3 Play") << "WAV3" << 9432 << 9424 << 9387;
    QTest::newRow("WAV4 About") << "WAV4" << 11400 << 11392 << 11356;
    QTest::newRow("WAV5 About box OK") << "WAV5" << 29560 << 29552 << 29516;
    QTest::newRow("WAV6 start-up") << "WAV6" << 12744 << 12734 << 12698;
}

void tst_WAVRes::clipsAreWaveResources()
{
    QFETCH(QString, name);
    QFETCH(int, resourceSize);
    QFETCH(int, riffLength);
    QFETCH(int, sampleBytes);
    const QByteArray bytes = clipBytes(name);
    QCOMPARE(bytes.size(), resourceSize);
    QVERIFY(bytes.startsWith("RIFF"));
    QCOMPARE(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(riffLength));

    const std::optional<platform::RiffWave> wave = platform::readRiffWave(bytes);
    QVERIFY(wave);
    QCOMPARE(wave->format.formatTag, 1);
    QCOMPARE(wave->format.channels, 1);
    QCOMPARE(wave->format.samplesPerSecond, 8000u);
    QCOMPARE(wave->format.bytesPerSecond, 8000u);
    QCOMPARE(wave->format.blockAlign, 1);
    QCOMPARE(wave->format.bitsPerSample, 8);
    // "fmt " of 16 bytes, then "data", then its pad byte when odd.
    QCOMPARE(bytes.mid(12, 8), QByteArray("fmt \x10\0\0\0", 8));
    QCOMPARE(bytes.mid(36, 4), QByteArray("data"));
    QCOMPARE(wave->dataOffset, 44);
    QCOMPARE(wave->dataSize, sampleBytes);
    QCOMPARE(8 + riffLength, 44 + sampleBytes + sampleBytes % 2);

    PlayWaveRes(name, 1);
    QCOMPARE(m_output.requests.size(), 1);
    QCOMPARE(m_output.requests[0].image, bytes);
    QCOMPARE(logLines(), QStringList());
}

void tst_WAVRes::clipNamesIgnoreLetterCase()
{
    PlayWaveRes(QStringLiteral("wav3"), 1);
    QCOMPARE(logLines(), QStringList());
    QCOMPARE(m_output.requests.size(), 1);
    QCOMPARE(m_output.requests[0].image, clipBytes(QStringLiteral("WAV3")));
}

QTEST_MAIN(tst_WAVRes)
#include "tst_wavres.moc"
