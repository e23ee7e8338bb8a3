#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"

#include <QtTest>
#include <QtWidgets>

using namespace testsupport;

namespace {

// A stand-in for the game: each start appends a line to the file "launches" of
// the scratch folder, its working directory and its arguments joined by "|".
void installStandIn(const QString &dir)
{
    QFile script(dir + "/duke3d");
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nline=$(pwd -P); for a; do line=\"$line|$a\"; done\nprintf '%s\\n' "
                 "\"$line\" >> '" +
                 QFile::encodeName(scratch("launches")) + "'\n");
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
}

QStringList launches()
{
    QFile file(scratch("launches"));
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

// The main window shown, its list holding a scan of game; nothing logged or played yet.
struct Window
{
    frmMain form;
    platform::ListView *list = mapList(form);
    QMenu *menu = form.findChild<QMenu *>("mnuView");

    explicit Window(const QString &game)
    {
        form.showCentred();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        folderBox(form)->setText(game);
        form.LoadMaps();
        list->ListItemsRef().flush();
        clearLog();
        soundRequests().clear();
    }
    QWidget *viewport() { return list->currentView()->viewport(); }
    QPoint itemCentre(int row)
    {
        QAbstractItemView *view = list->currentView();
        return view->visualRect(view->model()->index(row, 0)).center();
    }
    void click(const char *button) { form.findChild<QPushButton *>(button)->click(); }
};

} // namespace

