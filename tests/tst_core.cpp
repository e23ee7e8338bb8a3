// The window-free logic: the log line and its messages, numbers as text in the
// user's region, and where the background tiles and the windows go.
#include "TestSupport.h"
#include "errlog/ErrLog.h"
#include "platform/Centring.h"
#include "platform/NumberFormat.h"
#include "platform/NumberText.h"
#include "platform/Tiling.h"

#include <QtTest>

using namespace platform;
using namespace testsupport;

class tst_Core : public QObject
{
    Q_OBJECT

private slots:
    // What (and the locale): the log line at the time from, the message of a
    // failure number, a size, a number stored or read back from the text,
    // numbers stored in one language and read in another (from), the tiles of
    // a window (tile width, outer width and height in twips), where a framed
    // window's client area goes. To: the text or
    // the number, or the failure.
    void text_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        const char *const rows[][4] = {
            {"log line, US English", "log en_US", "09:05:07",
             R"("12/6/26", "09:05:07", Main, LoadMaps, Overflow)"},
            {"log line, German", "log de_DE", "21:30:00",
             R"("06.12.26", "21:30:00", Main, LoadMaps, Overflow)"},
            {"a failure number without a message", "failure", "31337",
             "Application-defined or object-defined error"},
            {"size past 32 bits", "size en_US", "3221225472", "3,221,225,472"},
            {"size, Indian English in threes", "size en_IN", "1234567", "1,234,567"},
            {"size, German", "size de_DE", "1234", "1.234"},
            {"size 0 shows nothing", "size en_US", "0", ""},
            {"whole width stored bare", "store de_DE", "1440", "1440"},
            {"width with a fraction", "store de_DE", "1234.5", "1234,5"},
            {"width with blanks", "single de_DE", " 1234,5 ", "1234.5"},
            {"width, another region's", "single de_DE", "2250.5", "Type mismatch"},
            {"empty width", "single de_DE", "", "Type mismatch"},
            {"view 2,5 to even", "long de_DE", "2,5", "2"},
            {"view 3,5 to even", "long de_DE", "3,5", "4"},
            {"view of letters", "long de_DE", "abc", "Type mismatch"},
            {"view past 32 bits", "long de_DE", "3000000000", "Overflow"},
            {"About box tiles, by columns", "tiles", "1980 7275 3075",
             "0,0 0,1605 1980,0 1980,1605 3960,0 3960,1605 5940,0 5940,1605 "},
            {"bounds included", "tiles", "1980 1980 1605", "0,0 0,1605 1980,0 1980,1605 "},
            {"no tile width, no tiles", "tiles", "0 6045 5940", ""},
            {"width in Arabic, ASCII digits", "store ar_EG", "1234.5", "1234٫5"},
            {"view in Persian, ASCII digits", "store fa_IR", "3", "3"},
            // Available area under a 24-pixel panel, client size, frame widths.
            {"centred, frame and all", "centre", "0 24 1024 744 397 371 3 19 3 3", "313,218"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]) << QString(row[3]);
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
            else if (what == "failure")
                fail(from.toInt());
            else if (const QLocale reader(from); what.startsWith("across"))
                result = QString("%1 %2 %3 %4")
                             .arg(CSng(CStr(1440.f, locale), reader))
                             .arg(CLng(CStr(qint32(3), locale), reader))
                             .arg(CSng(CStr(12.5f, reader), reader))
                             .arg(CSng(reader.toString(1440), reader));
            else if (const QPoint at = centredClientPosition({n(0), n(1), n(2), n(3)}, {n(4), n(5)},
                                                             {n(6), n(7), n(8), n(9)});
                     what == "centre")
                result = QString("%1,%2").arg(at.x()).arg(at.y());
            else // tile width, window width and height, the tile 1605 high
                for (const TwipPoint &at : tilePositions(n(0), 1605, n(1), n(2)))
                    result += QString("%1,%2 ").arg(at.x).arg(at.y);
        });
        QCOMPARE(failure ? errorMessage(failure) : result, to);
    }
};

QTEST_GUILESS_MAIN(tst_Core)
#include "tst_core.moc"
