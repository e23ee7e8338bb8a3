#include "platform/RiffWave.h"
#include "platform/SoundRequest.h"

#include <QRandomGenerator>
#include <QTest>

using platform::readRiffWave;
using platform::RiffWave;
using platform::SoundRequest;

namespace {

QByteArray le16(quint16 value)
{
    const char bytes[] = {char(value & 0xff), char(value >> 8)};
    return QByteArray(bytes, 2);
}

QByteArray le32(quint32 value)
{
    return le16(quint16(value & 0xffff)) + le16(quint16(value >> 16));
}

// One chunk; an odd body gets its pad byte unless told otherwise.
QByteArray chunk(const char *id, const QByteArray &body, bool pad = true)
{
    QByteArray bytes = QByteArray(id, 4) + le32(quint32(body.size())) + body;
    if (pad && body.size() % 2)
        bytes += '\0';
    return bytes;
}

QByteArray fmtBody(quint16 channels = 1, quint32 rate = 8000, quint16 bits = 8, quint16 tag = 1)
{
    const quint16 align = quint16(channels * ((bits + 7) / 8));
    return le16(tag) + le16(channels) + le32(rate) + le32(rate * align) + le16(align) + le16(bits);
}

QByteArray samples(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += char(128 + (i % 2 ? 40 : -40));
    return bytes;
}

// A RIFF WAVE form around the chunks; lengthDelta falsifies its length field.
QByteArray riff(const QByteArray &chunks, qint64 lengthDelta = 0)
{
    return "RIFF" + le32(quint32(4 + chunks.size() + lengthDelta)) + "WAVE" + chunks;
}

QByteArray wellFormed()
{
    return riff(chunk("fmt ", fmtBody()) + chunk("data", samples(10)));
}

} // namespace

class tst_RiffWave : public QObject
{
    Q_OBJECT

private slots:
    void readsWellFormedImages_data();
    void readsWellFormedImages();
    void rejectsMalformedImages_data();
    void rejectsMalformedImages();
    void neverReadsPastTheBytes();
    void soundRequests_data();
    void soundRequests();
};

void tst_RiffWave::readsWellFormedImages_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<qsizetype>("dataOffset");
    QTest::addColumn<qsizetype>("dataSize");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("bits");

    const QByteArray fmt = chunk("fmt ", fmtBody());
    QTest::newRow("8-bit mono, even data")
        << wellFormed() << qsizetype(44) << qsizetype(10) << 1 << 8000 << 8;
    QTest::newRow("odd data chunk with its pad byte")
        << riff(fmt + chunk("data", samples(5))) << qsizetype(44) << qsizetype(5) << 1 << 8000 << 8;
    QTest::newRow("odd data chunk ends the form without a pad byte")
        << riff(fmt + chunk("data", samples(5), false)) << qsizetype(44) << qsizetype(5) << 1
        << 8000 << 8;
    QTest::newRow("two bytes after the form")
        << riff(fmt + chunk("data", samples(5))) + QByteArray("\x12\x34", 2) << qsizetype(44)
        << qsizetype(5) << 1 << 8000 << 8;
    QTest::newRow("a chunk-like tail after the form is not read")
        << riff(fmt + chunk("data", samples(6))) + chunk("data", samples(100)) << qsizetype(44)
        << qsizetype(6) << 1 << 8000 << 8;
    QTest::newRow("odd unknown chunk skipped with its pad byte")
        << riff(chunk("LIST", "abc") + fmt + chunk("data", samples(4))) << qsizetype(56)
        << qsizetype(4) << 1 << 8000 << 8;
    QTest::newRow("format chunk with an extension")
        << riff(chunk("fmt ", fmtBody() + le16(0)) + chunk("data", samples(4))) << qsizetype(46)
        << qsizetype(4) << 1 << 8000 << 8;
    QTest::newRow("data before format")
        << riff(chunk("data", samples(4)) + fmt) << qsizetype(20) << qsizetype(4) << 1 << 8000 << 8;
    QTest::newRow("16-bit stereo")
        << riff(chunk("fmt ", fmtBody(2, 22050, 16)) + chunk("data", samples(8))) << qsizetype(44)
        << qsizetype(8) << 2 << 22050 << 16;
    QTest::newRow("empty data chunk")
        << riff(fmt + chunk("data", {})) << qsizetype(44) << qsizetype(0) << 1 << 8000 << 8;
}

