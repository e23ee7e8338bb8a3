// The windows as a German user meets them (see main()): the scan, the list's
// gestures, the settings kept between runs, the folder chooser, the About box
// and the tiled background.
#include "About.h"
#include "BrowseForFolder.h"
#include "Main.h"
#include "TestSupport.h"
#include "config.h"
#include "platform/ListView.h"

#include <QtTest>
#include <QtWidgets>

using namespace testsupport;

namespace {

const QString Load = ", Main, LoadSettings, ";
const QString NoFolder = ", Main, LoadMaps, Path not found";
const QStringList DesignControls{"1440", "1440", "3", ""};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) >= 0);
}

// Column1, Column2, View and DukePath as the controls hold them.
QStringList controls(frmMain &window)
{
    platform::ListView *list = mapList(window);
    return {QString::number(list->ColumnWidth(1)), QString::number(list->ColumnWidth(2)),
            QString::number(list->View()), folderBox(window)->text()};
}

// Drags the right edge of a column in the report view's header by dx pixels.
void dragColumnEdge(QHeaderView *header, int column, int dx)
{
    const int edge = header->sectionViewportPosition(column) + header->sectionSize(column) - 1;
    const QPoint from(edge, header->height() / 2);
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(header->viewport(), from + QPoint(dx * step / 4, 0));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, from + QPoint(dx, 0));
}

// Answers the next folder chooser as a user would: goes to folder and confirms
// it, or cancels when folder is empty. Notes what the chooser showed.
struct ChooserAnswer
{
    QString folder;
    QStringList seen; // title, start folder, what it shows, owner
    QTimer timer;

    explicit ChooserAnswer(const QString &folder)
        : folder(folder)
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!chooser)
                return;
            timer.stop();
            const bool foldersOnly = chooser->fileMode() == QFileDialog::Directory &&
                                     chooser->testOption(QFileDialog::ShowDirsOnly);
            seen = QStringList{chooser->windowTitle(), chooser->directory().path(),
                               foldersOnly ? "folders only" : "files too",
                               chooser->parentWidget()->objectName()};
            if (this->folder.isEmpty())
                return chooser->reject();
            chooser->setDirectory(this->folder);
            static_cast<QDialog *>(chooser)->accept(); // protected in QFileDialog
        });
        timer.start(20);
    }
};

// The main window shown, its list holding a scan of game; nothing logged or played yet.
struct Window
{
    frmMain form;
    platform::ListView *list = mapList(form);

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
};

} // namespace

// Stands in for the user's browser and mail program.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl &url) { opened << url.toString(); }
};

