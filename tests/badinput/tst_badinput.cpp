// Bad input of every kind the program meets: folder texts, map names, folders
// of a million maps, maps that vanish, a log or a settings store that cannot be
// used, no sound server, no game, and signals during the exit clip. Each case
// checks the exact log lines, that the program goes on, that no setting is
// lost and that no input ran anything (a shell would have made a "canary").
#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <optional>
#include <tuple>

#include <fcntl.h>
#include <linux/capability.h>
#include <linux/securebits.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using namespace testsupport;

// A map that goes away between the scan's listing and its length query: the
// link step routes the window's length queries through here (CMakeLists.txt).
static QString removeWhenAskedFor; // the listed name whose query removes...
static QString removedPath;        // ...this path, just before the query
extern "C" qint64 __real__ZN8platform10fileLengthERK7QString(const QString &path);
extern "C" qint64 __wrap__ZN8platform10fileLengthERK7QString(const QString &path)
{
    if (!removeWhenAskedFor.isEmpty() && path.endsWith(u'/' + removeWhenAskedFor)) {
        QFile::remove(removedPath);
        removeWhenAskedFor.clear();
    }
    return __real__ZN8platform10fileLengthERK7QString(path);
}

namespace {

const char Canary[] = "canary"; // what every injection below tries to make

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

QStringList canaries()
{
    QStringList found;
    QDirIterator it(scratch(), {Canary}, QDir::AllEntries | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

void makeFile(const QByteArray &path, qint64 size = 100, const QByteArray &bytes = {})
{
    QFile file;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QVERIFY(file.open(fd, QIODevice::WriteOnly, QFile::AutoCloseHandle));
    if (!bytes.isEmpty())
        QCOMPARE(file.write(bytes), bytes.size());
    else
        QVERIFY(file.resize(size));
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// A stand-in for the game: each start leaves launch.PID in records, holding its
// working directory and then its arguments, each ended by a NUL byte.
void installGame(const QString &path, const QString &records)
{
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(
        "#!/bin/sh\nr='" + QFile::encodeName(records) +
        "'/launch.$$\n"
        "printf '%s\\0' \"$(pwd -P)\" \"$@\" > \"$r.part\" && /bin/mv \"$r.part\" \"$r\"\n");
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
}

QList<QByteArrayList> launches(const QString &records)
{
    QList<QByteArrayList> found;
    for (const QString &name : QDir(records).entryList({"launch.*"}, QDir::Files)) {
        if (name.endsWith(".part"))
            continue;
        QByteArrayList fields = readBytes(records + u'/' + name).split('\0');
        fields.removeLast(); // after the last NUL
        found << fields;
    }
    return found;
}

// Root reads and writes through any permission bits. For the cases that need
// them to count, this drops the two capabilities that let it, from this thread
// (which does all of the program's file work), until the case ends.
class PermissionsCount
{
public:
    PermissionsCount()
    {
        if (::geteuid() != 0) {
            m_counts = true;
            return;
        }
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_counts = m_dropped = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~PermissionsCount()
    {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    bool counts() const { return m_counts; }

private:
    __user_cap_header_struct m_header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct m_saved[2] = {};
    bool m_counts = false;
    bool m_dropped = false;
};

#define REQUIRE_PERMISSIONS(p)                                                                     \
    if (!(p).counts())                                                                             \
    QSKIP("running as root without the right to drop its overrides: permission bits stop nothing")

// What the program writes to standard error meanwhile: the log lines among it.
class ErrorOutput
{
public:
    ErrorOutput()
        : m_file(scratch() + "/stderr-XXXXXX")
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(2);
        ::dup2(m_file.handle(), 2);
    }
    ~ErrorOutput() { finish(); }
    QStringList logged()
    {
        finish();
        QStringList lines;
        for (QByteArray line : readBytes(m_file.fileName()).split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            const QString text = QString::fromUtf8(line);
            if (!labelOf(text).isEmpty())
                lines << labelOf(text) + messageOf(text);
        }
        return lines;
    }

private:
    void finish()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, 2);
        ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

struct Window
{
    frmMain form;
    QLineEdit *folder = form.findChild<QLineEdit *>("txtDukePath");
    platform::ListView *list = form.findChild<platform::ListView *>("lvwMaps");

    Window() { form.showCentred(); }
    void click(const char *button)
    {
        QTest::mouseClick(form.findChild<QPushButton *>(button), Qt::LeftButton);
    }
    void refresh(const QString &text)
    {
        folder->setText(text);
        click("cmdRefresh");
    }
    // The program carries on: a good folder lists its map, Play starts the game on it.
    void goesOn()
    {
        QTemporaryDir game(scratch() + "/good-XXXXXX");
        QTemporaryDir records(scratch() + "/records-XXXXXX");
        makeFile(QFile::encodeName(game.path() + "/E1L1.MAP"));
        installGame(game.path() + "/duke3d", records.path());
        refresh(game.path());
        QCOMPARE(listed(form), QStringList{"E1L1.MAP|100"});
        click("cmdPlay");
        QTRY_COMPARE(launches(records.path()).size(), 1);
        QCOMPARE(launches(records.path()).first(),
                 (QByteArrayList{QFile::encodeName(canonical(game.path())), "-map", "E1L1.MAP"}));
        QCOMPARE(logged(game.path()), QStringList());
    }
};

// The real program, in an X server and with a sound server of its own choosing.
class Program
{
public:
    Program()
        : m_dir(scratch() + "/run-XXXXXX")
    {
        QDir().mkpath(config());
        QDir().mkpath(cwd());
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    QString config() const { return m_dir.filePath("config/Levrun"); }
    QString cwd() const { return m_dir.filePath("cwd"); }

    // Starts it and waits for its window. asUser: root's overrides are not
    // handed on to it, so that permission bits count for it too.
    bool start(const QString &soundServer, bool asUser = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", m_dir.filePath("config"));
        env.insert("HOME", m_dir.path());
        env.insert("XDG_RUNTIME_DIR", m_dir.path());
        env.insert("PULSE_SERVER", soundServer);
        env.remove("QT_QPA_PLATFORM");
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(cwd());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (asUser)
            m_process.setChildProcessModifier([] { ::prctl(PR_SET_SECUREBITS, SECBIT_NOROOT); });
        m_process.start(LEVRUN_PROGRAM, {});
        if (!m_process.waitForStarted())
            return false;
        QProcess search;
        search.start("timeout", {"90", "xdotool", "search", "--sync", "--onlyvisible", "--pid",
                                 QString::number(m_process.processId()), "--name", "^Levrun$"});
        search.waitForFinished(100000);
        m_window = QString::fromLatin1(search.readAllStandardOutput()).section(u'\n', 0, 0);
        return !m_window.isEmpty();
    }
    void pressExit()
    {
        QProcess::execute("xdotool", {"windowfocus", "--sync", m_window});
        QProcess::execute("xdotool", {"key", "--window", m_window, "alt+x"});
    }
    bool ended()
    {
        return m_process.waitForFinished(90000) && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }
    qint64 pid() const { return m_process.processId(); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_window;
};

// Root's overrides can be kept from a program it starts (SECBIT_NOROOT).
bool canStartAsUser()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    return ::geteuid() != 0 ||
           (::syscall(SYS_capget, &header, data) == 0 && (data[0].effective & (1u << CAP_SETPCAP)));
}

// A store as the program writes it, its folder the given one.
QByteArray keptStore(const QString &folder = QStringLiteral("/kept/duke3d"),
                     const QByteArray &columns = "Column1=2250\nColumn2=750\n")
{
    return "[Config]\n" + columns + "DukePath=" + QFile::encodeName(folder) + "\nView=1\n";
}

} // namespace

class tst_BadInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void folderTexts_data();
    void folderTexts();
    void mapNames_data();
    void mapNames();
    void mapRemovedDuringTheScan_data();
    void mapRemovedDuringTheScan();
    void millionMaps();
    void logCannotBeWritten_data();
    void logCannotBeWritten();
    void settingsStore_data();
    void settingsStore();
    void gameProgram_data();
    void gameProgram();
    void exitWithoutSoundServer_data();
    void exitWithoutSoundServer();
    void signalDuringExitClip_data();
    void signalDuringExitClip();

private:
    QString m_home;
    QByteArray m_path;
    QString m_soundServer; // the private one tests/with-pulse started, for the real program
};

void tst_BadInput::initTestCase()
{
    QVERIFY(!scratch().isEmpty());
    setUpApplication();
    m_home = QDir::currentPath();
    m_path = qgetenv("PATH");
    // The windows made in this process play into nowhere; the real program gets the server.
    m_soundServer = qEnvironmentVariable("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(scratch()) + "/no-sound-server");
}

void tst_BadInput::init()
{
    clearLog();
    QDir(QFileInfo(storeFile()).path()).removeRecursively();
}

void tst_BadInput::cleanup()
{
    QDir::setCurrent(m_home);
    qputenv("PATH", m_path);
    removeWhenAskedFor.clear();
    QCOMPARE(canaries(), QStringList());
}

// Refresh on a folder text that names no usable folder, then Play.
void tst_BadInput::folderTexts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("scanned"); // log lines of the Refresh
    QTest::addColumn<QStringList>("played");  // log lines of the Play that follows
    const QString noItem(", Main, cmdPlay_Click, Object variable or With block variable not set");
    for (const auto &[name, kind, message] :
         {std::tuple{"does not exist", "missing", "Path not found"},
          std::tuple{"is a file", "file", "Path not found"},
          std::tuple{"runs through a file", "through a file", "Path not found"},
          std::tuple{"unreadable (mode 000)", "mode 000", "Permission denied"},
          std::tuple{"a link to itself", "link loop", "Path/File access error"},
          std::tuple{"holds bytes that are not UTF-8", "not UTF-8", "Path not found"},
          std::tuple{"5,000 characters", "long", "Bad file name or number"},
          std::tuple{"shell commands", "shell", "Path not found"}}) {
        const QString scan = QStringLiteral(", Main, LoadMaps, ") + message;
        const QString play = QStringLiteral(", Main, cmdPlay_Click, ") + message;
        QTest::newRow(name) << kind << QStringList{scan} << QStringList{play, noItem};
    }
}

void tst_BadInput::folderTexts()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, scanned);
    QFETCH(QStringList, played);
    QTemporaryDir dir(scratch() + "/folder-XXXXXX");
    const QByteArray base = QFile::encodeName(dir.path());
    QString text = dir.path() + "/missing";
    std::optional<PermissionsCount> permissions;
    if (kind == "file" || kind == "through a file") {
        makeFile(base + "/duke3d.zip");
        text = dir.path() + (kind == "file" ? "/duke3d.zip" : "/duke3d.zip/maps");
    } else if (kind == "mode 000") {
        QVERIFY(QDir().mkdir(dir.path() + "/locked"));
        makeFile(base + "/locked/E1L1.MAP");
        QVERIFY(::chmod((base + "/locked").constData(), 0) == 0);
        text = dir.path() + "/locked";
        permissions.emplace();
        REQUIRE_PERMISSIONS(*permissions);
    } else if (kind == "link loop") {
        QVERIFY(QFile::link(dir.path() + "/loop", dir.path() + "/loop"));
        text = dir.path() + "/loop";
    } else if (kind == "not UTF-8") {
        // Chosen in the picker or typed, the text holds what the name decodes to.
        QVERIFY(::mkdir((base + "/duke\xff\xfe").constData(), 0755) == 0);
        makeFile(base + "/duke\xff\xfe/E1L1.MAP");
        text = QFile::decodeName(base + "/duke\xff\xfe");
    } else if (kind == "long") {
        text = dir.path() + u'/' + QString(5000 - dir.path().size() - 1, u'd');
        QCOMPARE(text.size(), 5000);
    } else if (kind == "shell") {
        text = "$(touch canary); touch canary; `touch canary` | touch canary";
    }
    QDir::setCurrent(dir.path());

    Window window;
    window.refresh(text);
    QCOMPARE(listed(window.form), QStringList());
    QCOMPARE(logged(), scanned);
    window.click("cmdPlay");
    QCOMPARE(QDir::currentPath(), canonical(dir.path())); // nowhere else to go
    QCOMPARE(logged(), scanned + played);
    permissions.reset();
    ::chmod((base + "/locked").constData(), 0755);
    ::unlink((base + "/duke\xff\xfe/E1L1.MAP").constData()); // names Qt cannot remove
    ::rmdir((base + "/duke\xff\xfe").constData());

    window.goesOn();
}

// A map whose name is unusual on disk: listed as it is, handed to the game
// exactly as one argument, and never run.
void tst_BadInput::mapNames_data()
{
    QTest::addColumn<QByteArray>("name");     // on disk
    QTest::addColumn<QString>("shown");       // "name|size" in the list
    QTest::addColumn<QStringList>("scanned"); // log lines of the scan
    QTest::addColumn<bool>("started");        // the game started with the name on disk
    QTest::addColumn<QStringList>("played");  // log lines of Play
    const QStringList none;
    for (const char *name :
         {"My Map.MAP", "  blanks around  .MAP", "It's \"the\" map.MAP", "$(touch canary).MAP",
          "`touch canary`.MAP", "x;touch canary;.MAP", "x|touch canary&.MAP", "x >canary .MAP",
          "E1\nL1.MAP", "-help.MAP", "--version.MAP", "-map.MAP", "*.MAP", "\\E1L1.MAP"})
        QTest::newRow(QByteArray(name).replace('\n', "\\n").constData())
            << QByteArray(name) << QString::fromUtf8(name) + "|100" << none << true << none;
    QTest::newRow("UTF-8 letters")
        << QByteArray("Dük€ 地图.MAP") << "Dük€ 地图.MAP|100" << none << true << none;
    // The text of the name cannot say which bytes it came from: no size, and
    // no game started on a name that would be another.
    QTest::newRow("bytes that are not UTF-8")
        << QByteArray("E1\xff\xfeL1.MAP") << QString::fromUtf8("E1\xef\xbf\xbd\xef\xbf\xbdL1.MAP|")
        << QStringList{", Main, LoadMaps, File not found"} << false
        << QStringList{", Main, cmdPlay_Click, Bad file name or number"};
}

void tst_BadInput::mapNames()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QFETCH(QStringList, scanned);
    QFETCH(bool, started);
    QFETCH(QStringList, played);
    QTemporaryDir game(scratch() + "/game-XXXXXX");
    QTemporaryDir records(scratch() + "/records-XXXXXX");
    makeFile(QFile::encodeName(game.path()) + '/' + name);
    installGame(game.path() + "/duke3d", records.path());
    Window window;
    window.refresh(game.path());
    QCOMPARE(listed(window.form), QStringList{shown});
    QCOMPARE(logged(), scanned);
    clearLog();
    window.click("cmdPlay");
    QCOMPARE(logged(game.path()), played);
    if (started) {
        QTRY_COMPARE(launches(records.path()).size(), 1);
        QCOMPARE(launches(records.path()).first(),
                 (QByteArrayList{QFile::encodeName(canonical(game.path())), "-map", name}));
    } else {
        QTest::qWait(300);
        QCOMPARE(launches(records.path()).size(), 0);
    }
    ::unlink((QFile::encodeName(game.path()) + '/' + name).constData()); // Qt may not remove it
    window.goesOn();
}

void tst_BadInput::mapRemovedDuringTheScan_data()
{
    QTest::addColumn<QString>("removed"); // what goes, when B.MAP's length is asked for
    QTest::newRow("the map file") << "B.MAP";
    QTest::newRow("the file a listed link leads to") << "target";
}

void tst_BadInput::mapRemovedDuringTheScan()
{
    QFETCH(QString, removed);
    QTemporaryDir game(scratch() + "/game-XXXXXX");
    const QByteArray base = QFile::encodeName(game.path());
    makeFile(base + "/A.MAP", 100);
    makeFile(base + "/C.MAP", 300);
    if (removed == "target") {
        makeFile(base + "/target", 200);
        QVERIFY(QFile::link(game.path() + "/target", game.path() + "/B.MAP"));
    } else {
        makeFile(base + "/B.MAP", 200);
    }
    removeWhenAskedFor = "B.MAP";
    removedPath = game.path() + u'/' + removed;
    Window window;
    window.refresh(game.path());
    QVERIFY(removeWhenAskedFor.isEmpty()); // the hook did remove it
    QCOMPARE(listed(window.form), QStringList({"A.MAP|100", "B.MAP|", "C.MAP|300"}));
    QCOMPARE(logged(), QStringList{", Main, LoadMaps, File not found"});
    window.goesOn();
}

// Made once per machine in a memory file system where there is one (a million
// files on disk take a minute to make), sizes 0 to 999,999 bytes, all sparse.
static QString millionMapsFolder()
{
    const QString parent = QFileInfo("/dev/shm").isWritable() ? "/dev/shm" : QDir::tempPath();
    const QString folder = parent + "/levrun-million-maps";
    if (QFileInfo::exists(folder))
        return folder;
    QTemporaryDir making(folder + "-XXXXXX");
    const int dirFd = ::open(QFile::encodeName(making.path()).constData(), O_RDONLY | O_DIRECTORY);
    bool made = dirFd >= 0;
    for (int i = 0; i < 1000000 && made; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "M%06d.MAP", i);
        const int fd = ::openat(dirFd, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        made = fd >= 0 && ::ftruncate(fd, i) == 0;
        ::close(fd);
    }
    ::close(dirFd);
    if (!made)
        return {};
    // Whole or not at all, even with another run making it at the same time.
    if (::rename(QFile::encodeName(making.path()).constData(),
                 QFile::encodeName(folder).constData()) == 0)
        making.setAutoRemove(false);
    return folder;
}

void tst_BadInput::millionMaps()
{
    const QString folder = millionMapsFolder();
    QVERIFY(!folder.isEmpty());
    Window window;
    window.refresh(folder);
    platform::ListItems &items = window.list->ListItemsRef();
    QCOMPARE(items.Count(), 1000000);
    // Every name once, each with its own size (the number in its name).
    const QString separator = QLocale::system().groupSeparator();
    QList<bool> seen(1000000, false);
    for (qsizetype row = 0; row < items.Count(); ++row) {
        const platform::ListItem item = items.Item(row);
        const QString text = item.Text();
        const int size = text.mid(1, 6).toInt();
        QString digits = QString::number(size);
        for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
            digits.insert(at, separator);
        if (seen[size] || text != QString::asprintf("M%06d.MAP", size) ||
            item.SubItems(1) != (size ? digits : QString()))
            QFAIL(qPrintable(QStringLiteral("row %1: %2|%3").arg(row).arg(text, item.SubItems(1))));
        seen[size] = true;
    }
    QCOMPARE(logged(), QStringList());
    window.goesOn();
}

// The log cannot be written in the current folder: each line goes to standard
// error instead, and every statement after a failure still runs.
void tst_BadInput::logCannotBeWritten_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("a folder named Levrun.VNL") << "folder";
    QTest::newRow("a pipe that nobody reads") << "pipe";
    QTest::newRow("a link to a full disk") << "full";
    QTest::newRow("read-only log (mode 444)") << "mode 444";
    QTest::newRow("current folder removed") << "removed";
}

