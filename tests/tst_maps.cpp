#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <functional>
#include <optional>

#include <sys/stat.h>

using namespace testsupport;

// The clips the window asks for, seen at the sound module's door: the link step
// routes the window's PlayWaveRes calls here (tests/CMakeLists.txt), so no sound
// device is needed and the log holds only the window's own lines.
static QStringList soundRequests;
extern "C" void __wrap__Z11PlayWaveResRK7QStringSt8optionalIiE(const QString &clip,
                                                               std::optional<int> flags)
{
    soundRequests << (flags ? QStringLiteral("%1 %2").arg(clip).arg(*flags) : clip);
}

namespace {

QString scratch()
{
    return qEnvironmentVariable("LEVRUN_TEST_SCRATCH");
}

QString canonical(const QString &dir)
{
    return QDir(dir).canonicalPath();
}

// Entries from short descriptions: "NAME=123" a file of 123 bytes (sparse),
// "NAME=/" a folder, "NAME=->TARGET" a symbolic link, "NAME=|" a named pipe.
void makeEntries(const QString &dir, const QStringList &entries)
{
    for (const QString &entry : entries) {
        const QString name = entry.section(u'=', 0, 0);
        const QString what = entry.section(u'=', 1);
        const QString path = dir + u'/' + name;
        if (what == "/") {
            QDir(dir).mkdir(name);
        } else if (what == "|") {
            ::mkfifo(QFile::encodeName(path).constData(), 0644);
        } else if (what.startsWith("->")) {
            QFile::link(what.mid(2), path);
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(what.toLongLong()));
        }
    }
}

// A stand-in for the game: each start leaves a file in records holding its
// working directory and then its arguments, one a line.
void installStandIn(const QString &dir, const QString &records)
{
    QFile script(dir + "/duke3d");
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nrecord='" + QFile::encodeName(records) +
                 "'/launch.$$\n"
                 "{ pwd -P; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > \"$record.part\"\n"
                 "/bin/mv \"$record.part\" \"$record\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
}

QList<QStringList> launches(const QString &records)
{
    QList<QStringList> found;
    for (const QString &name : QDir(records).entryList({"launch.*"}, QDir::Files)) {
        if (name.endsWith(".part"))
            continue;
        QFile file(records + u'/' + name);
        file.open(QIODevice::ReadOnly);
        found << QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    return found;
}

// "name|size" for each item, in the order shown.
QStringList listed(platform::ListView *list)
{
    QStringList rows;
    platform::ListItems &items = list->ListItemsRef();
    for (qsizetype row = 0; row < items.Count(); ++row)
        rows << items.Item(row).Text() + u'|' + items.Item(row).SubItems(1);
    return rows;
}

struct Window
{
    frmMain form;
    QLineEdit *folder = form.findChild<QLineEdit *>("txtDukePath");
    platform::ListView *list = form.findChild<platform::ListView *>("lvwMaps");
    QMenu *menu = form.findChild<QMenu *>("mnuView");

    Window()
    {
        form.showCentred();
        // Until the settings give a folder, the first scan may have logged.
        clearLog();
        soundRequests.clear();
    }
    void scan(const QString &dir)
    {
        folder->setText(dir);
        form.LoadMaps();
    }
    QWidget *viewport() { return list->currentView()->viewport(); }
    QPoint itemCentre(int row)
    {
        list->ListItemsRef().flush();
        QAbstractItemView *view = list->currentView();
        return view->visualRect(view->model()->index(row, 0)).center();
    }
    // Right-presses at the point; while the pop-up is open, collects the
    // checked entries and hands the menu to whileOpen (which closes it by default).
    QStringList rightPress(const QPoint &at, const std::function<void(QMenu *)> &whileOpen = {})
    {
        QStringList marks;
        QTimer::singleShot(0, menu, [&] {
            QVERIFY(menu->isVisible());
            for (QAction *action : menu->actions())
                if (action->isChecked())
                    marks << action->text();
            if (whileOpen)
                whileOpen(menu);
            else
                menu->close();
        });
        QTest::mousePress(viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(viewport(), Qt::RightButton, {}, at);
        return marks;
    }
};

} // namespace

class tst_Maps : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_home = QDir::currentPath();
        m_path = qgetenv("PATH");
    }
    void init() { clearLog(); }
    void cleanup()
    {
        QDir::setCurrent(m_home);
        qputenv("PATH", m_path);
    }

    void scan_data();
    void scan();
    void sizesFollowTheUserLocale_data();
    void sizesFollowTheUserLocale();
    void emptyFolderTextScansTheRoot();
    void refresh_data();
    void refresh();
    void play_data();
    void play();
    void playWays_data();
    void playWays();
    void viewMenu_data();
    void viewMenu();
    void pressesOpeningTheMenu_data();
    void pressesOpeningTheMenu();
    void noInPlaceEdit_data();
    void noInPlaceEdit();