class tst_Main : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QDir::setCurrent(scratch("cwd"));
        clearLog();
        QDir(QFileInfo(storeFile()).path()).removeRecursively();
    }

    void scan_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("folder"); // the folder text, %1 the game folder
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("names and case as stored, sorted, other files left out")
            << QStringList{"E1L10.Map=1234567", "e1l2.map=0", "E1L1.MAP=999", "README.TXT=10",
                           "E1L4.MAPX=5"}
            << "%1" << QStringList{"E1L1.MAP|999", "e1l2.map|", "E1L10.Map|1.234.567"};
        QTest::newRow("folder, hidden file, pipe and broken link left out; link to a map listed")
            << QStringList{"E1L1.MAP=999",          "X.MAP=/",
                           ".HIDDEN.MAP=5",         "PIPE.MAP=|",
                           "BROKEN.MAP=->GONE.MAP", "LINK.MAP=->E1L1.MAP",
                           "DIRLINK.MAP=->X.MAP"}
            << "%1" << QStringList{"E1L1.MAP|999", "LINK.MAP|999"};
        QTest::newRow("map over 2 GiB, trailing slash")
            << QStringList{"BIG.MAP=3221225472"} << "%1/" << QStringList{"BIG.MAP|3.221.225.472"};
        // The root holds no maps; the current directory does.
        QTest::newRow("empty folder text scans the root")
            << QStringList{"E1L1.MAP=1"} << "" << QStringList();
    }

    void scan()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, folder);
        QFETCH(QStringList, shown);
        QTemporaryDir game(scratch("game-XXXXXX"));
        makeEntries(game.path(), entries);
        QDir::setCurrent(game.path());
        Window window(game.path()); // a scan starts afresh
        folderBox(window.form)->setText(folder.arg(game.path()));
        window.form.LoadMaps();
        QCOMPARE(listed(window.form), shown);
        QCOMPARE(logLines(), QStringList());
    }

    void listGestures_data()
    {
        QTest::addColumn<int>("key");   // on the list; 0: a right press
        QTest::addColumn<int>("plays"); // Play's clip; each start fails, there is no game
        QTest::addColumn<int>("menu");  // how often the View menu opened
        QTest::addColumn<int>("edits"); // how often an edit was asked for, and refused
        QTest::newRow("Enter plays") << int(Qt::Key_Return) << 1 << 0 << 0;
        QTest::newRow("other key") << int(Qt::Key_A) << 0 << 0 << 0;
        QTest::newRow("F2 asks for an edit") << int(Qt::Key_F2) << 0 << 0 << 1;
        QTest::newRow("right press opens the menu before its release") << 0 << 0 << 1 << 0;
    }

    void listGestures()
    {
        QFETCH(int, key);
        QFETCH(int, plays);
        QFETCH(int, menu);
        QFETCH(int, edits);
        QTemporaryDir game(scratch("game-XXXXXX"));
        makeEntries(game.path(), {"E1L1.MAP=1", "E1L2.MAP=2"});
        Window window(game.path());
        auto *viewMenu = window.form.findChild<QMenu *>("mnuView");
        QSignalSpy menuShown(viewMenu, &QMenu::aboutToShow);
        QTimer::singleShot(0, viewMenu, &QMenu::close);
        int asked = 0;
        connect(window.list, &platform::ListView::BeforeLabelEdit, this, [&] { ++asked; });
        QAbstractItemView *view = window.list->currentView();
        if (key) {
            QTest::keyClick(view, Qt::Key(key));
        } else {
            const QPoint at = view->visualRect(view->model()->index(0, 0)).center();
            QTest::mousePress(view->viewport(), Qt::RightButton, {}, at);
            QCOMPARE(menuShown.size(), 1);
            QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, at);
        }
        QCOMPARE(soundRequests(), QStringList(plays, "WAV3 1"));
        QCOMPARE(logged(game.path()), QStringList(plays, ", Main, cmdPlay_Click, File not found"));
        QCOMPARE(window.list->SelectedItem().Text(), QStringLiteral("E1L1.MAP"));
        QCOMPARE(menuShown.size(), menu);
        QCOMPARE(asked, edits);
        auto *editor = view->findChild<QLineEdit *>();
        QVERIFY(!editor || !editor->isVisible());
        QCOMPARE(listed(window.form), QStringList({"E1L1.MAP|1", "E1L2.MAP|2"}));
    }

    void loadPutsStoredValuesIntoTheControls_data()
    {
        QTest::addColumn<QByteArray>("ini"); // empty: no store yet
        QTest::addColumn<QStringList>("controls");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("first run") << QByteArray() << DesignControls << QStringList();
        QTest::newRow("view of letters keeps the design view")
            << QByteArray("[Config]\nView=abc\n") << DesignControls
            << QStringList{Load + "Type mismatch"};
        QTest::newRow("view with blanks around")
            << QByteArray("[Config]\nView=\" 2 \"\n") << QStringList{"1440", "1440", "2", ""}
            << QStringList();
        QTest::newRow("view 2,5 rounds half to even")
            << QByteArray("[Config]\nView=\"2,5\"\n") << QStringList{"1440", "1440", "2", ""}
            << QStringList();
        QTest::newRow("view beyond 32 bits") << QByteArray("[Config]\nView=3000000000\n")
                                             << DesignControls << QStringList{Load + "Overflow"};
        QTest::newRow("view 7 refused") << QByteArray("[Config]\nView=7\n") << DesignControls
                                        << QStringList{Load + "Invalid property value"};
        QTest::newRow("negative width refused")
            << QByteArray("[Config]\nColumn1=-15\n") << DesignControls
            << QStringList{Load + "Invalid property value"};
        // 1234,5 twips is 82.3 pixels, shown as 82: 1230 twips.
        QTest::newRow("widths in the regional format")
            << QByteArray("[Config]\nColumn1=\"1234,5\"\nColumn2=600\n")
            << QStringList{"1230", "600", "3", ""} << QStringList();
        QTest::newRow("width in another region's format")
            << QByteArray("[Config]\nColumn2=2250.5\n") << DesignControls
            << QStringList{Load + "Type mismatch"};
        QTest::newRow("a bad value costs only itself")
            << QByteArray("[Config]\nColumn1=abc\nColumn2=900\nView=2\nDukePath=/no/such/\n")
            << QStringList{"1440", "900", "2", "/no/such/"}
            << QStringList{Load + "Type mismatch", NoFolder};
    }

    void loadPutsStoredValuesIntoTheControls()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, controls);
        QFETCH(QStringList, logged);
        if (!ini.isEmpty())
            writeFile(storeFile(), ini);
        frmMain window;
        QCOMPARE(::controls(window), controls);
        QCOMPARE(testsupport::logged(), logged);
        QCOMPARE(QFileInfo::exists(QFileInfo(storeFile()).path()),
                 !ini.isEmpty()); // read, not made
    }

    void closingSavesAllFourKeys_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"close box", "Exit", "Alt+X"})
            QTest::newRow(way) << way;
    }

    // The user widens the first column by 40 pixels from the 100 stored, narrows the
    // second by 30, picks List, types a folder, and closes.
    void closingSavesAllFourKeys()
    {
        QFETCH(QString, way);
        const QString typed = R"(  /no such/Düke, "Atomic"\@Variant(x);y#z=w  )";
        // What an earlier run left must not survive in place of this run's values.
        writeFile(storeFile(), "[Config]\nColumn1=1500\nColumn2=1500\nView=0\nDukePath=/old\n");
        {
            frmMain window;
            window.showCentred();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            auto *header = mapList(window)->findChild<QHeaderView *>();
            dragColumnEdge(header, 0, 40);
            dragColumnEdge(header, 1, -30);
            window.findChild<QAction *>("mnuViewList")->trigger();
            folderBox(window)->selectAll();
            // Character by character, as a keyboard would send them; keyClicks knows Latin-1 only.
            for (const QChar c : typed)
                QTest::sendKeyEvent(QTest::Click, folderBox(window), Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
            clearLog(); // the scan of /old
            if (way == "close box")
                window.close();
            else if (way == "Exit")
                window.findChild<QPushButton *>("cmdExit")->click();
            else
                QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
            QTRY_VERIFY(!window.isVisible());
        }
        QFile ini(storeFile());
        QVERIFY(ini.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(ini.readAll())
                     .split(u'\n')
                     .filter(QRegularExpression("^(Column|View)")),
                 QStringList({"Column1=2100", "Column2=1050", "View=2"}));
        frmMain restarted;
        QCOMPARE(controls(restarted), QStringList({"2100", "1050", "2", typed}));
        QCOMPARE(logged(), QStringList{NoFolder}); // only the scan of a folder that is not there
    }

    void folderButton_data()
    {
        QTest::addColumn<QString>("chosen"); // empty: cancel
        QTest::addColumn<QStringList>("shown");
        const QString duke = scratch("games/duke3d");
        QTest::newRow("cancel leaves the box and the list")
            << QString() << QStringList{"A.MAP|100"};
        QTest::newRow("the same folder again is rescanned")
            << duke << QStringList{"A.MAP|100", "B.MAP|100"};
        // Blanks, a comma and a path well past the 259 characters of the old fixed buffers.
        QTest::newRow("a long folder name with blanks and a comma")
            << scratch("games/Duke Nukem 3D, Atomic") + QString("/a-long-folder-name").repeated(16)
            << QStringList();
    }

    void folderButton()
    {
        QFETCH(QString, chosen);
        QFETCH(QStringList, shown);
        const QString duke = scratch("games/duke3d");
        QDir(scratch("games")).removeRecursively();
        QVERIFY(QDir().mkpath(chosen.isEmpty() ? duke : chosen));
        makeEntries(duke, {"A.MAP=100"});
        Window window(duke);
        // A map that arrives after the last scan shows only after a rescan.
        makeEntries(duke, {"B.MAP=100"});
        ChooserAnswer answer(chosen);
        window.form.findChild<QPushButton *>("cmdSelectFolder")->click();
        QCOMPARE(answer.seen,
                 QStringList({"Select Duke Nukem 3D folder:", "/", "folders only", "frmMain"}));
        QCOMPARE(folderBox(window.form)->text(), chosen.isEmpty() ? duke : chosen);
        QCOMPARE(listed(window.form), shown);
        QCOMPARE(logLines(), QStringList());
        QCOMPARE(QDir::currentPath(), scratch("cwd")); // not changed
        // The choice reaches the store only when the window closes.
        QVERIFY(!QFileInfo::exists(QFileInfo(storeFile()).path()));
    }

    // A screen reader can name every control a user can reach, in both windows.
    void everyControlHasAnAccessibleName()
    {
        const auto unnamed = [](QWidget *window) {
            QStringList found;
            for (QWidget *control : window->findChildren<QWidget *>()) {
                QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
                if (control->isVisible() && control->focusPolicy() != Qt::NoFocus &&
                    (!face || face->text(QAccessible::Name).trimmed().isEmpty()))
                    found << control->metaObject()->className() + (u' ' + control->objectName());
            }
            return found;
        };
        frmMain window;
        window.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const int mode : {0, 1, 2, 3}) {
            window.findChild<platform::ListView *>("lvwMaps")->setView(mode);
            QCOMPARE(unnamed(&window).join(u','), QString());
        }
        QStringList aboutUnnamed{"(the box did not open)"};
        QTimer::singleShot(100, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (box) {
                aboutUnnamed = unnamed(box);
                box->close();
            }
        });
        window.cmdAbout_Click();
        QCOMPARE(aboutUnnamed.join(u','), QString());
    }

    // Closed with OK's access key, then Escape, then the close box: the same texts
    // each time, and only OK plays its clip.
    void textsIdenticalOnEveryOpening()
    {
        frmMain window;
        window.showCentred();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        soundRequests().clear(); // the start-up clip
        QList<QStringList> seen;
        for (const Qt::Key key : {Qt::Key_O, Qt::Key_Escape, Qt::Key_unknown}) {
            QTimer::singleShot(100, [&] {
                auto *box = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
                QVERIFY(box);
                seen << QStringList{box->windowTitle()};
                for (const char *name : {"lblTop", "lblMiddle", "lblSite", "lblEmail"})
                    seen.last() << box->findChild<QLabel *>(name)->text();
                if (key == Qt::Key_unknown)
                    box->close();
                else
                    QTest::keyClick(QApplication::focusWidget(), key,
                                    key == Qt::Key_O ? Qt::AltModifier : Qt::NoModifier);
            });
            window.cmdAbout_Click();
        }
        // The About clip starts before each box.
        QCOMPARE(soundRequests(), QStringList({"WAV4 1", "WAV5 1", "WAV4 1", "WAV4 1"}));
        // The project's version is 1.0.0: major and minor as plain numbers.
        const QStringList expected{
            "About Levrun", "Levrun v1.0\r\nA Windows front-end for Duke Nukem 3D maps",
            "written by " LEVRUN_AUTHOR "\r\n\r\n", LEVRUN_SITE, "e-mail: " LEVRUN_EMAIL};
        QCOMPARE(seen, QList<QStringList>(3, expected));
        QCOMPARE(logLines(), QStringList());
    }

    void links_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("opener");
        QTest::addColumn<QString>("result"); // what was opened, or what was logged
        QTest::newRow("web address") << "lblSite" << true << LEVRUN_SITE;
        QTest::newRow("e-mail: the bare address") << "lblEmail" << true << "mailto:" LEVRUN_EMAIL;
        // Offscreen, nothing opens an address without a handler.
        QTest::newRow("no opener")
            << "lblEmail" << false << ", About, lblEmail_Click, File not found";
    }

    void links()
    {
        QFETCH(QString, label);
        QFETCH(bool, opener);
        QFETCH(QString, result);
        if (!opener && QGuiApplication::platformName() != QLatin1String("offscreen"))
            QSKIP("a real desktop always has an opener");
        UrlCatcher catcher;
        for (const char *scheme : {"https", "mailto"})
            if (opener)
                QDesktopServices::setUrlHandler(scheme, &catcher, "open");
        frmMain window;
        frmAbout about(&window);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        soundRequests().clear();
        auto *link = about.findChild<QLabel *>(label);
        QTest::mouseClick(link, Qt::LeftButton);
        QTest::mouseClick(link, Qt::LeftButton); // the box stays open for another
        for (const char *scheme : {"https", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
        QVERIFY(about.isVisible());
        QCOMPARE(soundRequests(), QStringList());
        QCOMPARE(catcher.opened, opener ? QStringList({result, result}) : QStringList());
        QCOMPARE(logged(), opener ? QStringList() : QStringList({result, result}));
    }

    // 397 x 371 and 479 x 180 pixels, without a frame offscreen: 16 and 8 tiles,
    // checked where no control covers them.
    void background_data()
    {
        QTest::addColumn<bool>("about");
        QTest::addColumn<QRect>("area");
        QTest::newRow("main window: origin and one tile to the right")
            << false << QRect(0, 0, 142, 4);
        QTest::newRow("About box: right of the icon") << true << QRect(136, 0, 343, 8);
    }

    void background()
    {
        QFETCH(bool, about);
        QFETCH(QRect, area);
        frmMain window;
        frmAbout box(&window);
        QWidget &painted = about ? static_cast<QWidget &>(box) : window;
        painted.show();
        QVERIFY(QTest::qWaitForWindowExposed(&painted));
        const QImage tile = window.backgroundTile().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage shot = painted.grab().toImage();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                QVERIFY2(shot.pixel(x, y) == tile.pixel(x % 132, y % 107),
                         qPrintable(QString("differs at (%1,%2)").arg(x).arg(y)));
        QCOMPARE(logLines(), QStringList());
        // Outside a paint event nothing can be drawn: one line for each tile.
        about ? box.Form_Paint() : window.Form_Paint();
        QCOMPARE(logged(),
                 QStringList(about ? 8 : 16, QString(about ? ", About, " : ", Main, ") +
                                                 "Form_Paint, Invalid procedure call or argument"));
    }

    // From the list: Alt+F only moves the focus, pressing nothing; Enter
    // presses the focused button as Space does; with no default button, Enter
    // in the folder box does nothing.
    void keysOnButtons_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("after"); // the focused control, then the clips asked for
        QTest::newRow("Alt+F moves to Refresh") << QKeySequence("Alt+F") << "cmdRefresh";
        QTest::newRow("Tab, Enter plays") << QKeySequence("Tab, Return") << "cmdPlay WAV3 1";
        QTest::newRow("Enter in the box")
            << QKeySequence("Backtab, Backtab, Return") << "txtDukePath";
    }

    void keysOnButtons()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, after);
        Window window(scratch("cwd"));
        QTest::keySequence(window.form.windowHandle(), keys);
        const QString focused = QApplication::focusWidget()->objectName();
        QCOMPARE((QStringList(focused) + soundRequests()).join(' '), after);
        // A button held down clicks when it comes up.
        QVERIFY(!window.form.findChild<QPushButton *>("cmdRefresh")->isDown());
    }

    // Choosing the game folder changes nothing on disk: nothing in the chooser
    // renames, deletes or makes folders.
    void folderChooserChangesNothingOnDisk()
    {
        bool writes = true;
        QTimer::singleShot(0, [&] {
            QWidget *chooser = QApplication::activeModalWidget();
            writes = !chooser->findChild<QFileSystemModel *>()->isReadOnly() ||
                     chooser->findChild<QWidget *>("newFolderButton")->isEnabled();
            chooser->close();
        });
        sBrowseForFolder(nullptr, {});
        QVERIFY(!writes);
    }

    // In the About box a double click on a link is one click, one program; the
    // icon is stretched with hard pixel edges, as a stretched picture is.
    void aboutLinkAndIcon()
    {
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        frmMain window;
        frmAbout about(&window);
        auto *link = about.findChild<QLabel *>("lblSite");
        QTest::mouseClick(link, Qt::LeftButton);   // press, release,
        QTest::mousePress(link, Qt::LeftButton);   // press,
        QTest::mouseDClick(link, Qt::LeftButton);  // double click,
        QTest::mouseRelease(link, Qt::LeftButton); // release
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(catcher.opened, QStringList{LEVRUN_SITE});
        QCOMPARE(about.findChild<QLabel *>("Image1")->pixmap().toImage(),
                 about.windowIcon().pixmap(32).toImage().scaled(136, 136));
    }
};

int main(int argc, char **argv)
{
    qputenv("LC_ALL", "de_DE.UTF-8");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setUpApplication();
    tst_Main test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_main.moc"