void tst_RiffWave::readsWellFormedImages()
{
    QFETCH(QByteArray, image);
    QFETCH(qsizetype, dataOffset);
    QFETCH(qsizetype, dataSize);
    QFETCH(int, channels);
    QFETCH(int, rate);
    QFETCH(int, bits);
    const std::optional<RiffWave> wave = readRiffWave(image);
    QVERIFY(wave);
    QCOMPARE(wave->dataOffset, dataOffset);
    QCOMPARE(wave->dataSize, dataSize);
    QCOMPARE(wave->format.formatTag, 1);
    QCOMPARE(int(wave->format.channels), channels);
    QCOMPARE(int(wave->format.samplesPerSecond), rate);
    QCOMPARE(int(wave->format.bitsPerSample), bits);
    QCOMPARE(int(wave->format.blockAlign), channels * bits / 8);
    QCOMPARE(wave->format.bytesPerSecond, quint32(rate * channels * bits / 8));
    // The samples found are the ones written.
    QCOMPARE(image.mid(dataOffset, dataSize), samples(int(dataSize)));
}

void tst_RiffWave::rejectsMalformedImages_data()
{
    QTest::addColumn<QByteArray>("image");

    const QByteArray fmt = chunk("fmt ", fmtBody());
    const QByteArray data = chunk("data", samples(10));
    QByteArray notRiff = wellFormed();
    notRiff.replace(0, 4, "RIFX");
    QByteArray notWave = wellFormed();
    notWave.replace(8, 4, "AVI ");
    QByteArray hugeChunk = wellFormed();
    hugeChunk.replace(40, 4, le32(0xffffffff));

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("shorter than the RIFF header") << wellFormed().left(11);
    QTest::newRow("not RIFF") << notRiff;
    QTest::newRow("RIFF but not WAVE") << notWave;
    QTest::newRow("RIFF length past the bytes") << riff(fmt + data, 1);
    QTest::newRow("RIFF length shorter than its form type") << riff({}, -2);
    QTest::newRow("chunk length past the form") << riff(fmt + data, -1);
    QTest::newRow("chunk length of 4 GiB") << hugeChunk;
    QTest::newRow("data running into the bytes after the form")
        << riff(fmt + chunk("data", samples(10)), -4) + "tail";
    QTest::newRow("format chunk shorter than 16 bytes")
        << riff(chunk("fmt ", fmtBody().left(14)) + data);
    QTest::newRow("no format chunk") << riff(data);
    QTest::newRow("no data chunk") << riff(fmt);
    QTest::newRow("IEEE float, not PCM") << riff(chunk("fmt ", fmtBody(1, 8000, 32, 3)) + data);
    QTest::newRow("no channels") << riff(chunk("fmt ", fmtBody(0)) + data);
    QTest::newRow("block alignment not channels times sample bytes")
        << riff(chunk("fmt ", fmtBody().replace(12, 2, le16(2))) + data);
    QTest::newRow("odd chunk without its pad byte hides the data")
        << riff(chunk("LIST", "abc", false) + fmt + data);
}

void tst_RiffWave::rejectsMalformedImages()
{
    QFETCH(QByteArray, image);
    QVERIFY(!readRiffWave(image));
}

