#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

using namespace testsupport;

class tst_Main : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void init() { clearLog(); }

    void windowDesign();
    void controlPlaces_data();
    void controlPlaces();
    void captionsAndFonts_data();
    void captionsAndFonts();
    void viewMenuIsHiddenWithItsEntries();
    void focusStartsOnTheListAndFollowsTheTabOrder();
    void accessKeysClickTheirButtons_data();
    void accessKeysClickTheirButtons();
    void accessKeyOfTheLabelMovesFocusOn();
    void noDefaultButton();
    void closeWays_data();
    void closeWays();
};

void tst_Main::windowDesign()
{
    frmMain window;
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), QStringLiteral("Levrun"));
    QCOMPARE(window.size(), QSize(397, 371));
    QCOMPARE(window.minimumSize(), window.maximumSize()); // fixed border
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.palette().color(QPalette::Window), QColor(Qt::black));
    auto *background = window.findChild<QLabel *>("imgBackground");
    QVERIFY(!background->isVisible());
    QCOMPARE(background->pixmap().size(), QSize(132, 107));
    QCOMPARE(window.findChild<QLabel *>("imgTitle")->pixmap().size(), QSize(314, 113));
    // Centred on the screen.
    const QRect screen = window.screen()->availableGeometry();
    const QPoint offset = window.frameGeometry().center() - screen.center();
    QVERIFY2(qAbs(offset.x()) <= 2 && qAbs(offset.y()) <= 2,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
}

void tst_Main::controlPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("imgTitle") << "imgTitle" << QRect(660, 60, 4710, 1695);
    QTest::newRow("lvwMaps") << "lvwMaps" << QRect(60, 1920, 4335, 2775);
    QTest::newRow("cmdPlay") << "cmdPlay" << QRect(4500, 1920, 1395, 390);
    QTest::newRow("cmdExit") << "cmdExit" << QRect(4500, 2400, 1395, 390);
    QTest::newRow("cmdAbout") << "cmdAbout" << QRect(4500, 2880, 1395, 390);
    QTest::newRow("txtDukePath") << "txtDukePath" << QRect(60, 5100, 3855, 390);
    QTest::newRow("lblLabels") << "lblLabels" << QRect(60, 4800, 5355, 270);
    QTest::newRow("cmdSelectFolder") << "cmdSelectFolder" << QRect(3960, 5100, 435, 390);
    QTest::newRow("cmdRefresh") << "cmdRefresh" << QRect(4500, 5100, 1395, 390);
    QTest::newRow("imgBackground") << "imgBackground" << QRect(3900, 3420, 1980, 1605);
}

void tst_Main::controlPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    frmMain window;
    auto *control = window.findChild<QWidget *>(name);
    QVERIFY(control);
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    QCOMPARE(control->geometry(), pixels);
}

void tst_Main::captionsAndFonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("cmdPlay") << "cmdPlay"
                             << "&Play";
    QTest::newRow("cmdExit") << "cmdExit"
                             << "E&xit";
    QTest::newRow("cmdAbout") << "cmdAbout"
                              << "&About";
    QTest::newRow("cmdRefresh") << "cmdRefresh"
                                << "&Refresh";
    QTest::newRow("cmdSelectFolder") << "cmdSelectFolder"
                                     << "";
    QTest::newRow("lblLabels") << "lblLabels"
                               << "Duke Nukem 3D &folder:";
}

void tst_Main::captionsAndFonts()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    frmMain window;
    auto *control = window.findChild<QWidget *>(name);
    QVERIFY(control);
    const QString text = control->property("text").toString();
    QCOMPARE(text, caption);
    QCOMPARE(control->font().family(), QStringLiteral("Arial"));
    QCOMPARE(control->font().pointSizeF(), 9.75);
    QVERIFY(control->font().bold());
    if (auto *button = qobject_cast<QPushButton *>(control)) {
        QCOMPARE(button->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(button->cursor().hotSpot(), QPoint(12, 6));
    }
}

void tst_Main::viewMenuIsHiddenWithItsEntries()
{
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!window.menuBar()->isVisible());
    auto *menu = window.findChild<QMenu *>("mnuView");
    QCOMPARE(menu->title(), QStringLiteral("&View"));
    QStringList entries;
    for (QAction *action : menu->actions()) {
        entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QVERIFY(!action->isChecked());
        QVERIFY(action->shortcut().isEmpty());
    }
    QCOMPARE(entries, QStringList({"Icons", "Small icons", "List", "Report", "-", "Refresh"}));
}

void tst_Main::focusStartsOnTheListAndFollowsTheTabOrder()
{
    frmMain window;
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *list = window.findChild<platform::ListView *>("lvwMaps");
    QVERIFY(list->currentView()->hasFocus());
    QStringList order;
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        while (focused && focused->objectName().isEmpty())
            focused = focused->parentWidget();
        order << (focused ? focused->objectName() : QString());
    }
    // The folder button is reached by the mouse only.
    QCOMPARE(order, QStringList({"cmdPlay", "cmdExit", "cmdAbout", "txtDukePath", "cmdRefresh",
                                 "lvwMaps"}));
}

void tst_Main::accessKeysClickTheirButtons_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("button");
    QTest::newRow("Alt+P") << int(Qt::Key_P) << "cmdPlay";
    QTest::newRow("Alt+A") << int(Qt::Key_A) << "cmdAbout";
    QTest::newRow("Alt+R") << int(Qt::Key_R) << "cmdRefresh";
}

void tst_Main::accessKeysClickTheirButtons()
{
    QFETCH(int, key);
    QFETCH(QString, button);
    frmMain window;
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *target = window.findChild<QPushButton *>(button);
    QSignalSpy clicked(target, &QPushButton::clicked);
    if (button == "cmdAbout") {
        // The About box is modal: close it as soon as it opens.
        QTimer::singleShot(200, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
    }
    QTest::keyClick(&window, Qt::Key(key), Qt::AltModifier);
    QTRY_COMPARE(clicked.size(), 1); // an access key animates the click first
}

void tst_Main::accessKeyOfTheLabelMovesFocusOn()
{
    frmMain window;
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), window.findChild<QWidget *>("cmdRefresh"));
}

void tst_Main::noDefaultButton()
{
    frmMain window;
    for (QPushButton *button : window.findChildren<QPushButton *>()) {
        QVERIFY2(!button->isDefault(), qPrintable(button->objectName()));
        QVERIFY2(!button->autoDefault(), qPrintable(button->objectName()));
    }
}

void tst_Main::closeWays_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("close box") << "close";
    QTest::newRow("Exit button") << "exit";
    QTest::newRow("Alt+X") << "alt+x";
    QTest::newRow("SIGTERM") << "SIGTERM";
    QTest::newRow("SIGHUP") << "SIGHUP";
}

void tst_Main::closeWays()
{
    QFETCH(QString, way);
    frmMain window;
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    if (way == "close")
        window.close();
    else if (way == "exit")
        window.findChild<QPushButton *>("cmdExit")->click();
    else if (way == "alt+x")
        QTest::keyClick(&window, Qt::Key_X, Qt::AltModifier);
    else
        ::raise(way == "SIGTERM" ? SIGTERM : SIGHUP);
    QTRY_VERIFY(!window.isVisible());
    QCOMPARE(logLines(), QStringList());
}

QTEST_MAIN(tst_Main)
#include "tst_main.moc"
