#include "About.h"
#include "Main.h"
#include "TestSupport.h"
#include "config.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace testsupport;

namespace {

// Stands in for the user's browser and mail program.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl &url) { opened << url.toString(); }
};

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
    void init() { clearLog(); }
    void cleanup();

    void windowDesign();
    void controlPlaces_data();
    void controlPlaces();
    void labelLooks_data();
    void labelLooks();
    void engravedSeparator();
    void programIcon();
    void okButton();
    void textsAfterLoading();
    void textsIdenticalOnEveryOpening();
    void closeWays_data();
    void closeWays();
    void links_data();
    void links();
    void linkWithoutAnOpenerIsOneLine_data();
    void linkWithoutAnOpenerIsOneLine();

private:
    UrlCatcher m_catcher;
};

void tst_About::cleanup()
{
    for (const char *scheme : {"http", "https", "mailto"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
}

void tst_About::windowDesign()
{
    frmMain window;
    frmAbout about(&window);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.size(), QSize(479, 180));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    const Qt::WindowFlags flags = about.windowFlags();
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    // A dialog owned by the main window stays out of the task bar.
    QCOMPARE(about.windowType(), Qt::Dialog);
    QCOMPARE(about.parentWidget(), &window);
    QCOMPARE(about.palette().color(QPalette::Window), QColor(Qt::black));
    const QPoint offset =
        about.frameGeometry().center() - about.screen()->availableGeometry().center();
    QVERIFY2(qAbs(offset.x()) <= 2 && qAbs(offset.y()) <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
}

void tst_About::controlPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("lblTop") << "lblTop" << QRect(1920, 120, 5175, 555);
    QTest::newRow("lblMiddle") << "lblMiddle" << QRect(1920, 840, 5175, 555);
    QTest::newRow("lblSite") << "lblSite" << QRect(1920, 1320, 5175, 315);
    QTest::newRow("lblEmail") << "lblEmail" << QRect(1920, 1680, 5175, 315);
    QTest::newRow("Image1") << "Image1" << QRect(0, 0, 2040, 2040);
    QTest::newRow("cmdOk") << "cmdOk" << QRect(2895, 2220, 1395, 390);
}

void tst_About::controlPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    frmMain window;
    frmAbout about(&window);
    auto *control = about.findChild<QWidget *>(name);
    QVERIFY(control);
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    QCOMPARE(control->geometry(), pixels);
}

void tst_About::labelLooks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("underlined");
    QTest::addColumn<bool>("hand");
    const int centre = Qt::AlignHCenter;
    const int left = Qt::AlignLeft;
    QTest::newRow("lblTop") << "lblTop" << QColor(Qt::white) << centre << false << false;
    QTest::newRow("lblMiddle") << "lblMiddle" << QColor(Qt::white) << centre << false << false;
    QTest::newRow("lblSite") << "lblSite" << QColor(0, 0, 255) << left << true << true;
    QTest::newRow("lblEmail") << "lblEmail" << QColor(0, 0, 255) << left << false << true;
}

void tst_About::labelLooks()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    QFETCH(int, alignment);
    QFETCH(bool, underlined);
    QFETCH(bool, hand);
    frmMain window;
    frmAbout about(&window);
    auto *label = about.findChild<QLabel *>(name);
    QVERIFY(label);
    QCOMPARE(label->palette().color(QPalette::WindowText), colour);
    QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), alignment);
    QVERIFY(!label->autoFillBackground()); // transparent
    QCOMPARE(label->font().family(), QStringLiteral("Arial"));
    QCOMPARE(label->font().pointSizeF(), 9.75);
    QVERIFY(label->font().bold());
    QCOMPARE(label->font().underline(), underlined);
    QCOMPARE(label->cursor().shape() == Qt::BitmapCursor, hand);
    if (hand)
        QCOMPARE(label->cursor().hotSpot(), QPoint(12, 6));
    QCOMPARE(label->focusPolicy(), Qt::NoFocus);
}

void tst_About::engravedSeparator()
{
    frmMain window;
    frmAbout about(&window);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const QImage shot = about.grab().toImage();
    const QPalette system = about.palette();
    // The dark half from (1920, 720) to (7080, 720), the light half 8 twips below.
    for (int x : {128, 300, 471}) {
        QCOMPARE(shot.pixelColor(x, 48).rgb(), system.color(QPalette::Dark).rgb());
        QCOMPARE(shot.pixelColor(x, 49).rgb(), system.color(QPalette::Light).rgb());
    }
    QVERIFY(shot.pixelColor(472, 48).rgb() != system.color(QPalette::Dark).rgb());
}

void tst_About::programIcon()
{
    frmMain window;
    frmAbout about(&window);
    auto *image = about.findChild<QLabel *>("Image1");
    QVERIFY(image->hasScaledContents());
    QCOMPARE(image->pixmap().toImage(), window.windowIcon().pixmap(QSize(32, 32)).toImage());
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    // The icon's magenta corners are transparent: the tile shows there.
    const QImage shot = about.grab().toImage();
    QCOMPARE(shot.pixelColor(1, 1).rgb(), window.backgroundTile().toImage().pixelColor(1, 1).rgb());
}