void tst_RiffWave::neverReadsPastTheBytes()
{
    // Every prefix of a form, and random damage to its header, give either
    // nothing or samples that lie inside the bytes. The bytes are copied into
    // a buffer of their exact size so that a sanitizer sees any stray read.
    const QByteArray form = riff(chunk("LIST", "abc") + chunk("fmt ", fmtBody()) +
                                 chunk("data", samples(7)) + chunk("junk", "xy"));
    const auto check = [](const QByteArray &image) {
        const std::unique_ptr<char[]> exact(new char[size_t(image.size())]);
        std::copy(image.begin(), image.end(), exact.get());
        const std::optional<RiffWave> wave =
            readRiffWave(QByteArrayView(exact.get(), image.size()));
        if (wave) {
            QVERIFY(wave->dataOffset >= 12);
            QVERIFY(wave->dataSize >= 0);
            QVERIFY(wave->dataOffset + wave->dataSize <= image.size());
        }
    };
    for (qsizetype length = 1; length <= form.size(); ++length) {
        check(form.left(length));
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("prefix of %1 bytes").arg(length)));
    }
    QRandomGenerator random(20240607);
    int read = 0;
    for (int round = 0; round < 20000; ++round) {
        QByteArray image = form;
        for (int hits = random.bounded(1, 4); hits > 0; --hits)
            image[random.bounded(int(image.size()))] = char(random.bounded(256));
        if (random.bounded(4) == 0)
            image.truncate(random.bounded(1, int(image.size())));
        check(image);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("damaged image %1").arg(QString(image.toHex()))));
        read += readRiffWave(image) ? 1 : 0;
    }
    // Damage mostly in the samples still leaves a playable clip: both ways are exercised.
    QVERIFY(read > 0);
    QVERIFY(read < 20000);
}

void tst_RiffWave::soundRequests_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("synchronous");
    QTest::addColumn<qsizetype>("dataSize");

    const QByteArray clip = wellFormed();
    const QByteArray broken = clip.left(30);
    const int play = SoundRequest::PlayClip;
    const int beep = SoundRequest::PlayDefaultSound;
    const int silent = SoundRequest::StaySilent;
    QTest::newRow("clip, flags 5: plays on") << clip << 5 << play << false << qsizetype(10);
    QTest::newRow("clip, flags 4: waits") << clip << 4 << play << true << qsizetype(10);
    QTest::newRow("clip, flags 6: waits") << clip << 6 << play << true << qsizetype(10);
    QTest::newRow("clip not marked as memory") << clip << 1 << beep << true << qsizetype(0);
    QTest::newRow("broken, flags 5: default sound") << broken << 5 << beep << true << qsizetype(0);
    QTest::newRow("broken, flags 4: default sound") << broken << 4 << beep << true << qsizetype(0);
    QTest::newRow("broken, flags 6: silence") << broken << 6 << silent << true << qsizetype(0);
    QTest::newRow("24-bit samples cannot be played")
        << riff(chunk("fmt ", fmtBody(1, 8000, 24)) + chunk("data", samples(9))) << 5 << beep
        << true << qsizetype(0);
    QTest::newRow("16-bit clip cut to whole samples")
        << riff(chunk("fmt ", fmtBody(1, 8000, 16)) + chunk("data", samples(7))) << 5 << play
        << false << qsizetype(6);
    QTest::newRow("no whole sample at all")
        << riff(chunk("fmt ", fmtBody(2, 8000, 16)) + chunk("data", samples(3))) << 6 << silent
        << true << qsizetype(0);
}

void tst_RiffWave::soundRequests()
{
    QFETCH(QByteArray, image);
    QFETCH(int, flags);
    QFETCH(int, action);
    QFETCH(bool, synchronous);
    QFETCH(qsizetype, dataSize);
    const SoundRequest request = platform::soundRequest(image, flags);
    QCOMPARE(int(request.action), action);
    if (action == SoundRequest::PlayClip) {
        QCOMPARE(request.synchronous, synchronous);
        QCOMPARE(request.clip.dataSize, dataSize);
    }
}

QTEST_APPLESS_MAIN(tst_RiffWave)
#include "tst_riffwave.moc"
