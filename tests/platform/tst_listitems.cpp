#include "TestSupport.h"
#include "platform/ListView.h"
#include "platform/MapOrder.h"

#include <QPixmap>
#include <QTest>

#include <algorithm>
#include <random>

using platform::ListView;

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

// Adds the names in turn, each with its position as its size text.
void fill(ListView &list, const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        platform::ListItem item = list.ListItemsRef().Add();
        item.setText(names[i]);
        item.setSubItems(1, QString::number(i));
        item.setIcon(1);
        item.setSmallIcon(1);
    }
}

// "name|size" of every item, in the order shown.
QStringList shown(ListView &list)
{
    QStringList rows;
    for (qsizetype row = 0; row < list.ListItemsRef().Count(); ++row) {
        const platform::ListItem item = list.ListItemsRef().Item(row);
        rows << item.Text() + u'|' + item.SubItems(1);
    }
    return rows;
}

} // namespace

class tst_ListItems : public QObject
{
    Q_OBJECT

private slots:
    void orderHasNoCycles_data();
    void orderHasNoCycles();
    void keysAgreeWithNameOrder_data();
    void keysAgreeWithNameOrder();
    void listShowsNameOrder();
    void textsReadBackUnchanged_data();
    void textsReadBackUnchanged();
    void rewritingOlderItemsKeepsEveryText();
};

void tst_ListItems::orderHasNoCycles_data()
{
    QTest::addColumn<QStringList>("names"); // in order
    QTest::newRow("Arabic-Indic digit") << QStringList{"A\u0661", "A10", "A_"};
    QTest::newRow("fullwidth digit") << QStringList{"A\uff12", "A10", "A~"};
    QTest::newRow("blank, digit, letter") << QStringList{"A ", "A\u0662", "Aa"};
}

void tst_ListItems::orderHasNoCycles()
{
    QFETCH(QStringList, names);
    for (qsizetype i = 0; i < names.size(); ++i) {
        for (qsizetype j = 0; j < names.size(); ++j)
            QCOMPARE(platform::mapNameLess(names[i], names[j]), i < j);
    }
}

void tst_ListItems::keysAgreeWithNameOrder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("verdict"); // of the keys alone: -1 a first, 1 b first, 0 cannot tell
    QTest::newRow("case folded") << "abc.map"
                                 << "ABD.MAP" << -1;
    QTest::newRow("numbers by value") << "E1L2.MAP"
                                      << "E1L10.MAP" << -1;
    QTest::newRow("digits before letters") << "E1.MAP"
                                           << "EA.MAP" << -1;
    QTest::newRow("underscore before letters") << "_Z.MAP"
                                               << "A.MAP" << -1;
    QTest::newRow("blank before digits") << "E 1.MAP"
                                         << "E1.MAP" << -1;
    QTest::newRow("colon after digits") << "E:.MAP"
                                        << "E9.MAP" << 1;
    QTest::newRow("zero after dot") << "E0.MAP"
                                    << "E.MAP" << 1;
    QTest::newRow("shorter name first") << "E1"
                                        << "E1.MAP" << -1;
    QTest::newRow("leading zero: the texts decide") << "E01.MAP"
                                                    << "E1.MAP" << 0;
    QTest::newRow("other case: the texts decide") << "map.MAP"
                                                  << "MAP.map" << 0;
    QTest::newRow("alike beyond the key: the texts decide") << "HOLLYWOOD123456.MAP"
                                                            << "HOLLYWOOD123457.MAP" << 0;
    QTest::newRow("decided before a letter beyond ASCII") << "Ab\u00e9.MAP"
                                                          << "Ac.MAP" << -1;
    QTest::newRow("letter beyond ASCII: the texts decide") << "\u00c9lan.MAP"
                                                           << "Zoo.MAP" << 0;
    QTest::newRow("another script's digit in a number: the texts decide") << "E1\u0661.MAP"
                                                                          << "E1X.MAP" << 0;
    QTest::newRow("number of 300 digits: the texts decide")
        << "E" + QString(300, u'9') << "E" + QString(300, u'8') << 0;
}

void tst_ListItems::keysAgreeWithNameOrder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, verdict);
    QCOMPARE(sign(platform::compareMapKeys(platform::mapKey(a), platform::mapKey(b))), verdict);
    if (verdict != 0) {
        QCOMPARE(platform::mapNameLess(a, b), verdict < 0);
        QCOMPARE(platform::mapNameLess(b, a), verdict > 0);
    }
    const QByteArray latin1 = a.toLatin1();
    if (QString::fromLatin1(latin1) == a) {
        const platform::MapKey narrow = platform::mapKey(QLatin1String(latin1));
        QCOMPARE(narrow.high, platform::mapKey(a).high);
        QCOMPARE(narrow.low, platform::mapKey(a).low);
        QCOMPARE(platform::mapNameLess(QLatin1String(latin1), QLatin1String(b.toLatin1())),
                 platform::mapNameLess(a, b));
    }
}

