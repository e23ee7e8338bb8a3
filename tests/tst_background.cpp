#include "About.h"
#include "Main.h"
#include "TestSupport.h"
#include "platform/Tiling.h"

#include <QLabel>
#include <QTest>

using namespace testsupport;

namespace {

// The first pixel of a rectangle of the window's picture that differs from the
// tile laid from the client area's origin, or an empty text when all match.
QString tileMismatch(const QImage &window, const QImage &tile, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor expected = tile.pixelColor(x % tile.width(), y % tile.height());
            const QColor actual = window.pixelColor(x, y);
            if (actual.rgb() != expected.rgb())
                return QStringLiteral("(%1,%2) is %3, the tile has %4")
                    .arg(x)
                    .arg(y)
                    .arg(actual.name(), expected.name());
        }
    return {};
}

QImage picture(QWidget &window)
{
    return window.grab().toImage();
}

} // namespace

class tst_Background : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void init() { clearLog(); }

    void mainWindowIsTiledFromTheClientOrigin_data();
    void mainWindowIsTiledFromTheClientOrigin();
    void titleAndLabelStayAboveTheTiles();
    void aboutBoxIsTiledFromItsOwnOrigin_data();
    void aboutBoxIsTiledFromItsOwnOrigin();
    void withoutATileNothingIsDrawnOrLogged();
    void everyTileThatCannotBeDrawnIsOneLine_data();
    void everyTileThatCannotBeDrawnIsOneLine();
};

void tst_Background::mainWindowIsTiledFromTheClientOrigin_data()
{
    // Places that no child widget covers.
    QTest::addColumn<QRect>("area");
    QTest::newRow("client origin, first tile") << QRect(0, 0, 44, 4);
    QTest::newRow("one tile to the right") << QRect(132, 0, 10, 4);
    QTest::newRow("left edge, every row") << QRect(0, 0, 4, 371);
    QTest::newRow("right of the title, last columns") << QRect(358, 0, 39, 128);
}

void tst_Background::mainWindowIsTiledFromTheClientOrigin()
{
    QFETCH(QRect, area);
    frmMain window;
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage tile = window.backgroundTile().toImage();
    QCOMPARE(tile.size(), QSize(132, 107));
    const QString mismatch = tileMismatch(picture(window), tile, area);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    QCOMPARE(logLines(), QStringList());
}

void tst_Background::titleAndLabelStayAboveTheTiles()
{
    frmMain window;
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.repaint();
    const QImage shot = picture(window);
    const QImage title = window.findChild<QLabel *>("imgTitle")->pixmap().toImage();
    QCOMPARE(shot.copy(44, 4, 314, 113).convertToFormat(QImage::Format_RGB32),
             title.convertToFormat(QImage::Format_RGB32));
    // The label is transparent: right of its text the tiles show through, and
    // its letters are drawn over them.
    auto *label = window.findChild<QLabel *>("lblLabels");
    const QImage tile = window.backgroundTile().toImage();
    const QRect labelArea = label->geometry();
    const QString mismatch =
        tileMismatch(shot, tile, QRect(labelArea.right() - 40, labelArea.top(), 40, 18));
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    QVERIFY(!tileMismatch(shot, tile, QRect(labelArea.left(), labelArea.top(), 60, 18)).isEmpty());
}

void tst_Background::aboutBoxIsTiledFromItsOwnOrigin_data()
{
    QTest::addColumn<QRect>("area");
    QTest::newRow("above the texts, right of the icon") << QRect(136, 0, 343, 8);
    QTest::newRow("below the icon, second row") << QRect(0, 136, 128, 44);
}

void tst_Background::aboutBoxIsTiledFromItsOwnOrigin()
{
    QFETCH(QRect, area);
    frmMain window;
    frmAbout about(&window);
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const QString mismatch = tileMismatch(picture(about), window.backgroundTile().toImage(), area);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    QCOMPARE(logLines(), QStringList());
}

void tst_Background::withoutATileNothingIsDrawnOrLogged()
{
    frmMain window;
    window.findChild<QLabel *>("imgBackground")->clear();
    window.showCentred();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage shot = picture(window);
    QCOMPARE(shot.pixelColor(0, 0).rgb(), QColor(Qt::black).rgb());
    QCOMPARE(shot.pixelColor(396, 370).rgb(), QColor(Qt::black).rgb());
    QCOMPARE(logLines(), QStringList());
}

void tst_Background::everyTileThatCannotBeDrawnIsOneLine_data()
{
    QTest::addColumn<bool>("about");
    QTest::addColumn<QString>("label");
    QTest::newRow("main window") << false << ", Main, Form_Paint, ";
    QTest::newRow("About box") << true << ", About, Form_Paint, ";
}

void tst_Background::everyTileThatCannotBeDrawnIsOneLine()
{
    QFETCH(bool, about);
    QFETCH(QString, label);
    frmMain window;
    frmAbout box(&window);
    QWidget *painted = about ? static_cast<QWidget *>(&box) : &window;
    const qsizetype positions =
        platform::tilePixels(window.backgroundTile().size(), painted->frameGeometry().size())
            .size();
    QCOMPARE(positions, about ? 8 : 16);
    // Outside a paint event nothing can be drawn on a widget.
    if (about)
        box.Form_Paint();
    else
        window.Form_Paint();
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), positions);
    for (const QString &line : lines) {
        QCOMPARE(labelOf(line), label);
        QCOMPARE(messageOf(line), QStringLiteral("Invalid procedure call or argument"));
    }
}

QTEST_MAIN(tst_Background)
#include "tst_background.moc"
