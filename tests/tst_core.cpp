// The window-free logic: the log line and its guard, numbers as text in the
// user's region, and where the background tiles go.
#include "TestSupport.h"
#include "errlog/ErrLog.h"
#include "platform/NumberFormat.h"
#include "platform/NumberText.h"
#include "platform/Tiling.h"

#include <QtTest>

#include <stdexcept>

using namespace platform;
using namespace testsupport;

class tst_Core : public QObject
{
    Q_OBJECT

private slots:
    // A failing statement stops where it failed and adds one CR LF line; the next runs.
    void guard()
    {
        clearLog();
        QStringList ran;
        errlog::Guard guard(", Main, LoadSettings, ");
        guard.attempt([&] {
            fail(TypeMismatch);
            ran << "never";
        });
        guard.attempt([&] { ran << "second"; });
        guard.attempt([] { throw std::runtime_error("from a library"); });
        guard.attempt([] { fail(31337); }); // a number without an entry
        QFile log("Levrun.VNL");
        QVERIFY(log.open(QIODevice::ReadOnly) && log.readAll().endsWith("\r\n"));
        QCOMPARE(ran, QStringList{"second"});
        const QString generic = ", Main, LoadSettings, Application-defined or object-defined error";
        QCOMPARE(logged(), QStringList({", Main, LoadSettings, Type mismatch", generic, generic}));
    }

    // What: the log line at the time from, a size, a number stored or read back
    // (from the text), or the tiles of a window (tile width, outer size in twips).
    void text_data()
    {
        QTest::addColumn<QString>("what"); // and the locale
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to"); // the text or the number, or the failure
        const QString log = "\", Main, LoadMaps, Overflow";
        QTest::newRow("log line, US English") << "log en_US"
                                              << "09:05:07"
                                              << "\"12/6/26\", \"09:05:07" + log;
        QTest::newRow("log line, German") << "log de_DE"
                                          << "21:30:00"
                                          << "\"06.12.26\", \"21:30:00" + log;
        QTest::newRow("size past 32 bits") << "size en_US"
                                           << "3221225472"
                                           << "3,221,225,472";
        QTest::newRow("size, Indian English in threes") << "size en_IN"
                                                        << "1234567"
                                                        << "1,234,567";
        QTest::newRow("size, German") << "size de_DE"
                                      << "1234"
                                      << "1.234";
        QTest::newRow("size 0 shows nothing") << "size en_US"
                                              << "0"
                                              << "";
        QTest::newRow("whole width stored bare") << "store de_DE"
                                                 << "1440"
                                                 << "1440";
        QTest::newRow("width with a fraction") << "store de_DE"
                                               << "1234.5"
                                               << "1234,5";
        QTest::newRow("width with blanks") << "single de_DE"
                                           << " 1234,5 "
                                           << "1234.5";
        QTest::newRow("width, another region's") << "single de_DE"
                                                 << "2250.5"
                                                 << "Type mismatch";
        QTest::newRow("empty width") << "single de_DE"
                                     << ""
                                     << "Type mismatch";
        QTest::newRow("view 2,5 to even") << "long de_DE"
                                          << "2,5"
                                          << "2";
        QTest::newRow("view 3,5 to even") << "long de_DE"
                                          << "3,5"
                                          << "4";
        QTest::newRow("view of letters") << "long de_DE"
                                         << "abc"
                                         << "Type mismatch";
        QTest::newRow("view past 32 bits") << "long de_DE"
                                           << "3000000000"
                                           << "Overflow";
        QTest::newRow("About box tiles, by columns")
            << "tiles"
            << "1980 7275 3075"
            << "0,0 0,1605 1980,0 1980,1605 3960,0 3960,1605 5940,0 5940,1605 ";
        QTest::newRow("bounds included") << "tiles"
                                         << "1980 1980 1605"
                                         << "0,0 0,1605 1980,0 1980,1605 ";
        QTest::newRow("no tile width, no tiles") << "tiles"
                                                 << "0 6045 5940"
                                                 << "";
    }

    void text()
    {
        QFETCH(QString, what);
        QFETCH(QString, from);
        QFETCH(QString, to);
        const QLocale locale(what.section(' ', 1));
        QString result;
        const int failure = failureOf([&] {
            if (what.startsWith("log"))
                result = errlog::logLine(QDate(2026, 12, 6), QTime::fromString(from), locale,
                                         ", Main, LoadMaps, ", errorMessage(Overflow));
            else if (what.startsWith("size"))
                result = formatGrouped(from.toLongLong(), locale);
            else if (what.startsWith("store"))
                result = CStr(from.toFloat(), locale);
            else if (what.startsWith("single"))
                result = QString::number(CSng(from, locale));
            else if (what.startsWith("long"))
                result = QString::number(CLng(from, locale));
            else // tile width, window width and height, the tile 1605 high
                for (const TwipPoint &at : tilePositions(from.section(' ', 0, 0).toFloat(), 1605,
                                                         from.section(' ', 1, 1).toFloat(),
                                                         from.section(' ', 2).toFloat()))
                    result += QString("%1,%2 ").arg(at.x).arg(at.y);
        });
        QCOMPARE(failure ? errorMessage(failure) : result, to);
    }
};

QTEST_GUILESS_MAIN(tst_Core)
#include "tst_core.moc"
