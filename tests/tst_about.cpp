#include "About.h"
#include "Main.h"
#include "TestSupport.h"
#include "config.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace testsupport;

// Every PlayWaveRes call of the windows comes here instead (tests/CMakeLists.txt).
static QStringList soundRequests;
extern "C" void __wrap__Z11PlayWaveResRK7QStringSt8optionalIiE(const QString &clip,
                                                               std::optional<int> flags)
{
    soundRequests << (flags ? QStringLiteral("%1 %2").arg(clip).arg(*flags) : clip);
}

// Stands in for the user's browser and mail program.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl &url) { opened << url.toString(); }
};

namespace {

QStringList texts(const QWidget &box)
{
    QStringList all{box.windowTitle()};
    for (const char *name : {"lblTop", "lblMiddle", "lblSite", "lblEmail"})
        all << box.findChild<QLabel *>(name)->text();
    return all;
}

} // namespace

class tst_About : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void init()
    {
        clearLog();
        soundRequests.clear();
    }

    void textsIdenticalOnEveryOpening();
    void closeWays_data();
    void closeWays();
    void links_data();
    void links();
};

void tst_About::textsIdenticalOnEveryOpening()
{
    frmMain window;
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    soundRequests.clear(); // the start-up clip
    QList<QStringList> seen;
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(100, [&] {
            auto *box = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen << texts(*box);
            box->Form_Load(); // loading again sets the same texts
            seen << texts(*box);
            box->close();
        });
        window.cmdAbout_Click();
    }
    QCOMPARE(seen.size(), 4);
    // The About clip starts before each box; closing it plays nothing.
    QCOMPARE(soundRequests, QStringList({"WAV4 1", "WAV4 1"}));
    // The project's version is 1.0.0: major and minor as plain numbers.
    const QStringList expected{
        "About Levrun", "Levrun v1.0\r\nA Windows front-end for Duke Nukem 3D maps",
        "written by " LEVRUN_AUTHOR "\r\n\r\n", LEVRUN_SITE, "e-mail: " LEVRUN_EMAIL};
    for (const QStringList &shown : seen)
        QCOMPARE(shown, expected);
}

void tst_About::closeWays_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("okPath");
    QTest::newRow("Enter") << "Enter" << true << true;
    QTest::newRow("Alt+O") << "Alt+O" << true << true;
    QTest::newRow("Escape, no clip") << "Escape" << true << false;
    QTest::newRow("close box, no clip") << "close" << true << false;
    QTest::newRow("a letter does nothing") << "a" << false << false;
}

void tst_About::closeWays()
{
    QFETCH(QString, way);
    QFETCH(bool, closes);
    QFETCH(bool, okPath);
    frmMain window;
    frmAbout about(&window);
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    auto *ok = about.findChild<QPushButton *>("cmdOk");
    QCOMPARE(QApplication::focusWidget(), ok);
    QSignalSpy clicked(ok, &QPushButton::clicked);
    soundRequests.clear();
    if (way == "close")
        about.close();
    else if (way == "Alt+O")
        QTest::keyClick(ok, Qt::Key_O, Qt::AltModifier);
    else
        QTest::keyClick(ok, way == "Enter"    ? Qt::Key_Enter
                            : way == "Escape" ? Qt::Key_Escape
                                              : Qt::Key_A);
    if (closes)
        QTRY_VERIFY(!about.isVisible());
    else
        QTest::qWait(300); // an access key would have clicked by now
    QCOMPARE(about.isVisible(), !closes);
    QCOMPARE(clicked.size(), okPath ? 1 : 0);
    QCOMPARE(soundRequests, okPath ? QStringList{"WAV5 1"} : QStringList());
    if (closes) // only OK accepts the box
        QCOMPARE(about.result(), okPath ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(logLines(), QStringList());
}

void tst_About::links_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption"); // empty: as Form_Load set it
    QTest::addColumn<bool>("opener");
    QTest::addColumn<QString>("result"); // what was opened, or the log label
    QTest::newRow("web address") << "lblSite"
                                 << "" << true << LEVRUN_SITE;
    QTest::newRow("web address with query")
        << "lblSite"
        << "https://example.org/a/?b=c#d" << true << "https://example.org/a/?b=c#d";
    QTest::newRow("e-mail") << "lblEmail"
                            << "" << true << "mailto:" LEVRUN_EMAIL;
    QTest::newRow("e-mail with a plus")
        << "lblEmail"
        << "e-mail: duke+maps@example.org" << true << "mailto:duke+maps@example.org";
    // Offscreen, nothing opens an address without a handler.
    QTest::newRow("web address, no opener") << "lblSite"
                                            << "" << false << ", About, lblSite_Click, ";
    QTest::newRow("e-mail, no opener") << "lblEmail"
                                       << "" << false << ", About, lblEmail_Click, ";
}

void tst_About::links()
{
    QFETCH(QString, label);
    QFETCH(QString, caption);
    QFETCH(bool, opener);
    QFETCH(QString, result);
    if (!opener && QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("a real desktop always has an opener");
    UrlCatcher catcher;
    const QStringList schemes{"https", "mailto"};
    for (const QString &scheme : schemes)
        if (opener)
            QDesktopServices::setUrlHandler(scheme, &catcher, "open");
    frmMain window;
    frmAbout about(&window);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    auto *link = about.findChild<QLabel *>(label);
    if (!caption.isEmpty())
        link->setText(caption);
    const QString shown = link->text();
    soundRequests.clear();
    QTest::mouseClick(link, Qt::LeftButton);
    QTest::mouseClick(link, Qt::LeftButton); // the box stays open for another
    for (const QString &scheme : schemes)
        QDesktopServices::unsetUrlHandler(scheme);
    QVERIFY(about.isVisible());
    QCOMPARE(link->text(), shown);
    QCOMPARE(soundRequests, QStringList());
    const QStringList lines = logLines();
    if (opener) {
        QCOMPARE(catcher.opened, QStringList({result, result}));
        QCOMPARE(lines, QStringList());
    } else {
        QCOMPARE(lines.size(), 2); // one line for each click
        for (const QString &line : lines) {
            QCOMPARE(labelOf(line), result);
            QCOMPARE(messageOf(line), QStringLiteral("File not found"));
        }
    }
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
