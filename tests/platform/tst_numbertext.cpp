#include "platform/ErrorCatalogue.h"
#include "platform/NumberText.h"

#include <QTest>

using namespace platform;

namespace {

// The failure number a statement raises, 0 when it runs through.
template <typename Statement>
int failureOf(Statement statement)
{
    try {
        statement();
    } catch (const Failure &failure) {
        return failure.number();
    }
    return 0;
}

const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);

} // namespace

class tst_NumberText : public QObject
{
    Q_OBJECT

private slots:
    void numbersRoundTripInTheRegionalFormat_data();
    void numbersRoundTripInTheRegionalFormat();
    void textThatIsNoNumberFails_data();
    void textThatIsNoNumberFails();
};

void tst_NumberText::numbersRoundTripInTheRegionalFormat_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("English, design width") << english << 1440.0f << "1440";
    QTest::newRow("German, design width") << german << 1440.0f << "1440";
    QTest::newRow("English, half twip") << english << 1442.5f << "1442.5";
    QTest::newRow("German, half twip") << german << 1442.5f << "1442,5";
    QTest::newRow("German, fraction only") << german << 0.25f << "0,25";
    QTest::newRow("English, seven digits") << english << 123456.7f << "123456.7";
    QTest::newRow("German, a million") << german << 1.0e6f << "1000000";
    QTest::newRow("English, negative") << english << -15.0f << "-15";
}

void tst_NumberText::numbersRoundTripInTheRegionalFormat()
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

void tst_NumberText::textThatIsNoNumberFails_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("single");  // failure of CSng, 0 for none
    QTest::addColumn<int>("integer"); // failure of CLng
    QTest::addColumn<int>("value");   // of CLng, when it succeeds
    const int mismatch = TypeMismatch;
    QTest::newRow("letters") << english << "abc" << mismatch << mismatch << 0;
    QTest::newRow("empty") << english << "" << mismatch << mismatch << 0;
    QTest::newRow("number then letters") << german << "12px" << mismatch << mismatch << 0;
    QTest::newRow("infinity") << english << "inf" << mismatch << mismatch << 0;
    QTest::newRow("German text read in English")
        << english << "1442,5" << mismatch << mismatch << 0;
    QTest::newRow("English text read in German") << german << "1442.5" << mismatch << mismatch << 0;
    QTest::newRow("beyond a single") << english << "1e39" << int(Overflow) << int(Overflow) << 0;
    QTest::newRow("beyond 32 bits") << english << "3000000000" << 0 << int(Overflow) << 0;
    QTest::newRow("blanks around") << german << " 7 " << 0 << 0 << 7;
    QTest::newRow("half rounds to even, down") << english << "2.5" << 0 << 0 << 2;
    QTest::newRow("half rounds to even, up") << german << "3,5" << 0 << 0 << 4;
}

void tst_NumberText::textThatIsNoNumberFails()
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

QTEST_GUILESS_MAIN(tst_NumberText)
#include "tst_numbertext.moc"