void tst_About::okButton()
{
    frmMain window;
    frmAbout about(&window);
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    auto *ok = about.findChild<QPushButton *>("cmdOk");
    QCOMPARE(ok->text(), QStringLiteral("&Ok"));
    QVERIFY(ok->isDefault());
    QVERIFY(!ok->isFlat());
    QCOMPARE(ok->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(ok->cursor().hotSpot(), QPoint(12, 6));
    QCOMPARE(ok->font().family(), QStringLiteral("Arial"));
    QCOMPARE(ok->font().pointSizeF(), 9.75);
    QVERIFY(ok->font().bold());
    QCOMPARE(QApplication::focusWidget(), ok);
    // Nothing else takes the focus.
    for (QWidget *child : about.findChildren<QWidget *>())
        if (child != ok)
            QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
}

void tst_About::textsAfterLoading()
{
    frmMain window;
    frmAbout about(&window);
    // The project's version is 1.0.0: major and minor as plain numbers.
    QCOMPARE(texts(about),
             QStringList(
                 {"About Levrun", "Levrun v1.0\r\nA Windows front-end for Duke Nukem 3D maps",
                  "written by " LEVRUN_AUTHOR "\r\n\r\n", LEVRUN_SITE, "e-mail: " LEVRUN_EMAIL}));
    QCOMPARE(logLines(), QStringList());
}

void tst_About::textsIdenticalOnEveryOpening()
{
    frmMain window;
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QList<QStringList> seen;
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(100, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            seen << texts(*box);
            // Loading the same box again sets the same texts.
            static_cast<frmAbout *>(box)->Form_Load();
            seen << texts(*box);
            box->close();
        });
        window.cmdAbout_Click();
    }
    QCOMPARE(seen.size(), 4);
    for (const QStringList &shown : seen)
        QCOMPARE(shown, seen.first());
}

void tst_About::closeWays_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("okPath");
    QTest::newRow("Enter") << "Enter" << true << true;
    QTest::newRow("Return") << "Return" << true << true;
    QTest::newRow("Alt+O") << "Alt+O" << true << true;
    QTest::newRow("click on OK") << "click" << true << true;
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
    QSignalSpy clicked(ok, &QPushButton::clicked);
    QWidget *focused = QApplication::focusWidget();
    if (way == "Enter")
        QTest::keyClick(focused, Qt::Key_Enter);
    else if (way == "Return")
        QTest::keyClick(focused, Qt::Key_Return);
    else if (way == "Alt+O")
        QTest::keyClick(focused, Qt::Key_O, Qt::AltModifier);
    else if (way == "click")
        QTest::mouseClick(ok, Qt::LeftButton);
    else if (way == "Escape")
        QTest::keyClick(focused, Qt::Key_Escape);
    else if (way == "close")
        about.close();
    else
        QTest::keyClick(focused, Qt::Key_A);
    if (closes)
        QTRY_VERIFY(!about.isVisible());
    else
        QTest::qWait(300); // an access key would have clicked by now
    QCOMPARE(about.isVisible(), !closes);
    QCOMPARE(clicked.size(), okPath ? 1 : 0);
    QCOMPARE(logLines(), QStringList());
}

void tst_About::links_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("caption"); // empty: as Form_Load set it
    QTest::addColumn<QString>("opened");
    QTest::newRow("web address as built") << "lblSite"
                                          << "" << LEVRUN_SITE;
    QTest::newRow("web address with path and query")
        << "lblSite"
        << "https://levrun.example.org/maps/?sort=size#list"
        << "https://levrun.example.org/maps/?sort=size#list";
    QTest::newRow("plain http address") << "lblSite"
                                        << "http://example.org/levrun"
                                        << "http://example.org/levrun";
    QTest::newRow("e-mail as built") << "lblEmail"
                                     << ""
                                     << "mailto:" LEVRUN_EMAIL;
    QTest::newRow("e-mail with a plus") << "lblEmail"
                                        << "e-mail: duke+maps@example.org"
                                        << "mailto:duke+maps@example.org";
}

void tst_About::links()
{
    QFETCH(QString, label);
    QFETCH(QString, caption);
    QFETCH(QString, opened);
    for (const char *scheme : {"http", "https", "mailto"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_catcher, "open");
    m_catcher.opened.clear();
    frmMain window;
    frmAbout about(&window);
    about.show();
    QVERIFY(QTest::qWaitForWindowActive(&about));
    auto *link = about.findChild<QLabel *>(label);
    if (!caption.isEmpty())
        link->setText(caption);
    const QString shown = link->text();
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(m_catcher.opened, QStringList{opened});
    // The box stays open for another click.
    QVERIFY(about.isVisible());
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(m_catcher.opened, QStringList({opened, opened}));
    QCOMPARE(link->text(), shown);
    QCOMPARE(logLines(), QStringList());
}

void tst_About::linkWithoutAnOpenerIsOneLine_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("logLabel");
    QTest::newRow("web address") << "lblSite"
                                 << ", About, lblSite_Click, ";
    QTest::newRow("e-mail") << "lblEmail"
                            << ", About, lblEmail_Click, ";
}

void tst_About::linkWithoutAnOpenerIsOneLine()
{
    QFETCH(QString, label);
    QFETCH(QString, logLabel);
    // With no handler the offscreen platform opens nothing; a real desktop would.
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("only the offscreen platform has no opener");
    frmMain window;
    frmAbout about(&window);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::mouseClick(about.findChild<QLabel *>(label), Qt::LeftButton);
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), 1);
    QCOMPARE(labelOf(lines.first()), logLabel);
    QCOMPARE(messageOf(lines.first()), QStringLiteral("File not found"));
    QVERIFY(about.isVisible());
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