void tst_BadInput::logCannotBeWritten()
{
    QFETCH(QString, obstacle);
    QTemporaryDir here(scratch() + "/cwd-XXXXXX");
    const QByteArray log = QFile::encodeName(here.path()) + "/Levrun.VNL";
    const QByteArray earlier("\"1/2/26\", \"10:00:00\", Main, LoadMaps, Path not found\r\n");
    std::optional<PermissionsCount> permissions;
    if (obstacle == "folder") {
        QVERIFY(::mkdir(log.constData(), 0755) == 0);
    } else if (obstacle == "pipe") {
        QVERIFY(::mkfifo(log.constData(), 0644) == 0);
    } else if (obstacle == "full") {
        QVERIFY(::symlink("/dev/full", log.constData()) == 0);
    } else if (obstacle == "mode 444") {
        makeFile(log, 0, earlier);
        QVERIFY(::chmod(log.constData(), 0444) == 0);
    }
    QDir::setCurrent(here.path());
    Window window;
    if (obstacle == "removed")
        QVERIFY(QDir(here.path()).removeRecursively());
    if (obstacle == "mode 444") {
        permissions.emplace();
        REQUIRE_PERMISSIONS(*permissions);
    }
    ErrorOutput errors;
    window.refresh(here.path() + "/missing");
    window.click("cmdPlay");
    QCOMPARE(errors.logged(), QStringList({", Main, LoadMaps, Path not found",
                                           ", Main, cmdPlay_Click, Path not found",
                                           ", Main, cmdPlay_Click, "
                                           "Object variable or With block variable not set"}));
    permissions.reset();
    if (obstacle == "mode 444")
        QCOMPARE(readBytes(log), earlier); // what was logged before stays
    window.goesOn();
}

