// SPDX-License-Identifier: GPL-3.0-or-later
// The map list: its modes, its order, long names, and the selection under keys,
// presses and the View menu.
#include "Main.h"
#include "TestSupport.h"
#include "platform/ListView.h"

#include <QtTest>
#include <QtWidgets>

static const QString Long = "A really long name for a map, with more words.MAP";

// Adds the names in turn, each with its position as its size text; they show
// when the event loop comes round.
static void fill(platform::ListView &list, const QStringList &names)
{
    for (qsizetype i = 0; i < names.size(); ++i) {
        platform::ListItem item = list.ListItemsRef().Add();
        item.setText(names[i]);
        item.setSubItems(1, QString::number(i));
    }
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
        platform::ListView list;
        fill(list, {"Z.MAP", Long, "b.map"});
        list.setView(view);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QAbstractItemView *items = list.currentView();
        auto *v = qobject_cast<QListView *>(items);
        QCOMPARE(v ? v->viewMode() * 1000 + v->iconSize().width() * 10 + v->flow() : -1, shown);
        QCOMPARE(QAccessible::queryAccessibleInterface(&list)->child(0)->childCount(), 1);
        const QRect item = items->visualRect(items->model()->index(0, 0));
        if (view == 0)
            QVERIFY(item.height() >= 32 + 2 * items->fontMetrics().height());
        else if (view != 3) // the report's column keeps the width the user gave it
            QVERIFY(item.width() > items->fontMetrics().horizontalAdvance(Long));
        QHelpEvent help(QEvent::ToolTip, item.center(), {});
        QApplication::sendEvent(items->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), Long + "\n1");
    }

    // The names shuffled; the list shows them in its order, and reads them back unchanged.
    void order_data()
    {
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char *name, QStringList names) { QTest::newRow(name) << names; };
        row("by value, case ignored", {"a.map", "B.MAP", "E1L2.MAP", "e1l10.map", "E2L1.MAP"});
        row("ties by bytes", {"E01.MAP", "E1.MAP", "e1.map"});
        row("shorter first, digits", {"E", "E 1", "E9", "E10", "E_", "Ea"});
        row("300 digits", {"E" + QString(300, '8'), "E" + QString(300, '9')});
        row("beyond ASCII", {"\u00e9clair", "\u00c9lan", "\uFFFD", "\uFFFD\uFFFD", "\U0001F600"});
    }

    void order()
    {
        QFETCH(QStringList, expected);
        platform::ListView list;
        fill(list, QStringList(expected.rbegin(), expected.rend()));
        for (qsizetype row = 0; row < expected.size(); ++row)
            QCOMPARE(list.ListItemsRef().Item(row).Text(), expected[row]);
    }

    // The mode chosen from a View menu opened by the Menu key; then keys that
    // move the current item select it, where it is too; the View menu, opened
    // by keys or a right press anywhere, marks the current mode only (no other
    // entry checkable) and leaves the selection alone.
    void gestures_data()
    {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("key"); // 0: a right press on the second item, 1: on the header
        QTest::addColumn<QString>("menu");
        QTest::newRow("Home on the current item") << 3 << int(Qt::Key_Home) << QString();
        QTest::newRow("Menu key") << 0 << int(Qt::Key_Menu) << QString("Icons*");
        QTest::newRow("Shift+F10") << 2 << int(Qt::Key_F10) << QString("List*");
        QTest::newRow("right press on another item") << 3 << 0 << QString("Report*");
        QTest::newRow("right press on the header") << 3 << 1 << QString("Report*");
    }

    void gestures()
    {
        QFETCH(int, view);
        QFETCH(int, key);
        QFETCH(QString, menu);
        frmMain form;
        form.showCentred();
        platform::ListView *list = testsupport::mapList(form);
        fill(*list, {"E1L1.MAP", "E1L2.MAP", "E1L3.MAP"});
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto *viewMenu = form.findChild<QMenu *>("mnuView");
        QSignalSpy opened(viewMenu, &QMenu::aboutToShow);
        QTimer::singleShot(0, viewMenu->actions().at(view), &QAction::trigger);
        QTimer::singleShot(0, viewMenu, &QMenu::close);
        QTest::keyClick(list->currentView(), Qt::Key_Menu);
        QTimer::singleShot(0, viewMenu, &QMenu::close);
        QAbstractItemView *shown = list->currentView();
        QWidget *viewport = shown->viewport();
        if (menu.isEmpty()) // a click on empty space takes the selection away
            QTest::mouseClick(viewport, Qt::LeftButton, {}, viewport->rect().bottomRight());
        QVERIFY(list->SelectedItem().isNull() == menu.isEmpty());
        if (key > 1)
            QTest::keyClick(shown, Qt::Key(key),
                            key == Qt::Key_F10 ? Qt::ShiftModifier : Qt::NoModifier);
        else
            QTest::mousePress(key ? list->findChild<QHeaderView *>()->viewport() : viewport,
                              Qt::RightButton, {},
                              shown->visualRect(shown->model()->index(1, 0)).center());
        QStringList marks;
        for (QAction *entry : viewMenu->actions())
            marks << (entry->isChecked() ? entry->text() : "") + (entry->isCheckable() ? "*" : "");
        QCOMPARE(opened.size(), 1 + int(!menu.isEmpty()));
        QCOMPARE(menu.isEmpty() ? menu : marks.join(u' ').trimmed(), menu); // the last menu's
        QCOMPARE(list->SelectedItem().isNull() ? "none" : list->SelectedItem().Text(), "E1L1.MAP");
    }
};

QTEST_MAIN(tst_ListView)
#include "tst_listview.moc"
