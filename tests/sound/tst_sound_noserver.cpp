#include "TestSupport.h"
#include "WAVRes.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>

using namespace testsupport;

// Without a sound server every request returns at once, and nothing is logged.
class tst_SoundNoServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { clearLog(); }

    void requestsReturnAtOnce_data();
    void requestsReturnAtOnce();
};

void tst_SoundNoServer::initTestCase()
{
    setUpApplication();
    const QString server = qEnvironmentVariable("PULSE_SERVER");
    QVERIFY2(server.startsWith(QStringLiteral("unix:")), "run with PULSE_SERVER set");
    QVERIFY2(!QFileInfo::exists(server.mid(5)), qPrintable(server));
}

void tst_SoundNoServer::requestsReturnAtOnce_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("given");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("clipMs");
    QTest::newRow("exit clip, synchronous") << "WAV2" << false << 0 << 2295;
    QTest::newRow("About box OK clip, asynchronous") << "WAV5" << true << 1 << 3690;
    QTest::newRow("Refresh clip, flags 4") << "WAV1" << true << 4 << 2785;
    QTest::newRow("start-up clip, flags 0") << "WAV6" << true << 0 << 1587;
}

void tst_SoundNoServer::requestsReturnAtOnce()
{
    QFETCH(QString, name);
    QFETCH(bool, given);
    QFETCH(int, flags);
    QFETCH(int, clipMs);
    QElapsedTimer call;
    call.start();
    // Twice: a second request finds no clip left playing either.
    for (int i = 0; i < 2; ++i) {
        if (given)
            PlayWaveRes(name, flags);
        else
            PlayWaveRes(name);
    }
    // Returned before even one of the clips could have been played.
    QVERIFY2(call.elapsed() < clipMs / 2, qPrintable(QString::number(call.elapsed())));
    QCOMPARE(logLines(), QStringList());
}

QTEST_MAIN(tst_SoundNoServer)
#include "tst_sound_noserver.moc"
