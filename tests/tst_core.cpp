// SPDX-License-Identifier: GPL-3.0-or-later
// The window-free logic: the log line and its messages, numbers as text in the
// user's region, where the background tiles and the windows go; the clip each
// request plays and with which flags, what the sound output decides, and the
// RIFF WAVE reader on the program's own clips and on every input the fuzzer
// started from (the clips, hand-made good-* and bad-* images) or ever broke it with.
#include "RiffWaveCheck.h"
#include "TestSupport.h"
#include "WAVRes.h"
#include "errlog/ErrLog.h"
#include "platform/SoundOutput.h"
#include "platform/Text.h"
#include "platform/Window.h"

#include <QtTest>

using namespace platform;
using namespace testsupport;

static const QString Clip = "8000 Hz 1 ch 8 bit, %1 bytes at %2";
static const QString NotFound = "|, WAVRes, PlayWaveRes, Resource with this identifier not found";

// Name; what (and the locale); from: its inputs, "|" between; to: what each gives (outcome())
// or the message of the failure it raises, "|" between; for clips, those played and the
// output's decisions, then the log.
static const QString Rows[][4] = {
    // First: it needs the program's state before any clip has been loaded.
    {"clip missing, none loaded yet: silent", "clips", "WAV9 1",
     NotFound.mid(1) + "|, WAVRes, PlayWaveRes, Subscript out of range"},
    {"clip flags 4 and 0 stay, name in lower case", "clips", "WAV4 4|wav3 0", "WAV4 0|WAV3 0"},
    {"clip missing or a picture: the one before, logged", "clips",
     "WAV4 1|WAV7|../pictures/levrun.png", "WAV4 1|WAV4|WAV4" + NotFound + NotFound},
    // The output's own decisions: clips asked for (flags left out: synchronous), the server's
    // answer, the recorder's sink started and stopped, never after its samples went; "late":
    // the clip waiting for the server has outlived its length.
    {"sound: no server, asked again", "sound", "WAV6 1|no server|WAV3 1|server",
     "WAV6 1|asks|WAV3 1|asks|WAV3 plays"},
    {"sound: a new clip cuts one off", "sound", "server|WAV6 1|WAV3 1",
     "WAV6 1|WAV6 plays|WAV3 1|WAV6 stops|WAV3 plays"},
    {"sound: an exit clip plays to its end", "sound", "server|WAV2", "WAV2|WAV2 plays|WAV2 stops"},
    {"sound: a server later than the clip", "sound", "WAV3 1|late|server", "WAV3 1|asks|dropped"},
    {"sound: a clip playing as the output goes", "goes", "WAV6", "stops|samples go|sink goes"},
    {"log, US", "log en_US", "09:05:07", R"("12/6/26", "09:05:07", Main, LoadMaps, Overflow)"},
    {"log, German", "log de_DE", "21:30:00", R"("06.12.26", "21:30:00", Main, LoadMaps, Overflow)"},
    {"message without an entry", "message", "31337", "Application-defined or object-defined error"},
    {"size, Indian English in threes", "size en_IN", "1234567", "1,234,567"},
    {"size past 32 bits; 0 shown as nothing", "size de_DE", "5000000000|0", "5.000.000.000|"},
    {"width stored: whole bare, a fraction", "store de_DE", "1440|1234.5", "1440|1234,5"},
    {"width in Arabic, ASCII digits", "store ar_EG", "1234.5", "1234٫5"},
    {"width read: blanks; another region's; empty", "single de_DE", " 1234,5 |2250.5|",
     "1234.5|Type mismatch|Type mismatch"},
    {"view read: 2,5 and 3,5 to even; letters", "long de_DE", "2,5|3,5|abc", "2|4|Type mismatch"},
    // Tile width, window width and height.
    {"About box tiles, by columns", "tiles", "1980 7275 3075",
     "0,0 0,1605 1980,0 1980,1605 3960,0 3960,1605 5940,0 5940,1605 "},
    {"tiles: bounds included; no tile width", "tiles", "1980 1980 1605|0 6045 5940",
     "0,0 0,1605 1980,0 1980,1605 |"},
    // Available area under a 24-pixel panel, client size, frame widths.
    {"centred, frame and all", "centre", "0 24 1024 744 397 371 3 19 3 3", "313,218"},
};

// The format of a wave image (a file, or else one of the program's clips) as read, then its
// samples' length and place; "refused", or the promise (RiffWaveCheck.h) broken.
static QString wave(const QString &from)
{
    QFile file(from);
    const QByteArray image =
        file.open(QIODevice::ReadOnly) ? file.readAll() : loadResource("WAVE", from);
    // In a buffer of its exact size, so that a sanitizer sees any stray read.
    const std::vector<unsigned char> exact(image.begin(), image.end());
    const std::optional<RiffWave> w = readRiffWave(image);
    if (const char *broken = riffWaveBroken(exact.data(), exact.size()); broken || !w)
        return broken ? broken : "refused";
    return QString::asprintf("%u Hz %d ch %d bit, %lld bytes at %lld", w->format.samplesPerSecond,
                             w->format.channels, w->format.bitsPerSample, w->dataSize,
                             w->dataOffset);
}

