// Every input the fuzzer started from or ever broke the RIFF reader with, read
// again: the reader's promises hold for each (fuzz/RiffWaveCheck.h), the six
// clips and the hand-made good images are read, the hand-made broken ones are
// refused.
#include "RiffWaveCheck.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <vector>

class tst_FuzzReplay : public QObject
{
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
};

void tst_FuzzReplay::replay_data()
{
    QTest::addColumn<QString>("path");
    for (const char *folder : {"corpus", "crashes"}) {
        const QDir dir(QStringLiteral(LEVRUN_FUZZ_DIR "/") + QLatin1String(folder));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(QLatin1String(folder) + u'/' + name)) << dir.filePath(name);
    }
    QVERIFY(QFile::exists(QStringLiteral(LEVRUN_FUZZ_DIR "/corpus/WAV1.wav")));
}

void tst_FuzzReplay::replay()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray read = file.readAll();
    // Exactly as many bytes as the input, so a sanitizer build sees a reach past them.
    const std::vector<unsigned char> bytes(read.begin(), read.end());
    const char *broken = riffWaveBroken(bytes.data(), bytes.size());
    QVERIFY2(!broken, broken);

    const QString name = QFileInfo(path).fileName();
    const auto wave = platform::readRiffWave(read);
    if (name.startsWith(QLatin1String("WAV"))) {
        QVERIFY(wave);
        QCOMPARE(wave->format.samplesPerSecond, 8000u);
        QCOMPARE(wave->format.channels, quint16(1));
        QCOMPARE(wave->format.bitsPerSample, quint16(8));
        QVERIFY(wave->dataSize > 9000);
    } else if (name.startsWith(QLatin1String("good-"))) {
        QVERIFY(wave);
    } else if (name.startsWith(QLatin1String("bad-"))) {
        QVERIFY(!wave);
    }
}

QTEST_APPLESS_MAIN(tst_FuzzReplay)
#include "tst_fuzzreplay.moc"
