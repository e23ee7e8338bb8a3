#include "TestSupport.h"
#include "errlog/ErrLog.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <cstdio>
#include <stdexcept>
#include <unistd.h>

using namespace testsupport;

class tst_ErrLog : public QObject
{
    Q_OBJECT

private slots:
    void init() { clearLog(); }

    void lineFormat_data();
    void lineFormat();
    void messages_data();
    void messages();
    void firstFailureCreatesTheLog();
    void linesAreAppendedWithCrLf();
    void guardLogsEachFailingStatementAndGoesOn();
    void guardTurnsForeignExceptionsIntoTheGenericMessage();
    void unwritableLogGoesToStandardError();
};

void tst_ErrLog::lineFormat_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("expected");

    QTest::newRow("US English, morning")
        << QLocale(QLocale::English, QLocale::UnitedStates) << QDate(2026, 1, 2) << QTime(9, 5, 7)
        << R"("1/2/26", "09:05:07", Main, cmdPlay_Click, File not found)";
    QTest::newRow("German, afternoon")
        << QLocale(QLocale::German, QLocale::Germany) << QDate(2026, 12, 6) << QTime(21, 30, 0)
        << R"("06.12.26", "21:30:00", Main, cmdPlay_Click, File not found)";
    QTest::newRow("midnight keeps two digits")
        << QLocale(QLocale::English, QLocale::UnitedKingdom) << QDate(2027, 3, 4) << QTime(0, 0, 9)
        << R"("04/03/2027", "00:00:09", Main, cmdPlay_Click, File not found)";
}

void tst_ErrLog::lineFormat()
{
    QFETCH(QLocale, locale);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(QString, expected);
    QCOMPARE(errlog::logLine(date, time, locale, ", Main, cmdPlay_Click, ",
                             platform::errorMessage(platform::FileNotFound)),
             expected);
}

void tst_ErrLog::messages_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("message");
    QTest::newRow("path not found") << 76 << "Path not found";
    QTest::newRow("permission denied") << 70 << "Permission denied";
    QTest::newRow("subscript out of range") << 9 << "Subscript out of range";
    QTest::newRow("invalid property value") << 380 << "Invalid property value";
    QTest::newRow("type mismatch") << 13 << "Type mismatch";
    QTest::newRow("object not set") << 91 << "Object variable or With block variable not set";
    QTest::newRow("number without an entry")
        << 31337 << "Application-defined or object-defined error";
}

void tst_ErrLog::messages()
{
    QFETCH(int, number);
    QFETCH(QString, message);
    errlog::LogError(", WAVRes, PlayWaveRes, ", number);
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 1);
    QCOMPARE(labelOf(lines[0]), QStringLiteral(", WAVRes, PlayWaveRes, "));
    QCOMPARE(messageOf(lines[0]), message);
    // The line ends with label and message: the error number never appears.
    QVERIFY(lines[0].endsWith(QStringLiteral("\", WAVRes, PlayWaveRes, ") + message));
}

void tst_ErrLog::firstFailureCreatesTheLog()
{
    QVERIFY(!QFile::exists("Levrun.VNL"));
    errlog::LogError(", Main, LoadMaps, ", platform::PathNotFound);
    QVERIFY(QFile::exists("Levrun.VNL"));
    QCOMPARE(logLines().size(), 1);
}

void tst_ErrLog::linesAreAppendedWithCrLf()
{
    QFile earlier("Levrun.VNL");
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier line\r\n");
    earlier.close();

    errlog::LogError(", Main, LoadMaps, ", platform::PathNotFound);
    errlog::LogError(", Main, cmdPlay_Click, ", platform::ObjectNotSet);

    QFile log("Levrun.VNL");
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    QVERIFY(bytes.startsWith("an earlier line\r\n"));
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\r\n"), 3);
    QCOMPARE(bytes.count('\n'), 3); // no bare line feeds
    const QStringList lines = logLines();
    QCOMPARE(labelOf(lines[1]), QStringLiteral(", Main, LoadMaps, "));
    QCOMPARE(labelOf(lines[2]), QStringLiteral(", Main, cmdPlay_Click, "));
}

void tst_ErrLog::guardLogsEachFailingStatementAndGoesOn()
{
    QStringList ran;
    errlog::Guard guard(", Main, LoadSettings, ");
    guard.attempt([&] {
        platform::fail(platform::TypeMismatch);
        ran << "never";
    });
    guard.attempt([&] { ran << "second"; });
    guard.attempt([&] { platform::fail(platform::InvalidPropertyValue); });
    guard.attempt([&] { ran << "fourth"; });

    QCOMPARE(ran, QStringList({"second", "fourth"}));
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(messageOf(lines[0]), QStringLiteral("Type mismatch"));
    QCOMPARE(messageOf(lines[1]), QStringLiteral("Invalid property value"));
    QCOMPARE(labelOf(lines[0]), QStringLiteral(", Main, LoadSettings, "));
    QCOMPARE(labelOf(lines[1]), QStringLiteral(", Main, LoadSettings, "));
}

void tst_ErrLog::guardTurnsForeignExceptionsIntoTheGenericMessage()
{
    errlog::Guard guard(", Main, Form_Paint, ");
    guard.attempt([] { throw std::runtime_error("from a library"); });
    guard.attempt([] { throw 42; });
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 2);
    for (const QString &line : lines)
        QCOMPARE(messageOf(line), QStringLiteral("Application-defined or object-defined error"));
}

void tst_ErrLog::unwritableLogGoesToStandardError()
{
    // A folder where the log should be: it cannot be opened for appending.
    QVERIFY(QDir().mkdir("Levrun.VNL"));
    const QString captured = QDir::current().filePath("stderr.txt");
    fflush(stderr);
    const int saved = dup(fileno(stderr));
    QVERIFY(freopen(captured.toLocal8Bit().constData(), "w", stderr));

    errlog::LogError(", Main, SaveSettings, ", platform::PermissionDenied);

    fflush(stderr);
    dup2(saved, fileno(stderr));
    close(saved);
    QFile out(captured);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(out.readAll());
    QVERIFY2(text.endsWith(", Main, SaveSettings, Permission denied\r\n"), qPrintable(text));
    QDir().rmdir("Levrun.VNL");
}

QTEST_GUILESS_MAIN(tst_ErrLog)
#include "tst_errlog.moc"
