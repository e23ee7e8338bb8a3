#include "TestSupport.h"
#include "errlog/ErrLog.h"

#include <QtTest>

#include <cstdio>
#include <stdexcept>
#include <unistd.h>

using namespace testsupport;

class tst_ErrLog : public QObject
{
    Q_OBJECT

private slots:
    void init() { clearLog(); }

    void lineFormat_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("expected");
        QTest::newRow("US English, morning")
            << QLocale(QLocale::English, QLocale::UnitedStates) << QTime(9, 5, 7)
            << R"("12/6/26", "09:05:07", Main, cmdPlay_Click, File not found)";
        QTest::newRow("German, evening")
            << QLocale(QLocale::German, QLocale::Germany) << QTime(21, 30, 0)
            << R"("06.12.26", "21:30:00", Main, cmdPlay_Click, File not found)";
    }

    void lineFormat()
    {
        QFETCH(QLocale, locale);
        QFETCH(QTime, time);
        QFETCH(QString, expected);
        QCOMPARE(errlog::logLine(QDate(2026, 12, 6), time, locale, ", Main, cmdPlay_Click, ",
                                 platform::errorMessage(platform::FileNotFound)),
                 expected);
    }

    void eachFailingStatementAppendsOneLineAndGoesOn()
    {
        QStringList ran;
        errlog::Guard guard(", Main, LoadSettings, ");
        guard.attempt([&] {
            platform::fail(platform::TypeMismatch);
            ran << "never";
        });
        QCOMPARE(logged(), QStringList{", Main, LoadSettings, Type mismatch"}); // created
        guard.attempt([&] { ran << "second"; });
        guard.attempt([] { throw std::runtime_error("from a library"); });
        guard.attempt([] { platform::fail(31337); }); // a number without an entry
        QCOMPARE(ran, QStringList{"second"});
        const QString generic = ", Main, LoadSettings, Application-defined or object-defined error";
        QCOMPARE(logged(), QStringList({", Main, LoadSettings, Type mismatch", generic, generic}));
        QFile log("Levrun.VNL");
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray bytes = log.readAll();
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count("\r\n"), 3);
        QCOMPARE(bytes.count('\n'), 3); // no bare line feeds
    }

    void unwritableLogGoesToStandardError()
    {
        QVERIFY(QDir().mkdir("Levrun.VNL")); // a folder cannot be opened for appending
        fflush(stderr);
        const int saved = dup(fileno(stderr));
        QVERIFY(freopen("stderr.txt", "w", stderr));
        errlog::LogError(", Main, SaveSettings, ", platform::PermissionDenied);
        fflush(stderr);
        dup2(saved, fileno(stderr));
        close(saved);
        QFile out("stderr.txt");
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QByteArray text = out.readAll();
        QVERIFY2(text.endsWith(", Main, SaveSettings, Permission denied\r\n"), text.constData());
        QDir().rmdir("Levrun.VNL");
    }
};

QTEST_GUILESS_MAIN(tst_ErrLog)
#include "tst_errlog.moc"