private:
    QString m_home;
    QByteArray m_path;
};

void tst_Maps::scan_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("suffix"); // added to the folder text
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("names and case as stored, other files left out")
        << QStringList{"E1L3.Map=1234567", "e1l2.map=0", "E1L1.MAP=999", "README.TXT=10",
                       "E1L4.MAPX=5"}
        << "" << QStringList{"E1L1.MAP|999", "e1l2.map|", "E1L3.Map|1,234,567"} << QStringList();
    QTest::newRow("folder, hidden file, pipe and broken link left out; link to a map listed")
        << QStringList{"E1L1.MAP=999",          "X.MAP=/",
                       ".HIDDEN.MAP=5",         "PIPE.MAP=|",
                       "BROKEN.MAP=->GONE.MAP", "LINK.MAP=->E1L1.MAP",
                       "DIRLINK.MAP=->X.MAP"}
        << "" << QStringList{"E1L1.MAP|999", "LINK.MAP|999"} << QStringList();
    QTest::newRow("map over 2 GiB") << QStringList{"BIG.MAP=3221225472"} << ""
                                    << QStringList{"BIG.MAP|3,221,225,472"} << QStringList();
    QTest::newRow("trailing slash")
        << QStringList{"E1L1.MAP=1000"} << "/" << QStringList{"E1L1.MAP|1,000"} << QStringList();
    QTest::newRow("no maps") << QStringList{"README.TXT=1"} << "" << QStringList() << QStringList();
    QTest::newRow("folder that does not exist") << QStringList{"E1L1.MAP=1"} << "/missing"
                                                << QStringList() << QStringList{"Path not found"};
}

void tst_Maps::scan()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, suffix);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, messages);
    QTemporaryDir game(scratch() + "/game-XXXXXX");
    makeEntries(game.path(), entries);
    Window window;
    window.list->ListItemsRef().Add().setText("OLD.MAP"); // a scan starts afresh
    window.scan(game.path() + suffix);
    shown.replaceInStrings(",", QLocale::system().groupSeparator());
    QCOMPARE(listed(window.list), shown);
    QStringList logged;
    for (const QString &line : logLines()) {
        QCOMPARE(labelOf(line), QStringLiteral(", Main, LoadMaps, "));
        logged << messageOf(line);
    }
    QCOMPARE(logged, messages);
}

void tst_Maps::sizesFollowTheUserLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("English") << "en_US.UTF-8"
                             << QStringList{"A.MAP|", "B.MAP|999", "C.MAP|1,234,567"};
    QTest::newRow("German") << "de_DE.UTF-8"
                            << QStringList{"A.MAP|", "B.MAP|999", "C.MAP|1.234.567"};
}

// The user's regional setting is read once per process: ask a child of this
// test, started under that setting, for what its list shows.
void tst_Maps::sizesFollowTheUserLocale()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, shown);
    QTemporaryDir game(scratch() + "/game-XXXXXX");
    makeEntries(game.path(), {"A.MAP=0", "B.MAP=999", "C.MAP=1234567"});
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", locale);
    environment.insert("LEVRUN_LIST_FOLDER", game.path());
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(game.path());
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
             shown);
}

