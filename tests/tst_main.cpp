// SPDX-License-Identifier: GPL-3.0-or-later
// The windows as a German user meets them (see main()): what each action
// plays, scans, shows and logs, the settings kept between runs, and the map
// list's modes, order, long names and selection under keys, presses and the
// View menu.
#include "About.h"
#include "Main.h"
#include "TestSupport.h"
#include "config.h"
#include "platform/ListView.h"
#include "platform/TestSeams.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>
#include <stdexcept>

#include <sys/resource.h>

using namespace testsupport;

namespace {

const QString NoGame = ", Main, cmdPlay_Click, File not found";
const QString Thrown = "Application-defined or object-defined error";
// Blanks, a comma, and well past the 259 characters of the old fixed buffers.
const QString Atomic = "Duke Nukem 3D, Atomic" + QString("/a-long-name").repeated(25);

// The settings store in this test's configuration folder, as STORE in shell().
const QString StoreFile = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Levrun/Levrun.ini";

platform::ListView *mapList(QWidget &window)
{
    return window.findChild<platform::ListView *>("lvwMaps");
}

QTestData &row(const char *name, const QString &how, const QString &answer = {})
{
    return QTest::newRow(name) << how << answer;
}

const QString Long = "<b>A really long name for a map, with more words.MAP"; // not markup

// Adds the names in turn, each with its position as its size text; they show
// when the event loop comes round.
void fill(platform::ListView &list, const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        platform::ListItem item = list.items().Add();
        item.setText(names[i]);
        item.setSubItems(1, QString::number(i));
    }
}

} // namespace

class tst_Main : public QObject
{
    Q_OBJECT
    QStringList m_opened;
    int m_refusedType = -1; // done: -2
    QString m_refusedTarget;

public:
    // Stands in for the user's browser and mail program.
    Q_INVOKABLE void open(const QUrl &url) { m_opened << url.toString(); }

    // Fails, once, the statement that sends an event of the refused type
    // to the object of the refused name or window title.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *widget = qobject_cast<QWidget *>(watched);
        if (event->type() != m_refusedType ||
            (watched->objectName() != m_refusedTarget &&
             (!widget || widget->windowTitle() != m_refusedTarget)))
            return false;
        m_refusedType = -2;
        throw std::runtime_error("refused");
    }

