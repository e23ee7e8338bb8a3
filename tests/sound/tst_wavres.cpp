// The clip each request plays and with which flags, and the RIFF WAVE reader on
// made-up images and on every input the fuzzer started from or broke it with.
#include "RiffWaveCheck.h"
#include "TestSupport.h"
#include "WAVRes.h"

#include <QtTest>

using namespace testsupport;

namespace {

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

// 8-bit mono PCM at 8000 samples a second, as the clips are.
const QByteArray Fmt =
    chunk("fmt ", le(1, 2) + le(1, 2) + le(8000, 4) + le(8000, 4) + le(1, 2) + le(8, 2));

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
    void initTestCase() { setUpApplication(); }
    void init()
    {
        clearLog();
        soundRequests().clear();
    }

    // First: it needs the program's state before any clip has been loaded.
    void missingClipWithNothingLoadedIsSilent()
    {
        PlayWaveRes("WAV9", 1);
        QCOMPARE(logged(),
                 QStringList({NotFound, ", WAVRes, PlayWaveRes, Subscript out of range"}));
        QCOMPARE(soundRequests(), QStringList());
    }

    // Each request follows one for WAV4; the flags shown are those besides "in memory".
    void requests_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<std::optional<int>>("flags");
        QTest::addColumn<QString>("played");
        QTest::addColumn<QStringList>("logged");
        const std::optional<int> leftOut;
        QTest::newRow("left out: synchronous, silent")
            << "WAV3" << leftOut << "WAV3" << QStringList();
        QTest::newRow("1: asynchronous") << "WAV3" << std::optional(1) << "WAV3 1" << QStringList();
        QTest::newRow("4 stays as it is")
            << "WAV3" << std::optional(4) << "WAV3 0" << QStringList();
        QTest::newRow("explicit 0 is not left out")
            << "WAV3" << std::optional(0) << "WAV3 0" << QStringList();
        QTest::newRow("name in lower case")
            << "wav3" << std::optional(1) << "WAV3 1" << QStringList();
        QTest::newRow("missing clip: the one before")
            << "WAV7" << leftOut << "WAV4" << QStringList{NotFound};
        QTest::newRow("a picture is no clip")
            << "../pictures/levrun.png" << leftOut << "WAV4" << QStringList{NotFound};
    }

    void requests()
    {
        QFETCH(QString, name);
        QFETCH(std::optional<int>, flags);
        QFETCH(QString, played);
        QFETCH(QStringList, logged);
        PlayWaveRes("WAV4", 1);
        PlayWaveRes(name, flags);
        QCOMPARE(soundRequests(), QStringList({"WAV4 1", played}));
        QCOMPARE(testsupport::logged(), logged);
    }

    void reader_data()
    {
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<int>("offset"); // of the samples, -1 when not known here
        QTest::addColumn<int>("size");
        QTest::newRow("odd data chunk with its pad byte") << riff(Fmt + data(5)) << true << 44 << 5;
        QTest::newRow("a chunk-like tail after the form is not read")
            << riff(Fmt + data(6)) + data(100) << true << 44 << 6;
        QTest::newRow("odd unknown chunk skipped with its pad byte")
            << riff(chunk("LIST", "abc") + Fmt + data(4)) << true << 56 << 4;
        QTest::newRow("chunk length past the form") << riff(Fmt + data(4), -1) << false << -1 << 0;
        QTest::newRow("chunk length of 4 GiB")
            << riff(Fmt + data(4)).replace(40, 4, le(0xffffffff, 4)) << false << -1 << 0;
        QTest::newRow("odd chunk without its pad byte hides the data")
            << riff(chunk("LIST", "abc", false) + Fmt + data(4)) << false << -1 << 0;
        // The clips (their sample counts as shipped), then what fuzz/ holds.
        const QList<int> clipSizes{22277, 18357, 9387, 11356, 29516, 12698};
        for (const QString folder : {"corpus", "crashes"}) {
            const QDir dir(QStringLiteral(LEVRUN_FUZZ_DIR "/") + folder);
            for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
                QFile file(dir.filePath(name));
                QVERIFY(file.open(QIODevice::ReadOnly));
                const int clip = name.startsWith("WAV") ? name.mid(3, 1).toInt() : 0;
                QTest::newRow(qPrintable(folder + '/' + name))
                    << file.readAll() << !name.startsWith("bad-") << (clip ? 44 : -1)
                    << (clip ? clipSizes.value(clip - 1) : 0);
            }
        }
    }

    void reader()
    {
        QFETCH(QByteArray, image);
        QFETCH(bool, readable);
        QFETCH(int, offset);
        QFETCH(int, size);
        // In a buffer of its exact size, so that a sanitizer sees any stray read.
        const std::vector<unsigned char> exact(image.begin(), image.end());
        const char *broken = riffWaveBroken(exact.data(), exact.size());
        QVERIFY2(!broken, broken);
        const auto wave = platform::readRiffWave(
            QByteArrayView(reinterpret_cast<const char *>(exact.data()), image.size()));
        QCOMPARE(wave.has_value(), readable);
        if (wave && offset >= 0) {
            QCOMPARE(wave->dataOffset, offset);
            QCOMPARE(wave->dataSize, size);
            QCOMPARE(wave->format.samplesPerSecond, 8000u);
            QCOMPARE(wave->format.channels, quint16(1));
            QCOMPARE(wave->format.bitsPerSample, quint16(8));
        }
    }
};

QTEST_MAIN(tst_WAVRes)
#include "tst_wavres.moc"
