// The map list: its view modes, its order, and the texts its packed items keep.
#include "TestSupport.h"
#include "platform/ListView.h"
#include "platform/MapOrder.h"

#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <random>

using platform::ListView;
using namespace testsupport;

namespace {

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
            QCOMPARE(listed(&list),
                     QStringList({"A.MAP|3", "b.map|1", "E1L2.MAP|2", "E1L10.MAP|0"}));
            QCOMPARE(list.SelectedItem().Text(), QStringLiteral("b.map"));
        }
    }

    // Each row in the list's order. The quick keys must agree with the order
    // whenever they tell two names apart, in Latin-1 as in full text.
    void nameOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        const auto row = [](const char *name, const QStringList &names) {
            QTest::newRow(name) << names;
        };
        row("case folded", {"abc.map", "ABD.MAP"});
        row("numbers by value", {"E1L2.MAP", "E1L10.MAP"});
        row("blank, digits, underscore, letters", {"E 1.MAP", "E1.MAP", "E_.MAP", "EA.MAP"});
        row("dot before digits before colon", {"E.MAP", "E0.MAP", "E9.MAP", "E:.MAP"});
        row("shorter name first", {"E1", "E1.MAP"});
        row("leading zero", {"E01.MAP", "E1.MAP"});
        row("alike beyond the key", {"HOLLYWOOD123456.MAP", "HOLLYWOOD123457.MAP"});
        row("decided before a letter beyond ASCII", {"Ab\u00e9.MAP", "Ac.MAP"});
        row("number of 300 digits", {"E" + QString(300, u'8'), "E" + QString(300, u'9')});
        // Digits of other scripts must not make the order go round in a circle.
        row("Arabic-Indic digit", {"A\u0661", "A10", "A_"});
        row("fullwidth digit", {"A\uff12", "A10", "A~"});
        row("blank, digit, letter", {"A ", "A\u0662", "Aa"});
    }

    void nameOrder()
    {
        QFETCH(QStringList, names);
        for (qsizetype i = 0; i < names.size(); ++i) {
            for (qsizetype j = 0; j < names.size(); ++j) {
                const QString &a = names[i], &b = names[j];
                QCOMPARE(platform::mapNameLess(a, b), i < j);
                const int keys = platform::compareMapKeys(platform::mapKey(a), platform::mapKey(b));
                QVERIFY(keys == 0 || (keys < 0) == (i < j));
                if (QString::fromLatin1(a.toLatin1()) == a &&
                    QString::fromLatin1(b.toLatin1()) == b)
                    QCOMPARE(platform::mapNameLess(QLatin1String(a.toLatin1()),
                                                   QLatin1String(b.toLatin1())),
                             i < j);
            }
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
        QCOMPARE(listed(&list), expected);
    }

    void textsReadBackUnchanged_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("size");
        const auto row = [](const char *name, const QString &text, const QString &size) {
            QTest::newRow(name) << text << size;
        };
        row("ASCII", "E1L1.MAP", "1,234");
        row("Latin-1, no-break space", "\u00c9lan.map", "1\u00a0234");
        row("beyond Latin-1", "\u03a9mega.MAP", "1\u202f234");
        row("beyond the basic plane", "\U0001F600.MAP", "");
        row("longer than a block", QString(200000, u'\u03a9'), QString(100, u'9'));
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
        QCOMPARE(listed(&list), QStringList({" |", name + u'|' + size}));
        QCOMPARE(items.data(items.index(1, 0), Qt::DisplayRole).toString(), name);
        QCOMPARE(items.data(items.index(1, 1), Qt::DisplayRole).toString(), size);
        QVERIFY(!items.data(items.index(1, 0), Qt::DecorationRole).value<QIcon>().isNull());
        for (int round = 0; round < 50; ++round) {
            item.setText(name + QString(round, u'!'));
            blank.setSubItems(1, QString::number(round));
        }
        QCOMPARE(listed(&list), QStringList({" |49", name + QString(49, u'!') + u'|' + size}));
    }
};

QTEST_MAIN(tst_ListView)
#include "tst_listview.moc"