// A store that cannot be read is set aside whole and the program starts from
// the defaults; one that cannot be written is left as it was.
void tst_BadInput::settingsStore_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("folder");     // in the box after the load
    QTest::addColumn<QStringList>("loaded"); // log lines of the load
    QTest::addColumn<QStringList>("saved");  // log lines of the save
    const QStringList none;
    const QString unreadable(", Main, LoadSettings, Path/File access error");
    const QString unwritable(", Main, SaveSettings, Path/File access error");
    QTest::newRow("corrupt") << "corrupt"
                             << "" << QStringList{", Main, LoadSettings, Invalid file format"}
                             << none;
    QTest::newRow("unreadable (mode 000)") << "mode 000"
                                           << "" << QStringList{unreadable} << none;
    QTest::newRow("a pipe in place of the file") << "pipe"
                                                 << "" << QStringList{unreadable} << none;
    QTest::newRow("a link to an endless device") << "device"
                                                 << "" << QStringList{unreadable} << none;
    QTest::newRow("in a folder that cannot be written (mode 555)")
        << "folder 555"
        << "/kept/duke3d" << QStringList{", Main, LoadMaps, Path not found"}
        << QStringList{unwritable, unwritable, unwritable, unwritable};
}

void tst_BadInput::settingsStore()
{
    QFETCH(QString, damage);
    QFETCH(QString, folder);
    QFETCH(QStringList, loaded);
    QFETCH(QStringList, saved);
    const QByteArray store = QFile::encodeName(storeFile());
    const QByteArray storeFolder = QFile::encodeName(QFileInfo(storeFile()).path());
    const char damaged[] = "\x00\x01[Config\xff\nDukePath=/kept/duke3d\n";
    const QByteArray corrupt(damaged, sizeof damaged - 1);
    QVERIFY(QDir().mkpath(QFile::decodeName(storeFolder)));
    std::optional<PermissionsCount> permissions;
    QByteArray original = keptStore();
    if (damage == "corrupt") {
        original = corrupt;
        makeFile(store, 0, corrupt);
    } else if (damage == "mode 000") {
        makeFile(store, 0, keptStore());
        QVERIFY(::chmod(store.constData(), 0) == 0);
    } else if (damage == "pipe") {
        QVERIFY(::mkfifo(store.constData(), 0644) == 0);
    } else if (damage == "device") {
        // A zero device of the test's own: were the store written through the
        // link, the machine's /dev/zero would be replaced by a file.
        const QByteArray zero = QFile::encodeName(scratch()) + "/zero";
        ::unlink(zero.constData());
        if (::mknod(zero.constData(), S_IFCHR | 0666, makedev(1, 5)) != 0)
            QSKIP("cannot make a device node here");
        QVERIFY(::symlink(zero.constData(), store.constData()) == 0);
    } else {
        makeFile(store, 0, keptStore());
        QVERIFY(::chmod(storeFolder.constData(), 0555) == 0);
    }
    if (damage == "mode 000" || damage == "folder 555") {
        permissions.emplace();
        REQUIRE_PERMISSIONS(*permissions);
    }
    {
        Window window;
        QCOMPARE(window.folder->text(), folder);
        QCOMPARE(logged(), loaded);
        clearLog();
        window.folder->setText(scratch());
        window.form.close();
        QVERIFY(!window.form.isVisible());
        QCOMPARE(logged(), saved);
    }
    permissions.reset();
    ::chmod(storeFolder.constData(), 0755);
    if (damage == "folder 555") {
        QCOMPARE(readBytes(storeFile()), keptStore()); // left as it was
        QVERIFY(!QFileInfo::exists(storeFile() + ".bad"));
        return;
    }
    // Nothing lost: what was there lies beside the new store, as it was.
    struct stat aside;
    QVERIFY(::lstat((store + ".bad").constData(), &aside) == 0);
    if (damage == "pipe")
        QVERIFY(S_ISFIFO(aside.st_mode));
    else if (damage == "device")
        QVERIFY(S_ISLNK(aside.st_mode));
    else
        QCOMPARE(readBytes(storeFile() + ".bad"), original);
    QVERIFY(readBytes(storeFile()).contains("DukePath=" + QFile::encodeName(scratch()) + '\n'));
    Window restarted;
    QCOMPARE(restarted.folder->text(), scratch());
    QCOMPARE(logged(), QStringList());
}

