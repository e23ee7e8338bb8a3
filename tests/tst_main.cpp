// SPDX-License-Identifier: GPL-3.0-or-later
// The windows as a German user meets them (see main()): what each action shows,
// plays, scans and logs, the settings kept between runs, and the map list's
// modes, order and gestures.
#include "About.h"
#include "Main.h"
#include "TestSupport.h"
#include "config.h"
#include "platform/ListView.h"
#include "platform/TestSeams.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>

#include <sys/resource.h>

using namespace testsupport;

namespace {

// The settings store in this test's configuration folder, as STORE in shell().
const QString StoreFile = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Levrun/Levrun.ini";
// Not markup; the widest name, sorted second, as the first item is drawn selected.
const QString Long = "b<b>A really long name for a map, with more words.MAP";
// Blanks, a comma, and well past the 259 characters of the old fixed buffers.
const QString Atomic = "Duke Nukem 3D, Atomic" + QString("/a-long-name").repeated(25);

platform::ListView *mapList(QWidget &window)
{
    return window.findChild<platform::ListView *>("lvwMaps");
}

// Adds the names in turn, each with its position as its size text and both
// pictures; they show when the event loop comes round.
void fill(platform::ListView &list, const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        platform::ListItem item = list.items().Add();
        item.setText(names[i]);
        item.setSubItems(1, QString::number(i));
        item.setIcon(1);
        item.setSmallIcon(1);
    }
}

// Whether the window shows the background tile at every point of the area
// (in the window's pixels), the tiles laid from its client area's corner.
bool tiled(QWidget &window, const QPixmap &tile, const QRect &area)
{
    const QImage shot = window.grab().toImage(), picture = tile.toImage();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (shot.pixel(x, y) != picture.pixel(x % tile.width(), y % tile.height()))
                return false;
    return true;
}

// The main window of an actions() row, and what its steps noted.
struct Scene
{
    frmMain &form;
    QString answer; // to the next modal window: a folder to choose, keys, or "close"
    QStringList seen;
};

// A modal window or a menu, when one is open, answered as a user would; what it
// showed is noted. One still open after its answer is noted and cancelled.
void answerModal(Scene &s)
{
    if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
        QStringList marks; // the mode marked, and which entries can be
        for (QAction *entry : menu->actions())
            marks << (entry->isChecked() ? entry->text() : "") + (entry->isCheckable() ? "*" : "");
        return s.seen << "menu " + marks.join("").trimmed(), void(menu->close());
    }
    auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (!box || !box->isActiveWindow())
        return;
    s.seen << box->windowTitle() << box->parentWidget()->objectName();
    if (auto *chooser = qobject_cast<QFileDialog *>(box)) {
        const bool asked = chooser->fileMode() == QFileDialog::Directory &&
                           chooser->testOption(QFileDialog::ShowDirsOnly) &&
                           !chooser->findChild<QWidget *>("newFolderButton")->isEnabled();
        s.seen << chooser->directory().path() << (asked ? "folders only, read-only" : "other");
        if (s.answer.isEmpty())
            return box->reject();
        // The folder's name typed below its parent.
        chooser->setDirectory(QFileInfo(s.answer).path());
        chooser->findChild<QLineEdit *>("fileNameEdit")->setText(QFileInfo(s.answer).fileName());
        return box->accept();
    }
    for (const char *name : {"lblTop", "lblMiddle", "lblSite", "lblEmail"})
        s.seen << box->findChild<QLabel *>(name)->text();
    const QImage icon = box->findChild<QLabel *>("Image1")->pixmap().toImage();
    s.seen << (icon == box->windowIcon().pixmap(32).toImage().scaled(136, 136) ? "hard edges"
                                                                               : "smooth");
    s.answer == "close" ? void(box->close())
                        : QTest::keySequence(box->focusWidget(), QKeySequence(s.answer));
    // An access key clicks its button a moment later.
    if (!QTest::qWaitFor([&] { return !box->isVisible(); }, s.answer.startsWith("Alt") ? 5000 : 0))
        s.seen << "stayed open", box->reject();
}

