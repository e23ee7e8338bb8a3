#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace testsupport;

namespace {

const char LoadLabel[] = ", Main, LoadSettings, ";
const char SaveLabel[] = ", Main, SaveSettings, ";

QString storeFolder(const QString &configHome = qEnvironmentVariable("XDG_CONFIG_HOME"))
{
    return QDir(configHome).filePath(QStringLiteral("Levrun"));
}

QString storeFile(const QString &configHome = qEnvironmentVariable("XDG_CONFIG_HOME"))
{
    return QDir(storeFolder(configHome)).filePath(QStringLiteral("Levrun.ini"));
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The store's lines as a user sees them in an editor.
QStringList storeLines(const QString &file = storeFile())
{
    QFile ini(file);
    if (!ini.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(ini.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QString stored(const QString &key)
{
    QSettings reader(storeFile(), QSettings::IniFormat);
    return reader.value(QStringLiteral("Config/") + key).toString();
}

// The messages logged under one label, in the order logged.
QStringList messagesOf(const char *label, const QString &dir = {})
{
    QStringList messages;
    for (const QString &line : logLines(dir))
        if (labelOf(line) == QLatin1String(label))
            messages << messageOf(line);
    return messages;
}

platform::ListView *list(frmMain &window)
{
    return window.findChild<platform::ListView *>(QStringLiteral("lvwMaps"));
}

QLineEdit *folderBox(frmMain &window)
{
    return window.findChild<QLineEdit *>(QStringLiteral("txtDukePath"));
}

QAction *viewItem(frmMain &window, int view)
{
    static const char *const names[] = {"mnuViewIcons", "mnuViewSmallIcons", "mnuViewList",
                                        "mnuViewReport"};
    return window.findChild<QAction *>(QLatin1String(names[view]));
}

void typeInto(QLineEdit *box, const QString &text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    // Character by character, as a keyboard would send them; keyClicks knows Latin-1 only.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Drags the right edge of a column in the report view's header by dx pixels.
void dragColumnEdge(QHeaderView *header, int column, int dx)
{
    QWidget *viewport = header->viewport();
    const int edge = header->sectionViewportPosition(column) + header->sectionSize(column) - 1;
    const QPoint from(edge, header->height() / 2);
    QTest::mouseMove(viewport, from);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(viewport, from + QPoint(dx * step / 4, 0));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(dx, 0));
}

// The pid's handler for sig is installed: the program can close in order.
bool catches(qint64 pid, int sig)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return line.mid(7).trimmed().toULongLong(nullptr, 16) & (1ULL << (sig - 1));
    return false;
}

} // namespace

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void loadPutsStoredValuesIntoTheControls_data();
    void loadPutsStoredValuesIntoTheControls();
    void everyWayOfClosingSavesAllFourKeys_data();
    void everyWayOfClosingSavesAllFourKeys();
    void typedFolderIsSavedAsTypedAndRestored_data();
    void typedFolderIsSavedAsTypedAndRestored();
    void resizedColumnsAndChosenViewComeBack_data();
    void resizedColumnsAndChosenViewComeBack();
    void damagedStoreGivesDefaultsAndTheNextUnloadWritesAGoodFile_data();
    void damagedStoreGivesDefaultsAndTheNextUnloadWritesAGoodFile();
    void unwritableConfigFolderCostsOnlyTheSave();
    void realProgramSavesOnSigterm_data();
    void realProgramSavesOnSigterm();
};

void tst_Settings::initTestCase()
{
    const QString scratch = qEnvironmentVariable("LEVRUN_TEST_SCRATCH");
    QVERIFY(!scratch.isEmpty());
    QVERIFY(qEnvironmentVariable("XDG_CONFIG_HOME").startsWith(scratch));
    setUpApplication();
}

void tst_Settings::init()
{
    clearLog();
    QFile::remove(storeFolder());
    QDir(storeFolder()).removeRecursively();
}

void tst_Settings::loadPutsStoredValuesIntoTheControls_data()
{
    QTest::addColumn<QByteArray>("ini"); // empty: no store yet
    QTest::addColumn<float>("column1");
    QTest::addColumn<float>("column2");
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("logged");
    const QStringList none;
    const QStringList mismatch{"Type mismatch"};
    const QStringList refused{"Invalid property value"};
    QTest::newRow("first run") << QByteArray() << 1440.f << 1440.f << 3 << "" << none;
    QTest::newRow("view 1 small icons")
        << QByteArray("[Config]\nView=1\n") << 1440.f << 1440.f << 1 << "" << none;
    QTest::newRow("view 3 report")
        << QByteArray("[Config]\nView=3\n") << 1440.f << 1440.f << 3 << "" << none;
    QTest::newRow("view of letters keeps the design view")
        << QByteArray("[Config]\nView=abc\n") << 1440.f << 1440.f << 3 << "" << mismatch;
    QTest::newRow("view 7 refused")
        << QByteArray("[Config]\nView=7\n") << 1440.f << 1440.f << 3 << "" << refused;
    QTest::newRow("widths") << QByteArray("[Config]\nColumn1=2250\nColumn2=600\n") << 2250.f
                            << 600.f << 3 << "" << none;
    QTest::newRow("negative width refused")
        << QByteArray("[Config]\nColumn1=-15\n") << 1440.f << 1440.f << 3 << "" << refused;
    QTest::newRow("empty DukePath")
        << QByteArray("[Config]\nDukePath=\n") << 1440.f << 1440.f << 3 << "" << none;
    QTest::newRow("a bad value costs only itself")
        << QByteArray("[Config]\nColumn1=abc\nColumn2=900\nView=2\nDukePath=/no/such/\n") << 1440.f
        << 900.f << 2 << "/no/such/" << mismatch;
}

void tst_Settings::loadPutsStoredValuesIntoTheControls()
{
    QFETCH(QByteArray, ini);
    QFETCH(float, column1);
    QFETCH(float, column2);
    QFETCH(int, view);
    QFETCH(QString, folder);
    QFETCH(QStringList, logged);
    if (!ini.isEmpty())
        writeFile(storeFile(), ini);
    frmMain window;
    QCOMPARE(list(window)->ColumnWidth(1), column1);
    QCOMPARE(list(window)->ColumnWidth(2), column2);
    QCOMPARE(list(window)->View(), view);
    QCOMPARE(folderBox(window)->text(), folder);
    QCOMPARE(messagesOf(LoadLabel), logged);
    QCOMPARE(messagesOf(", Main, Form_Load, "), QStringList());
    if (ini.isEmpty()) // reading made nothing
        QVERIFY(!QFileInfo::exists(storeFolder()));
}

void tst_Settings::everyWayOfClosingSavesAllFourKeys_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("close box") << "close";
    QTest::newRow("Exit button") << "exit";
    QTest::newRow("SIGTERM") << "SIGTERM";
    QTest::newRow("SIGHUP") << "SIGHUP";
    QTest::newRow("SIGINT") << "SIGINT";
}

void tst_Settings::everyWayOfClosingSavesAllFourKeys()
{
    QFETCH(QString, way);
    // What an earlier run left must not survive in place of this run's values.
    writeFile(storeFile(), "[Config]\nColumn1=3000\nColumn2=3000\nView=0\nDukePath=/old\n");
    {
        frmMain window;
        window.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        list(window)->setColumnWidth(1, 2250);
        list(window)->setColumnWidth(2, 750);
        viewItem(window, 2)->trigger();
        typeInto(folderBox(window), QStringLiteral("/typed path"));
        if (way == "close")
            window.close();
        else if (way == "exit")
            window.findChild<QPushButton *>(QStringLiteral("cmdExit"))->click();
        else
            ::raise(way == "SIGTERM" ? SIGTERM : way == "SIGHUP" ? SIGHUP : SIGINT);
        QTRY_VERIFY(!window.isVisible());
    }
    QCOMPARE(storeLines(), QStringList({"[Config]", "Column1=2250", "Column2=750",
                                        "DukePath=/typed path", "View=2"}));
    QCOMPARE(messagesOf(", Main, SaveSettings, "), QStringList());
}

void tst_Settings::typedFolderIsSavedAsTypedAndRestored_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("folder that does not exist") << "/no/such/duke3d";
    QTest::newRow("blanks around, trailing separator") << "  /games/duke 3d/  ";
    QTest::newRow("backslashes, comma and quotes") << R"(C:\Games\Duke, "Atomic"\)";
    QTest::newRow("at sign, semicolon, hash, equals") << "@Variant(x);y#z=w";
    QTest::newRow("non-ASCII") << "/spiele/Düke Nükem/地图";
}

