#include "About.h"
#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"
#include "platform/Tiling.h"

#include <QtTest>
#include <QtWidgets>

using namespace testsupport;

namespace {

// Whether a screen reader has a name to say for the control (the access-key
// marker is not read out).
bool spoken(QWidget *control)
{
    const QString name = QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
    return !name.trimmed().isEmpty() && !name.contains(u'&');
}

} // namespace

class tst_Main : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void init() { clearLog(); }

    void windowDesign()
    {
        frmMain window;
        window.showCentred();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Levrun"));
        QCOMPARE(window.size(), QSize(397, 371));
        QCOMPARE(window.minimumSize(), window.maximumSize()); // fixed border
        QCOMPARE(window.windowFlags() &
                     (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint),
                 Qt::WindowMinimizeButtonHint);
        QVERIFY(!window.windowIcon().isNull());
        QCOMPARE(window.palette().color(QPalette::Window), QColor(Qt::black));
        QCOMPARE(window.findChild<QLabel *>("imgBackground")->pixmap().size(), QSize(132, 107));
        QCOMPARE(window.findChild<QLabel *>("imgTitle")->pixmap().size(), QSize(314, 113));
        const QPoint offset =
            window.frameGeometry().center() - window.screen()->availableGeometry().center();
        QVERIFY2(qAbs(offset.x()) <= 2 && qAbs(offset.y()) <= 2, "not centred on the screen");
        // The View menu shows only as a pop-up.
        QVERIFY(!window.menuBar()->isVisible());
        QStringList entries;
        for (QAction *action : window.findChild<QMenu *>("mnuView")->actions())
            entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(entries, QStringList({"Icons", "Small icons", "List", "Report", "-", "Refresh"}));
    }

    void controls_data()
    {
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("caption"); // "-": a picture, no text and no font
        QTest::newRow("imgTitle") << QRect(660, 60, 4710, 1695) << "-";
        QTest::newRow("imgBackground") << QRect(3900, 3420, 1980, 1605) << "-";
        QTest::newRow("lvwMaps") << QRect(60, 1920, 4335, 2775) << "";
        QTest::newRow("cmdPlay") << QRect(4500, 1920, 1395, 390) << "&Play";
        QTest::newRow("cmdExit") << QRect(4500, 2400, 1395, 390) << "E&xit";
        QTest::newRow("cmdAbout") << QRect(4500, 2880, 1395, 390) << "&About";
        QTest::newRow("lblLabels") << QRect(60, 4800, 5355, 270) << "Duke Nukem 3D &folder:";
        QTest::newRow("txtDukePath") << QRect(60, 5100, 3855, 390) << "";
        QTest::newRow("cmdSelectFolder") << QRect(3960, 5100, 435, 390) << "";
        QTest::newRow("cmdRefresh") << QRect(4500, 5100, 1395, 390) << "&Refresh";
    }

    void controls()
    {
        QFETCH(QRect, twips);
        QFETCH(QString, caption);
        frmMain window;
        auto *control = window.findChild<QWidget *>(QTest::currentDataTag());
        QVERIFY(control);
        QCOMPARE(control->geometry(),
                 QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15));
        QVERIFY(control->isHidden() || spoken(control));
        if (caption == "-")
            return;
        QCOMPARE(control->property("text").toString(), caption);
        QCOMPARE(control->font().family(), QStringLiteral("Arial"));
        QCOMPARE(control->font().pointSizeF(), 9.75);
        QVERIFY(control->font().bold());
        if (auto *button = qobject_cast<QPushButton *>(control)) {
            QCOMPARE(button->cursor().hotSpot(), QPoint(12, 6));     // the pointing hand
            QVERIFY(!button->isDefault() && !button->autoDefault()); // Enter belongs to the list
        }
    }

    void focusStartsOnTheListAndFollowsTheTabOrder()
    {
        frmMain window;
        window.showCentred();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QVERIFY(mapList(window)->currentView()->hasFocus());
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
        // The label's access key moves the focus on to the control after it.
        QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), window.findChild<QWidget *>("cmdRefresh"));
    }

    // A screen reader announces a control by its accessible name: a button by its
    // caption, a label by its text, and anything without text by a name in its design.
    void aboutBoxControlsHaveAccessibleNames()
    {
        frmMain window;
        frmAbout box(&window);
        for (const char *name : {"Image1", "lblTop", "lblMiddle", "lblSite", "lblEmail", "cmdOk"})
            QVERIFY2(spoken(box.findChild<QWidget *>(name)), name);
    }

    void positions_data()
    {
        QTest::addColumn<float>("tileWidth");
        QTest::addColumn<QSizeF>("bounds");
        QTest::addColumn<QList<float>>("columns");
        QTest::addColumn<QList<float>>("rows");
        const QList<float> four{0, 1980, 3960, 5940};
        // The two windows with a 3-pixel frame and a 19-pixel title bar.
        QTest::newRow("main window, 16 tiles")
            << 1980.f << QSizeF(6045, 5940) << four << QList<float>{0, 1605, 3210, 4815};
        QTest::newRow("About box, 8 tiles")
            << 1980.f << QSizeF(7275, 3075) << four << QList<float>{0, 1605};
        QTest::newRow("exact multiples are still drawn")
            << 1980.f << QSizeF(5940, 3210) << four << QList<float>{0, 1605, 3210};
        QTest::newRow("zero tile width: nothing")
            << 0.f << QSizeF(6045, 5940) << QList<float>{} << QList<float>{};
    }

    void positions()
    {
        QFETCH(float, tileWidth);
        QFETCH(QSizeF, bounds);
        QFETCH(QList<float>, columns);
        QFETCH(QList<float>, rows);
        QList<platform::TwipPoint> expected; // column by column, each from the top
        for (float x : columns)
            for (float y : rows)
                expected.append({x, y});
        QCOMPARE(platform::tilePositions(tileWidth, 1605, bounds.width(), bounds.height()),
                 expected);
    }

    void background_data()
    {
        QTest::addColumn<bool>("about");
        QTest::addColumn<QRect>("area");         // where no control covers the tiles
        QTest::addColumn<QStringList>("failed"); // painted outside a paint event
        const QString failed = "Form_Paint, Invalid procedure call or argument";
        // 397 x 371 and 479 x 180 pixels, without a frame offscreen: 16 and 8 tiles.
        QTest::newRow("main window: origin and one tile to the right")
            << false << QRect(0, 0, 142, 4) << QStringList(16, ", Main, " + failed);
        QTest::newRow("About box: right of the icon")
            << true << QRect(136, 0, 343, 8) << QStringList(8, ", About, " + failed);
    }

    void background()
    {
        QFETCH(bool, about);
        QFETCH(QRect, area);
        QFETCH(QStringList, failed);
        frmMain window;
        frmAbout box(&window);
        QWidget &painted = about ? static_cast<QWidget &>(box) : window;
        painted.show();
        QVERIFY(QTest::qWaitForWindowExposed(&painted));
        const QImage tile = window.backgroundTile().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(tile.size(), QSize(132, 107));
        const QImage shot = painted.grab().toImage();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                QVERIFY2(shot.pixel(x, y) == tile.pixel(x % 132, y % 107),
                         qPrintable(QString("differs at (%1,%2)").arg(x).arg(y)));
        QCOMPARE(logLines(), QStringList());
        // Outside a paint event nothing can be drawn: one line for each tile.
        if (about)
            box.Form_Paint();
        else
            window.Form_Paint();
        QCOMPARE(logged(), failed);
    }
};

QTEST_MAIN(tst_Main)
#include "tst_main.moc"
