// The map list: its view modes, its order, and the texts its packed items keep.
#include "TestSupport.h"
#include "platform/ListView.h"
#include "platform/MapOrder.h"

#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <random>

using platform::ListView;
using testsupport::failureOf;

namespace {

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

// Adds the names in turn, each with its position as its size text.
void fill(ListView &list, const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        platform::ListItem item = list.ListItemsRef().Add();
        item.setText(names[i]);
        item.setSubItems(1, QString::number(i));
        item.setSmallIcon(1);
    }
}

// How the list shows its items: "report", or the icon size and which way the items run.
QString mode(ListView &list)
{
    auto *icons = qobject_cast<QListView *>(list.currentView());
    if (!icons)
        return qobject_cast<QTreeView *>(list.currentView()) ? "report" : "?";
    return QString("%1 %2 %3")
        .arg(icons->viewMode() == QListView::IconMode ? "icons" : "names")
        .arg(icons->iconSize().width())
        .arg(icons->flow() == QListView::LeftToRight ? "in rows" : "in columns");
}

} // namespace

class tst_ListView : public QObject
{
    Q_OBJECT

private slots:
    void viewModes_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("shown");
        QTest::newRow("0 icons") << 0 << "icons 32 in rows";
        QTest::newRow("1 small icons") << 1 << "names 16 in rows";
        QTest::newRow("2 list") << 2 << "names 16 in columns";
        QTest::newRow("3 report") << 3 << "report";
        // A value out of range fails, and the list stays in the List mode set before it.
        QTest::newRow("4 refused") << 4 << "names 16 in columns";
    }

    void viewModes()
    {
        QFETCH(int, view);
        QFETCH(QString, shown);
        ListView list;
        list.setView(2);
        const bool valid = view >= 0 && view <= 3;
        QCOMPARE(failureOf([&] { list.setView(view); }),
                 valid ? 0 : int(platform::InvalidPropertyValue));
        QCOMPARE(list.View(), valid ? view : 2);
        QCOMPARE(mode(list), shown);
    }

    void selectionSurvivesModeSwitch()
    {
        ListView list;
        fill(list, {"E1L10.MAP", "b.map", "E1L2.MAP", "A.MAP"});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QAbstractItemView *report = list.currentView();
        report->setCurrentIndex(report->model()->index(1, 0));
        for (int view : {0, 1, 2, 3}) {
            list.setView(view);
            // Letter case ignored, numbers by their value.
            QCOMPARE(shown(list), QStringList({"A.MAP|3", "b.map|1", "E1L2.MAP|2", "E1L10.MAP|0"}));
            QCOMPARE(list.SelectedItem().Text(), QStringLiteral("b.map"));
        }
    }

    void orderHasNoCycles_data()
    {
        QTest::addColumn<QStringList>("names"); // in order
        QTest::newRow("Arabic-Indic digit") << QStringList{"A\u0661", "A10", "A_"};
        QTest::newRow("fullwidth digit") << QStringList{"A\uff12", "A10", "A~"};
        QTest::newRow("blank, digit, letter") << QStringList{"A ", "A\u0662", "Aa"};
    }

    void orderHasNoCycles()
    {
        QFETCH(QStringList, names);
        for (qsizetype i = 0; i < names.size(); ++i)
            for (qsizetype j = 0; j < names.size(); ++j)
                QCOMPARE(platform::mapNameLess(names[i], names[j]), i < j);
    }

    void keysAgreeWithNameOrder_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("verdict"); // of the keys alone: -1 a first, 1 b first, 0 cannot tell
        const auto row = [](const char *name, const QString &a, const QString &b, int verdict) {
            QTest::newRow(name) << a << b << verdict;
        };
        row("case folded", "abc.map", "ABD.MAP", -1);
        row("numbers by value", "E1L2.MAP", "E1L10.MAP", -1);
        row("digits before letters", "E1.MAP", "EA.MAP", -1);
        row("underscore before letters", "_Z.MAP", "A.MAP", -1);
        row("blank before digits", "E 1.MAP", "E1.MAP", -1);
        row("colon after digits", "E:.MAP", "E9.MAP", 1);
        row("zero after dot", "E0.MAP", "E.MAP", 1);
        row("shorter name first", "E1", "E1.MAP", -1);
        row("leading zero: the texts decide", "E01.MAP", "E1.MAP", 0);
        row("other case: the texts decide", "map.MAP", "MAP.map", 0);
        row("alike beyond the key: the texts decide", "HOLLYWOOD123456.MAP", "HOLLYWOOD123457.MAP",
            0);
        row("decided before a letter beyond ASCII", "Ab\u00e9.MAP", "Ac.MAP", -1);
        row("letter beyond ASCII: the texts decide", "\u00c9lan.MAP", "Zoo.MAP", 0);
        row("another script's digit in a number: the texts decide", "E1\u0661.MAP", "E1X.MAP", 0);
        row("number of 300 digits: the texts decide", "E" + QString(300, u'9'),
            "E" + QString(300, u'8'), 0);
    }

    void keysAgreeWithNameOrder()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, verdict);
        const int keys = platform::compareMapKeys(platform::mapKey(a), platform::mapKey(b));
        QCOMPARE((keys > 0) - (keys < 0), verdict);
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
    void listShowsNameOrder()
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

    void textsReadBackUnchanged_data()
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
        QTest::newRow("longer than a block") << QString(200000, u'\u03a9') << QString(100, u'9');
    }

    // Two items rewritten in turns, over and over: the space each rewrite leaves
    // is taken back without losing any text.
    void textsReadBackUnchanged()
    {
        QFETCH(QString, name);
        QFETCH(QString, size);
        ListView list;
        platform::ListItems &items = list.ListItemsRef();
        QPixmap large(32, 32), small(16, 16);
        large.fill(Qt::blue);
        small.fill(Qt::red);
        items.setImages(large, small);
        platform::ListItem item = items.Add();
        item.setText(name);
        item.setSubItems(1, size);
        item.setSmallIcon(1);
        platform::ListItem blank = items.Add();
        blank.setText(" "); // sorts before every name above
        QCOMPARE(shown(list), QStringList({" |", name + u'|' + size}));
        QCOMPARE(items.data(items.index(1, 0), Qt::DisplayRole).toString(), name);
        QCOMPARE(items.data(items.index(1, 1), Qt::DisplayRole).toString(), size);
        QVERIFY(!items.data(items.index(1, 0), Qt::DecorationRole).value<QIcon>().isNull());
        for (int round = 0; round < 50; ++round) {
            item.setText(name + QString(round, u'!'));
            blank.setSubItems(1, QString::number(round));
        }
        QCOMPARE(shown(list), QStringList({" |49", name + QString(49, u'!') + u'|' + size}));
    }
};

QTEST_MAIN(tst_ListView)
#include "tst_listview.moc"
