#include "TestSupport.h"
#include "WAVRes.h"

#include <QtTest>

using namespace testsupport;

// Without a sound server every request returns at once, and nothing is logged.
class tst_SoundNoServer : public QObject
{
    Q_OBJECT

private slots:
    void requestsReturnAtOnce_data()
    {
        QTest::addColumn<std::optional<int>>("flags");
        QTest::newRow("WAV2, synchronous") << std::optional<int>();
        QTest::newRow("WAV2, asynchronous") << std::optional(1);
    }

    void requestsReturnAtOnce()
    {
        QFETCH(std::optional<int>, flags);
        const QString server = qEnvironmentVariable("PULSE_SERVER");
        QVERIFY2(server.startsWith("unix:") && !QFileInfo::exists(server.mid(5)),
                 "a server is there");
        setUpApplication();
        QElapsedTimer call;
        call.start();
        // Twice: a second request finds no clip left playing either.
        PlayWaveRes("WAV2", flags);
        PlayWaveRes("WAV2", flags);
        // Returned before even one clip of 2.3 s could have been played.
        QVERIFY2(call.elapsed() < 1000, qPrintable(QString::number(call.elapsed())));
        QCOMPARE(logLines(), QStringList());
    }
};

QTEST_MAIN(tst_SoundNoServer)
#include "tst_sound_noserver.moc"
