// The windows as a German user meets them (see main()): what each action
// plays, scans, shows and logs, and the settings kept between runs.
#include "About.h"
#include "Main.h"
#include "TestSupport.h"
#include "config.h"
#include "platform/FileSystem.h"
#include "platform/ListView.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <stdexcept>

#include <sys/resource.h>

using namespace testsupport;

namespace {

const QString none, NoGame = ", Main, cmdPlay_Click, File not found";
const QString Thrown = "Application-defined or object-defined error";
// Blanks, a comma, and well past the 259 characters of the old fixed buffers.
const QString Atomic = "Duke Nukem 3D, Atomic" + QString("/a-long-name").repeated(25);

// Fails, once, the statement that sends an event of this type to the object
// of this name or window title.
struct Refusal : QObject
{
    int type = -1;
    QString target;
    bool done = false;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() != type ||
            (watched->objectName() != target && (!widget || widget->windowTitle() != target)))
            return false;
        type = -1;
        done = true;
        throw std::runtime_error("refused");
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
        QDir(scratch("duke3d")).removeRecursively();
        clearLog();
        soundRequests().clear();
        QDir(QFileInfo(storeFile()).path()).removeRecursively();
    }

    void cleanup()
    {
        platform::setLengthQueryHook(nullptr);
        for (const char *scheme : {"https", "mailto"})
            QDesktopServices::unsetUrlHandler(scheme);
    }

    // The stored game folder holds E1L1.MAP; the list has the focus. What a
    // modal window or the View menu showed, the clips asked for and the maps
    // scanned, in order, the log, the folder made current, whether the window
    // closed, and where keys that move the focus left it. An answer may name a
    // statement to fail: "; refuse", the event, and the object's name or title.
    void actions_data()
    {
        QTest::addColumn<QString>("how"); // keys, a control, or a gesture
        QTest::addColumn<QStringList>("outcome");
        QTest::addColumn<QString>("answer"); // to the modal window, or what fails
        const QStringList chooser{"Select Duke Nukem 3D folder:", "frmMain", "/", "folders only",
                                  "read-only"};
        const QStringList about = QStringList{"About Levrun", "frmMain"}
                                  << "Levrun v1.0\r\nA Windows front-end for Duke Nukem 3D maps"
                                  << "written by " LEVRUN_AUTHOR "\r\n\r\n"
                                  << LEVRUN_SITE << "e-mail: " LEVRUN_EMAIL << "hard edges"
                                  << "WAV4 1";
        const QStringList play{"WAV3 1", NoGame, "duke3d"}, refresh{"WAV1 1", "E1L1.MAP"};
        const QStringList closed{"closed"}, exited{"WAV2", "closed"};
        const QString cannotDraw = "Form_Paint, Invalid procedure call or argument";
        QTest::newRow("start-up") << none << QStringList{"E1L1.MAP", "WAV6 1"} << none;
        QTest::newRow("Refresh") << "cmdRefresh" << refresh << none;
        QTest::newRow("Alt+R") << "keys Alt+R" << refresh << none;
        QTest::newRow("menu's Refresh") << "mnuViewRefresh" << QStringList{"E1L1.MAP"} << none;
        QTest::newRow("chooser, a long name")
            << "cmdSelectFolder" << chooser + QStringList{"L.MAP"} << scratch(Atomic);
        QTest::newRow("chooser, the same folder")
            << "cmdSelectFolder" << chooser + QStringList{"E1L1.MAP"} << scratch("duke3d");
        QTest::newRow("chooser, cancelled") << "cmdSelectFolder" << chooser << none;
        QTest::newRow("Play") << "cmdPlay" << play << none;
        QTest::newRow("Alt+P") << "keys Alt+P" << play << none;
        QTest::newRow("Enter in the list") << "keys Return" << play << none;
        QTest::newRow("another key in the list") << "keys A" << QStringList() << none;
        QTest::newRow("F2 in the list: no renaming") << "keys F2" << QStringList() << none;
        QTest::newRow("Tab, Enter on Play")
            << "keys Tab, Return" << play + QStringList{"focus cmdPlay"} << none;
        QTest::newRow("Enter in the folder box: no default button")
            << "keys Backtab, Backtab, Return" << QStringList{"focus txtDukePath"} << none;
        QTest::newRow("Alt+F moves to Refresh, pressing nothing")
            << "keys Alt+F" << QStringList{"focus cmdRefresh"} << none;
        QTest::newRow("right press: the View menu")
            << "right press" << QStringList{"Icons", "Small icons", "List", "* Report", "Refresh"}
            << none;
        QTest::newRow("double click") << "double click" << play << none;
        QTest::newRow("Play, the folder typed is not there: the game is still looked for")
            << "cmdPlay" << QStringList{"WAV3 1", ", Main, cmdPlay_Click, Path not found", NoGame}
            << scratch("gone");
        QTest::newRow("About, Alt+O") << "cmdAbout" << about + QStringList{"WAV5 1"} << "Alt+O";
        QTest::newRow("About, Enter") << "cmdAbout" << about + QStringList{"WAV5 1"} << "Return";
        QTest::newRow("Alt+A, Escape") << "keys Alt+A" << about << "Esc";
        QTest::newRow("About, close box") << "cmdAbout" << about << "close";
        QTest::newRow("About, Escape failing")
            << "cmdAbout" << about + QStringList{", About, Form_KeyPress, " + Thrown}
            << "Esc; refuse Close frmAbout";
        QTest::newRow("web address") << "lblSite" << QStringList(2, LEVRUN_SITE) << "opener";
        QTest::newRow("e-mail address")
            << "lblEmail" << QStringList(2, "mailto:" LEVRUN_EMAIL) << "opener";
        QTest::newRow("web address, no opener")
            << "lblSite" << QStringList(2, ", About, lblSite_Click, File not found") << none;
        QTest::newRow("e-mail, no opener")
            << "lblEmail" << QStringList(2, ", About, lblEmail_Click, File not found") << none;
        QTest::newRow("Exit, its clip heard out") << "cmdExit" << exited << none;
        QTest::newRow("Alt+X") << "keys Alt+X" << exited << none;
        QTest::newRow("Exit failing")
            << "cmdExit" << QStringList{"WAV2", ", Main, cmdExit_Click, " + Thrown}
            << "; refuse Close frmMain";
        QTest::newRow("close box") << "close box" << closed << none;
        QTest::newRow("signal") << "signal" << closed << none;
        // Outside a paint event nothing can be drawn: one line for each tile.
        QTest::newRow("Form_Paint")
            << "Form_Paint" << QStringList(16, ", Main, " + cannotDraw) << none;
        QTest::newRow("About's Form_Paint")
            << "About Form_Paint" << QStringList(8, ", About, " + cannotDraw) << none;
        // Failures that only a Qt call can raise, each under its handler's label.
        QTest::newRow("About's Form_Load")
            << "About" << QStringList{", About, Form_Load, " + Thrown}
            << "; refuse WindowTitleChange About Levrun";
        QTest::newRow("cmdAbout_Click")
            << "cmdAbout" << QStringList{"WAV4 1", ", Main, cmdAbout_Click, " + Thrown}
            << "; refuse WindowTitleChange frmAbout";
        for (const char *entry :
             {"mnuViewIcons", "mnuViewSmallIcons", "mnuViewList", "mnuViewReport"})
            QTest::newRow(entry) << entry
                                 << QStringList{QString(", Main, %1_Click, ").arg(entry) + Thrown}
                                 << "page";
    }

    void actions()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, outcome);
        QFETCH(QString, answer);
        Refusal refusal;
        refusal.type = QMetaEnum::fromType<QEvent::Type>().keyToValue(
            answer.section("; refuse ", 1).section(' ', 0, 0).toLatin1());
        refusal.target = answer.section("; refuse ", 1).section(' ', 1);
        answer = answer.section("; refuse ", 0, 0);
        makeEntries(scratch("duke3d"), {"E1L1.MAP=1"});
        makeEntries(scratch(Atomic), {"L.MAP=3"});
        QSettings(storeFile(), QSettings::IniFormat).setValue("Config/DukePath", scratch("duke3d"));
        platform::setLengthQueryHook(
            [](const QString &path) { soundRequests() << QFileInfo(path).fileName(); });
        frmMain form;
        // A view change ends with a page change. For those rows the window stays
        // hidden: with no focus to carry over, a failure there leaves nothing in
        // Qt half done.
        const bool shown = answer != "page";
        mapList(form)->setView(how == "mnuViewReport" ? 0 : 3);
        if (shown)
            form.showCentred();
        else
            connect(form.findChild<QStackedWidget *>(), &QStackedWidget::currentChanged, this,
                    [](int page) {
                        if (page >= 0) // a page taken out is not yet a view change
                            throw std::runtime_error("page refused");
                    });
        QVERIFY(!shown || QTest::qWaitForWindowActive(&form));
        if (!how.isEmpty())
            soundRequests().clear();
        if (how == "cmdPlay" && !answer.isEmpty())
            folderBox(form)->setText(answer); // typed after the scan
        // The next modal window answered as a user would: the chooser goes to the
        // folder answer and confirms it (cancels when empty), the About box gets
        // the keys in answer ("close": its close box), the View menu is left.
        // What it showed is noted. One kept open by a failure is cancelled.
        QStringList modal;
        QTimer answering;
        connect(&answering, &QTimer::timeout, this, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *entry : menu->actions())
                    if (!entry->isSeparator())
                        modal << (entry->isChecked() ? "* " : "") + entry->text();
                return void(menu->close());
            }
            auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (box && !modal.isEmpty()) { // answered, kept open by a failed statement?
                if (refusal.done)
                    box->reject();
                return;
            }
            if (!box || !box->isActiveWindow())
                return;
            modal << box->windowTitle() << box->parentWidget()->objectName();
            if (auto *chooser = qobject_cast<QFileDialog *>(box)) {
                const bool foldersOnly = chooser->fileMode() == QFileDialog::Directory &&
                                         chooser->testOption(QFileDialog::ShowDirsOnly);
                const bool readOnly =
                    chooser->findChild<QFileSystemModel *>()->isReadOnly() &&
                    !chooser->findChild<QWidget *>("newFolderButton")->isEnabled();
                modal << chooser->directory().path() << (foldersOnly ? "folders only" : "files")
                      << (readOnly ? "read-only" : "writable");
                if (answer.isEmpty())
                    return chooser->reject();
                chooser->setDirectory(answer);
                return static_cast<QDialog *>(chooser)->accept(); // protected in QFileDialog
            }
            for (const char *name : {"lblTop", "lblMiddle", "lblSite", "lblEmail"})
                modal << box->findChild<QLabel *>(name)->text();
            const QImage icon = box->findChild<QLabel *>("Image1")->pixmap().toImage();
            modal << (icon == box->windowIcon().pixmap(32).toImage().scaled(136, 136) ? "hard edges"
                                                                                      : "smoothed");
            if (answer == "close")
                box->close();
            else
                QTest::keySequence(box->focusWidget(), QKeySequence(answer));
        });
        answering.start(20);
        qApp->installEventFilter(&refusal);
        UrlCatcher catcher;
        for (const char *scheme : {"https", "mailto"})
            if (answer == "opener")
                QDesktopServices::setUrlHandler(scheme, &catcher, "open");
        QAbstractItemView *view = mapList(form)->currentView();
        // The top row of pixels across a tile's edge, where no control covers it.
        const auto tiled = [&](QWidget &window, int from) {
            const QImage shot = window.grab().toImage(), tile = form.backgroundTile().toImage();
            for (int x = from; x < from + 140; ++x)
                if (shot.pixel(x, 0) != tile.pixel(x % 132, 0))
                    return false;
            return true;
        };
        const QPoint first = view->visualRect(view->model()->index(0, 0)).center();
        if (how.startsWith("keys "))
            QTest::keySequence(form.windowHandle(), QKeySequence(how.mid(5)));
        else if (how == "double click")
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, first);
        else if (how == "right press")
            QTest::mousePress(view->viewport(), Qt::RightButton, {}, first);
        else if (how == "close box")
            form.close();
        else if (how == "signal")
            ::raise(SIGTERM);
        else if (how == "Form_Paint" && tiled(form, 0))
            form.Form_Paint();
        else if (auto *action = form.findChild<QAction *>(how))
            action->trigger();
        else if (auto *button = form.findChild<QPushButton *>(how))
            button->click();
        else if (frmAbout box(&form); how.startsWith("lbl") || how == "About Form_Paint") {
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            if (how == "About Form_Paint" && tiled(box, 136)) // right of the icon
                box.Form_Paint();
            // Two clicks, and between them a double click as the desktop sends
            // it: its second press is not another click.
            if (auto *link = box.findChild<QLabel *>(how)) {
                QTest::mouseClick(link, Qt::LeftButton);
                QTest::mousePress(link, Qt::LeftButton);
                QTest::mouseDClick(link, Qt::LeftButton);
                QTest::mouseRelease(link, Qt::LeftButton);
                QTest::mouseClick(link, Qt::LeftButton);
            }
            QVERIFY(box.isVisible()); // open for another click
        }
        const auto seen = [&] {
            QStringList got = modal + soundRequests() + catcher.opened + logged();
            for (QLineEdit *editor : view->findChildren<QLineEdit *>())
                if (editor->isVisible())
                    got << "renaming";
            if (QDir::current().dirName() != "cwd")
                got << QDir::current().dirName();
            if (how.contains("Alt+F") || how.contains("tab", Qt::CaseInsensitive))
                got << "focus " + QApplication::focusWidget()->objectName();
            return shown && !form.isVisible() ? got << "closed" : got;
        };
        QTRY_COMPARE(seen(), outcome);
        // A button held down would click when it comes up.
        QVERIFY(!form.findChild<QPushButton *>("cmdRefresh")->isDown());
    }

    // Read at start; then the user sets both widths, picks List, types a folder,
    // closes and starts again. Each write rewrites the store: over the file size
    // limit, writes fail, keeping the store whole, until the earlier run's long
    // value has been replaced. "other:" puts the ini in the file beside the
    // store's folder, which QSettings would read too.
    void settings_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("close");
        QTest::addColumn<QStringList>("outcome"); // the four values, then the log
        const QString load = ", Main, LoadSettings, ",
                      noFolder = ", Main, LoadMaps, Path not found";
        const QString notWritten = ", Main, SaveSettings, Path/File access error";
        const QString typed = R"(  /no such/Düke, "Atomic"\@Variant(x);y#z=w  )";
        const QByteArray earlier = "[Config]\nColumn1=1500\nColumn2=1500\nView=0\nDukePath=/old\n";
        const QByteArray zeros(300, '0');
        const QStringList saved{"2100", "1050", "2", typed};
        QTest::newRow("first run")
            << QByteArray() << none << QStringList{"1440", "1440", "3", none};
        QTest::newRow("another file's keys not read")
            << QByteArray("other:[Config]\nView=1\nDukePath=/no\n") << none
            << QStringList{"1440", "1440", "3", none};
        // 1234,5 twips is 82.3 pixels, shown as 82: 1230 twips.
        QTest::newRow("regional format, whole pixels")
            << QByteArray("[Config]\nColumn1=\"1234,5\"\nColumn2=600\nView=\" 2 \"\n") << none
            << QStringList{"1230", "600", "2", none};
        QTest::newRow("two bad values cost only themselves, logged in order")
            << QByteArray("[Config]\nColumn1=abc\nColumn2=900\nView=3000000000\nDukePath=/no\n")
            << none
            << QStringList{"1440", "900", "3", "/no"} +
                   QStringList{load + "Type mismatch", load + "Overflow", noFolder};
        QTest::newRow("negative width and view 7 refused")
            << QByteArray("[Config]\nColumn2=-15\nView=7\n") << none
            << QStringList{"1440", "1440", "3", none} +
                   QStringList(2, load + "Invalid property value");
        QTest::newRow("close box, replacing the earlier run's")
            << earlier << "close box" << saved + QStringList{noFolder};
        QTest::newRow("Exit") << earlier << "cmdExit" << saved + QStringList{noFolder};
        QTest::newRow("the first key not written, the other three are")
            << QByteArray(earlier).replace("Column2=", "Column2=" + zeros) << "close box"
            << QStringList{"1500", "1050", "2", typed, notWritten, noFolder};
        QTest::newRow("two keys not written, two lines")
            << QByteArray(earlier).replace("View=", "View=" + zeros) << "close box"
            << QStringList{"1500", "1500", "2", typed, notWritten, notWritten, noFolder};
    }

    void settings()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, close);
        QFETCH(QStringList, outcome);
        const bool other = ini.startsWith("other:");
        QFile store(other ? QFileInfo(storeFile()).path() + "/../Levrun.ini" : storeFile());
        if (other)
            ini.remove(0, 6);
        if (!ini.isEmpty())
            QVERIFY(QDir().mkpath(QFileInfo(store).path()) && store.open(QIODevice::WriteOnly) &&
                    store.write(ini) == ini.size() && store.flush());
        std::optional<frmMain> window(std::in_place);
        if (!close.isEmpty()) {
            mapList(*window)->setColumnWidth(1, 2100);
            mapList(*window)->setColumnWidth(2, 1050);
            window->findChild<QAction *>("mnuViewList")->trigger();
            folderBox(*window)->setText(outcome[3]);
            clearLog(); // the scan of /old
            rlimit limit, before;
            ::getrlimit(RLIMIT_FSIZE, &before);
            limit = before;
            limit.rlim_cur = ini.contains("000000") ? 200 : before.rlim_cur;
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
            if (auto *button = window->findChild<QPushButton *>(close))
                button->click();
            else
                window->close();
            ::setrlimit(RLIMIT_FSIZE, &before);
            window.emplace(); // started again
        }
        platform::ListView *list = mapList(*window);
        QCOMPARE(QStringList({QString::number(list->ColumnWidth(1)),
                              QString::number(list->ColumnWidth(2)), QString::number(list->View()),
                              folderBox(*window)->text()}) +
                     logged(),
                 outcome);
        // The store's one file, or none: a read makes nothing, a write leaves nothing beside it.
        QCOMPARE(QDir(QFileInfo(storeFile()).path()).entryList(QDir::Files),
                 QStringList(ini.isEmpty() || other ? 0 : 1, "Levrun.ini"));
    }

    // A screen reader can name every control a user can reach, in both windows.
    void namedForScreenReaders()
    {
        frmMain window;
        window.showCentred();
        frmAbout about(&window);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QStringList unnamed;
        for (const int view : {0, 1, 2, 3}) {
            mapList(window)->setView(view);
            for (QWidget *control :
                 window.findChildren<QWidget *>() + about.findChildren<QWidget *>()) {
                QAccessibleInterface *face = QAccessible::queryAccessibleInterface(control);
                if (control->isVisible() && control->focusPolicy() != Qt::NoFocus &&
                    (!face || face->text(QAccessible::Name).trimmed().isEmpty()))
                    unnamed << control->objectName();
            }
        }
        QCOMPARE(unnamed, QStringList());
    }

    // Maps as stored, sorted, with their sizes; folders, hidden files, pipes, other
    // files and broken links left out, a link to a map listed. An empty folder text
    // scans the root, which holds no maps (the current folder does).
    void scan()
    {
        makeEntries(scratch("duke3d"),
                    {"E1L10.Map=1234567", "e1l2.map=0", "E1L1.MAP=999", "BIG.MAP=3221225472",
                     "README.TXT=10", "E1L4.MAPX=5", "X.MAP=/", ".HIDDEN.MAP=5", "PIPE.MAP=|",
                     "BROKEN.MAP=->GONE.MAP", "LINK.MAP=->E1L1.MAP", "DIRLINK.MAP=->X.MAP"});
        QDir::setCurrent(scratch("duke3d"));
        frmMain form;
        QStringList shown;
        for (const QString &folder : {scratch("duke3d/"), QString()}) {
            folderBox(form)->setText(folder);
            form.LoadMaps();
            form.LoadMaps(); // each scan starts afresh
            shown += listed(form) << "|";
        }
        QCOMPARE(shown + logLines(),
                 QStringList({"BIG.MAP|3.221.225.472", "E1L1.MAP|999", "e1l2.map|",
                              "E1L10.Map|1.234.567", "LINK.MAP|999", "|", "|"}));
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