void tst_Settings::typedFolderIsSavedAsTypedAndRestored()
{
    QFETCH(QString, typed);
    {
        frmMain window;
        window.showCentred();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        typeInto(folderBox(window), typed);
        QCOMPARE(folderBox(window)->text(), typed);
        window.close();
    }
    QCOMPARE(stored(QStringLiteral("DukePath")), typed);
    frmMain restarted;
    QCOMPARE(folderBox(restarted)->text(), typed);
    // Only the scans of a folder that is not there complain.
    QCOMPARE(messagesOf(", Main, SaveSettings, "), QStringList());
    QCOMPARE(messagesOf(", Main, LoadSettings, "), QStringList());
}

void tst_Settings::resizedColumnsAndChosenViewComeBack_data()
{
    QTest::addColumn<int>("view");
    QTest::newRow("Icons") << 0;
    QTest::newRow("List") << 2;
}

void tst_Settings::resizedColumnsAndChosenViewComeBack()
{
    QFETCH(int, view);
    float column1 = 0;
    float column2 = 0;
    {
        frmMain window;
        window.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(list(window)->View(), 3); // the header shows in report view
        auto *header = list(window)->findChild<QHeaderView *>();
        QVERIFY(header && header->isVisible());
        dragColumnEdge(header, 0, 40);
        dragColumnEdge(header, 1, -30);
        column1 = list(window)->ColumnWidth(1);
        column2 = list(window)->ColumnWidth(2);
        QCOMPARE(column1, 1440.f + 40 * 15);
        QCOMPARE(column2, 1440.f - 30 * 15);
        viewItem(window, view)->trigger();
        QCOMPARE(list(window)->View(), view);
        window.close();
    }
    frmMain restarted;
    QCOMPARE(list(restarted)->ColumnWidth(1), column1);
    QCOMPARE(list(restarted)->ColumnWidth(2), column2);
    QCOMPARE(list(restarted)->View(), view);
    QCOMPARE(logLines(), QStringList());
}

