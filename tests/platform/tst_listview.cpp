// The map list: its modes, its order, long names, and the selection under keys,
// presses and the View menu.
#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"

#include <QtTest>
#include <QtWidgets>

using platform::ListView;
using namespace testsupport;

static const QString Long = "A really long name for a map, with more words.MAP";

// Adds the names in turn, each with its position as its size text, and shows them.
static void fill(ListView &list, const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        platform::ListItem item = list.ListItemsRef().Add();
        item.setText(names[i]);
        item.setSubItems(1, QString::number(i));
        item.setSmallIcon(1);
    }
    list.ListItemsRef().flush();
}

class tst_ListView : public QObject
{
    Q_OBJECT

private slots:
    // The widest name sorts first: the item size cannot come from the last one.
    // A screen reader finds one view in the stack, the one on show.
    void modes_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("shown"); // view mode, icon size, flow: 1 32 0 is 1320
        QTest::newRow("0 icons, two lines of label") << 0 << 1320;
        QTest::newRow("1 small icons") << 1 << 160;
        QTest::newRow("2 list, as wide as the name") << 2 << 161;
        QTest::newRow("3 report") << 3 << -1;
    }

    void modes()
    {
        QFETCH(int, view);
        QFETCH(int, shown);
        ListView list;
        fill(list, {"Z.MAP", Long, "b.map"});
        list.setView(view);
        list.resize(600, 300);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QAbstractItemView *items = list.currentView();
        auto *icons = qobject_cast<QListView *>(items);
        const int shape =
            icons ? icons->viewMode() * 1000 + icons->iconSize().width() * 10 + icons->flow() : -1;
        QCOMPARE(shape, shown);
        QAccessibleInterface *stack = QAccessible::queryAccessibleInterface(&list)->child(0);
        QCOMPARE(stack->childCount(), 1);
        const QRect item = items->visualRect(items->model()->index(0, 0));
        if (view == 0)
            QVERIFY(item.height() >= 32 + 2 * items->fontMetrics().height());
        else if (view != 3) // the report's column keeps the width the user gave it
            QVERIFY(item.width() > items->fontMetrics().horizontalAdvance(Long));
        const QPoint at = item.center();
        QHelpEvent help(QEvent::ToolTip, at, items->viewport()->mapToGlobal(at));
        QApplication::sendEvent(items->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), Long + "\n1");
    }

    // The names shuffled; the list shows them in its order, and reads them back unchanged.
    void order_data()
    {
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("numbers by value") << QStringList{"E1L2.MAP", "E1L10.MAP", "E2L1.MAP"};
        QTest::newRow("letter case ignored") << QStringList{"a.map", "B.MAP", "c.Map"};
        QTest::newRow("ties by bytes") << QStringList{"E01.MAP", "E1.MAP", "e1.map"};
        QTest::newRow("case beyond ASCII") << QStringList{"\u00e9clair.map", "\u00c9lan.MAP"};
        QTest::newRow("shorter first, digits") << QStringList{"E", "E 1", "E9", "E10", "E_", "Ea"};
        QTest::newRow("300 digits")
            << QStringList{"E" + QString(300, '8'), "E" + QString(300, '9')};
        QTest::newRow("not UTF-8, U+1F600")
            << QStringList{"\uFFFD.MAP", "\uFFFD\uFFFD.MAP", "\U0001F600.MAP"};
    }

    void order()
    {
        QFETCH(QStringList, expected);
        ListView list;
        fill(list, QStringList(expected.rbegin(), expected.rend()));
        for (qsizetype row = 0; row < expected.size(); ++row)
            QCOMPARE(list.ListItemsRef().Item(row).Text(), expected[row]);
    }

    // Keys that move the current item select it, where it is too; the View
    // menu, opened by keys or a right press anywhere, marks the current mode
    // only (no other entry checkable) and leaves the selection alone.
    void gestures_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("key"); // 0: a right press on the second item, 1: on the header
        QTest::addColumn<QString>("menu");
        const auto row = [](const char *name, int view, int key, const char *menu) {
            QTest::newRow(name) << view << key << QString(menu);
        };
        row("Home on the current item", 3, Qt::Key_Home, "");
        row("Up on the first item", 2, Qt::Key_Up, "");
        row("Menu key", 0, Qt::Key_Menu, "Icons*");
        row("Shift+F10", 2, Qt::Key_F10, "List*");
        row("right press on another item", 3, 0, "Report*");
        row("right press on another icon", 1, 0, "Small icons*");
        row("right press on the header", 3, 1, "Report*");
    }

    void gestures()
    {
        QFETCH(int, view);
        QFETCH(int, key);
        QFETCH(QString, menu);
        frmMain form;
        form.showCentred();
        ListView *list = mapList(form);
        list->setView(view);
        fill(*list, {"E1L1.MAP", "E1L2.MAP", "E1L3.MAP"});
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto *viewMenu = form.findChild<QMenu *>("mnuView");
        QSignalSpy opened(viewMenu, &QMenu::aboutToShow);
        QTimer::singleShot(0, viewMenu, &QMenu::close);
        QAbstractItemView *shown = list->currentView();
        QWidget *viewport = shown->viewport();
        const QPoint second = shown->visualRect(shown->model()->index(1, 0)).center();
        if (menu.isEmpty()) // a click on empty space takes the selection away
            QTest::mouseClick(viewport, Qt::LeftButton, {}, viewport->rect().bottomRight());
        QVERIFY(list->SelectedItem().isNull() == menu.isEmpty());
        if (key > 1)
            QTest::keyClick(shown, Qt::Key(key),
                            key == Qt::Key_F10 ? Qt::ShiftModifier : Qt::NoModifier);
        else
            QTest::mousePress(key ? list->findChild<QHeaderView *>()->viewport() : viewport,
                              Qt::RightButton, {}, second);
        QStringList marks;
        for (QAction *entry : viewMenu->actions())
            marks << (entry->isChecked() ? entry->text() : "") + (entry->isCheckable() ? "*" : "");
        QCOMPARE(opened.size(), int(!menu.isEmpty()));
        QCOMPARE(marks.join(u' ').trimmed(), menu);
        QCOMPARE(list->SelectedItem().isNull() ? "none" : list->SelectedItem().Text(), "E1L1.MAP");
    }
};

QTEST_MAIN(tst_ListView)
#include "tst_listview.moc"