// One step of the user, or of the world around the window.
using Step = std::function<void(Scene &)>;

Step keys(const QString &sequence)
{
    return [=](Scene &s) { QTest::keySequence(s.form.windowHandle(), QKeySequence(sequence)); };
}

Step press(const QString &name) // a button, or an entry of the View menu
{
    return [=](Scene &s) {
        if (auto *entry = s.form.findChild<QAction *>(name))
            return entry->trigger();
        s.form.findChild<QAbstractButton *>(name)->click();
    };
}

// A mouse gesture on the list's row (-1: below the last), or on the header's first caption.
Step mouse(QTest::MouseAction action, Qt::MouseButton button, int row)
{
    return [=](Scene &s) {
        QAbstractItemView *view = mapList(s.form)->currentView();
        QWidget *on =
            row < -1 ? mapList(s.form)->findChild<QHeaderView *>()->viewport() : view->viewport();
        const QRect item = view->visualRect(view->model()->index(row, 0));
        QTest::mouseEvent(action, on, button, {},
                          row < -1  ? QPoint(20, 10)
                          : row < 0 ? on->rect().bottomRight()
                                    : item.center());
    };
}

Step type(const QString &folder)
{
    return [=](Scene &s) { folderBox(s.form)->setText(folder); };
}

Step answering(const QString &answer)
{
    return [=](Scene &s) { s.answer = answer; };
}

// The statement of the procedure fails as a failing call would.
Step refuse(const char *label, int statement)
{
    return [=](Scene &) {
        platform::seams::refuseStatement = [=](const char *procedure, int at) {
            return at == statement && qstrcmp(procedure, label) == 0;
        };
    };
}

// Opens the About box as a window of its own for what follows.
Step inAbout(const std::function<void(frmAbout &)> &then)
{
    return [=](Scene &s) {
        frmAbout box(&s.form);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        then(box);
    };
}

// A link clicked twice, between the clicks a double click as the desktop sends
// it: its second press is not another click.
Step clickTwice(const char *link)
{
    return inAbout([=](frmAbout &box) {
        for (auto step : {QTest::MouseClick, QTest::MousePress, QTest::MouseDClick,
                          QTest::MouseRelease, QTest::MouseClick})
            QTest::mouseEvent(step, box.findChild<QLabel *>(link), Qt::LeftButton, {}, {});
        QVERIFY(box.isVisible());
    });
}