class tst_Maps : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_path = qgetenv("PATH");
        QDir().mkpath(scratch("bin"));
    }
    void init()
    {
        QDir::setCurrent(scratch("cwd"));
        qputenv("PATH", QFile::encodeName(scratch("bin")) + ":" + m_path);
        QFile::remove(scratch("launches"));
        clearLog();
    }

    // Sizes as a German user sees them (see main()).
    void scan_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("folder"); // the folder text, %1 the game folder
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("names and case as stored, sorted, other files left out")
            << QStringList{"E1L10.Map=1234567", "e1l2.map=0", "E1L1.MAP=999", "README.TXT=10",
                           "E1L4.MAPX=5"}
            << "%1" << QStringList{"E1L1.MAP|999", "e1l2.map|", "E1L10.Map|1.234.567"}
            << QStringList();
        QTest::newRow("folder, hidden file, pipe and broken link left out; link to a map listed")
            << QStringList{"E1L1.MAP=999",          "X.MAP=/",
                           ".HIDDEN.MAP=5",         "PIPE.MAP=|",
                           "BROKEN.MAP=->GONE.MAP", "LINK.MAP=->E1L1.MAP",
                           "DIRLINK.MAP=->X.MAP"}
            << "%1" << QStringList{"E1L1.MAP|999", "LINK.MAP|999"} << QStringList();
        QTest::newRow("map over 2 GiB, trailing slash")
            << QStringList{"BIG.MAP=3221225472"} << "%1/" << QStringList{"BIG.MAP|3.221.225.472"}
            << QStringList();
        // The root holds no maps; the current directory does.
        QTest::newRow("empty folder text scans the root")
            << QStringList{"E1L1.MAP=1"} << "" << QStringList() << QStringList();
        QTest::newRow("folder that does not exist")
            << QStringList{"E1L1.MAP=1"} << "%1/missing" << QStringList()
            << QStringList{", Main, LoadMaps, Path not found"};
    }

    void scan()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, folder);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, logged);
        QTemporaryDir game(scratch("game-XXXXXX"));
        makeEntries(game.path(), entries);
        QDir::setCurrent(game.path());
        Window window(game.path()); // a scan starts afresh
        folderBox(window.form)->setText(folder.arg(game.path()));
        window.form.LoadMaps();
        QCOMPARE(listed(window.form), shown);
        QCOMPARE(testsupport::logged(), logged);
    }

    // The button twice, then the menu: no duplicates, and only the button's clip.
    void refresh()
    {
        QTemporaryDir game(scratch("game-XXXXXX"));
        makeEntries(game.path(), {"E1L1.MAP=1"});
        Window window(game.path());
        makeEntries(game.path(), {"E1L2.MAP=2000"});
        for (int i = 0; i < 3; ++i) {
            if (i < 2)
                window.click("cmdRefresh");
            else
                window.form.findChild<QAction *>("mnuViewRefresh")->trigger();
            QCOMPARE(listed(window.form), QStringList({"E1L1.MAP|1", "E1L2.MAP|2.000"}));
        }
        QCOMPARE(soundRequests(), QStringList({"WAV1 1", "WAV1 1"}));
        QCOMPARE(logLines(), QStringList());
    }

    void play_data()
    {
        QTest::addColumn<QString>("map");  // empty: no selection
        QTest::addColumn<QString>("game"); // where duke3d is: here (the game folder), PATH, none
        QTest::addColumn<QStringList>("logged");
        const QString line = ", Main, cmdPlay_Click, ";
        QTest::newRow("selected map") << "E1L1.MAP"
                                      << "here" << QStringList();
        QTest::newRow("blank in the name") << "My Map.MAP"
                                           << "here" << QStringList();
        QTest::newRow("shell characters") << "My Map $(touch x);.MAP"
                                          << "here" << QStringList();
        QTest::newRow("no selection")
            << ""
            << "here" << QStringList{line + "Object variable or With block variable not set"};
        QTest::newRow("program only on PATH") << "E1L1.MAP"
                                              << "PATH" << QStringList();
        QTest::newRow("no program at all") << "E1L1.MAP"
                                           << "none" << QStringList{line + "File not found"};
        // The current directory stays where it was, and the game starts from there.
        QTest::newRow("missing folder") << "E1L1.MAP"
                                        << "missing" << QStringList{line + "Path not found"};
    }

    void play()
    {
        QFETCH(QString, map);
        QFETCH(QString, game);
        QFETCH(QStringList, logged);
        QTemporaryDir folder(scratch("game-XXXXXX"));
        if (!map.isEmpty())
            makeEntries(folder.path(), {map + "=100"});
        if (game != "none")
            installStandIn(game == "here" ? folder.path()
                                          : scratch(game == "PATH" ? "bin" : "cwd"));
        Window window(folder.path());
        if (game == "missing")
            folderBox(window.form)->setText(folder.path() + "/missing");
        window.click("cmdPlay");
        QCOMPARE(soundRequests(), QStringList{"WAV3 1"});
        // The log follows the launch into the game folder.
        const QString where =
            QDir(game == "missing" ? scratch("cwd") : folder.path()).canonicalPath();
        QCOMPARE(QDir::currentPath(), where);
        QCOMPARE(testsupport::logged(where), logged);
        const bool started = logged.isEmpty() || game == "missing";
        if (!started)
            QTest::qWait(300);
        QTRY_COMPARE(launches(), started ? QStringList{where + "|-map|" + map} : QStringList());
        QVERIFY(!QFile::exists(folder.path() + "/x") && !QFile::exists(scratch("cwd/x")));
        QFile::remove(scratch("bin/duke3d"));
        QFile::remove(scratch("cwd/duke3d"));
    }

    void listGestures_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QStringList>("started"); // the map of each start
        QTest::addColumn<int>("menu");            // how often the View menu opened
        QTest::addColumn<int>("edits");           // how often an edit was asked for, and refused
        QTest::newRow("Play button twice")
            << "Play twice" << QStringList{"E1L1.MAP", "E1L1.MAP"} << 0 << 0;
        QTest::newRow("double click on the second map")
            << "double click" << QStringList{"E1L2.MAP"} << 0 << 0;
        QTest::newRow("Enter") << "Enter" << QStringList{"E1L1.MAP"} << 0 << 0;
        QTest::newRow("other key") << "A" << QStringList() << 0 << 0;
        QTest::newRow("right press opens the menu before its release")
            << "right press" << QStringList() << 1 << 0;
        QTest::newRow("F2") << "F2" << QStringList() << 0 << 1;
    }

    void listGestures()
    {
        QFETCH(QString, gesture);
        QFETCH(QStringList, started);
        QFETCH(int, menu);
        QFETCH(int, edits);
        QTemporaryDir game(scratch("game-XXXXXX"));
        makeEntries(game.path(), {"E1L1.MAP=1", "E1L2.MAP=2"});
        installStandIn(game.path());
        Window window(game.path());
        QSignalSpy menuShown(window.menu, &QMenu::aboutToShow);
        QTimer::singleShot(0, window.menu, &QMenu::close);
        int asked = 0;
        connect(window.list, &platform::ListView::BeforeLabelEdit, this, [&] { ++asked; });
        const QPoint at = window.itemCentre(gesture == "double click" ? 1 : 0);
        if (gesture == "Play twice") {
            window.click("cmdPlay");
            window.click("cmdPlay");
        } else if (gesture == "double click") {
            // What the window system sends: press, release, double click, release.
            QTest::mouseClick(window.viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(window.viewport(), Qt::LeftButton, {}, at);
            QTest::mouseRelease(window.viewport(), Qt::LeftButton, {}, at);
        } else if (gesture == "right press") {
            QTest::mousePress(window.viewport(), Qt::RightButton, {}, at);
            QCOMPARE(menuShown.size(), 1);
            QTest::mouseRelease(window.viewport(), Qt::RightButton, {}, at);
        } else {
            QTest::keyClick(window.list->currentView(), gesture == "Enter" ? Qt::Key_Return
                                                        : gesture == "A"   ? Qt::Key_A
                                                                           : Qt::Key_F2);
        }
        QCOMPARE(soundRequests(), QStringList(started.size(), "WAV3 1"));
        QCOMPARE(menuShown.size(), menu);
        QCOMPARE(asked, edits);
        auto *editor = window.list->currentView()->findChild<QLineEdit *>();
        QVERIFY(!editor || !editor->isVisible());
        QCOMPARE(listed(window.form), QStringList({"E1L1.MAP|1", "E1L2.MAP|2"}));
        QTest::qWait(300);
        QTRY_COMPARE(launches().size(), started.size());
        QCOMPARE(launches().replaceInStrings(QRegularExpression(".*\\|"), ""), started);
    }

    void viewMenu_data()
    {
        QTest::addColumn<int>("view");
        QTest::newRow("Icons") << 0;
        QTest::newRow("Small icons") << 1;
        QTest::newRow("List") << 2;
        QTest::newRow("Report") << 3;
    }

    // The real pop-up over an item shows the mark of the mode before and sets the
    // chosen one; over empty space it then marks the new mode.
    void viewMenu()
    {
        QFETCH(int, view);
        QTemporaryDir game(scratch("game-XXXXXX"));
        makeEntries(game.path(), {"E1L1.MAP=1"});
        Window window(game.path());
        window.list->setView((view + 1) % 4);
        const QStringList entries{"Icons", "Small icons", "List", "Report"};
        QStringList marks;
        for (const QPoint &at : {window.itemCentre(0), window.viewport()->rect().bottomRight()}) {
            QTimer::singleShot(0, window.menu, [&] {
                for (QAction *action : window.menu->actions())
                    if (action->isChecked())
                        marks << action->text();
                const QRect entry = window.menu->actionGeometry(window.menu->actions()[view]);
                QTest::mouseClick(window.menu, Qt::LeftButton, {}, entry.center());
            });
            QTest::mouseClick(window.viewport(), Qt::RightButton, {}, at - QPoint(0, 2));
            QCOMPARE(window.list->View(), view);
        }
        QCOMPARE(marks, QStringList({entries[(view + 1) % 4], entries[view]}));
        QCOMPARE(qobject_cast<QTreeView *>(window.list->currentView()) != nullptr, view == 3);
        QCOMPARE(logLines(), QStringList());
    }

private:
    QByteArray m_path;
};

// The user's regional setting is German here, so sizes show its thousands
// separator rather than a comma built into the program.
int main(int argc, char **argv)
{
    qputenv("LC_ALL", "de_DE.UTF-8");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setUpApplication();
    tst_Maps test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_maps.moc"
