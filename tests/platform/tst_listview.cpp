#include "TestSupport.h"
#include "platform/ListView.h"

#include <QtTest>
#include <QtWidgets>

using platform::ListView;
using testsupport::failureOf;

namespace {

QStringList shownNames(ListView &list)
{
    QStringList names;
    for (qsizetype row = 0; row < list.ListItemsRef().Count(); ++row)
        names << list.ListItemsRef().Item(row).Text();
    return names;
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

    void columnWidthsInTwips_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<float>("twips");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("failure");
        QTest::newRow("name column wider") << 1 << 2250.0f << 150 << 0;
        QTest::newRow("size column narrower") << 2 << 900.0f << 60 << 0;
        QTest::newRow("negative width") << 1 << -15.0f << 96 << int(platform::InvalidPropertyValue);
    }

    void columnWidthsInTwips()
    {
        QFETCH(int, column);
        QFETCH(float, twips);
        QFETCH(int, pixels);
        QFETCH(int, failure);
        ListView list;
        QCOMPARE(list.ColumnWidth(2), 1440.0f); // the design width
        QCOMPARE(failureOf([&] { list.setColumnWidth(column, twips); }), failure);
        QCOMPARE(list.findChild<QTreeView *>()->header()->sectionSize(column - 1), pixels);
        QCOMPARE(list.ColumnWidth(column), float(pixels * 15));
    }

    void itemsSortedAndSelectionSurviveModeSwitch()
    {
        ListView list;
        for (const char *name : {"E1L10.MAP", "b.map", "E1L2.MAP", "A.MAP"})
            list.ListItemsRef().Add().setText(name);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QAbstractItemView *report = list.currentView();
        report->setCurrentIndex(report->model()->index(1, 0));
        for (int view : {0, 1, 2, 3}) {
            list.setView(view);
            // Letter case ignored, numbers by their value.
            QCOMPARE(shownNames(list), QStringList({"A.MAP", "b.map", "E1L2.MAP", "E1L10.MAP"}));
            QCOMPARE(list.SelectedItem().Text(), QStringLiteral("b.map"));
        }
    }
};

QTEST_MAIN(tst_ListView)
#include "tst_listview.moc"
