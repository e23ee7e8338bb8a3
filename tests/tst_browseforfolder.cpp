#include "BrowseForFolder.h"
#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace testsupport;

namespace {

// Answers the next folder chooser as a user would: goes to folder and confirms
// it, or cancels when folder is empty. Remembers what the chooser showed.
class ChooserAnswer : public QObject
{
public:
    explicit ChooserAnswer(const QString &folder)
        : m_folder(folder)
    {
        connect(&m_timer, &QTimer::timeout, this, &ChooserAnswer::look);
        m_timer.start(20);
    }
    QFileDialog *seen = nullptr; // gone once answered: read only the fields below
    QString title, startFolder;
    QWidget *owner = nullptr;
    bool modal = false, foldersOnly = false;

private:
    void look()
    {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            auto *chooser = qobject_cast<QFileDialog *>(window);
            if (!chooser || !chooser->isVisible())
                continue;
            m_timer.stop();
            seen = chooser;
            title = chooser->windowTitle();
            startFolder = chooser->directory().path();
            owner = chooser->parentWidget();
            modal = chooser->isModal();
            foldersOnly = chooser->fileMode() == QFileDialog::Directory &&
                          chooser->testOption(QFileDialog::ShowDirsOnly);
            if (m_folder.isEmpty())
                return chooser->reject();
            chooser->setDirectory(m_folder);
            static_cast<QDialog *>(chooser)->accept(); // protected in QFileDialog
            return;
        }
    }

    QString m_folder;
    QTimer m_timer;
};

QString scratch(const QString &relative)
{
    return QDir(qEnvironmentVariable("LEVRUN_TEST_SCRATCH")).filePath(relative);
}

// A folder path well past the 259 characters of the old fixed buffers.
QString deepFolder()
{
    QString deep = scratch("games");
    while (deep.size() < 320)
        deep += QStringLiteral("/a-rather-long-folder-name");
    return deep;
}

void makeMap(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(100, 'M'));
}

// The map list as the user sees it: name and size of every item, in order.
QStringList listed(frmMain &window)
{
    platform::ListItems &items =
        window.findChild<platform::ListView *>(QStringLiteral("lvwMaps"))->ListItemsRef();
    QStringList rows;
    for (qsizetype i = 0; i < items.Count(); ++i)
        rows << items.Item(i).Text() + QLatin1Char('\t') + items.Item(i).SubItems(1);
    return rows;
}

} // namespace

class tst_BrowseForFolder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { clearLog(); }

    void chooserGivesThePathOfTheChosenFolder_data();
    void chooserGivesThePathOfTheChosenFolder();
    void folderButton_data();
    void folderButton();
};

void tst_BrowseForFolder::initTestCase()
{
    QVERIFY(!qEnvironmentVariable("LEVRUN_TEST_SCRATCH").isEmpty());
    setUpApplication();
    for (const QString &folder : {scratch("games/Duke Nukem 3D, Atomic"), scratch("games/other"),
                                  scratch("games/duke3d"), deepFolder()})
        QVERIFY(QDir().mkpath(folder));
    makeMap(scratch("games/duke3d/E1L1.MAP"));
    makeMap(scratch("games/other/OTHER.MAP"));
}

void tst_BrowseForFolder::chooserGivesThePathOfTheChosenFolder_data()
{
    QTest::addColumn<QString>("folder"); // empty: cancel
    QTest::newRow("a folder") << scratch("games/duke3d");
    QTest::newRow("blanks and a comma") << scratch("games/Duke Nukem 3D, Atomic");
    QTest::newRow("the root stays /") << "/";
    QTest::newRow("longer than 259 characters") << deepFolder();
    QTest::newRow("cancel") << QString();
}

void tst_BrowseForFolder::chooserGivesThePathOfTheChosenFolder()
{
    QFETCH(QString, folder);
    QWidget owner;
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    ChooserAnswer answer(folder);
    QCOMPARE(sBrowseForFolder(&owner, QStringLiteral("Pick the folder:")), folder);
    QVERIFY(answer.seen);
    QCOMPARE(answer.title, QStringLiteral("Pick the folder:"));
    QCOMPARE(answer.startFolder, QStringLiteral("/"));
    QCOMPARE(answer.owner, &owner);
    QVERIFY(answer.modal);
    QVERIFY(answer.foldersOnly);
    QCOMPARE(logLines(), QStringList());
}

void tst_BrowseForFolder::folderButton_data()
{
    QTest::addColumn<QString>("before"); // the folder box before the click
    QTest::addColumn<QString>("choose"); // empty: cancel
    const QString duke = scratch("games/duke3d");
    QTest::newRow("cancel leaves everything") << scratch("games/other") << QString();
    QTest::newRow("cancel keeps a typed text") << "typed, not a folder" << QString();
    QTest::newRow("another folder") << scratch("games/other") << duke;
    QTest::newRow("the folder already in the box") << duke << duke;
}

void tst_BrowseForFolder::folderButton()
{
    QFETCH(QString, before);
    QFETCH(QString, choose);
    frmMain window;
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *box = window.findChild<QLineEdit *>(QStringLiteral("txtDukePath"));
    box->setText(before);
    window.LoadMaps();
    // A map that arrives after the last scan shows only after a rescan.
    const QString arrived = QDir(choose).filePath(QStringLiteral("ARRIVED.MAP"));
    if (!choose.isEmpty())
        makeMap(arrived);
    const QStringList shownBefore = listed(window);
    const QString cwd = QDir::currentPath();
    clearLog();

    ChooserAnswer answer(choose);
    window.findChild<QPushButton *>(QStringLiteral("cmdSelectFolder"))->click();
    QVERIFY(answer.seen);
    QCOMPARE(answer.title, QStringLiteral("Select Duke Nukem 3D folder:"));
    QCOMPARE(answer.owner, &window);
    QCOMPARE(box->text(), choose.isEmpty() ? before : choose);
    const QStringList shownAfter = listed(window);
    if (!choose.isEmpty()) {
        window.LoadMaps(); // what a scan of the chosen folder shows
        QFile::remove(arrived);
    }
    QCOMPARE(shownAfter, choose.isEmpty() ? shownBefore : listed(window));
    QCOMPARE(logLines(), QStringList());
    QCOMPARE(QDir::currentPath(), cwd);
    // The choice reaches the store only when the window closes.
    QVERIFY(!QFileInfo::exists(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath("Levrun")));
}

QTEST_MAIN(tst_BrowseForFolder)
#include "tst_browseforfolder.moc"
