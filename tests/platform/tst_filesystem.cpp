#include "TestSupport.h"
#include "platform/ErrorCatalogue.h"
#include "platform/FileSystem.h"
#include "platform/NumberFormat.h"
#include "platform/ProgramStarter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace platform;

class tst_FileSystem : public QObject
{
    Q_OBJECT

private slots:
    void sizeText_data();
    void sizeText();
    void failures_data();
    void failures();
};

void tst_FileSystem::sizeText_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("zero is empty") << english << qint64(0) << "";
    QTest::newRow("999 English") << english << qint64(999) << "999";
    QTest::newRow("999 German") << german << qint64(999) << "999";
    QTest::newRow("1000 German") << german << qint64(1000) << "1.000";
    QTest::newRow("1234567 English") << english << qint64(1234567) << "1,234,567";
    QTest::newRow("1234567 German") << german << qint64(1234567) << "1.234.567";
    QTest::newRow("Indian English still in threes")
        << QLocale(QLocale::English, QLocale::India) << qint64(1234567) << "1,234,567";
    QTest::newRow("over 2 GiB") << english << qint64(3221225472) << "3,221,225,472";
}

void tst_FileSystem::sizeText()
{
    QFETCH(QLocale, locale);
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(formatGrouped(bytes, locale), text);
}

void tst_FileSystem::failures_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("number");
    QTest::newRow("scan of a missing folder") << "findFirst missing" << int(PathNotFound);
    QTest::newRow("scan of a file as folder") << "findFirst file" << int(PathNotFound);
    QTest::newRow("scan of an unreadable folder") << "findFirst locked" << int(PermissionDenied);
    QTest::newRow("continuation without a start") << "findNext" << int(InvalidProcedureCall);
    QTest::newRow("length of a missing file") << "fileLength" << int(FileNotFound);
    QTest::newRow("change to a missing folder") << "changeDirectory" << int(PathNotFound);
    QTest::newRow("program not found") << "startProgram" << int(FileNotFound);
    QTest::newRow("program file not executable") << "startProgram plain" << int(FileNotFound);
}

void tst_FileSystem::failures()
{
    QFETCH(QString, call);
    QFETCH(int, number);
    if (call == "findFirst locked" && ::geteuid() == 0)
        QSKIP("root reads every folder");
    QTemporaryDir dir(qEnvironmentVariable("LEVRUN_TEST_SCRATCH") + "/fs-XXXXXX");
    const QString base = dir.path();
    QFile(base + "/A.MAP").open(QIODevice::WriteOnly);
    QDir(base).mkdir("locked");
    QFile::setPermissions(base + "/locked", {});
    QFile plain(base + "/levrun-no-such-game");
    plain.open(QIODevice::WriteOnly); // no execute bit
    const QString oldPath = qEnvironmentVariable("PATH");
    qputenv("PATH", QFile::encodeName(base));
    const QString here = QDir::currentPath();
    QDir::setCurrent(base);

    int raised = 0;
    try {
        if (call == "findFirst missing")
            findFirst(base + "/missing/*.MAP", 0);
        else if (call == "findFirst file")
            findFirst(base + "/A.MAP/*.MAP", 0);
        else if (call == "findFirst locked")
            findFirst(base + "/locked/*.MAP", 0);
        else if (call == "findNext")
            findNext();
        else if (call == "fileLength")
            fileLength(base + "/gone.MAP");
        else if (call == "changeDirectory")
            changeDirectory(base + "/missing");
        else if (call == "startProgram")
            startProgram("levrun-no-such-game-at-all", {});
        else
            startProgram("levrun-no-such-game", {});
    } catch (const Failure &failure) {
        raised = failure.number();
    }
    QDir::setCurrent(here);
    qputenv("PATH", QFile::encodeName(oldPath));
    QCOMPARE(raised, number);
}

QTEST_MAIN(tst_FileSystem)
#include "tst_filesystem.moc"
