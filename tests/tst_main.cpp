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

// Fails the statement that gives a window this title.
struct TitleRefusal : QObject
{
    QString title;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowTitleChange && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->windowTitle() == title)
            throw std::runtime_error("title refused");
        return false;
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

    // The stored game folder holds E1L1.MAP. What a modal window showed, the
    // clips asked for and the maps scanned, in order, the log, the folder made
    // current, and whether the window closed.
    void actions_data()
    {
        QTest::addColumn<QString>("how"); // keys, a control, or a gesture
        QTest::addColumn<QStringList>("outcome");
        QTest::addColumn<QString>("answer"); // to the modal window, or what fails
        const QStringList chooser{"Select Duke Nukem 3D folder:", "frmMain", "/", "folders only"};
        const QStringList about = QStringList{"About Levrun", "frmMain"}
                                  << "Levrun v1.0\r\nA Windows front-end for Duke Nukem 3D maps"
                                  << "written by " LEVRUN_AUTHOR "\r\n\r\n"
                                  << LEVRUN_SITE << "e-mail: " LEVRUN_EMAIL << "WAV4 1";
        const QStringList play{"WAV3 1", NoGame, "duke3d"}, refresh{"WAV1 1", "E1L1.MAP"};
        const QStringList closed{"closed"}, exited{"WAV2", "closed"};
        const QString cannotDraw = "Form_Paint, Invalid procedure call or argument";
        QTest::newRow("start-up") << none << QStringList{"E1L1.MAP", "WAV6 1"} << none;
        QTest::newRow("Refresh") << "cmdRefresh" << refresh << none;
        QTest::newRow("Alt+R") << "Alt+R" << refresh << none;
        QTest::newRow("menu's Refresh") << "mnuViewRefresh" << QStringList{"E1L1.MAP"} << none;
        QTest::newRow("chooser, a long name")
            << "cmdSelectFolder" << chooser + QStringList{"L.MAP"} << scratch(Atomic);
        QTest::newRow("chooser, the same folder")
            << "cmdSelectFolder" << chooser + QStringList{"E1L1.MAP"} << scratch("duke3d");
        QTest::newRow("chooser, cancelled") << "cmdSelectFolder" << chooser << none;
        QTest::newRow("Play") << "cmdPlay" << play << none;
        QTest::newRow("Alt+P") << "Alt+P" << play << none;
        QTest::newRow("Enter in the list") << "list Return" << play << none;
        QTest::newRow("another key in the list") << "list A" << QStringList() << none;
        QTest::newRow("F2 in the list: no renaming") << "list F2" << QStringList() << none;
        QTest::newRow("double click") << "double click" << play << none;
        QTest::newRow("Play, the folder typed is not there: the game is still looked for")
            << "cmdPlay" << QStringList{"WAV3 1", ", Main, cmdPlay_Click, Path not found", NoGame}
            << scratch("gone");
        QTest::newRow("About, Alt+O") << "cmdAbout" << about + QStringList{"WAV5 1"} << "Alt+O";
        QTest::newRow("About, Enter") << "cmdAbout" << about + QStringList{"WAV5 1"} << "Return";
        QTest::newRow("Alt+A, Escape") << "Alt+A" << about << "Esc";
        QTest::newRow("About, close box") << "cmdAbout" << about << "close";
        QTest::newRow("web address") << "lblSite" << QStringList(2, LEVRUN_SITE) << "opener";
        QTest::newRow("e-mail address")
            << "lblEmail" << QStringList(2, "mailto:" LEVRUN_EMAIL) << "opener";
        QTest::newRow("web address, no opener")
            << "lblSite" << QStringList(2, ", About, lblSite_Click, File not found") << none;
        QTest::newRow("e-mail, no opener")
            << "lblEmail" << QStringList(2, ", About, lblEmail_Click, File not found") << none;
        QTest::newRow("Exit, its clip heard out") << "cmdExit" << exited << none;
        QTest::newRow("Alt+X") << "Alt+X" << exited << none;
        QTest::newRow("close box") << "close box" << closed << none;
        QTest::newRow("signal") << "signal" << closed << none;
        QTest::newRow("Alt+F") << "Alt+F" << QStringList() << none;
        // Outside a paint event nothing can be drawn: one line for each tile.
        QTest::newRow("Form_Paint")
            << "Form_Paint" << QStringList(16, ", Main, " + cannotDraw) << none;
        QTest::newRow("About's Form_Paint")
            << "About Form_Paint" << QStringList(8, ", About, " + cannotDraw) << none;
        // Failures that only a Qt call can raise, each under its handler's label.
        QTest::newRow("About's Form_Load")
            << "About" << QStringList{", About, Form_Load, " + Thrown} << "About Levrun";
        QTest::newRow("cmdAbout_Click")
            << "cmdAbout" << QStringList{"WAV4 1", ", Main, cmdAbout_Click, " + Thrown}
            << "<frmAbout>";
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
        // the keys in answer ("close": its close box). What it showed is noted.
        QStringList modal;
        QTimer answering;
        connect(&answering, &QTimer::timeout, this, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box || !box->isActiveWindow())
                return;
            answering.stop();
            modal << box->windowTitle() << box->parentWidget()->objectName();
            if (auto *chooser = qobject_cast<QFileDialog *>(box)) {
                const bool foldersOnly = chooser->fileMode() == QFileDialog::Directory &&
                                         chooser->testOption(QFileDialog::ShowDirsOnly);
                modal << chooser->directory().path() << (foldersOnly ? "folders only" : "files");
                if (answer.isEmpty())
                    return chooser->reject();
                chooser->setDirectory(answer);
                return static_cast<QDialog *>(chooser)->accept(); // protected in QFileDialog
            }
            for (const char *name : {"lblTop", "lblMiddle", "lblSite", "lblEmail"})
                modal << box->findChild<QLabel *>(name)->text();
            if (answer == "close")
                box->close();
            else
                QTest::keySequence(box->focusWidget(), QKeySequence(answer));
        });
        answering.start(20);
        TitleRefusal refusal;
        refusal.title = answer;
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
        if (how.startsWith("Alt+"))
            QTest::keySequence(&form, how);
        else if (how.startsWith("list "))
            QTest::keySequence(view, how.mid(5));
        else if (how == "double click")
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                               view->visualRect(view->model()->index(0, 0)).center());
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
            for (int click = 0; how.startsWith("lbl") && click < 2; ++click)
                QTest::mouseClick(box.findChild<QLabel *>(how), Qt::LeftButton);
            QVERIFY(box.isVisible()); // open for another click
        }
        const auto seen = [&] {
            QStringList got = modal + soundRequests() + catcher.opened + logged();
            for (QLineEdit *editor : view->findChildren<QLineEdit *>())
                if (editor->isVisible())
                    got << "renaming";
            if (QDir::current().dirName() != "cwd")
                got << QDir::current().dirName();
            return shown && !form.isVisible() ? got << "closed" : got;
        };
        QTRY_COMPARE(seen(), outcome);
        // Alt+F only moves the focus on: the button is not held down to click.
        QVERIFY(how != "Alt+F" || (QApplication::focusWidget()->objectName() == "cmdRefresh" &&
                                   !QApplication::focusWidget()->property("down").toBool()));
    }

    // Read at start; then the user sets both widths, picks List, types a folder,
    // closes and starts again. Each write rewrites the store: over the file size
    // limit, writes fail until the earlier run's long value has been replaced.
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
        QFile store(storeFile());
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
        QCOMPARE(QFileInfo::exists(storeFile()), !ini.isEmpty()); // a read makes nothing
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