void tst_Maps::emptyFolderTextScansTheRoot()
{
    makeEntries(m_home, {"HERE.MAP=1"});
    Window window;
    window.scan("");
    QStringList names;
    for (const QString &row : listed(window.list))
        names << row.section(u'|', 0, 0);
    QVERIFY(!names.contains("HERE.MAP")); // the root, not the current directory
    QStringList root = QDir("/").entryList({"*.MAP"}, QDir::Files);
    names.sort(Qt::CaseInsensitive);
    root.sort(Qt::CaseInsensitive);
    QCOMPARE(names, root);
    QCOMPARE(logLines(), QStringList());
}

void tst_Maps::refresh_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QStringList>("sounds");
    QTest::newRow("Refresh button") << "button" << QStringList{"WAV1 1", "WAV1 1"};
    QTest::newRow("View menu Refresh") << "menu" << QStringList();
}

void tst_Maps::refresh()
{
    QFETCH(QString, way);
    QFETCH(QStringList, sounds);
    QTemporaryDir game(scratch() + "/game-XXXXXX");
    makeEntries(game.path(), {"E1L1.MAP=1"});
    Window window;
    window.scan(game.path());
    makeEntries(game.path(), {"E1L2.MAP=2000"});
    soundRequests.clear();
    const QStringList expected{"E1L1.MAP|1",
                               "E1L2.MAP|2" + QLocale::system().groupSeparator() + "000"};
    for (int i = 0; i < 2; ++i) {
        if (way == "button")
            QTest::mouseClick(window.form.findChild<QPushButton *>("cmdRefresh"), Qt::LeftButton);
        else
            window.form.findChild<QAction *>("mnuViewRefresh")->trigger();
        QCOMPARE(listed(window.list), expected);
    }
    QCOMPARE(soundRequests, sounds);
    QCOMPARE(logLines(), QStringList());
}

void tst_Maps::play_data()
{
    QTest::addColumn<QStringList>("maps");
    QTest::addColumn<QString>("program"); // where the stand-in lies: game, path, previous, none
    QTest::addColumn<QString>("folder");  // the folder text at Play: game, missing
    QTest::addColumn<QStringList>("arguments"); // of the one start; empty: nothing started
    QTest::addColumn<QString>("where");         // current directory afterwards: game, previous
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    QTest::newRow("selected map") << QStringList{"E1L1.MAP"} << "game"
                                  << "game" << QStringList{"-map", "E1L1.MAP"} << "game" << none;
    QTest::newRow("blank in the name")
        << QStringList{"My Map.MAP"} << "game"
        << "game" << QStringList{"-map", "My Map.MAP"} << "game" << none;
    QTest::newRow("shell characters in the name")
        << QStringList{"My Map $(touch x);.MAP"} << "game"
        << "game" << QStringList{"-map", "My Map $(touch x);.MAP"} << "game" << none;
    QTest::newRow("no selection") << QStringList() << "game"
                                  << "game" << none << "game"
                                  << QStringList{"Object variable or With block variable not set"};
    QTest::newRow("program only on PATH")
        << QStringList{"E1L1.MAP"} << "path"
        << "game" << QStringList{"-map", "E1L1.MAP"} << "game" << none;
    QTest::newRow("no program at all") << QStringList{"E1L1.MAP"} << "none"
                                       << "game" << none << "game" << QStringList{"File not found"};
    QTest::newRow("missing folder, started from the previous directory")
        << QStringList{"E1L1.MAP"} << "previous"
        << "missing" << QStringList{"-map", "E1L1.MAP"} << "previous"
        << QStringList{"Path not found"};
    QTest::newRow("missing folder, no program in the previous directory")
        << QStringList{"E1L1.MAP"} << "game"
        << "missing" << none << "previous" << QStringList{"Path not found", "File not found"};
}

