// The map list: its modes, its order, long names, and the selection under keys,
// presses and the View menu.
#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"

#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <random>

using platform::ListView;
using namespace testsupport;

namespace {

// Adds the names in turn, each with its position as its size text, shown at once.
void fill(ListView &list, const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        platform::ListItem item = list.ListItemsRef().Add();
        item.setText(names[i]);
        item.setSubItems(1, QString::number(i));
        item.setSmallIcon(1);
    }
    list.ListItemsRef().flush();
}

// How the list shows its items, and which item views a screen reader finds in it.
QString mode(ListView &list)
{
    QStringList seen;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *face) {
        if (qobject_cast<QAbstractItemView *>(face->object()))
            seen << face->text(QAccessible::Name);
        for (int i = 0; i < face->childCount(); ++i)
            walk(face->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(&list));
    auto *icons = qobject_cast<QListView *>(list.currentView());
    return (icons ? QString("%1 %2 %3")
                        .arg(icons->viewMode() == QListView::IconMode ? "icons" : "names")
                        .arg(icons->iconSize().width())
                        .arg(icons->flow() == QListView::LeftToRight ? "in rows" : "in columns")
                  : "report") +
           ", seen as " + seen.join(u',');
}

QStringList names(ListView &list)
{
    QStringList shown;
    for (qsizetype row = 0; row < list.ListItemsRef().Count(); ++row)
        shown << list.ListItemsRef().Item(row).Text();
    return shown;
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
        QTest::newRow("0 icons") << 0 << "icons 32 in rows, seen as Maps";
        QTest::newRow("1 small icons") << 1 << "names 16 in rows, seen as Maps";
        QTest::newRow("2 list") << 2 << "names 16 in columns, seen as Maps";
        QTest::newRow("3 report") << 3 << "report, seen as Maps";
        // A value out of range fails, and the list stays in the List mode set before it.
        QTest::newRow("4 refused") << 4 << "names 16 in columns, seen as Maps";
    }

    void viewModes()
    {
        QFETCH(int, view);
        QFETCH(QString, shown);
        ListView list;
        list.setAccessibleName("Maps");
        list.show();
        list.setView(2);
        const bool valid = view >= 0 && view <= 3;
        QCOMPARE(failureOf([&] { list.setView(view); }),
                 valid ? 0 : int(platform::InvalidPropertyValue));
        QCOMPARE(list.View(), valid ? view : 2);
        QCOMPARE(mode(list), shown);
    }

    // The names shuffled; the list shows them in its order, and reads them back unchanged.
    void order_data()
    {
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("numbers by value") << QStringList{"E1L2.MAP", "E1L10.MAP", "E2L1.MAP"};
        QTest::newRow("letter case ignored") << QStringList{"a.map", "B.MAP", "c.Map"};
        QTest::newRow("ties by bytes") << QStringList{"E01.MAP", "E1.MAP", "e1.map"};
        QTest::newRow("case beyond ASCII") << QStringList{"\u00e9clair.map", "\u00c9lan.MAP"};
        QTest::newRow("shorter first, digits before letters")
            << QStringList{"E", "E 1", "E9", "E10", "E_", "Ea"};
        QTest::newRow("300 digits")
            << QStringList{"E" + QString(300, u'8'), "E" + QString(300, u'9')};
        QTest::newRow("not UTF-8, beyond the basic plane")
            << QStringList{"\uFFFD.MAP", "\uFFFD\uFFFD.MAP", "\U0001F600.MAP"};
    }

    void order()
    {
        QFETCH(QStringList, expected);
        QStringList shuffled = expected;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
        std::reverse(shuffled.begin(), shuffled.end()); // whatever the shuffle, not in order
        ListView list;
        fill(list, shuffled);
        QCOMPARE(names(list), expected);
    }

    // The widest name sorts first, so the views cannot take the size from the last one.
    void longNames_data()
    {
        QTest::addColumn<int>("view");
        QTest::newRow("small icons") << 1;
        QTest::newRow("list") << 2;
        QTest::newRow("report") << 3;
    }

    void longNames()
    {
        QFETCH(int, view);
        const QString name = "A really long name for a map, with more words.MAP";
        ListView list;
        fill(list, {"Z.MAP", name, "b.map"});
        list.setView(view);
        list.resize(600, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QAbstractItemView *shown = list.currentView();
        const QRect item = shown->visualRect(shown->model()->index(0, 0));
        if (view != 3) // the report's column keeps the width the user gave it
            QVERIFY(item.width() > shown->fontMetrics().horizontalAdvance(name));
        QHelpEvent help(QEvent::ToolTip, item.center(),
                        shown->viewport()->mapToGlobal(item.center()));
        QApplication::sendEvent(shown->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), name + "\n1");
    }

    // A click on empty space takes the selection away; a key that moves the
    // current item selects, even where the current item does not move.
    void keysSelect_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("selected");
        QTest::newRow("Home on the current item") << int(Qt::Key_Home) << "A.MAP";
        QTest::newRow("Up on the first item") << int(Qt::Key_Up) << "A.MAP";
        QTest::newRow("End") << int(Qt::Key_End) << "C.MAP";
    }

    void keysSelect()
    {
        QFETCH(int, key);
        QFETCH(QString, selected);
        ListView list;
        fill(list, {"C.MAP", "A.MAP", "B.MAP"});
        list.resize(300, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QAbstractItemView *view = list.currentView();
        QTRY_COMPARE(list.SelectedItem().isNull(), false);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(250, 250));
        QVERIFY(list.SelectedItem().isNull());
        QTest::keyClick(view, Qt::Key(key));
        QCOMPARE(list.SelectedItem().Text(), selected);
    }

    // The View menu: marked for the current mode only, opened by the keyboard
    // and by a right press anywhere, which never moves the selection.
    void viewMenu_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<QString>("marks");
        QTest::newRow("Menu key, icons") << 0 << "Menu"
                                         << "Icons*,Small icons,List,Report,,Refresh";
        QTest::newRow("Shift+F10, list") << 2 << "F10"
                                         << "Icons,Small icons,List*,Report,,Refresh";
        QTest::newRow("right press on another item, report")
            << 3 << "item"
            << "Icons,Small icons,List,Report*,,Refresh";
        QTest::newRow("right press on another item, small icons")
            << 1 << "item"
            << "Icons,Small icons*,List,Report,,Refresh";
        QTest::newRow("right press on the header") << 3 << "header"
                                                   << "Icons,Small icons,List,Report*,,Refresh";
    }

    void viewMenu()
    {
        QFETCH(int, view);
        QFETCH(QString, gesture);
        QFETCH(QString, marks);
        QTemporaryDir game(scratch("game-XXXXXX"));
        makeEntries(game.path(), {"E1L1.MAP=1", "E1L2.MAP=2"});
        frmMain form;
        form.showCentred();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        ListView *list = mapList(form);
        list->setView(view);
        folderBox(form)->setText(game.path());
        form.LoadMaps();
        QTRY_COMPARE(list->SelectedItem().Text(), QStringLiteral("E1L1.MAP"));
        auto *menu = form.findChild<QMenu *>("mnuView");
        QStringList seen;
        connect(menu, &QMenu::aboutToShow, this, [&] {
            QStringList entries;
            for (QAction *entry : menu->actions()) // a mark, and no empty box for the others
                entries << entry->text() + (entry->isChecked() ? "*" : "") +
                               (entry->isCheckable() != entry->isChecked() ? "?" : "");
            seen << entries.join(u',');
            QTimer::singleShot(0, menu, &QMenu::close);
        });
        QAbstractItemView *shown = list->currentView();
        const QPoint second = shown->visualRect(shown->model()->index(1, 0)).center();
        if (gesture == "Menu")
            QTest::keyClick(shown, Qt::Key_Menu);
        else if (gesture == "F10")
            QTest::keyClick(shown, Qt::Key_F10, Qt::ShiftModifier);
        else if (gesture == "item")
            QTest::mousePress(shown->viewport(), Qt::RightButton, {}, second);
        else
            QTest::mousePress(list->findChild<QHeaderView *>()->viewport(), Qt::RightButton, {},
                              QPoint(5, 5));
        QCOMPARE(seen, QStringList{marks});
        QCOMPARE(list->SelectedItem().Text(), QStringLiteral("E1L1.MAP"));
    }
};

QTEST_MAIN(tst_ListView)
#include "tst_listview.moc"
