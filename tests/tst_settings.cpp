#include "BrowseForFolder.h"
#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>

using namespace testsupport;

namespace {

const QString Load = ", Main, LoadSettings, ";
const QString NoFolder = ", Main, LoadMaps, Path not found";

QString storeFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/Levrun/Levrun.ini";
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) >= 0);
}

// The store's lines as a user sees them in an editor.
QStringList storeLines()
{
    QFile ini(storeFile());
    return ini.open(QIODevice::ReadOnly)
               ? QString::fromUtf8(ini.readAll()).split(u'\n', Qt::SkipEmptyParts)
               : QStringList();
}

// Column1, Column2, View and DukePath as the controls hold them.
QStringList controls(frmMain &window)
{
    platform::ListView *list = mapList(window);
    return {QString::number(list->ColumnWidth(1)), QString::number(list->ColumnWidth(2)),
            QString::number(list->View()), folderBox(window)->text()};
}

void typeInto(QLineEdit *box, const QString &text)
{
    box->selectAll();
    // Character by character, as a keyboard would send them; keyClicks knows Latin-1 only.
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
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

QString deepFolder()
{
    return scratch("games/Duke Nukem 3D, Atomic") + QString("/a-long-folder-name").repeated(16);
}

} // namespace

class tst_Settings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(storeFile().startsWith(scratch()));
        makeEntries(scratch("games"), {"duke3d/E1L1.MAP=100"});
        QVERIFY(QDir().mkpath(deepFolder()));
    }
    void init()
    {
        clearLog();
        QFile::remove(QFileInfo(storeFile()).path());
        QDir(QFileInfo(storeFile()).path()).removeRecursively();
    }

    // Numbers as a German user writes them (see main()).
    void loadPutsStoredValuesIntoTheControls_data()
    {
        QTest::addColumn<QByteArray>("ini"); // empty: no store yet
        QTest::addColumn<QStringList>("controls");
        QTest::addColumn<QStringList>("logged");
        const QStringList design{"1440", "1440", "3", ""};
        QTest::newRow("first run") << QByteArray() << design << QStringList();
        QTest::newRow("view of letters keeps the design view")
            << QByteArray("[Config]\nView=abc\n") << design << QStringList{Load + "Type mismatch"};
        QTest::newRow("view 7 refused") << QByteArray("[Config]\nView=7\n") << design
                                        << QStringList{Load + "Invalid property value"};
        // 1234,5 twips is 82.3 pixels, shown as 82: 1230 twips.
        QTest::newRow("widths in the regional format")
            << QByteArray("[Config]\nColumn1=\"1234,5\"\nColumn2=600\n")
            << QStringList{"1230", "600", "3", ""} << QStringList();
        QTest::newRow("width in another region's format")
            << QByteArray("[Config]\nColumn2=2250.5\n") << design
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

    void everyWayOfClosingSavesAllFourKeys_data()
    {
        QTest::addColumn<QString>("way");
        for (const char *way : {"close box", "Exit", "Alt+X", "SIGTERM", "SIGHUP", "SIGINT"})
            QTest::newRow(way) << way;
    }

    // The user widens the first column by 40 pixels from the 100 stored, narrows the
    // second by 30, picks List, types a folder, and closes.
    void everyWayOfClosingSavesAllFourKeys()
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
            typeInto(folderBox(window), typed);
            clearLog(); // the scan of /old
            if (way == "close box")
                window.close();
            else if (way == "Exit")
                window.findChild<QPushButton *>("cmdExit")->click();
            else if (way == "Alt+X")
                QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
            else
                ::raise(way == "SIGTERM" ? SIGTERM : way == "SIGHUP" ? SIGHUP : SIGINT);
            QTRY_VERIFY(!window.isVisible());
        }
        QCOMPARE(storeLines().filter(QRegularExpression("^(Column|View)")),
                 QStringList({"Column1=2100", "Column2=1050", "View=2"}));
        frmMain restarted;
        QCOMPARE(controls(restarted), QStringList({"2100", "1050", "2", typed}));
        QCOMPARE(logged(), QStringList{NoFolder}); // only the scan of a folder that is not there
    }

    void damagedStoreGivesDefaultsAndTheNextUnloadWritesAGoodFile_data()
    {
        QTest::addColumn<QByteArray>("damage"); // empty: a folder in place of the file
        QTest::addColumn<QString>("message");
        QTest::newRow("binary garbage")
            << QByteArray("\x00\x01\x7f\xff\xfe PK\x03\x04", 11) << "Invalid file format";
        QTest::newRow("folder in place of the file") << QByteArray() << "Path/File access error";
    }

    void damagedStoreGivesDefaultsAndTheNextUnloadWritesAGoodFile()
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
            QCOMPARE(controls(window), QStringList({"1440", "1440", "3", ""}));
            QCOMPARE(logged(), QStringList{Load + message});
            // Set aside, not thrown away: the user can still look at it.
            const QFileInfo setAside(storeFile() + ".bad");
            QVERIFY(damage.isEmpty() ? setAside.isDir() : setAside.size() == damage.size());
            damageStore(); // damaged again while the program runs
            window.findChild<QAction *>("mnuViewList")->trigger();
            window.close();
        }
        QCOMPARE(storeLines(),
                 QStringList({"[Config]", "Column1=1440", "Column2=1440", "DukePath=", "View=2"}));
        QCOMPARE(logged(), QStringList{Load + message}); // nothing from the save
    }

    void unwritableConfigFolderCostsOnlyTheSave()
    {
        // Tests run as root, where permissions stop nothing; a file in the way stops everyone.
        writeFile(QFileInfo(storeFile()).path(), "in the way");
        frmMain window;
        window.showCentred();
        window.close();
        QVERIFY(!window.isVisible());
        // One line per value; nothing stored is no failure of the load.
        QCOMPARE(logged(), QStringList(4, ", Main, SaveSettings, Path/File access error"));
        QCOMPARE(QFileInfo(QFileInfo(storeFile()).path()).size(), qint64(10)); // left as it was
    }

    // Blanks, a comma and a path well past the 259 characters of the old fixed buffers.
    void chooserGivesThePathOfTheChosenFolder()
    {
        const QString folder = deepFolder();
        QWidget owner;
        owner.setObjectName("owner");
        owner.show();
        ChooserAnswer answer(folder);
        QCOMPARE(sBrowseForFolder(&owner, "Pick the folder:"), folder);
        QCOMPARE(answer.seen, QStringList({"Pick the folder:", "/", "folders only", "owner"}));
        QCOMPARE(logLines(), QStringList());
    }

    void folderButton_data()
    {
        QTest::addColumn<bool>("confirm"); // the folder already in the box, or cancel
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("cancel leaves the box and the list") << false << QStringList{"E1L1.MAP|100"};
        QTest::newRow("the same folder again is rescanned")
            << true << QStringList{"ARRIVED.MAP|100", "E1L1.MAP|100"};
    }

    void folderButton()
    {
        QFETCH(bool, confirm);
        QFETCH(QStringList, shown);
        const QString duke = scratch("games/duke3d");
        frmMain window;
        window.showCentred();
        folderBox(window)->setText(duke);
        window.LoadMaps();
        // A map that arrives after the last scan shows only after a rescan.
        makeEntries(scratch("games/duke3d"), {"ARRIVED.MAP=100"});
        clearLog();
        ChooserAnswer answer(confirm ? duke : QString());
        window.findChild<QPushButton *>("cmdSelectFolder")->click();
        QCOMPARE(answer.seen.value(0), QStringLiteral("Select Duke Nukem 3D folder:"));
        QCOMPARE(answer.seen.value(3), QStringLiteral("frmMain"));
        QCOMPARE(folderBox(window)->text(), duke);
        QCOMPARE(listed(window), shown);
        QFile::remove(scratch("games/duke3d/ARRIVED.MAP"));
        QCOMPARE(logLines(), QStringList());
        QCOMPARE(QDir::currentPath(), scratch("cwd")); // not changed
        // The choice reaches the store only when the window closes.
        QVERIFY(!QFileInfo::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Levrun"));
    }
};

int main(int argc, char **argv)
{
    qputenv("LC_ALL", "de_DE.UTF-8");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    setUpApplication();
    tst_Settings test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings.moc"
