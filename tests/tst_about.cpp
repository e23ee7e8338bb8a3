#include "About.h"
#include "Main.h"
#include "TestSupport.h"
#include "config.h"

#include <QtTest>
#include <QtWidgets>

using namespace testsupport;

// Stands in for the user's browser and mail program.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl &url) { opened << url.toString(); }
};

class tst_About : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void init() { clearLog(); }

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
};

QTEST_MAIN(tst_About)
#include "tst_about.moc"
