// SPDX-License-Identifier: GPL-3.0-or-later
// The window-free logic: the log line and its messages, numbers as text in the
// user's region, where the background tiles and the windows go; the clip each
// request plays and with which flags, and the RIFF WAVE reader on every input
// the fuzzer started from (the clips, hand-made good-* and bad-* images) or
// ever broke it with.
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

static const QString NotFound = ", WAVRes, PlayWaveRes, Resource with this identifier not found";

class tst_Core : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }

    // What (and the locale): the log line at the time from, the message of a
    // failure number, a size, a number stored or read back from the text,
    // numbers stored in one language and read in another (from), the tiles of
    // a window (tile width, outer width and height in twips), where a framed
    // window's client area goes, the clips requested ("NAME FLAGS", flags
    // besides "in memory"; ", " between), or a wave image read from the file
    // from. To: the text or the number, or the failure; for clips those
    // played, then the log; for an image "refused", or where its samples are.
    void text_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        const QString before = "WAV4 1|WAV4|" + NotFound; // the clip before, again
        const QString rows[][4] = {
            // First: it needs the program's state before any clip has been loaded.
            {"clip missing, none loaded yet: silent", "clips", "WAV9 1",
             NotFound + "|, WAVRes, PlayWaveRes, Subscript out of range"},
            {"clip flags 4 stay, 0 is not left out", "clips", "WAV3 4, WAV3 0", "WAV3 0|WAV3 0"},
            {"clip name in lower case", "clips", "WAV4 1, wav3 1", "WAV4 1|WAV3 1"},
            {"clip missing: the one before, logged", "clips", "WAV4 1, WAV7", before},
            {"a picture is no clip", "clips", "WAV4 1, ../pictures/levrun.png", before},
            // The output's decisions: clips asked for (flags left out: synchronous),
            // the server's answer, or "late", once the clip waiting for the server has
            // outlived its length.
            {"sound: no server, asked again", "sound", "WAV6 1, no server, WAV3 1, server",
             "WAV6 1|asks|WAV3 1|asks|WAV3 plays"},
            {"sound: a new clip cuts one off", "sound", "server, WAV6 1, WAV3 1",
             "WAV6 1|WAV6 plays|WAV3 1|WAV6 stops|WAV3 plays"},
            {"sound: the exit clip waits for its end", "sound", "server, WAV2",
             "WAV2|WAV2 plays|WAV2 stops"},
            {"sound: a server later than the clip", "sound", "WAV3 1, late, server", "WAV3 1|asks"},
            {"log line, US English", "log en_US", "09:05:07",
             R"("12/6/26", "09:05:07", Main, LoadMaps, Overflow)"},
            {"log line, German", "log de_DE", "21:30:00",
             R"("06.12.26", "21:30:00", Main, LoadMaps, Overflow)"},
            {"a failure number without a message", "failure", "31337",
             "Application-defined or object-defined error"},
            {"size, Indian English in threes", "size en_IN", "1234567", "1,234,567"},
            {"size past 32 bits, German", "size de_DE", "5000000000", "5.000.000.000"},
            {"size 0 shown as nothing", "size de_DE", "0", ""},
            {"whole width stored bare", "store de_DE", "1440", "1440"},
            {"width with a fraction", "store de_DE", "1234.5", "1234,5"},
            {"width with blanks", "single de_DE", " 1234,5 ", "1234.5"},
            {"width, another region's", "single de_DE", "2250.5", "Type mismatch"},
            {"empty width", "single de_DE", "", "Type mismatch"},
            {"view 2,5 to even", "long de_DE", "2,5", "2"},
            {"view 3,5 to even", "long de_DE", "3,5", "4"},
            {"view of letters", "long de_DE", "abc", "Type mismatch"},
            {"About box tiles, by columns", "tiles", "1980 7275 3075",
             "0,0 0,1605 1980,0 1980,1605 3960,0 3960,1605 5940,0 5940,1605 "},
            {"bounds included", "tiles", "1980 1980 1605", "0,0 0,1605 1980,0 1980,1605 "},
            {"no tile width, no tiles", "tiles", "0 6045 5940", ""},
            {"width in Arabic, ASCII digits", "store ar_EG", "1234.5", "1234٫5"},
            // Available area under a 24-pixel panel, client size, frame widths.
            {"centred, frame and all", "centre", "0 24 1024 744 397 371 3 19 3 3", "313,218"},
        };
        for (const auto &row : rows)
            QTest::newRow(qPrintable(row[0])) << row[1] << row[2] << row[3];
        // The reader on every input the fuzzer started from (the clips, hand-made
        // good-* and bad-* images) or ever broke it with.
        for (const QString folder : {"corpus", "crashes"})
            for (const QFileInfo &file :
                 QDir(LEVRUN_FUZZ_DIR "/" + folder).entryInfoList(QDir::Files))
                QTest::newRow(qPrintable(folder + '/' + file.fileName()))
                    << "wave" << file.filePath()
                    << (file.fileName().startsWith("bad-") ? "refused" : "first data chunk, whole");
        // Widths and the view written in one language, read in another; a
        // fraction and the language's own digits (an earlier store) in its own.
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
        const QLocale locale(what.section(' ', 1));
        const auto n = [&](int i) { return from.section(' ', i, i).toInt(); };
        QString result;
        QFile::remove("Levrun.VNL");
        soundDecides = what == "sound";
        soundOutput().serverAnswered(false); // not asked yet, nothing playing
        soundRequests.clear();
        const int failure = failureOf([&] {
            if (what.startsWith("log"))
                result = errlog::logLine(QDate(2026, 12, 6), QTime::fromString(from), locale,
                                         ", Main, LoadMaps, ", errorMessage(Overflow));
            else if (what.startsWith("size"))
                result = GroupedFormat(locale)(from.toLongLong());
            else if (what.startsWith("store"))
                result = toText(from.toFloat(), locale);
            else if (what.startsWith("single"))
                result = QString::number(toSingle(from, locale));
            else if (what.startsWith("long"))
                result = QString::number(toLong(from, locale));
            else if (what == "failure")
                fail(from.toInt());
            else if (what == "clips" || what == "sound") {
                for (const QString &request : from.split(", "))
                    if (request.endsWith("server"))
                        soundOutput().serverAnswered(request == "server");
                    else if (request == "late")
                        QTRY_VERIFY_WITH_TIMEOUT(!soundOutput().findChild<Playback *>(), 5000);
                    else
                        PlayWaveRes(request.section(' ', 0, 0),
                                    request.contains(' ')
                                        ? std::optional(request.section(' ', 1).toInt())
                                        : std::nullopt);
                result = (soundRequests + logged()).join('|');
            } else if (const QLocale reader(from); what.startsWith("across"))
                result = QString("%1 %2 %3 %4")
                             .arg(toSingle(toText(1440.f, locale), reader))
                             .arg(toLong(toText(qint32(3), locale), reader))
                             .arg(toSingle(toText(12.5f, reader), reader))
                             .arg(toSingle(reader.toString(1440), reader));
            else if (what == "wave") {
                QFile file(from);
                const QByteArray image = file.open(QIODevice::ReadOnly) ? file.readAll() : "";
                // In a buffer of its exact size, so that a sanitizer sees any stray read.
                const std::vector<unsigned char> exact(image.begin(), image.end());
                const auto wave = readRiffWave(image);
                const qsizetype at = wave ? wave->dataOffset : 0;
                result = riffWaveBroken(exact.data(), exact.size());
                if (result.isEmpty() && wave && image.mid(at - 8, 4) == "data" &&
                    qFromLittleEndian<quint32>(image.constData() + at - 4) == wave->dataSize)
                    result = "first data chunk, whole";
                else if (result.isEmpty())
                    result = wave ? "samples elsewhere" : "refused";
            } else if (const QPoint at = centredClientPosition(
                           {n(0), n(1), n(2), n(3)}, {n(4), n(5)}, {n(6), n(7), n(8), n(9)});
                       what == "centre")
                result = QString("%1,%2").arg(at.x()).arg(at.y());
            else // tile width, window width and height, the tile 1605 high
                for (const TwipPoint &at : tilePositions(n(0), 1605, n(1), n(2)))
                    result += QString("%1,%2 ").arg(at.x).arg(at.y);
        });
        QCOMPARE(failure ? errorMessage(failure) : result, to);
    }
};

QTEST_MAIN(tst_Core)
#include "tst_core.moc"