private slots:
    void init()
    {
        QVERIFY(QDir::setCurrent(scratch("cwd")) &&
                shell(R"(cd "$S" && rm -rf duke3d cwd/Levrun.VNL "$XDG_CONFIG_HOME/Levrun")"));
        soundRequests.clear();
        m_opened.clear();
    }

    // The stored game folder holds E1L1.MAP; the list has the focus. What a
    // modal window or the View menu showed, the clips asked for and the maps
    // scanned, in order, the log, the folder made current, whether the window
    // closed, and where keys that move the focus left it; "|" between them.
    void actions_data()
    {
        QTest::addColumn<QString>("how");    // keys, a control, or a gesture
        QTest::addColumn<QString>("answer"); // to the modal window; "; refuse" what fails
        QTest::addColumn<QString>("outcome");
        const QString chooser = "Select Duke Nukem 3D folder:|frmMain|/|folders only, read-only";
        const QString about = "About Levrun|frmMain|Levrun v1.0\r\nA Windows front-end for Duke "
                              "Nukem 3D maps|written by " LEVRUN_AUTHOR "\r\n\r\n|" LEVRUN_SITE
                              "|e-mail: " LEVRUN_EMAIL "|hard edges|WAV4 1";
        const QString play = "WAV3 1|" + NoGame + "|duke3d", refresh = "WAV1 1|E1L1.MAP";
        const QString paint = "Form_Paint, Invalid procedure call or argument";
        row("start-up", {}) << "E1L1.MAP|WAV6 1";
        row("Alt+R", "keys Alt+R") << refresh;
        row("menu's Refresh", "mnuViewRefresh") << "E1L1.MAP";
        row("chooser, a long name", "cmdSelectFolder", scratch(Atomic)) << chooser + "|L.MAP";
        row("chooser, same folder", "cmdSelectFolder", scratch("duke3d")) << chooser + "|E1L1.MAP";
        row("chooser, a name not UTF-8", "cmdSelectFolder", scratch("duke\uFFFD"))
            << chooser + "|N.MAP";
        row("Alt+P", "keys Alt+P") << play;
        row("Enter in the list", "keys Return") << play;
        row("double click", "double click") << play;
        row("another key in the list", "keys A") << "";
        row("Tab, Enter on Play", "keys Tab, Return") << play + "|focus cmdPlay";
        row("Enter in the box: no default", "keys Backtab, Backtab, Return") << "focus txtDukePath";
        row("Alt+F moves to Refresh, pressing nothing", "keys Alt+F") << "focus cmdRefresh";
        row("Play, folder gone: started from the one before", "cmdPlay", "text:" + scratch("gone"))
            << "WAV3 1|, Main, cmdPlay_Click, Path not found|" + NoGame;
        row("About, Alt+O", "cmdAbout", "Alt+O") << about + "|WAV5 1";
        row("About, Enter", "cmdAbout", "Return") << about + "|WAV5 1";
        row("Alt+A, close box", "keys Alt+A", "close") << about; // Escape: Form_KeyPress below
        row("web address", "lblSite", "opener") << LEVRUN_SITE "|" LEVRUN_SITE;
        row("e-mail address", "lblEmail", "opener")
            << "mailto:" LEVRUN_EMAIL "|mailto:" LEVRUN_EMAIL;
        const QString noOpener = ", About, %1_Click, File not found";
        row("web, no opener", "lblSite") << QStringList(2, noOpener.arg("lblSite")).join('|');
        row("mail, no opener", "lblEmail") << QStringList(2, noOpener.arg("lblEmail")).join('|');
        row("close box", "close box") << "closed";
        row("session checkpoint: saved, left open", "session save") << "saved";
        row("screen reader names, all views, both windows", "names") << "";
        // An empty folder text scans the root, which holds no maps (the current folder does).
        row("Refresh, no folder text", "cmdRefresh", "text:") << "WAV1 1";
        // Outside a paint event nothing can be drawn: one line for each tile.
        row("Form_Paint", "Form_Paint") << QStringList(16, ", Main, " + paint).join('|');
        row("About's Form_Paint", "About Form_Paint")
            << QStringList(8, ", About, " + paint).join('|');
        // Failures that only a Qt call can raise, each under its handler's label.
        row("Form_Load", "About", "; refuse WindowTitleChange About Levrun")
            << ", About, Form_Load, " + Thrown;
        row("cmdAbout_Click", "cmdAbout", "; refuse WindowTitleChange frmAbout")
            << "WAV4 1|, Main, cmdAbout_Click, " + Thrown;
        row("Form_KeyPress", "cmdAbout", "Esc; refuse Close frmAbout")
            << about + "|, About, Form_KeyPress, " + Thrown;
        row("cmdExit_Click", "cmdExit", "; refuse Close frmMain")
            << "WAV2|, Main, cmdExit_Click, " + Thrown;
        for (const char *entry :
             {"mnuViewIcons", "mnuViewSmallIcons", "mnuViewList", "mnuViewReport"})
            row(entry, entry, "page") << QString(", Main, %1_Click, ").arg(entry) + Thrown;
    }

    void actions()
    {
        QFETCH(QString, how);
        QFETCH(QString, answer);
        QFETCH(QString, outcome);
        const QString refused = answer.section("; refuse ", 1); // "Close frmMain"
        m_refusedType =
            QMetaEnum::fromType<QEvent::Type>().keyToValue(refused.section(' ', 0, 0).toLatin1());
        m_refusedTarget = refused.section(' ', 1);
        answer = answer.section("; refuse ", 0, 0);
        QVERIFY(shell("A='" + Atomic.toUtf8() + R"('; cd "$S" && mkdir -p duke3d "$A"
            N=$(printf 'duke\377'); mkdir -p "$N"; truncate -s 1 "$N/N.MAP"
            truncate -s 1 duke3d/E1L1.MAP "$A/L.MAP" cwd/HERE.MAP)"));
        QSettings(StoreFile, QSettings::IniFormat).setValue("Config/DukePath", scratch("duke3d"));
        platform::seams::lengthQuery = [](const QString &path) {
            soundRequests << QFileInfo(path).fileName();
        };
        frmMain form;
        // A view change ends with a page change. For those rows the window stays
        // hidden: with no focus to carry over, a failure there leaves nothing in
        // Qt half done. A page taken out (-1) is not yet a view change.
        const bool shown = answer != "page";
        mapList(form)->setViewMode(platform::ViewMode(how == "mnuViewReport" ? 0 : 3));
        shown ? form.showCentred()
              : void(connect(
                    form.findChild<QStackedWidget *>(), &QStackedWidget::currentChanged, this,
                    [](int page) { page < 0 ? void() : throw std::runtime_error("refused"); }));
        QVERIFY(!shown || QTest::qWaitForWindowActive(&form));
        if (!how.isEmpty())
            soundRequests.clear();
        if (answer.startsWith("text:"))
            folderBox(form)->setText(answer.mid(5)); // typed after the scan
        // The next modal window answered as a user would: the chooser goes to the
        // folder answer and confirms it, the About box gets the keys in answer
        // ("close": its close box). What it showed is noted. One kept open by a
        // failure is cancelled.
        QStringList modal;
        QTimer answering;
        connect(&answering, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (box && !modal.isEmpty() && m_refusedType == -2)
                return box->reject();
            if (!box || !box->isActiveWindow() || !modal.isEmpty())
                return;
            modal << box->windowTitle() << box->parentWidget()->objectName();
            if (auto *chooser = qobject_cast<QFileDialog *>(box)) {
                const bool asked = chooser->fileMode() == QFileDialog::Directory &&
                                   chooser->testOption(QFileDialog::ShowDirsOnly) &&
                                   !chooser->findChild<QWidget *>("newFolderButton")->isEnabled();
                modal << chooser->directory().path()
                      << (asked ? "folders only, read-only" : "other");
                // The folder's name typed, or clicked, below its parent.
                chooser->setDirectory(QFileInfo(answer).path());
                chooser->findChild<QLineEdit *>("fileNameEdit")
                    ->setText(QFileInfo(answer).fileName());
                return box->accept();
            }
            for (const char *name : {"lblTop", "lblMiddle", "lblSite", "lblEmail"})
                modal << box->findChild<QLabel *>(name)->text();
            const QImage icon = box->findChild<QLabel *>("Image1")->pixmap().toImage();
            modal << (icon == box->windowIcon().pixmap(32).toImage().scaled(136, 136) ? "hard edges"
                                                                                      : "smooth");
            answer == "close" ? void(box->close())
                              : QTest::keySequence(box->focusWidget(), QKeySequence(answer));
        });
        answering.start(20);
        qApp->installEventFilter(this);
        for (const char *scheme : {"https", "mailto"})
            answer == "opener" ? QDesktopServices::setUrlHandler(scheme, this, "open")
                               : QDesktopServices::unsetUrlHandler(scheme);
        // The top row of pixels across a tile's edge, where no control covers it.
        const auto tiled = [&](QWidget &window, int from) {
            const QImage shot = window.grab().toImage(), tile = form.backgroundTile().toImage();
            for (int x = from; x < from + 140; ++x)
                if (shot.pixel(x, 0) != tile.pixel(x % 132, 0))
                    return false;
            return true;
        };
        if (how.startsWith("keys "))
            QTest::keySequence(form.windowHandle(), QKeySequence(how.mid(5)));
        else if (QAbstractItemView *view = mapList(form)->currentView(); how == "double click")
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                               view->visualRect(view->model()->index(0, 0)).center());
        else if (how == "close box")
            form.close();
        else if (how == "session save") {
            emit qApp->commitDataRequest(*qApp->findChild<QSessionManager *>());
            if (QSettings(StoreFile, QSettings::IniFormat).contains("Config/Column1"))
                modal << "saved";
        } else if (how == "Form_Paint" && tiled(form, 0))
            form.Form_Paint();
        else if (auto *action = form.findChild<QAction *>(how))
            action->trigger();
        else if (auto *button = form.findChild<QPushButton *>(how))
            button->click();
        else if (frmAbout box(&form); how != "About") {
            box.show();
            QVERIFY(QTest::qWaitForWindowExposed(&box));
            if (how == "About Form_Paint" && tiled(box, 136)) // right of the icon
                box.Form_Paint();
            // Two clicks, between them a double click as the desktop sends it:
            // its second press is not another click.
            for (auto step : {QTest::MouseClick, QTest::MousePress, QTest::MouseDClick,
                              QTest::MouseRelease, QTest::MouseClick})
                if (auto *link = box.findChild<QLabel *>(how))
                    QTest::mouseEvent(step, link, Qt::LeftButton, {}, {});
            QVERIFY(box.isVisible()); // open for another click
            // A screen reader can name every control a user can reach.
            for (int mode = 0; how == "names" && mode < 4; ++mode) {
                mapList(form)->setViewMode(platform::ViewMode(mode));
                for (QWidget *control :
                     form.findChildren<QWidget *>() + box.findChildren<QWidget *>())
                    if (auto *face = QAccessible::queryAccessibleInterface(control);
                        control->isVisible() && control->focusPolicy() != Qt::NoFocus &&
                        (!face || face->text(QAccessible::Name).trimmed().isEmpty()))
                        modal << "unnamed " + control->objectName();
            }
        }
        const auto seen = [&] {
            QStringList got = modal + soundRequests + m_opened + logged();
            if (QDir::current().dirName() != "cwd")
                got << QDir::current().dirName();
            if (how.contains("Alt+F") || how.contains("tab", Qt::CaseInsensitive))
                got << "focus " + QApplication::focusWidget()->objectName();
            return (shown && !form.isVisible() ? got << "closed" : got).join('|');
        };
        QTRY_COMPARE(seen(), outcome);
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
        QTest::addColumn<QString>("outcome");
        const QString load = "|, Main, LoadSettings, ",
                      noFolder = "|, Main, LoadMaps, Path not found";
        const QString notWritten = "|, Main, SaveSettings, Path/File access error";
        // with a byte that is not text, from a folder name that is not UTF-8
        const QString typed =
            R"(|  /no such/Düke, "Atomic"\@Variant(x);y#z=w  )" + QString(QChar(0xDCE9));
        const QByteArray earlier = "[Config]\nColumn1=1500\nColumn2=1500\nView=0\nDukePath=/old\n";
        const QByteArray zeros(300, '0');
        // No store of its own: the defaults, and nothing made by reading.
        QTest::newRow("another file's keys not read")
            << QByteArray("other:[Config]\nView=1\nDukePath=/no\n") << false << "1440|1440|3|";
        // 1234,5 twips is 82.3 pixels, shown as 82: 1230 twips.
        QTest::newRow("regional format, whole pixels")
            << QByteArray("[Config]\nColumn1=\"1234,5\"\nColumn2=600\nView=\" 2 \"\n") << false
            << "1230|600|2|";
        QTest::newRow("two bad values cost only themselves, logged in order")
            << QByteArray("[Config]\nColumn1=abc\nColumn2=900\nView=3000000000\nDukePath=/no\n")
            << false << "1440|900|3|/no" + load + "Type mismatch" + load + "Overflow" + noFolder;
        QTest::newRow("negative width and view 7 refused")
            << QByteArray("[Config]\nColumn2=-15\nView=7\n") << false
            << "1440|1440|3|" + load + "Invalid property value" + load + "Invalid property value";
        QTest::newRow("replacing the earlier run's")
            << earlier << true << "2100|1050|2" + typed + noFolder;
        QTest::newRow("the first key not written, the other three are")
            << QByteArray(earlier).replace("Column2=", "Column2=" + zeros) << true
            << "1500|1050|2" + typed + notWritten + noFolder;
    }

    void settings()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, restart);
        QFETCH(QString, outcome);
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
            folderBox(*window)->setText(outcome.section('|', 3, 3));
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
        const QStringList values{
            QString::number(list->columnWidth(1)), QString::number(list->columnWidth(2)),
            QString::number(int(list->viewMode())), folderBox(*window)->text()};
        QCOMPARE((values + logged()).join('|'), outcome);
        // The store's one file, or none: a read makes nothing, a write leaves nothing beside it.
        QCOMPARE(QDir(QFileInfo(StoreFile).path()).entryList(QDir::Files),
                 QStringList(other ? 0 : 1, "Levrun.ini"));
    }

    // The widest name sorts first: the item size cannot come from the last one.
    // A screen reader finds one view in the stack, the one on show.
    void modes_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("shown"); // word wrap, view mode, icon size, flow: 1 1 32 0 is 11320
        QTest::newRow("0 icons, two lines of label") << 0 << 11320;
        QTest::newRow("1 small icons") << 1 << 160;
        QTest::newRow("2 list, as wide as the name") << 2 << 161;
        QTest::newRow("3 report") << 3 << -1;
    }

    void modes()
    {
        QFETCH(int, view);
        QFETCH(int, shown);
        platform::ListView list;
        fill(list, {"Z.MAP", Long, "b.map"});
        list.setViewMode(platform::ViewMode(view));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QAbstractItemView *items = list.currentView();
        auto *v = qobject_cast<QListView *>(items);
        const int set = v ? v->wordWrap() * 10000 + v->viewMode() * 1000 + v->flow() : -1;
        QCOMPARE(set + (v ? v->iconSize().width() * 10 : 0), shown);
        QCOMPARE(QAccessible::queryAccessibleInterface(&list)->child(0)->childCount(), 1);
        // A screen reader meets one item a map, named by the map; the report, rows of cells.
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(items);
        QCOMPARE(face->childCount(), view == 3 ? 8 : 3);
        QCOMPARE(face->child(view == 3 ? 2 : 0)->text(QAccessible::Name), Long);
        const QRect item = items->visualRect(items->model()->index(0, 0));
        if (view == 0)
            QVERIFY(item.height() >= 32 + 2 * items->fontMetrics().height());
        else if (view != 3) // the report's column keeps the width the user gave it
            QVERIFY(item.width() > items->fontMetrics().horizontalAdvance(Long));
        QHelpEvent help(QEvent::ToolTip, item.center(), {});
        QApplication::sendEvent(items->viewport(), &help);
        const auto tip = [] {
            const QString text = QToolTip::text();
            return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText()
                                             : text;
        };
        QTRY_COMPARE(tip(), Long + "\n1");
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
        for (int row = 0; view == 1 || view == 2 ? row < 2 : false; ++row) {
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
        QTest::addColumn<QList<int>>("views");
        QTest::addColumn<bool>("endAtOnce");
        QTest::newRow("400, Report, Small icons, List") << 400 << QList{3, 1, 2} << false;
        QTest::newRow("400, List, Small icons, Icons") << 400 << QList{2, 1, 0} << false;
        QTest::newRow("400, Icons, List, Report") << 400 << QList{0, 2, 3} << false;
        QTest::newRow("100,000, Report, Small icons, List, Icons")
            << 100000 << QList{3, 1, 2, 0} << false;
        QTest::newRow("100,000, End at once after each") << 100000 << QList{3, 1, 2, 0} << true;
    }

    void inSight()
    {
        QFETCH(int, maps);
        QFETCH(QList<int>, views);
        QFETCH(bool, endAtOnce);
        platform::ListView list;
        QStringList names;
        for (int i = 0; i < maps; ++i)
            names << QString("E%1.MAP").arg(i);
        fill(list, names);
        list.resize(380, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        for (qsizetype step = 0; step < views.size(); ++step) {
            list.setViewMode(platform::ViewMode(views[step]));
            QAbstractItemView *view = list.currentView();
            if (step == 0 || endAtOnce)
                QTest::keyClick(view, Qt::Key_End);
            QTRY_VERIFY2(
                view->currentIndex().row() == maps - 1 &&
                    view->viewport()->rect().contains(view->visualRect(view->currentIndex())),
                qPrintable(QString("view %1").arg(views[step])));
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

    // The mode chosen from a View menu opened by the Menu key; then keys that
    // move the current item select it, where it is too; the View menu, opened
    // by keys or a right press anywhere, marks the current mode only (no other
    // entry checkable) and leaves the selection alone.
    void gestures_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("key"); // 0: a right press on the second item, 1: on the header
        QTest::addColumn<QString>("menu");
        QTest::newRow("Home on the current item") << 3 << int(Qt::Key_Home) << QString();
        QTest::newRow("Menu key") << 0 << int(Qt::Key_Menu) << QString("Icons*");
        QTest::newRow("Shift+F10") << 2 << int(Qt::Key_F10) << QString("List*");
        QTest::newRow("right press on another item") << 3 << 0 << QString("Report*");
        QTest::newRow("right press on the header") << 3 << 1 << QString("Report*");
    }

    void gestures()
    {
        QFETCH(int, view);
        QFETCH(int, key);
        QFETCH(QString, menu);
        frmMain form;
        form.showCentred();
        platform::ListView *list = mapList(form);
        fill(*list, {"E1L1.MAP", "E1L2.MAP", "E1L3.MAP"});
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto *viewMenu = form.findChild<QMenu *>("mnuView");
        QSignalSpy opened(viewMenu, &QMenu::aboutToShow);
        QTimer::singleShot(0, viewMenu->actions().at(view), &QAction::trigger);
        QTimer::singleShot(0, viewMenu, &QMenu::close);
        QTest::keyClick(list->currentView(), Qt::Key_Menu);
        QTimer::singleShot(0, viewMenu, &QMenu::close);
        QAbstractItemView *shown = list->currentView();
        QWidget *viewport = shown->viewport();
        if (menu.isEmpty()) // a click on empty space takes the selection away
            QTest::mouseClick(viewport, Qt::LeftButton, {}, viewport->rect().bottomRight());
        QVERIFY(list->SelectedItem().isNull() == menu.isEmpty());
        if (key > 1)
            QTest::keyClick(shown, Qt::Key(key),
                            key == Qt::Key_F10 ? Qt::ShiftModifier : Qt::NoModifier);
        else
            QTest::mousePress(key ? list->findChild<QHeaderView *>()->viewport() : viewport,
                              Qt::RightButton, {},
                              shown->visualRect(shown->model()->index(1, 0)).center());
        QStringList marks;
        for (QAction *entry : viewMenu->actions())
            marks << (entry->isChecked() ? entry->text() : "") + (entry->isCheckable() ? "*" : "");
        QCOMPARE(opened.size(), 1 + int(!menu.isEmpty()));
        QCOMPARE(menu.isEmpty() ? menu : marks.join(u' ').trimmed(), menu); // the last menu's
        QCOMPARE(list->SelectedItem().isNull() ? "none" : list->SelectedItem().Text(), "E1L1.MAP");
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