const Step moreMaps = [](Scene &s) {
    fill(*mapList(s.form), {"E1L3.MAP", "E1L2.MAP"});
    mapList(s.form)->items().count(); // sorted now
};
const Step closeBox = [](Scene &s) { s.form.close(); };
const Step checkpoint = [](Scene &) {
    emit qApp->commitDataRequest(*qApp->findChild<QSessionManager *>());
};
const Step noteFocus = [](Scene &s) {
    s.seen << "focus " + QApplication::focusWidget()->objectName();
};
const Step noteView = [](Scene &s) {
    s.seen << "view " + QString::number(int(mapList(s.form)->viewMode()));
};
const Step noteSelected = [](Scene &s) {
    const platform::ListItem item = mapList(s.form)->SelectedItem();
    s.seen << "selected " + (item.isNull() ? "none" : item.Text());
};
const Step noteStored = [](Scene &s) {
    s.seen << "stored " +
                  QSettings(StoreFile, QSettings::IniFormat).value("Config/DukePath").toString();
};
const Step noteList = [](Scene &s) {
    platform::ListItems &items = mapList(s.form)->items();
    s.seen << folderBox(s.form)->text();
    for (int row = 0; row < items.count(); ++row)
        s.seen << items.item(row).Text() + ' ' + items.item(row).SubItems(1);
};
// Outside a paint event nothing can be drawn: each tile's statement fails.
const Step paintOutside = [](Scene &s) {
    const int height = s.form.height(), width = s.form.width();
    if (tiled(s.form, s.form.backgroundTile(), {0, 0, 140, 1}) &&
        tiled(s.form, s.form.backgroundTile(), {0, height - 3, width, 3}))
        s.seen << "tiled";
    s.form.Form_Paint();
};
const Step paintAboutOutside = inAbout([](frmAbout &box) {
    const QPixmap tile = qobject_cast<frmMain *>(box.parentWidget())->backgroundTile();
    if (tiled(box, tile, {136, 0, 140, 1})) // right of the icon
        box.Form_Paint();
});
// A screen reader can name every control a user can reach, in every view.
const Step noteUnnamed = inAbout([](frmAbout &box) {
    auto &form = *qobject_cast<frmMain *>(box.parentWidget());
    for (int mode = 0; mode < 4; ++mode) {
        mapList(form)->setViewMode(platform::ViewMode(mode));
        for (QWidget *control : form.findChildren<QWidget *>() + box.findChildren<QWidget *>())
            if (auto *face = QAccessible::queryAccessibleInterface(control);
                control->isVisible() && control->focusPolicy() != Qt::NoFocus &&
                (!face || face->text(QAccessible::Name).trimmed().isEmpty()))
                QFAIL(qPrintable("unnamed: " + control->objectName()));
    }
});

struct Outcome
{
    QStringList seen = {};  // what the steps and the modal windows noted, then the current folder
    QStringList heard = {}; // the clips asked for and the maps scanned, in order
    QStringList log = {};
    bool closed = false;
};

