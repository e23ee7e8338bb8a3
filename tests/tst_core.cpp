// The window-free logic: the log line, numbers as the user reads and writes
// them, and where the background tiles go.
#include "TestSupport.h"
#include "errlog/ErrLog.h"
#include "platform/NumberFormat.h"
#include "platform/NumberText.h"
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

    void numbersRoundTripInTheRegionalFormat_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("English, half twip") << english << 1442.5f << "1442.5";
        QTest::newRow("German, half twip") << german << 1442.5f << "1442,5";
        QTest::newRow("German, no thousands separator") << german << 1.0e6f << "1000000";
    }

    void numbersRoundTripInTheRegionalFormat()
    {
        QFETCH(QLocale, locale);
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(CStr(value, locale), text);
        QCOMPARE(CSng(text, locale), value);
        if (value == qint32(value)) {
            QCOMPARE(CStr(qint32(value), locale), text);
            QCOMPARE(CLng(text, locale), qint32(value));
        }
    }

    void readingText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("single");  // failure of CSng, 0 for none
        QTest::addColumn<int>("integer"); // failure of CLng
        QTest::addColumn<int>("value");   // of CLng, when it succeeds
        const int mismatch = TypeMismatch;
        QTest::newRow("letters") << english << "abc" << mismatch << mismatch << 0;
        QTest::newRow("German text in English") << english << "1442,5" << mismatch << mismatch << 0;
        QTest::newRow("beyond 32 bits") << english << "3000000000" << 0 << int(Overflow) << 0;
        QTest::newRow("blanks around") << german << " 7 " << 0 << 0 << 7;
        QTest::newRow("half rounds to even") << german << "2,5" << 0 << 0 << 2;
    }

    void readingText()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        QFETCH(int, single);
        QFETCH(int, integer);
        QFETCH(int, value);
        QCOMPARE(failureOf([&] { CSng(text, locale); }), single);
        qint32 result = 0;
        QCOMPARE(failureOf([&] { result = CLng(text, locale); }), integer);
        QCOMPARE(result, value);
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
};

QTEST_GUILESS_MAIN(tst_Core)
#include "tst_core.moc"
