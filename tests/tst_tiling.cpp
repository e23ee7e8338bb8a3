#include "About.h"
#include "Main.h"
#include "TestSupport.h"
#include "platform/ErrorCatalogue.h"
#include "platform/Picture.h"
#include "platform/Tiling.h"

#include <QLabel>
#include <QPainter>
#include <QTest>

using namespace testsupport;
using platform::TwipPoint;

namespace {

// The first pixel of an area of the window that differs from the tile laid
// from the client area's origin; empty when all match.
QString tileMismatch(QWidget &window, const QImage &tile, const QRect &area)
{
    const QImage shot = window.grab().toImage();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (shot.pixel(x, y) != tile.pixel(x % tile.width(), y % tile.height()))
                return QStringLiteral("differs at (%1,%2)").arg(x).arg(y);
    return {};
}

} // namespace

class tst_Tiling : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void init() { clearLog(); }

    void positions_data();
    void positions();
    void tiledFromTheClientOrigin_data();
    void tiledFromTheClientOrigin();
    void titleAndLabelStayAboveTheTiles();
    void everyTileThatCannotBeDrawnIsOneLine_data();
    void everyTileThatCannotBeDrawnIsOneLine();
    void noPictureIsAFailure();
};

void tst_Tiling::positions_data()
{
    QTest::addColumn<QSizeF>("tile");
    QTest::addColumn<QSizeF>("bounds");
    QTest::addColumn<QList<float>>("columns");
    QTest::addColumn<QList<float>>("rows");
    const QSizeF tile(1980, 1605);
    // The two windows with a 3-pixel frame and a 19-pixel title bar.
    QTest::newRow("main window, 16 tiles")
        << tile << QSizeF(6045, 5940) << QList<float>{0, 1980, 3960, 5940}
        << QList<float>{0, 1605, 3210, 4815};
    QTest::newRow("About box, 8 tiles")
        << tile << QSizeF(7275, 3075) << QList<float>{0, 1980, 3960, 5940} << QList<float>{0, 1605};
    QTest::newRow("exact multiples, last column and row still drawn")
        << tile << QSizeF(5940, 3210) << QList<float>{0, 1980, 3960, 5940}
        << QList<float>{0, 1605, 3210};
    QTest::newRow("one twip short of a multiple")
        << tile << QSizeF(5939, 3209) << QList<float>{0, 1980, 3960} << QList<float>{0, 1605};
    QTest::newRow("zero tile width")
        << QSizeF(0, 1605) << QSizeF(6045, 5940) << QList<float>{} << QList<float>{};
    QTest::newRow("zero tile height")
        << QSizeF(1980, 0) << QSizeF(6045, 5940) << QList<float>{} << QList<float>{};
}

void tst_Tiling::positions()
{
    QFETCH(QSizeF, tile);
    QFETCH(QSizeF, bounds);
    QFETCH(QList<float>, columns);
    QFETCH(QList<float>, rows);
    QList<TwipPoint> expected; // column by column, each from the top
    for (float x : columns)
        for (float y : rows)
            expected.append({x, y});
    const QList<TwipPoint> actual = platform::tilePositions(
        float(tile.width()), float(tile.height()), float(bounds.width()), float(bounds.height()));
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i) {
        QCOMPARE(actual[i].x, expected[i].x);
        QCOMPARE(actual[i].y, expected[i].y);
    }
}

void tst_Tiling::tiledFromTheClientOrigin_data()
{
    QTest::addColumn<bool>("about");
    QTest::addColumn<QRect>("area"); // where no child widget covers the tiles
    QTest::newRow("main, client origin") << false << QRect(0, 0, 44, 4);
    QTest::newRow("main, one tile to the right") << false << QRect(132, 0, 10, 4);
    QTest::newRow("main, left edge, every row") << false << QRect(0, 0, 4, 371);
    QTest::newRow("main, last columns") << false << QRect(358, 0, 39, 128);
    QTest::newRow("About, right of the icon") << true << QRect(136, 0, 343, 8);
    QTest::newRow("About, second row") << true << QRect(0, 136, 128, 44);
}

void tst_Tiling::tiledFromTheClientOrigin()
{
    QFETCH(bool, about);
    QFETCH(QRect, area);
    frmMain window;
    frmAbout box(&window);
    QWidget &painted = about ? static_cast<QWidget &>(box) : window;
    painted.show();
    QVERIFY(QTest::qWaitForWindowExposed(&painted));
    const QImage tile = window.backgroundTile().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(tile.size(), QSize(132, 107));
    const QString mismatch = tileMismatch(painted, tile, area);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    QCOMPARE(logLines(), QStringList());
}

void tst_Tiling::titleAndLabelStayAboveTheTiles()
{
    frmMain window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage title = window.findChild<QLabel *>("imgTitle")->pixmap().toImage();
    QCOMPARE(shot.copy(44, 4, 314, 113), title.convertToFormat(QImage::Format_RGB32));
    // The label is transparent: its letters are drawn over the tiles, which
    // show through right of its text.
    const QImage tile = window.backgroundTile().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect label = window.findChild<QLabel *>("lblLabels")->geometry();
    QVERIFY(tileMismatch(window, tile, QRect(label.right() - 40, label.top(), 40, 18)).isEmpty());
    QVERIFY(!tileMismatch(window, tile, QRect(label.left(), label.top(), 60, 18)).isEmpty());
}

void tst_Tiling::everyTileThatCannotBeDrawnIsOneLine_data()
{
    QTest::addColumn<bool>("about");
    QTest::addColumn<int>("tiles");
    QTest::addColumn<QString>("label");
    // 397 x 371 and 479 x 180 pixels, without a frame offscreen.
    QTest::newRow("main window") << false << 16 << ", Main, Form_Paint, ";
    QTest::newRow("About box") << true << 8 << ", About, Form_Paint, ";
}

void tst_Tiling::everyTileThatCannotBeDrawnIsOneLine()
{
    QFETCH(bool, about);
    QFETCH(int, tiles);
    QFETCH(QString, label);
    frmMain window;
    frmAbout box(&window);
    // Outside a paint event nothing can be drawn on a widget.
    if (about)
        box.Form_Paint();
    else
        window.Form_Paint();
    const QStringList lines = logLines();
    QCOMPARE(lines.size(), tiles);
    for (const QString &line : lines) {
        QCOMPARE(labelOf(line), label);
        QCOMPARE(messageOf(line), QStringLiteral("Invalid procedure call or argument"));
    }
}

void tst_Tiling::noPictureIsAFailure()
{
    QPixmap canvas(4, 4);
    QPainter painter(&canvas);
    int raised = 0;
    try {
        platform::paintPicture(painter, QPoint(0, 0), QPixmap());
    } catch (const platform::Failure &failure) {
        raised = failure.number();
    }
    QCOMPARE(raised, int(platform::InvalidPicture));
}

QTEST_MAIN(tst_Tiling)
#include "tst_tiling.moc"
