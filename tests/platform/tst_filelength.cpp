#include "TestSupport.h"
#include "platform/ErrorCatalogue.h"
#include "platform/FileSystem.h"
#include "platform/NumberFormat.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace platform;

// The length query of a scan, for the name the scan has just handed out and
// for every other path, and the size text in the user's format.
class tst_FileLength : public QObject
{
    Q_OBJECT

private slots:
    void lengthAfterListing_data();
    void lengthAfterListing();
    void sizeTextInTheUserFormat_data();
    void sizeTextInTheUserFormat();
};

void tst_FileLength::lengthAfterListing_data()
{
    QTest::addColumn<QByteArray>("file"); // the one map of the folder, 1000 bytes
    QTest::addColumn<QString>("ask");     // the path asked for, after the listing
    QTest::addColumn<qint64>("length");   // or the failure's number, negative
    QTest::newRow("the name just listed") << QByteArray("A.MAP") << "listed" << qint64(1000);
    QTest::newRow("the name just listed, grown since")
        << QByteArray("A.MAP") << "grown" << qint64(5000);
    QTest::newRow("the name just listed, removed since")
        << QByteArray("A.MAP") << "removed" << -qint64(FileNotFound);
    QTest::newRow("another file of the folder") << QByteArray("A.MAP") << "other" << qint64(7);
    QTest::newRow("the folder with a second slash")
        << QByteArray("A.MAP") << "twice" << qint64(1000);
    QTest::newRow("a name that is no UTF-8 names no file")
        << QByteArray("\xff.MAP") << "listed" << -qint64(FileNotFound);
}

void tst_FileLength::lengthAfterListing()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, ask);
    QFETCH(qint64, length);
    QTemporaryDir dir(qEnvironmentVariable("LEVRUN_TEST_SCRATCH") + "/length-XXXXXX");
    const QByteArray folder = QFile::encodeName(dir.path());
    const auto make = [&](const QByteArray &name, off_t size) {
        const int fd =
            ::open((folder + "/" + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0 && ::ftruncate(fd, size) == 0);
        ::close(fd);
    };
    make(file, 1000);
    make("B.TXT", 7);
    const QString listed = findFirst(dir.path() + "/*.MAP", 0);
    QVERIFY(!listed.isEmpty());
    QString path = dir.path() + u'/' + listed;
    if (ask == "grown")
        make(file, 5000);
    else if (ask == "removed")
        QVERIFY(::unlink((folder + "/" + file).constData()) == 0);
    else if (ask == "other")
        path = dir.path() + "/B.TXT";
    else if (ask == "twice")
        path = dir.path() + "//" + listed;
    qint64 measured = 0;
    try {
        measured = fileLength(path);
    } catch (const Failure &failure) {
        measured = -failure.number();
    }
    QCOMPARE(measured, length);
    QCOMPARE(findNext(), QString());
}

void tst_FileLength::sizeTextInTheUserFormat_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::newRow("zero") << qint64(0);
    QTest::newRow("999") << qint64(999);
    QTest::newRow("1234567") << qint64(1234567);
    QTest::newRow("negative") << qint64(-1234567);
}

void tst_FileLength::sizeTextInTheUserFormat()
{
    QFETCH(qint64, bytes);
    const QString expected = formatGrouped(bytes, QLocale::system());
    QCOMPARE(formatGrouped(bytes), expected);
    QTemporaryDir dir(qEnvironmentVariable("LEVRUN_TEST_SCRATCH") + "/format-XXXXXX");
    findFirst(dir.path() + "/*.MAP", 0); // a scan of its own
    QCOMPARE(formatGrouped(bytes), expected);
}

QTEST_MAIN(tst_FileLength)
#include "tst_filelength.moc"
