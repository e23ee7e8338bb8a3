#include "TestSupport.h"
#include "platform/ErrorCatalogue.h"
#include "platform/Picture.h"
#include "platform/Tiling.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QTest>

using platform::TwipPoint;

Q_DECLARE_METATYPE(QList<float>)

namespace {

// Column by column, each column from the top.
QList<TwipPoint> grid(const QList<float> &columns, const QList<float> &rows)
{
    QList<TwipPoint> points;
    for (float x : columns)
        for (float y : rows)
            points.append({x, y});
    return points;
}

QString describe(const QList<TwipPoint> &points)
{
    QStringList parts;
    for (const TwipPoint &p : points)
        parts << QStringLiteral("(%1,%2)").arg(p.x).arg(p.y);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class tst_Tiling : public QObject
{
    Q_OBJECT

private slots:
    void positions_data();
    void positions();
    void pixelPositions_data();
    void pixelPositions();
    void paintPictureDrawsAtNaturalSize();
    void paintPictureFailures_data();
    void paintPictureFailures();
};

void tst_Tiling::positions_data()
{
    QTest::addColumn<float>("tileWidth");
    QTest::addColumn<float>("tileHeight");
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<QList<float>>("columns");
    QTest::addColumn<QList<float>>("rows");

    // The two windows with a 3-pixel frame and a 19-pixel title bar.
    QTest::newRow("main window, 16 tiles")
        << 1980.f << 1605.f << 6045.f << 5940.f << QList<float>{0, 1980, 3960, 5940}
        << QList<float>{0, 1605, 3210, 4815};
    QTest::newRow("About box, 8 tiles")
        << 1980.f << 1605.f << 7275.f << 3075.f << QList<float>{0, 1980, 3960, 5940}
        << QList<float>{0, 1605};
    QTest::newRow("bounds exact multiples, last column and row still drawn")
        << 1980.f << 1605.f << 5940.f << 3210.f << QList<float>{0, 1980, 3960, 5940}
        << QList<float>{0, 1605, 3210};
    QTest::newRow("bounds one twip short of a multiple")
        << 1980.f << 1605.f << 5939.f << 3209.f << QList<float>{0, 1980, 3960}
        << QList<float>{0, 1605};
    QTest::newRow("window smaller than one tile")
        << 1980.f << 1605.f << 100.f << 100.f << QList<float>{0} << QList<float>{0};
    QTest::newRow("zero tile width")
        << 0.f << 1605.f << 6045.f << 5940.f << QList<float>{} << QList<float>{};
    QTest::newRow("zero tile height")
        << 1980.f << 0.f << 6045.f << 5940.f << QList<float>{} << QList<float>{};
    QTest::newRow("negative tile width")
        << -1980.f << 1605.f << 6045.f << 5940.f << QList<float>{} << QList<float>{};
}

void tst_Tiling::positions()
{
    QFETCH(float, tileWidth);
    QFETCH(float, tileHeight);
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(QList<float>, columns);
    QFETCH(QList<float>, rows);
    const QList<TwipPoint> actual = platform::tilePositions(tileWidth, tileHeight, width, height);
    const QList<TwipPoint> expected = grid(columns, rows);
    QVERIFY2(actual == expected,
             qPrintable(describe(actual) + " instead of " + describe(expected)));
}

void tst_Tiling::pixelPositions_data()
{
    QTest::addColumn<QSize>("tile");
    QTest::addColumn<QSize>("bounds");
    QTest::addColumn<QList<QPoint>>("expected");

    QTest::newRow("main window, 403 x 396 px")
        << QSize(132, 107) << QSize(403, 396)
        << QList<QPoint>{{0, 0},     {0, 107},   {0, 214},   {0, 321},   {132, 0},   {132, 107},
                         {132, 214}, {132, 321}, {264, 0},   {264, 107}, {264, 214}, {264, 321},
                         {396, 0},   {396, 107}, {396, 214}, {396, 321}};
    QTest::newRow("About box, 485 x 205 px")
        << QSize(132, 107) << QSize(485, 205)
        << QList<QPoint>{{0, 0},   {0, 107},   {132, 0}, {132, 107},
                         {264, 0}, {264, 107}, {396, 0}, {396, 107}};
    QTest::newRow("empty picture") << QSize(0, 0) << QSize(485, 205) << QList<QPoint>{};
}

void tst_Tiling::pixelPositions()
{
    QFETCH(QSize, tile);
    QFETCH(QSize, bounds);
    QFETCH(QList<QPoint>, expected);
    QCOMPARE(platform::tilePixels(tile, bounds), expected);
}

void tst_Tiling::paintPictureDrawsAtNaturalSize()
{
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    picture.setPixel(2, 1, qRgb(0, 255, 0));
    QImage canvas(8, 8, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        painter.setClipRect(0, 0, 6, 6);
        platform::paintPicture(painter, QPoint(4, 3), QPixmap::fromImage(picture));
    }
    QCOMPARE(canvas.pixel(4, 3), qRgb(255, 0, 0));
    QCOMPARE(canvas.pixel(5, 4), qRgb(255, 0, 0));
    QCOMPARE(canvas.pixel(3, 3), qRgb(0, 0, 0));
    // Whatever falls outside the clip is left alone.
    QCOMPARE(canvas.pixel(6, 4), qRgb(0, 0, 0));
    QCOMPARE(canvas.pixel(6, 5), qRgb(0, 0, 0));
}

void tst_Tiling::paintPictureFailures_data()
{
    QTest::addColumn<bool>("withPicture");
    QTest::addColumn<bool>("activePainter");
    QTest::addColumn<int>("number");
    QTest::newRow("no picture") << false << true << int(platform::InvalidPicture);
    QTest::newRow("painter not drawing") << true << false << int(platform::InvalidProcedureCall);
}

void tst_Tiling::paintPictureFailures()
{
    QFETCH(bool, withPicture);
    QFETCH(bool, activePainter);
    QFETCH(int, number);
    QImage canvas(4, 4, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter;
    if (activePainter)
        painter.begin(&canvas);
    QPixmap picture;
    if (withPicture) {
        picture = QPixmap(2, 2);
        picture.fill(Qt::white);
    }
    int raised = 0;
    try {
        platform::paintPicture(painter, QPoint(0, 0), picture);
    } catch (const platform::Failure &failure) {
        raised = failure.number();
    }
    QCOMPARE(raised, number);
    if (painter.isActive())
        painter.end();
    QCOMPARE(canvas.pixel(0, 0), qRgb(0, 0, 0));
}

QTEST_MAIN(tst_Tiling)
#include "tst_tiling.moc"