// Play when duke3d cannot be started: one line, no retry, and the program goes on.
void tst_BadInput::gameProgram_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("started"); // the one on PATH
    const QString notFound(", Main, cmdPlay_Click, File not found");
    QTest::newRow("no duke3d anywhere") << "none" << false;
    QTest::newRow("duke3d not executable") << "not executable" << false;
    QTest::newRow("duke3d not executable here, one on PATH") << "not executable, PATH" << true;
    QTest::newRow("duke3d a folder") << "folder" << false;
    QTest::newRow("duke3d a broken link") << "broken link" << false;
    QTest::newRow("duke3d executable but no program") << "no program" << false;
}

void tst_BadInput::gameProgram()
{
    QFETCH(QString, kind);
    QFETCH(bool, started);
    QTemporaryDir game(scratch() + "/game-XXXXXX");
    QTemporaryDir bin(scratch() + "/bin-XXXXXX");
    QTemporaryDir records(scratch() + "/records-XXXXXX");
    const QByteArray program = QFile::encodeName(game.path()) + "/duke3d";
    makeFile(QFile::encodeName(game.path()) + "/E1L1.MAP");
    if (kind.startsWith("not executable")) {
        installGame(QFile::decodeName(program), records.path());
        QVERIFY(::chmod(program.constData(), 0644) == 0);
    } else if (kind == "folder") {
        QVERIFY(::mkdir(program.constData(), 0755) == 0);
    } else if (kind == "broken link") {
        QVERIFY(::symlink("/nonexistent/eduke32", program.constData()) == 0);
    } else if (kind == "no program") {
        makeFile(program, 0,
                 QByteArray("\x7f"
                            "ELF garbage\x01\x02",
                            15));
        QVERIFY(::chmod(program.constData(), 0755) == 0);
    }
    if (kind.endsWith("PATH"))
        installGame(bin.path() + "/duke3d", records.path());
    qputenv("PATH", QFile::encodeName(bin.path()) + ":/usr/bin:/bin");
    Window window;
    window.refresh(game.path());
    window.click("cmdPlay");
    QCOMPARE(logged(game.path()),
             started ? QStringList() : QStringList{", Main, cmdPlay_Click, File not found"});
    if (started)
        QTRY_COMPARE(launches(records.path()).size(), 1);
    QTest::qWait(300);
    QCOMPARE(launches(records.path()).size(), started ? 1 : 0);
    QDir::setCurrent(m_home);
    QFile::remove(game.path() + "/Levrun.VNL");
    window.goesOn();
}