void row(const char *name, const QList<Step> &steps, const Outcome &outcome)
{
    QTest::newRow(name) << steps << outcome.seen << outcome.heard << outcome.log << outcome.closed;
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class tst_Main : public QObject
{
    Q_OBJECT
    Scene *m_scene = nullptr;

public:
    // Stands in for the user's browser and mail program.
    Q_INVOKABLE void open(const QUrl &url) { m_scene->seen << "opened " + url.toString(); }

private slots:
    void init()
    {
        QVERIFY(QDir::setCurrent(scratch("cwd")) &&
                shell(R"(cd "$S" && rm -rf duke3d cwd/Levrun.VNL "$XDG_CONFIG_HOME/Levrun")"));
        soundRequests.clear();
    }

    // The stored game folder holds E1L1.MAP, 1,234,567 bytes; the list has the focus. A
    // modal window or a menu that opens is answered and noted (answerModal).
    void actions_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QStringList>("seen");
        QTest::addColumn<QStringList>("heard");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<bool>("closed");
        const QStringList chooser{"Select Duke Nukem 3D folder:", "frmMain", "/",
                                  "folders only, read-only"};
        const QStringList about{"About Levrun",
                                "frmMain",
                                "Levrun v1.0\r\nA Windows front-end for Duke Nukem 3D maps",
                                "written by " LEVRUN_AUTHOR "\r\n\r\n",
                                LEVRUN_SITE,
                                "e-mail: " LEVRUN_EMAIL,
                                "hard edges"};
        const QString noGame = ", Main, cmdPlay_Click, File not found";
        const QString refused = "Application-defined or object-defined error";
        const QString gone = scratch("gone"), duke = scratch("duke3d"), atomic = scratch(Atomic);
        const Outcome played{{"in duke3d"}, {"WAV3 1"}, {noGame}};
        const Step withOpener = [this](Scene &) {
            for (const char *scheme : {"https", "mailto"})
                QDesktopServices::setUrlHandler(scheme, this, "open");
        };
        row("start-up", {}, {{}, {"E1L1.MAP", "WAV6 1"}});
        row("Alt+R", {keys("Alt+R")}, {{}, {"WAV1 1", "E1L1.MAP"}});
        row("menu's Refresh, sizes grouped as in German", {press("mnuViewRefresh"), noteList},
            {{duke, "E1L1.MAP 1.234.567"}, {"E1L1.MAP"}});
        row("chooser, a long name, saved at close",
            {answering(atomic), press("cmdSelectFolder"), closeBox, noteStored},
            {chooser + QStringList{"stored " + atomic}, {"L.MAP"}, {}, true});
        row("chooser, same folder", {answering(duke), press("cmdSelectFolder")},
            {chooser, {"E1L1.MAP"}});
        row("chooser, a name not UTF-8",
            {answering(scratch("duke\uFFFD")), press("cmdSelectFolder")}, {chooser, {"N.MAP"}});
        row("chooser cancelled: nothing changes", {press("cmdSelectFolder"), noteList},
            {chooser + QStringList{duke, "E1L1.MAP 1.234.567"}});
        row("Alt+P", {keys("Alt+P")}, played);
        row("Enter in the list", {keys("Return")}, played);
        row("double click", {mouse(QTest::MouseDClick, Qt::LeftButton, 0)}, played);
        row("another key in the list", {keys("A")}, {});
        row("Tab, Enter on Play", {keys("Tab, Return"), noteFocus},
            {{"focus cmdPlay", "in duke3d"}, {"WAV3 1"}, {noGame}});
        row("Enter in the box: no default", {keys("Backtab, Backtab, Return"), noteFocus},
            {{"focus txtDukePath"}});
        row("Alt+F moves to Refresh, pressing nothing", {keys("Alt+F"), noteFocus},
            {{"focus cmdRefresh"}});
        row("Play, folder gone: started from the one before", {type(gone), press("cmdPlay")},
            {{}, {"WAV3 1"}, {", Main, cmdPlay_Click, Path not found", noGame}});
        row("About, Alt+O", {answering("Alt+O"), press("cmdAbout")}, {about, {"WAV4 1", "WAV5 1"}});
        row("About, Enter", {answering("Return"), press("cmdAbout")},
            {about, {"WAV4 1", "WAV5 1"}});
        row("Alt+A, close box", {answering("close"), keys("Alt+A")}, {about, {"WAV4 1"}});
        row("About, Escape", {answering("Esc"), keys("Alt+A")}, {about, {"WAV4 1"}});
        const QString noOpener = ", About, %1_Click, File not found";
        row("web and e-mail addresses", {withOpener, clickTwice("lblSite"), clickTwice("lblEmail")},
            {QStringList(2, "opened " LEVRUN_SITE) +
             QStringList(2, "opened mailto:" LEVRUN_EMAIL)});
        row("web and e-mail, no opener", {clickTwice("lblSite"), clickTwice("lblEmail")},
            {{},
             {},
             QStringList(2, noOpener.arg("lblSite")) + QStringList(2, noOpener.arg("lblEmail"))});
        row("close box", {closeBox}, {{}, {}, {}, true});
        row("session checkpoint: saved, left open", {type(gone), checkpoint, noteStored},
            {{"stored " + gone}});
        row("screen reader names, all views, both windows", {noteUnnamed}, {});
        // An empty folder text scans the root, which holds no maps (the current folder does).
        row("Refresh, no folder text", {type(""), press("cmdRefresh")}, {{}, {"WAV1 1"}});
        const QString paint = "Form_Paint, Invalid procedure call or argument";
        row("Form_Paint", {paintOutside}, {{"tiled"}, {}, QStringList(16, ", Main, " + paint)});
        row("About's Form_Paint", {paintAboutOutside},
            {{}, {}, QStringList(8, ", About, " + paint)});
        // The View menu, however opened, marks the current mode only (no other entry
        // checkable) and leaves the selection alone; keys that move the current item
        // select it, where it is too. No other button, nor the header, reorders the list.
        row("View entries, each its own mode",
            {press("mnuViewIcons"), noteView, press("mnuViewSmallIcons"), noteView,
             press("mnuViewList"), noteView, press("mnuViewReport"), noteView},
            {{"view 0", "view 1", "view 2", "view 3"}});
        row("Home on the current item",
            {mouse(QTest::MouseClick, Qt::LeftButton, -1), noteSelected, keys("Home"),
             noteSelected},
            {{"selected none", "selected E1L1.MAP"}});
        row("Menu key in Icons", {press("mnuViewIcons"), keys("Menu"), noteSelected},
            {{"menu Icons*", "selected E1L1.MAP"}});
        row("Shift+F10 in List", {press("mnuViewList"), keys("Shift+F10"), noteSelected},
            {{"menu List*", "selected E1L1.MAP"}});
        row("right press on another item",
            {moreMaps, mouse(QTest::MousePress, Qt::RightButton, 1), noteSelected},
            {{"menu Report*", "selected E1L1.MAP"}});
        row("right press on the header",
            {moreMaps, mouse(QTest::MousePress, Qt::RightButton, -2), noteSelected},
            {{"menu Report*", "selected E1L1.MAP"}});
        row("middle press in Small icons: selects, no menu",
            {press("mnuViewSmallIcons"), moreMaps, mouse(QTest::MouseClick, Qt::MiddleButton, 1),
             noteSelected},
            {{"selected E1L2.MAP"}});
        row("header click: no sort",
            {moreMaps, mouse(QTest::MouseClick, Qt::LeftButton, -2), noteList},
            {{duke, "E1L1.MAP 1.234.567", "E1L2.MAP 1", "E1L3.MAP 0"}});
        // A failed statement is logged under its procedure's label; the next one runs.
        row("About's Form_Load, no title: the captions still set",
            {refuse(", About, Form_Load, ", 1), answering("Return"), press("cmdAbout")},
            {QStringList{"<frmAbout>"} + about.mid(1),
             {"WAV4 1", "WAV5 1"},
             {", About, Form_Load, " + refused}});
        row("cmdAbout_Click, no clip: the box still opens",
            {refuse(", Main, cmdAbout_Click, ", 1), answering("Return"), press("cmdAbout")},
            {about, {"WAV5 1"}, {", Main, cmdAbout_Click, " + refused}});
        row("Form_KeyPress, Escape refused: the box stays",
            {refuse(", About, Form_KeyPress, ", 1), answering("Esc"), press("cmdAbout")},
            {about + QStringList{"stayed open"},
             {"WAV4 1"},
             {", About, Form_KeyPress, " + refused}});
        row("cmdExit_Click, close refused: the window stays",
            {refuse(", Main, cmdExit_Click, ", 2), press("cmdExit")},
            {{}, {"WAV2"}, {", Main, cmdExit_Click, " + refused}});
    }

    void actions()
    {
        QFETCH(QList<Step>, steps);
        QFETCH(QStringList, seen);
        QFETCH(QStringList, heard);
        QFETCH(QStringList, log);
        QFETCH(bool, closed);
        QVERIFY(shell("A='" + Atomic.toUtf8() + R"('; cd "$S" && mkdir -p duke3d "$A"
            N=$(printf 'duke\377'); mkdir -p "$N"; truncate -s 1 "$N/N.MAP"
            truncate -s 1234567 duke3d/E1L1.MAP && truncate -s 1 "$A/L.MAP" cwd/HERE.MAP)"));
        QSettings(StoreFile, QSettings::IniFormat).setValue("Config/DukePath", scratch("duke3d"));
        platform::seams::lengthQuery = [](const QString &path) {
            soundRequests << QFileInfo(path).fileName();
        };
        frmMain form;
        form.showCentred();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        Scene scene{form, {}, {}};
        m_scene = &scene;
        const auto restore = qScopeGuard([] { // before the scene goes
            platform::seams::refuseStatement = nullptr;
            for (const char *scheme : {"https", "mailto"})
                QDesktopServices::unsetUrlHandler(scheme);
        });
        QTimer answering;
        connect(&answering, &QTimer::timeout, this, [&] { answerModal(scene); });
        answering.start(20);
        if (!steps.isEmpty())
            soundRequests.clear();
        for (const Step &step : steps)
            if (step(scene); QTest::currentTestFailed())
                return;
        QTRY_COMPARE(soundRequests, heard); // an access key clicks its button a moment later
        if (QDir::current().dirName() != "cwd")
            scene.seen << "in " + QDir::current().dirName();
        QCOMPARE(scene.seen, seen);
        QCOMPARE(logged(), log);
        QCOMPARE(!form.isVisible(), closed);
        // A button held down would click when it comes up.
        QVERIFY(!form.findChild<QPushButton *>("cmdRefresh")->isDown());
    }

    // The store as the ini gives it is read at start; then, for a restart,
    // the user sets both widths, picks List, types a folder, closes and starts
    // again. Each write rewrites the store: over the file size limit, writes
    // fail, keeping the store whole, until the earlier run's long value has
    // been replaced. The four values, then the log.
    void settings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("restart");
        QTest::addColumn<QStringList>("values"); // both widths, the view, the folder
        QTest::addColumn<QStringList>("log");
        const QString load = ", Main, LoadSettings, ",
                      noFolder = ", Main, LoadMaps, Path not found";
        // with a byte that is not text, from a folder name that is not UTF-8
        const QString typed =
            R"(  /no such/Düke, "Atomic"\@Variant(x);y#z=w  )" + QString(QChar(0xDCE9));
        const QByteArray earlier = "[Config]\nColumn1=1500\nColumn2=1500\nView=0\nDukePath=/old\n";
        // No store of its own: the defaults, and nothing made by reading.
        QTest::newRow("another file's keys not read")
            << QByteArray("other:[Config]\nView=1\nDukePath=/no\n") << false
            << QStringList{"1440", "1440", "3", ""} << QStringList();
        // 1234,5 twips is 82.3 pixels, shown as 82: 1230 twips.
        QTest::newRow("regional format, whole pixels")
            << QByteArray("[Config]\nColumn1=\"1234,5\"\nColumn2=600\nView=\" 2 \"\n") << false
            << QStringList{"1230", "600", "2", ""} << QStringList();
        QTest::newRow("two bad values cost only themselves, logged in order")
            << QByteArray("[Config]\nColumn1=abc\nColumn2=900\nView=3000000000\nDukePath=/no\n")
            << false << QStringList{"1440", "900", "3", "/no"}
            << QStringList{load + "Type mismatch", load + "Overflow", noFolder};
        QTest::newRow("negative width and view 7 refused")
            << QByteArray("[Config]\nColumn2=-15\nView=7\n") << false
            << QStringList{"1440", "1440", "3", ""}
            << QStringList(2, load + "Invalid property value");
        QTest::newRow("replacing the earlier run's")
            << earlier << true << QStringList{"2100", "1050", "2", typed} << QStringList{noFolder};
        QTest::newRow("the first key not written, the other three are")
            << QByteArray(earlier).replace("Column2=", "Column2=" + QByteArray(300, '0')) << true
            << QStringList{"1500", "1050", "2", typed}
            << QStringList{", Main, SaveSettings, Path/File access error", noFolder};
    }

    void settings()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, restart);
        QFETCH(QStringList, values);
        QFETCH(QStringList, log);
        // "other:" puts the file beside the store's folder, where QSettings would look too.
        const bool other = ini.startsWith("other:");
        QFile store(other ? QFileInfo(StoreFile).path() + "/../Levrun.ini" : StoreFile);
        QVERIFY(QDir().mkpath(QFileInfo(store).path()) && store.open(QIODevice::WriteOnly) &&
                store.write(ini.mid(other ? 6 : 0)) > 0 && store.flush());
        std::optional<frmMain> window(std::in_place);
        if (restart) {
            mapList(*window)->setColumnWidth(1, 2100);
            mapList(*window)->setColumnWidth(2, 1050);
            window->findChild<QAction *>("mnuViewList")->trigger();
            folderBox(*window)->setText(values[3]);
            QFile::remove("Levrun.VNL"); // the scan of /old
            rlimit before, limit;
            ::getrlimit(RLIMIT_FSIZE, &before);
            limit = {ini.contains("000000") ? 200 : before.rlim_cur, before.rlim_max};
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            window->close();
            ::setrlimit(RLIMIT_FSIZE, &before);
            window.emplace();
        }
        const platform::ListView *list = mapList(*window);
        QCOMPARE((QStringList{QString::number(list->columnWidth(1)),
                              QString::number(list->columnWidth(2)),
                              QString::number(int(list->viewMode())), folderBox(*window)->text()}),
                 values);
        QCOMPARE(logged(), log);
        // The store's one file, or none: a read makes nothing, a write leaves nothing beside it.
        QCOMPARE(QDir(QFileInfo(StoreFile).path()).entryList(QDir::Files),
                 QStringList(other ? 0 : 1, "Levrun.ini"));
    }

    // What a user sees of the second item (the widest name; not the last, so
    // that the item size cannot come from the last one) and where it lies
    // against the first. A screen reader finds one item a map, named by the
    // map, or the report's rows of cells; the tooltip shows the name whole.
    void modes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("picture");     // the size drawn: 32 the large one, 16 the small
        QTest::addColumn<bool>("sideBySide"); // the second item right of the first, else below
        QTest::addColumn<bool>("wraps");      // the long name on more than one line
        QTest::newRow("Icons") << 0 << 32 << true << true;
        QTest::newRow("Small icons") << 1 << 16 << true << false;
        QTest::newRow("List") << 2 << 16 << false << false;
        QTest::newRow("Report") << 3 << 16 << false << false;
    }

    void modes()
    {
        QFETCH(int, mode);
        QFETCH(int, picture);
        QFETCH(bool, sideBySide);
        QFETCH(bool, wraps);
        platform::ListView list;
        QPixmap large(32, 32), small(16, 16);
        large.fill(Qt::red);
        small.fill(Qt::blue);
        list.items().setImages(large, small);
        fill(list, {"Z.MAP", Long, "b.map"});
        list.setViewMode(platform::ViewMode(mode));
        list.resize(1000, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QAbstractItemView *items = list.currentView();
        const QRect first = items->visualRect(items->model()->index(0, 0)),
                    second = items->visualRect(items->model()->index(1, 0));
        QCOMPARE(second.left() > first.right() && second.top() < first.bottom(), sideBySide);
        QCOMPARE(second.top() > first.bottom() && second.left() < first.right(), !sideBySide);
        // Its picture, by its colour, and its text's ink (the first item is drawn selected).
        const QImage shot = items->viewport()->grab(second).toImage();
        const QRgb colour = picture == 32 ? qRgb(255, 0, 0) : qRgb(0, 0, 255);
        QRect drawn, ink, paper;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                (shot.pixel(x, y) == colour     ? drawn
                 : qGray(shot.pixel(x, y)) < 96 ? ink
                                                : paper) |= QRect(x, y, 1, 1);
        QCOMPARE(drawn.size(), QSize(picture, picture));
        QCOMPARE(ink.height() > 1.5 * items->fontMetrics().height(), wraps);
        if (mode == 1 || mode == 2) // on one line, whole
            QVERIFY(second.width() > picture + items->fontMetrics().horizontalAdvance(Long));
        QCOMPARE(QAccessible::queryAccessibleInterface(&list)->child(0)->childCount(), 1);
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(items);
        QCOMPARE(face->childCount(), mode == 3 ? 8 : 3);
        QCOMPARE(face->child(mode == 3 ? 4 : 1)->text(QAccessible::Name), Long);
        if (mode == 3)
            QCOMPARE(face->child(0)->text(QAccessible::Name) + ", " +
                         face->child(1)->text(QAccessible::Name),
                     "Map Name, Size");
        QHelpEvent help(QEvent::ToolTip, second.center(), {});
        QApplication::sendEvent(items->viewport(), &help);
        QTRY_COMPARE(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), Long + "\n1");
        // Names whose widths, added up from rounded character widths, rank the wrong way
        // round: no name is cut, measured as the items are drawn.
        QFont font("Liberation Sans");
        font.setPixelSize(13);
        font.setBold(true);
        items->setFont(font);
        list.items().Clear();
        fill(list, {"EEEEEEEEEE.MAP", "AAAAAAAAAI.MAP"});
        list.items().count(); // sorted now
        QStyleOptionViewItem option;
        option.initFrom(items);
        option.decorationSize = items->iconSize();
        option.font = font;
        for (int row = 0; mode == 1 || mode == 2 ? row < 2 : false; ++row) {
            const QModelIndex index = items->model()->index(row, 0);
            QTRY_VERIFY(QStyledItemDelegate().sizeHint(option, index).width() <=
                        items->visualRect(index).width());
        }
    }

    // End puts the last map in sight; it stays there through every change of mode that
    // follows, also while the list still lays its items out in batches, and also when End
    // comes at once after the change.
    void inSight_data()
    {
        QTest::addColumn<int>("maps");
        QTest::addColumn<QList<int>>("modes");
        QTest::addColumn<bool>("endAtOnce");
        QTest::newRow("400, every change") << 400 << QList{3, 1, 2, 1, 0, 2, 3} << false;
        QTest::newRow("100,000, Report, Small icons, List, Icons")
            << 100000 << QList{3, 1, 2, 0} << false;
        QTest::newRow("100,000, End at once after each") << 100000 << QList{3, 1, 2, 0} << true;
    }

    void inSight()
    {
        QFETCH(int, maps);
        QFETCH(QList<int>, modes);
        QFETCH(bool, endAtOnce);
        platform::ListView list;
        QStringList names;
        for (int i = 0; i < maps; ++i)
            names << QString("E%1.MAP").arg(i);
        fill(list, names);
        list.resize(380, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        for (qsizetype step = 0; step < modes.size(); ++step) {
            list.setViewMode(platform::ViewMode(modes[step]));
            QAbstractItemView *view = list.currentView();
            if (step == 0 || endAtOnce)
                QTest::keyClick(view, Qt::Key_End);
            QTRY_VERIFY2(
                view->currentIndex().row() == maps - 1 &&
                    view->viewport()->rect().contains(view->visualRect(view->currentIndex())),
                qPrintable(QString("mode %1").arg(modes[step])));
        }
    }

    // The names shuffled; the list shows them in its order, and reads them back unchanged.
    void order_data()
    {
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char *name, QStringList names) { QTest::newRow(name) << names; };
        row("by value, case ignored", {"a.map", "B.MAP", "E1L2.MAP", "e1l10.map", "E2L1.MAP"});
        row("ties by bytes", {"E01.MAP", "E1.MAP", "e1.map"});
        row("shorter first, digits", {"E", "E 1", "E9", "E10", "E_", "Ea"});
        row("300 digits", {"E" + QString(300, '8'), "E" + QString(300, '9')});
        row("beyond ASCII", {"\u00e9clair", "\u00c9lan", "\uFFFD", "\uFFFD\uFFFD", "\U0001F600"});
    }

    void order()
    {
        QFETCH(QStringList, expected);
        platform::ListView list;
        fill(list, QStringList(expected.rbegin(), expected.rend()));
        for (qsizetype row = 0; row < expected.size(); ++row)
            QCOMPARE(list.items().item(row).Text(), expected[row]);
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
