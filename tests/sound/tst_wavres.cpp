// The clip each request plays and with which flags, and the RIFF WAVE reader on
// every input the fuzzer started from (the clips, hand-made good-* and bad-*
// images) or ever broke it with.
#include "RiffWaveCheck.h"
#include "TestSupport.h"
#include "WAVRes.h"

#include <QtTest>

using namespace testsupport;

static const QString NotFound = ", WAVRes, PlayWaveRes, Resource with this identifier not found";

class tst_WAVRes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }

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
        QTest::newRow("left out: synchronous, silent") << "WAV3" << std::optional<int>() << "WAV3";
        QTest::newRow("1: asynchronous") << "WAV3" << std::optional(1) << "WAV3 1";
        QTest::newRow("4 stays as it is") << "WAV3" << std::optional(4) << "WAV3 0";
        QTest::newRow("explicit 0 is not left out") << "WAV3" << std::optional(0) << "WAV3 0";
        QTest::newRow("name in lower case") << "wav3" << std::optional(1) << "WAV3 1";
        QTest::newRow("missing clip: the one before, logged")
            << "WAV7" << std::optional<int>() << "WAV4";
        QTest::newRow("a picture is no clip")
            << "../pictures/levrun.png" << std::optional<int>() << "WAV4";
    }

    void requests()
    {
        QFETCH(QString, name);
        QFETCH(std::optional<int>, flags);
        QFETCH(QString, played);
        QFile::remove("Levrun.VNL");
        soundRequests().clear();
        PlayWaveRes("WAV4", 1);
        PlayWaveRes(name, flags);
        QCOMPARE(soundRequests(), QStringList({"WAV4 1", played}));
        QCOMPARE(logged(), played.startsWith("WAV4") ? QStringList{NotFound} : QStringList());
    }

    void reader_data()
    {
        QTest::addColumn<QString>("path");
        for (const QString folder : {"corpus", "crashes"}) {
            const QDir dir(QStringLiteral(LEVRUN_FUZZ_DIR "/") + folder);
            for (const QString &name : dir.entryList(QDir::Files))
                QTest::newRow(qPrintable(folder + '/' + name)) << dir.filePath(name);
        }
    }

    void reader()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray image = file.readAll();
        // In a buffer of its exact size, so that a sanitizer sees any stray read.
        const std::vector<unsigned char> exact(image.begin(), image.end());
        const char *broken = riffWaveBroken(exact.data(), exact.size());
        QVERIFY2(!broken, broken);
        const auto wave = platform::readRiffWave(image);
        const QString name = QFileInfo(path).fileName();
        QCOMPARE(wave.has_value(), !name.startsWith("bad-"));
        if (wave) { // the samples are those of the first data chunk, whole
            QCOMPARE(image.mid(wave->dataOffset - 8, 4), "data");
            QCOMPARE(qFromLittleEndian<quint32>(image.constData() + wave->dataOffset - 4),
                     quint32(wave->dataSize));
        }
        if (name.startsWith("WAV")) { // the clips: 8-bit mono at 8000 samples a second
            QCOMPARE(wave->format.samplesPerSecond, 8000u);
            QCOMPARE(wave->format.channels * 100 + wave->format.bitsPerSample, 108);
        }
    }
};

QTEST_MAIN(tst_WAVRes)
#include "tst_wavres.moc"