// Every name of up to three pieces, shuffled: the list shows them as a stable
// sort by mapNameLess does, equal names in the order they were added.
void tst_ListItems::listShowsNameOrder()
{
    const QStringList pieces{"e", "E", "1",      "01",     "10",   "2",    "_",
                             " ", "x", "\u00e9", "\u0661", ".MAP", ".map", "HOLLYWOOD12345"};
    QStringList names;
    for (const QString &a : pieces) {
        names << a;
        for (const QString &b : pieces) {
            names << a + b;
            for (const QString &c : pieces)
                names << a + b + c;
        }
    }
    std::shuffle(names.begin(), names.end(), std::mt19937(8));
    QStringList expected;
    for (qsizetype i = 0; i < names.size(); ++i)
        expected << names[i] + u'|' + QString::number(i);
    std::stable_sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
        return platform::mapNameLess(a.section(u'|', 0, -2), b.section(u'|', 0, -2));
    });
    ListView list;
    fill(list, names);
    QCOMPARE(shown(list), expected);
}

void tst_ListItems::textsReadBackUnchanged_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("size");
    QTest::newRow("ASCII") << "E1L1.MAP"
                           << "1,234";
    QTest::newRow("Latin-1, no-break space") << "\u00c9lan.map"
                                             << "1\u00a0234";
    QTest::newRow("beyond Latin-1") << "\u03a9mega.MAP"
                                    << "1\u202f234";
    QTest::newRow("beyond the basic plane") << "\U0001F600.MAP"
                                            << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("longer than a block") << QString(200000, u'\u03a9') << QString(100, u'9');
}

void tst_ListItems::textsReadBackUnchanged()
{
    QFETCH(QString, name);
    QFETCH(QString, size);
    ListView list;
    platform::ListItems &items = list.ListItemsRef();
    QPixmap large(32, 32);
    QPixmap small(16, 16);
    large.fill(Qt::blue);
    small.fill(Qt::red);
    items.setImages(large, small);
    platform::ListItem item = items.Add();
    item.setText(name);
    item.setSubItems(1, size);
    item.setSmallIcon(1);
    fill(list, {" "}); // sorts before every name above but the empty one
    const int row = name.isEmpty() ? 0 : 1;
    QCOMPARE(items.Count(), 2);
    QCOMPARE(items.Item(row).Text(), name);
    QCOMPARE(items.Item(row).SubItems(1), size);
    QCOMPARE(items.data(items.index(row, 0), Qt::DisplayRole).toString(), name);
    QCOMPARE(items.data(items.index(row, 1), Qt::DisplayRole).toString(), size);
    QVERIFY(!items.data(items.index(row, 0), Qt::DecorationRole).value<QIcon>().isNull());
    // The older item changes after a newer one was written; "!" sorts after " ".
    item.setSubItems(1, size + "0");
    item.setText(name + "!");
    QCOMPARE(items.Item(1).Text(), name + "!");
    QCOMPARE(items.Item(1).SubItems(1), size + "0");
    QCOMPARE(items.Item(0).Text(), QStringLiteral(" "));
    QCOMPARE(items.Item(0).SubItems(1), QStringLiteral("0"));
}

// Texts rewritten over and over leave unused space that the list takes back.
void tst_ListItems::rewritingOlderItemsKeepsEveryText()
{
    ListView list;
    platform::ListItems &items = list.ListItemsRef();
    QList<platform::ListItem> added;
    for (int i = 0; i < 3000; ++i)
        added << items.Add();
    for (int round = 0; round < 12; ++round) {
        for (int i = 0; i < added.size(); ++i) {
            added[i].setText(QStringLiteral("M%1.MAP").arg(i, 5, 10, QChar(u'0')) +
                             QString(100, QChar(u'a' + round)));
            added[i].setSubItems(1, QString::number(round * i));
        }
    }
    QCOMPARE(items.Count(), 3000);
    for (int i = 0; i < 3000; ++i) {
        const QString name =
            QStringLiteral("M%1.MAP").arg(i, 5, 10, QChar(u'0')) + QString(100, QChar(u'a' + 11));
        QCOMPARE(items.Item(i).Text(), name);
        QCOMPARE(items.Item(i).SubItems(1), QString::number(11 * i));
    }
}

QTEST_MAIN(tst_ListItems)
#include "tst_listitems.moc"
