#include "TestSupport.h"
#include "WAVRes.h"
#include "platform/Resources.h"
#include "platform/RiffWave.h"
#include "platform/SoundOutput.h"
#include "platform/SoundRequest.h"

#include <QtTest>

using namespace testsupport;

namespace {

// Stands in for the sound output: remembers what it was asked to play.
class FakeOutput : public platform::SoundOutput
{
public:
    bool playSound(QByteArrayView image, int flags) override
    {
        requests.append({image.toByteArray(), flags});
        return true;
    }
    void stop() override {}

    QList<std::pair<QByteArray, int>> requests; // image, flags
};

QByteArray clip(const QString &name)
{
    return platform::loadResource("WAVE", name);
}

// A little-endian field of the given width.
QByteArray le(quint32 value, int bytes)
{
    QByteArray field;
    for (int i = 0; i < bytes; ++i)
        field += char(value >> (8 * i));
    return field;
}

// One chunk; an odd body gets its pad byte unless told otherwise.
QByteArray chunk(const char *id, const QByteArray &body, bool pad = true)
{
    return id + le(quint32(body.size()), 4) + body + QByteArray(pad ? body.size() % 2 : 0, '\0');
}

// 8-bit mono PCM at 8000 samples a second.
QByteArray fmt()
{
    return chunk("fmt ", le(1, 2) + le(1, 2) + le(8000, 4) + le(8000, 4) + le(1, 2) + le(8, 2));
}

QByteArray data(int samples)
{
    return chunk("data", QByteArray(samples, char(200)));
}

// A RIFF WAVE form around the chunks; lengthDelta falsifies its length field.
QByteArray riff(const QByteArray &chunks, int lengthDelta = 0)
{
    return "RIFF" + le(quint32(4 + chunks.size() + lengthDelta), 4) + "WAVE" + chunks;
}

const QString NotFound = ", WAVRes, PlayWaveRes, Resource with this identifier not found";

} // namespace

class tst_WAVRes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setUpApplication();
        platform::setSoundOutput(&m_output);
    }
    void init()
    {
        clearLog();
        m_output.requests.clear();
    }

    // First: it needs the program's state before any clip has been loaded.
    void missingClipWithNothingLoadedIsSilent()
    {
        PlayWaveRes("WAV9", 1);
        QCOMPARE(logged(),
                 QStringList({NotFound, ", WAVRes, PlayWaveRes, Subscript out of range"}));
        QCOMPARE(m_output.requests.size(), 0);
    }

    // Each request follows one for WAV4.
    void requests_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::optional<int>>("flags");
        QTest::addColumn<QString>("played");
        QTest::addColumn<int>("effective");
        QTest::addColumn<QStringList>("logged");
        const std::optional<int> leftOut;
        QTest::newRow("left out: synchronous, silent on failure")
            << "WAV3" << leftOut << "WAV3" << 6 << QStringList();
        QTest::newRow("1: asynchronous")
            << "WAV3" << std::optional(1) << "WAV3" << 5 << QStringList();
        QTest::newRow("4 stays as it is")
            << "WAV3" << std::optional(4) << "WAV3" << 4 << QStringList();
        QTest::newRow("explicit 0 is not left out")
            << "WAV3" << std::optional(0) << "WAV3" << 4 << QStringList();
        QTest::newRow("name in lower case")
            << "wav3" << std::optional(1) << "WAV3" << 5 << QStringList();
        QTest::newRow("missing clip: the one before")
            << "WAV7" << leftOut << "WAV4" << 6 << QStringList{NotFound};
        QTest::newRow("a picture is no clip")
            << "../pictures/levrun.png" << leftOut << "WAV4" << 6 << QStringList{NotFound};
    }

    void requests()
    {
        QFETCH(QString, name);
        QFETCH(std::optional<int>, flags);
        QFETCH(QString, played);
        QFETCH(int, effective);
        QFETCH(QStringList, logged);
        PlayWaveRes("WAV4", 1);
        PlayWaveRes(name, flags);
        QCOMPARE(m_output.requests.size(), 2);
        QCOMPARE(m_output.requests[1], std::pair(clip(played), effective));
        QCOMPARE(testsupport::logged(), logged);
    }

    void readsTheSamples_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<int>("offset"); // of the samples; -1: cannot be played
        QTest::addColumn<int>("size");
        QTest::newRow("odd data chunk with its pad byte") << riff(fmt() + data(5)) << 44 << 5;
        QTest::newRow("a chunk-like tail after the form is not read")
            << riff(fmt() + data(6)) + data(100) << 44 << 6;
        QTest::newRow("odd unknown chunk skipped with its pad byte")
            << riff(chunk("LIST", "abc") + fmt() + data(4)) << 56 << 4;
        QTest::newRow("chunk length past the form") << riff(fmt() + data(4), -1) << -1 << 0;
        QTest::newRow("chunk length of 4 GiB")
            << riff(fmt() + data(4)).replace(40, 4, le(0xffffffff, 4)) << -1 << 0;
        QTest::newRow("odd chunk without its pad byte hides the data")
            << riff(chunk("LIST", "abc", false) + fmt() + data(4)) << -1 << 0;
    }

    void readsTheSamples()
    {
        QFETCH(QByteArray, image);
        QFETCH(int, offset);
        QFETCH(int, size);
        // In a buffer of its exact size, so that a sanitizer sees any stray read.
        const std::unique_ptr<char[]> exact(new char[size_t(image.size())]);
        std::copy(image.begin(), image.end(), exact.get());
        const QByteArrayView bytes(exact.get(), image.size());
        const auto wave = platform::readRiffWave(bytes);
        QCOMPARE(wave.has_value(), offset >= 0);
        if (wave) {
            QCOMPARE(wave->dataOffset, offset);
            QCOMPARE(wave->dataSize, size);
            QCOMPARE(image.mid(offset, size), QByteArray(size, char(200)));
        }
    }

private:
    FakeOutput m_output;
};

QTEST_MAIN(tst_WAVRes)
#include "tst_wavres.moc"