// The Exit button's clip is synchronous: without a sound server it must not
// hold the program, and the settings are still saved. Nor does the window wait
// for a server that never answers.
void tst_BadInput::exitWithoutSoundServer_data()
{
    QTest::addColumn<QString>("server");
    QTest::newRow("nothing at the address") << "nothing";
    QTest::newRow("a server that never answers") << "silent";
    QTest::newRow("a plain file at the address") << "file";
    QTest::newRow("an address that is no address") << "garbage";
}

void tst_BadInput::exitWithoutSoundServer()
{
    QFETCH(QString, server);
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server: run through tests/badinput/with-xvfb");
    Program program;
    const QString store = program.config() + "/Levrun.ini";
    makeFile(QFile::encodeName(store), 0, keptStore(program.cwd(), {}));
    const QString address = scratch() + "/sound-server";
    QFile::remove(address); // left by a row that failed
    QString pulseServer = "unix:" + address;
    int listener = -1;
    if (server == "silent") {
        // Takes every connection and says nothing.
        listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un at{};
        at.sun_family = AF_UNIX;
        qstrncpy(at.sun_path, QFile::encodeName(address).constData(), sizeof at.sun_path);
        QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&at), sizeof at) == 0);
        QVERIFY(::listen(listener, 16) == 0);
    } else if (server == "file") {
        makeFile(QFile::encodeName(address), 10);
    } else if (server == "garbage") {
        pulseServer = "tcp:[::1:no port";
    }
    QVERIFY(program.start(pulseServer));
    if (listener >= 0) {
        // The window is up while the program still waits for the server's
        // answer: its connection is open, its first words read.
        const int connection = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        QVERIFY(connection >= 0);
        char words[4096];
        ssize_t got = 0;
        while ((got = ::recv(connection, words, sizeof words, 0)) > 0) {
        }
        QCOMPARE(got, ssize_t(-1));
        QCOMPARE(errno, EAGAIN);
        ::close(connection);
    }
    program.pressExit();
    QVERIFY(program.ended());
    if (listener >= 0)
        ::close(listener);
    QFile::remove(address);
    // Saved: the widths it had no stored value for are there now.
    QCOMPARE(readBytes(store), keptStore(program.cwd(), "Column1=1440\nColumn2=1440\n"));
    QCOMPARE(logged(program.cwd()), QStringList());
}

