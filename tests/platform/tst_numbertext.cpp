#include "TestSupport.h"
#include "platform/NumberFormat.h"
#include "platform/NumberText.h"

#include <QtTest>

using namespace platform;
using testsupport::failureOf;

namespace {
const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
} // namespace

// Numbers as the user reads and writes them: map sizes, and the settings' values.
class tst_NumberText : public QObject
{
    Q_OBJECT

private slots:
    void sizeText_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << english << qint64(3221225472) << "3,221,225,472";
        QTest::newRow("Indian English still in threes")
            << QLocale(QLocale::English, QLocale::India) << qint64(1234567) << "1,234,567";
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
};

QTEST_GUILESS_MAIN(tst_NumberText)
#include "tst_numbertext.moc"