void tst_Maps::play()
{
    QFETCH(QStringList, maps);
    QFETCH(QString, program);
    QFETCH(QString, folder);
    QFETCH(QStringList, arguments);
    QFETCH(QString, where);
    QFETCH(QStringList, messages);
    QTemporaryDir game(scratch() + "/game-XXXXXX");
    QTemporaryDir previous(scratch() + "/previous-XXXXXX");
    QTemporaryDir bin(scratch() + "/bin-XXXXXX");
    QTemporaryDir records(scratch() + "/records-XXXXXX");
    for (const QString &map : maps)
        makeEntries(game.path(), {map + "=100"});
    if (program != "none")
        installStandIn(program == "game"   ? game.path()
                       : program == "path" ? bin.path()
                                           : previous.path(),
                       records.path());
    qputenv("PATH", QFile::encodeName(bin.path()) + ":/usr/bin:/bin");
    QDir::setCurrent(previous.path());

    Window window;
    window.scan(game.path());
    if (folder == "missing")
        window.folder->setText(game.path() + "/missing");
    soundRequests.clear();
    QTest::mouseClick(window.form.findChild<QPushButton *>("cmdPlay"), Qt::LeftButton);

    QCOMPARE(soundRequests, QStringList{"WAV3 1"});
    const QString expectedDir = canonical(where == "game" ? game.path() : previous.path());
    QCOMPARE(QDir::currentPath(), expectedDir);
    QStringList logged;
    for (const QString &line : logLines(expectedDir)) {
        QCOMPARE(labelOf(line), QStringLiteral(", Main, cmdPlay_Click, "));
        logged << messageOf(line);
    }
    QCOMPARE(logged, messages);
    QCOMPARE(logLines(m_home), QStringList());
    if (arguments.isEmpty()) {
        QTest::qWait(300);
        QCOMPARE(launches(records.path()), QList<QStringList>());
    } else {
        QTRY_COMPARE(launches(records.path()).size(), 1);
        QCOMPARE(launches(records.path()).first(), QStringList{expectedDir} + arguments);
    }
    QVERIFY(!QFile::exists(game.path() + "/x") && !QFile::exists(previous.path() + "/x"));
}

void tst_Maps::playWays_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QStringList>("started"); // the map of each start
    QTest::newRow("Play button twice") << "button twice" << QStringList{"E1L1.MAP", "E1L1.MAP"};
    QTest::newRow("double click on the second map") << "double click" << QStringList{"E1L2.MAP"};
    QTest::newRow("Enter") << "enter" << QStringList{"E1L1.MAP"};
    QTest::newRow("keypad Enter") << "keypad enter" << QStringList{"E1L1.MAP"};
    QTest::newRow("other key") << "key a" << QStringList();
    QTest::newRow("single left click") << "click" << QStringList();
}

void tst_Maps::playWays()
{
    QFETCH(QString, way);
    QFETCH(QStringList, started);
    QTemporaryDir game(scratch() + "/game-XXXXXX");
    QTemporaryDir records(scratch() + "/records-XXXXXX");
    makeEntries(game.path(), {"E1L1.MAP=1", "E1L2.MAP=2"});
    installStandIn(game.path(), records.path());
    Window window;
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    window.scan(game.path());
    QAbstractItemView *view = window.list->currentView();
    if (way == "button twice") {
        auto *play = window.form.findChild<QPushButton *>("cmdPlay");
        QTest::mouseClick(play, Qt::LeftButton);
        QTest::mouseClick(play, Qt::LeftButton);
    } else if (way == "double click") {
        // What the window system sends: press, release, double click, release.
        const QPoint at = window.itemCentre(1);
        QTest::mouseClick(window.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(window.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(window.viewport(), Qt::LeftButton, {}, at);
    } else if (way == "enter") {
        QTest::keyClick(view, Qt::Key_Return);
    } else if (way == "keypad enter") {
        QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier);
    } else if (way == "key a") {
        QTest::keyClick(view, Qt::Key_A);
    } else {
        QTest::mouseClick(window.viewport(), Qt::LeftButton, {}, window.itemCentre(1));
    }
    QStringList sounds;
    for (int i = 0; i < started.size(); ++i)
        sounds << "WAV3 1";
    QCOMPARE(soundRequests, sounds);
    if (started.isEmpty())
        QTest::qWait(300);
    QTRY_COMPARE(launches(records.path()).size(), started.size());
    QStringList maps;
    for (const QStringList &launch : launches(records.path()))
        maps << launch.last();
    QCOMPARE(maps, started);
}

void tst_Maps::viewMenu_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("view");
    QTest::newRow("Icons") << "Icons" << 0;
    QTest::newRow("Small icons") << "Small icons" << 1;
    QTest::newRow("List") << "List" << 2;
    QTest::newRow("Report") << "Report" << 3;
}