void tst_Settings::damagedStoreGivesDefaultsAndTheNextUnloadWritesAGoodFile_data()
{
    QTest::addColumn<QByteArray>("damage"); // empty: a folder in place of the file
    QTest::addColumn<QString>("message");
    QTest::newRow("binary garbage")
        << QByteArray("\x00\x01\x7f\xff\xfe PK\x03\x04", 11) << "Invalid file format";
    QTest::newRow("junk before the section")
        << QByteArray("junk\n[Config]\nView=1\nDukePath=/games\n") << "Invalid file format";
    QTest::newRow("unclosed section header")
        << QByteArray("[Config\nView=1\nDukePath=/games\n") << "Invalid file format";
    QTest::newRow("folder in place of the file") << QByteArray() << "Path/File access error";
}

void tst_Settings::damagedStoreGivesDefaultsAndTheNextUnloadWritesAGoodFile()
{
    QFETCH(QByteArray, damage);
    QFETCH(QString, message);
    const auto damageStore = [&] {
        if (damage.isEmpty())
            QVERIFY(QDir().mkpath(storeFile()));
        else
            writeFile(storeFile(), damage);
    };
    damageStore();
    {
        frmMain window;
        QCOMPARE(list(window)->ColumnWidth(1), 1440.f);
        QCOMPARE(list(window)->ColumnWidth(2), 1440.f);
        QCOMPARE(list(window)->View(), 3);
        QCOMPARE(folderBox(window)->text(), QString());
        QCOMPARE(messagesOf(LoadLabel), QStringList{message});
        // Set aside, not thrown away: the user can still look at it.
        const QFileInfo setAside(storeFile() + ".bad");
        QVERIFY(damage.isEmpty() ? setAside.isDir() : setAside.size() == damage.size());
        QVERIFY(!QFileInfo::exists(storeFile()));
        damageStore(); // damaged again while the program runs
        viewItem(window, 2)->trigger();
        folderBox(window)->setText(QStringLiteral("/after"));
        window.close();
    }
    QCOMPARE(messagesOf(SaveLabel), QStringList());
    QCOMPARE(storeLines(), QStringList({"[Config]", "Column1=1440", "Column2=1440",
                                        "DukePath=/after", "View=2"}));
    frmMain restarted;
    QCOMPARE(list(restarted)->View(), 2);
    QCOMPARE(folderBox(restarted)->text(), QStringLiteral("/after"));
    QCOMPARE(messagesOf(LoadLabel), QStringList{message}); // no new line
}