// A signal while the exit clip plays closes the window as well: the settings
// are saved once, not again when the clip ends, and the program ends.
void tst_BadInput::signalDuringExitClip_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("writable"); // the store; when not, each save attempt is a line
    QTest::newRow("SIGTERM") << int(SIGTERM) << true;
    QTest::newRow("SIGHUP") << int(SIGHUP) << true;
    QTest::newRow("SIGINT") << int(SIGINT) << true;
    QTest::newRow("SIGTERM, store cannot be written") << int(SIGTERM) << false;
}

void tst_BadInput::signalDuringExitClip()
{
    QFETCH(int, signal);
    QFETCH(bool, writable);
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !m_soundServer.startsWith("unix:") ||
        !QFileInfo::exists(m_soundServer.mid(5)))
        QSKIP("needs an X server and a sound server: run through with-pulse and with-xvfb");
    if (!writable && !canStartAsUser())
        QSKIP("running as root without the right to drop its overrides: permission bits stop "
              "nothing");
    // Sound streams come and go as the server reports them.
    QProcess events;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PULSE_SERVER", m_soundServer);
    events.setProcessEnvironment(env);
    events.start("pactl", {"subscribe"});
    QVERIFY(events.waitForStarted());
    QByteArray seen;
    const auto streams = [&](const char *what) {
        seen += events.readAllStandardOutput();
        return seen.count(QByteArray("Event '") + what + "' on sink-input");
    };
    // The listener is live once it reports a change of its own making.
    for (int i = 0; i < 100 && !seen.contains("on sink #"); ++i) {
        QProcess::execute("env", {"PULSE_SERVER=" + m_soundServer, "pactl", "set-sink-volume",
                                  "null", i % 2 ? "100%" : "99%"});
        events.waitForReadyRead(100);
        seen += events.readAllStandardOutput();
    }
    QVERIFY(seen.contains("on sink #"));

    Program program;
    const QString store = program.config() + "/Levrun.ini";
    makeFile(QFile::encodeName(store), 0, keptStore(program.cwd(), {}));
    if (!writable)
        QVERIFY(::chmod(QFile::encodeName(program.config()).constData(), 0555) == 0);
    QVERIFY(program.start(m_soundServer, !writable));
    QTRY_VERIFY_WITH_TIMEOUT(streams("new") >= 1, 20000); // the start-up clip
    program.pressExit();
    QTRY_VERIFY_WITH_TIMEOUT(streams("new") >= 2, 20000); // the exit clip
    QCOMPARE(streams("remove"), streams("new") - 1);      // still playing
    QCOMPARE(::kill(pid_t(program.pid()), signal), 0);
    QVERIFY(program.ended());
    events.kill();
    events.waitForFinished();
    ::chmod(QFile::encodeName(program.config()).constData(), 0755);
    if (writable) {
        QCOMPARE(readBytes(store), keptStore(program.cwd(), "Column1=1440\nColumn2=1440\n"));
        QCOMPARE(logged(program.cwd()), QStringList());
    } else {
        // One save: four keys, four lines; the store as it was.
        QCOMPARE(readBytes(store), keptStore(program.cwd(), {}));
        const QString failed(", Main, SaveSettings, Path/File access error");
        QCOMPARE(logged(program.cwd()), QStringList({failed, failed, failed, failed}));
    }
}

QTEST_MAIN(tst_BadInput)
#include "tst_badinput.moc"