// What one input gives; a clip, or a step of the sound test, only what it leaves behind.
static QString outcome(const QString &what, const QString &from)
try {
    const QLocale locale(what.section(' ', 1)), reader(from);
    const QString kind = what.section(' ', 0, 0);
    const auto n = [&](int i) { return from.section(' ', i, i).toInt(); };
    QString places; // the tile 1605 twips high
    for (const TwipPoint &at :
         kind == "tiles" ? tilePositions(n(0), 1605, n(1), n(2)) : QList<TwipPoint>())
        places += QString("%1,%2 ").arg(at.x).arg(at.y);
    const QPoint at = kind != "centre"
                          ? QPoint()
                          : centredClientPosition({n(0), n(1), n(2), n(3)}, {n(4), n(5)},
                                                  {n(6), n(7), n(8), n(9)});
    if (kind == "goes") { // the output's children go with it
        QStringList order;
        const QByteArray image = loadResource("WAVE", from);
        auto *playback = new Playback(image, soundRequest(image, SndAsync | SndMemory), nullptr);
        QObject::connect(playback, &Playback::finished, [&] { order << "stops"; });
        QObject::connect(new QObject(playback), &QObject::destroyed, [&] { order << "sink goes"; });
        QObject::connect(playback->samples(), &QObject::destroyed, [&] { order << "samples go"; });
        delete playback;
        return order.join('|');
    }
    if (from.endsWith("server"))
        soundOutput().serverAnswered(from == "server");
    else if (from == "late")
        soundRequests << (QTest::qWaitFor([] { return !soundOutput().findChild<Playback *>(); })
                              ? "dropped"
                              : "still waiting");
    else if (kind == "clips" || kind == "sound")
        PlayWaveRes(from.section(' ', 0, 0), from.contains(' ')
                                                 ? std::optional(from.section(' ', 1).toInt())
                                                 : std::nullopt);
    return kind == "log" ? errlog::logLine(QDate(2026, 12, 6), QTime::fromString(from), locale,
                                           ", Main, LoadMaps, ", errorMessage(Overflow))
           : kind == "message" ? errorMessage(from.toInt())
           : kind == "size"    ? GroupedFormat(locale)(from.toLongLong())
           : kind == "store"   ? toText(from.toFloat(), locale)
           : kind == "single"  ? QString::number(toSingle(from, locale))
           : kind == "long"    ? QString::number(toLong(from, locale))
           // Widths and the view written in the locale, read in another (from); a fraction and
           // the reader's own digits (an earlier store) in its own.
           : kind == "across" ? QString("%1 %2 %3 %4")
                                    .arg(toSingle(toText(1440.f, locale), reader))
                                    .arg(toLong(toText(qint32(3), locale), reader))
                                    .arg(toSingle(toText(12.5f, reader), reader))
                                    .arg(toSingle(reader.toString(1440), reader))
           : kind == "wave"   ? wave(from)
           : kind == "tiles"  ? places
           : kind == "centre" ? QString("%1,%2").arg(at.x()).arg(at.y())
                              : "";
} catch (const Failure &failure) {
    return errorMessage(failure.number());
}

class tst_Core : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }

    void text_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        for (const auto &row : Rows)
            QTest::newRow(qPrintable(row[0])) << row[1] << row[2] << row[3];
        // What the reader finds in the good images: the program's clips, 8-bit mono at 8000 Hz,
        // each of its own length, and hand-made ones (of two data chunks, the first).
        const QHash<QString, QString> good = {
            {"WAV1", Clip.arg(22277).arg(44)},
            {"WAV2", Clip.arg(18357).arg(44)},
            {"WAV3", Clip.arg(9387).arg(44)},
            {"WAV4", Clip.arg(11356).arg(44)},
            {"WAV5", Clip.arg(29516).arg(44)},
            {"WAV6", Clip.arg(12698).arg(44)},
            {"good-small", Clip.arg(10).arg(44)},
            {"good-bytes-after-form", Clip.arg(10).arg(44)},
            {"good-two-data-chunks", Clip.arg(10).arg(44)},
            {"good-odd-data-with-pad", Clip.arg(9).arg(44)},
            {"good-odd-data-pad-missing", Clip.arg(9).arg(44)},
            {"good-data-before-fmt", Clip.arg(10).arg(20)},
            {"good-list-chunk-first", Clip.arg(10).arg(70)},
            {"good-16-bit-stereo", "44100 Hz 2 ch 16 bit, 8 bytes at 44"},
            {"good-16-bit-part-frame", "8000 Hz 1 ch 16 bit, 5 bytes at 44"}};
        for (const QString name : {"WAV1", "WAV2", "WAV3", "WAV4", "WAV5", "WAV6"})
            QTest::newRow(qPrintable("the program's " + name)) << "wave" << name << good[name];
        // The fuzzer's inputs: any other is refused.
        for (const QString folder : {"corpus", "crashes"})
            for (const QFileInfo &file :
                 QDir(LEVRUN_FUZZ_DIR "/" + folder).entryInfoList(QDir::Files))
                QTest::newRow(qPrintable(folder + '/' + file.fileName()))
                    << "wave" << file.filePath() << good.value(file.baseName(), "refused");
        for (const char *writer : {"en_US", "de_DE", "ar_EG", "fa_IR"})
            for (const char *reader : {"en_US", "de_DE", "ar_EG", "fa_IR"})
                QTest::addRow("numbers, %s to %s", writer, reader)
                    << QString("across ") + writer << reader << "1440 3 12.5 1440";
    }

    void text()
    {
        QFETCH(QString, what);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFile::remove("Levrun.VNL");
        soundDecides = what == "sound";
        soundOutput().serverAnswered(false); // not asked yet, nothing playing
        soundRequests.clear();
        QStringList outcomes;
        for (const QString &input : from.split('|'))
            outcomes += outcome(what, input).split('|');
        if (what == "clips" || what == "sound")
            outcomes = soundRequests + logged();
        QCOMPARE(outcomes, to.split('|')); // a failing row names the outcome that differs
    }
};

QTEST_MAIN(tst_Core)
#include "tst_core.moc"