void tst_Settings::unwritableConfigFolderCostsOnlyTheSave()
{
    // Tests run as root, where permissions stop nothing; a file in the way stops everyone.
    writeFile(storeFolder(), "in the way");
    {
        frmMain window;
        window.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(messagesOf(LoadLabel), QStringList()); // nothing stored is no failure
        folderBox(window)->setText(QStringLiteral("/lost"));
        window.close();
        QVERIFY(!window.isVisible());
    }
    const QString failed = QStringLiteral("Path/File access error");
    QCOMPARE(messagesOf(SaveLabel), QStringList({failed, failed, failed, failed}));
    QCOMPARE(messagesOf(", Main, Form_Unload, "), QStringList());
    QCOMPARE(QFileInfo(storeFolder()).size(), qint64(10)); // left as it was

    // Once the way is clear, the next save is whole.
    QVERIFY(QFile::remove(storeFolder()));
    clearLog();
    {
        frmMain window;
        folderBox(window)->setText(QStringLiteral("/next"));
        window.close();
    }
    QCOMPARE(logLines(), QStringList());
    QCOMPARE(stored(QStringLiteral("DukePath")), QStringLiteral("/next"));
    QCOMPARE(stored(QStringLiteral("View")), QStringLiteral("3"));
}

void tst_Settings::realProgramSavesOnSigterm_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("ini"); // empty: no store; "blocked": a file in its place
    QTest::addColumn<QStringList>("saved");
    QTest::addColumn<QStringList>("loadLogged");
    QTest::addColumn<int>("saveFailures");
    const QByteArray regional("[Config]\nColumn1=\"1234,5\"\nColumn2=2250.5\nView=2\n"
                              "DukePath=/spiele/duke3d\n");
    QTest::newRow("first run") << "en_US.UTF-8" << QByteArray()
                               << QStringList{"[Config]", "Column1=1440", "Column2=1440",
                                              "DukePath=", "View=3"}
                               << QStringList() << 0;
    // 1234.5 twips is 82.3 pixels, shown as 82: 1230 twips.
    QTest::newRow("German number format") << "de_DE.UTF-8" << regional
                                          << QStringList{"[Config]", "Column1=1230", "Column2=1440",
                                                         "DukePath=/spiele/duke3d", "View=2"}
                                          << QStringList{"Type mismatch"} << 0;
    QTest::newRow("English number format")
        << "en_US.UTF-8" << regional
        << QStringList{"[Config]", "Column1=1440", "Column2=2250", "DukePath=/spiele/duke3d",
                       "View=2"}
        << QStringList{"Type mismatch"} << 0;
    QTest::newRow("unwritable configuration folder")
        << "en_US.UTF-8" << QByteArray("blocked") << QStringList() << QStringList() << 4;
}

void tst_Settings::realProgramSavesOnSigterm()
{
    QFETCH(QString, locale);
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, saved);
    QFETCH(QStringList, loadLogged);
    QFETCH(int, saveFailures);
    QTemporaryDir scratch(qEnvironmentVariable("LEVRUN_TEST_SCRATCH") +
                          QStringLiteral("/run-XXXXXX"));
    QVERIFY(scratch.isValid());
    const QString configHome = scratch.filePath(QStringLiteral("config"));
    const QString cwd = scratch.filePath(QStringLiteral("cwd"));
    QVERIFY(QDir().mkpath(configHome) && QDir().mkpath(cwd));
    if (ini == "blocked")
        writeFile(storeFolder(configHome), "in the way");
    else if (!ini.isEmpty())
        writeFile(storeFile(configHome), ini);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("HOME"), scratch.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratch.path()); // private to this user
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(cwd);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(LEVRUN_PROGRAM), QStringList());
    QVERIFY(program.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(catches(program.processId(), SIGTERM), 20000);
    QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    QCOMPARE(storeLines(storeFile(configHome)), saved);
    QCOMPARE(messagesOf(LoadLabel, cwd), loadLogged);
    QCOMPARE(messagesOf(SaveLabel, cwd).size(), saveFailures);
}

QTEST_MAIN(tst_Settings)
#include "tst_settings.moc"