// Opens the real pop-up over an item, checks the marks of the mode before,
// chooses the entry, then opens it again over empty space.
void tst_Maps::viewMenu()
{
    QFETCH(QString, entry);
    QFETCH(int, view);
    const QStringList captions{"Icons", "Small icons", "List", "Report"};
    QTemporaryDir game(scratch() + "/game-XXXXXX");
    makeEntries(game.path(), {"E1L1.MAP=1"});
    Window window;
    window.scan(game.path());
    const int before = (view + 1) % 4;
    window.list->setView(before);
    const QStringList first = window.rightPress(window.itemCentre(0), [&](QMenu *menu) {
        for (QAction *action : menu->actions())
            if (action->text() == entry)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    });
    QCOMPARE(first, QStringList{captions[before]});
    QCOMPARE(window.list->View(), view);
    QCOMPARE(qobject_cast<QTreeView *>(window.list->currentView()) != nullptr, view == 3);
    const QRect space = window.viewport()->rect();
    QCOMPARE(window.rightPress(space.bottomRight() - QPoint(3, 3)), QStringList{entry});
    QCOMPARE(window.list->View(), view);
    QCOMPARE(logLines(), QStringList());
}

void tst_Maps::pressesOpeningTheMenu_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("opened");
    QTest::newRow("left") << int(Qt::LeftButton) << 0;
    QTest::newRow("middle") << int(Qt::MiddleButton) << 0;
    QTest::newRow("right") << int(Qt::RightButton) << 1;
}

void tst_Maps::pressesOpeningTheMenu()
{
    QFETCH(int, button);
    QFETCH(int, opened);
    Window window;
    QSignalSpy shown(window.menu, &QMenu::aboutToShow);
    QTimer::singleShot(0, window.menu, [&] { window.menu->close(); });
    // The press alone: the menu opens before any release.
    QTest::mousePress(window.viewport(), Qt::MouseButton(button), {}, QPoint(20, 20));
    QCOMPARE(shown.size(), opened);
    QTest::mouseRelease(window.viewport(), Qt::MouseButton(button), {}, QPoint(20, 20));
}

void tst_Maps::noInPlaceEdit_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("gesture");
    QTest::newRow("F2 in Report") << 3 << "F2";
    QTest::newRow("F2 in Icons") << 0 << "F2";
    QTest::newRow("slow second click in Report") << 3 << "slow click";
}

void tst_Maps::noInPlaceEdit()
{
    QFETCH(int, view);
    QFETCH(QString, gesture);
    QTemporaryDir game(scratch() + "/game-XXXXXX");
    makeEntries(game.path(), {"E1L1.MAP=1"});
    Window window;
    QVERIFY(QTest::qWaitForWindowActive(&window.form));
    window.list->setView(view);
    window.scan(game.path());
    QAbstractItemView *shown = window.list->currentView();
    if (gesture == "F2") {
        QTest::keyClick(shown, Qt::Key_F2);
    } else {
        const QPoint at = window.itemCentre(0);
        QTest::mouseClick(window.viewport(), Qt::LeftButton, {}, at);
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QTest::mouseClick(window.viewport(), Qt::LeftButton, {}, at);
        QTest::qWait(QApplication::doubleClickInterval() + 100);
    }
    QLineEdit *editor = shown->findChild<QLineEdit *>();
    QVERIFY(!editor || !editor->isVisible());
    QCOMPARE(listed(window.list), QStringList{"E1L1.MAP|1"});
}

// Run with LEVRUN_LIST_FOLDER set, the program prints what a scan of that
// folder shows instead of testing (see sizesFollowTheUserLocale).
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setUpApplication();
    const QString folder = qEnvironmentVariable("LEVRUN_LIST_FOLDER");
    if (!folder.isEmpty()) {
        Window window;
        window.scan(folder);
        std::puts(qPrintable(listed(window.list).join(u'\n')));
        return 0;
    }
    tst_Maps test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_maps.moc"
