// The window-free logic: the log line, the size text and where the background
// tiles go. Numbers read from the settings are tst_main's part.
#include "TestSupport.h"
#include "errlog/ErrLog.h"
#include "platform/Centring.h"
#include "platform/NumberFormat.h"
#include "platform/NumberText.h"
#include "platform/ProgramStarter.h"
#include "platform/SettingsStore.h"
#include "platform/Tiling.h"

#include <QtTest>

#include <stdexcept>

using namespace platform;
using namespace testsupport;

namespace {
const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
} // namespace

class tst_Core : public QObject
{
    Q_OBJECT

private slots:
    void init() { clearLog(); }

    void logLineFormat_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("expected");
        QTest::newRow("US English, morning")
            << english << QTime(9, 5, 7)
            << R"("12/6/26", "09:05:07", Main, cmdPlay_Click, File not found)";
        QTest::newRow("German, evening")
            << german << QTime(21, 30, 0)
            << R"("06.12.26", "21:30:00", Main, cmdPlay_Click, File not found)";
    }

    void logLineFormat()
    {
        QFETCH(QLocale, locale);
        QFETCH(QTime, time);
        QFETCH(QString, expected);
        QCOMPARE(errlog::logLine(QDate(2026, 12, 6), time, locale, ", Main, cmdPlay_Click, ",
                                 errorMessage(FileNotFound)),
                 expected);
    }

    void eachFailingStatementAppendsOneLineAndGoesOn()
    {
        QStringList ran;
        errlog::Guard guard(", Main, LoadSettings, ");
        guard.attempt([&] {
            fail(TypeMismatch);
            ran << "never";
        });
        guard.attempt([&] { ran << "second"; });
        guard.attempt([] { throw std::runtime_error("from a library"); });
        guard.attempt([] { fail(31337); }); // a number without an entry
        QCOMPARE(ran, QStringList{"second"});
        const QString generic = ", Main, LoadSettings, Application-defined or object-defined error";
        QCOMPARE(logged(), QStringList({", Main, LoadSettings, Type mismatch", generic, generic}));
        QFile log("Levrun.VNL");
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray bytes = log.readAll();
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\n'), 3); // no bare line feeds
    }

    void sizeText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("English, past 32 bits") << english << qint64(3221225472) << "3,221,225,472";
        QTest::newRow("Indian English still in threes")
            << QLocale(QLocale::English, QLocale::India) << qint64(1234567) << "1,234,567";
        QTest::newRow("German") << german << qint64(1234) << "1.234";
        QTest::newRow("zero shows nothing") << english << qint64(0) << "";
    }

    void sizeText()
    {
        QFETCH(QLocale, locale);
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(formatGrouped(bytes, locale), text);
    }

    void tilePositions_data()
    {
        QTest::addColumn<float>("tileWidth");
        QTest::addColumn<QSizeF>("bounds");
        QTest::addColumn<QList<float>>("columns");
        QTest::addColumn<QList<float>>("rows");
        const QList<float> four{0, 1980, 3960, 5940};
        // The two windows with a 3-pixel frame and a 19-pixel title bar.
        QTest::newRow("main window, 16 tiles")
            << 1980.f << QSizeF(6045, 5940) << four << QList<float>{0, 1605, 3210, 4815};
        QTest::newRow("About box, 8 tiles")
            << 1980.f << QSizeF(7275, 3075) << four << QList<float>{0, 1605};
        QTest::newRow("exact multiples are still drawn")
            << 1980.f << QSizeF(5940, 3210) << four << QList<float>{0, 1605, 3210};
        QTest::newRow("zero tile width: nothing")
            << 0.f << QSizeF(6045, 5940) << QList<float>{} << QList<float>{};
    }

    void tilePositions()
    {
        QFETCH(float, tileWidth);
        QFETCH(QSizeF, bounds);
        QFETCH(QList<float>, columns);
        QFETCH(QList<float>, rows);
        QList<TwipPoint> expected; // column by column, each from the top
        for (float x : columns)
            for (float y : rows)
                expected.append({x, y});
        QCOMPARE(platform::tilePositions(tileWidth, 1605, bounds.width(), bounds.height()),
                 expected);
    }

    // Widths and the view stored in one language read back in any other, a
    // fraction in the same language, and a store with the language's own
    // digits, as an earlier version wrote it, still reads.
    void numbersReadInEveryLanguage_data()
    {
        QTest::addColumn<QLocale>("writer");
        QTest::addColumn<QLocale>("reader");
        for (const char *writer : {"en_US", "de_DE", "ar_EG", "fa_IR"})
            for (const char *reader : {"en_US", "de_DE", "ar_EG", "fa_IR"})
                QTest::addRow("%s to %s", writer, reader) << QLocale(writer) << QLocale(reader);
    }

    void numbersReadInEveryLanguage()
    {
        QFETCH(QLocale, writer);
        QFETCH(QLocale, reader);
        QCOMPARE(CSng(CStr(1440.f, writer), reader), 1440.f);
        QCOMPARE(CLng(CStr(qint32(3), writer), reader), 3);
        QCOMPARE(CSng(CStr(12.5f, reader), reader), 12.5f);
        QCOMPARE(CSng(reader.toString(1440), reader), 1440.f);
    }

    // No other file fills in the keys the store is missing.
    void storeKeepsToItsOwnFile()
    {
        QSettings(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Levrun.ini", QSettings::IniFormat)
            .setValue("Config/View", 1);
        QCOMPARE(GetSetting("Levrun", "Config", "View", "3"), "3");
    }

    // Play refuses a map name only when it names nothing in the folder: a
    // name that is not UTF-8 on disk (E1L2\xff.MAP) reads with U+FFFD in its
    // place, which names no file; a name that really holds U+FFFD is played.
    void playRefusesOnlyNamesThatAreNotThere()
    {
        QVERIFY(QFile("E1L1\uFFFD.MAP").open(QIODevice::WriteOnly));
        const auto play = [](const char *name) {
            return failureOf([&] { startProgram("true", {"-map", QFile::decodeName(name)}); });
        };
        QCOMPARE(play("E1L1\uFFFD.MAP"), 0);
        QCOMPARE(play("E1L2\xff.MAP"), int(BadFileName));
    }

    // The whole window, frame included, in the middle of the free area: the
    // main window with 3-pixel borders and a 19-pixel title bar, under a
    // 24-pixel panel, has its client area 19 pixels lower than unframed.
    void centredWithItsFrame()
    {
        QCOMPARE(centredClientPosition({0, 24, 1024, 744}, {397, 371}, {3, 19, 3, 3}),
                 QPoint(313, 218));
    }
};

QTEST_GUILESS_MAIN(tst_Core)
#include "tst_core.moc"
