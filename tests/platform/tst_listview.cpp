#include "TestSupport.h"
#include "platform/ErrorCatalogue.h"
#include "platform/ListView.h"
#include "platform/MapOrder.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using platform::ListView;

namespace {

int failureOf(const std::function<void()> &statement)
{
    try {
        statement();
    } catch (const platform::Failure &failure) {
        return failure.number();
    }
    return 0;
}

void fill(ListView &list, const QStringList &names)
{
    for (const QString &name : names) {
        platform::ListItem item = list.ListItemsRef().Add();
        item.setText(name);
        item.setSubItems(1, QString::number(name.size()));
        item.setIcon(1);
        item.setSmallIcon(1);
    }
}

QStringList shownNames(ListView &list)
{
    QStringList names;
    for (qsizetype row = 0; row < list.ListItemsRef().Count(); ++row)
        names << list.ListItemsRef().Item(row).Text();
    return names;
}

} // namespace

class tst_ListView : public QObject
{
    Q_OBJECT

private slots:
    void viewModes_data();
    void viewModes();
    void rejectedViewKeepsTheMode_data();
    void rejectedViewKeepsTheMode();
    void columnWidthsInTwips_data();
    void columnWidthsInTwips();
    void itemsSortedByName_data();
    void itemsSortedByName();
    void itemsAndSelectionSurviveModeSwitch();
    void noSelectionIsNoObject();
    void clearEmptiesListAndSelection();
    void inPlaceEditAsksFirst_data();
    void inPlaceEditAsksFirst();
    void keyPressReportsCharacterCodes();
    void mouseDownReportsButtonCodes_data();
    void mouseDownReportsButtonCodes();
    void doubleClickAnywhere();
};

void tst_ListView::viewModes_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<bool>("report");
    QTest::addColumn<int>("listMode");
    QTest::addColumn<int>("iconSize");
    QTest::newRow("0 icons") << 0 << false << int(QListView::IconMode) << 32;
    QTest::newRow("1 small icons") << 1 << false << int(QListView::ListMode) << 16;
    QTest::newRow("2 list") << 2 << false << int(QListView::ListMode) << 16;
    QTest::newRow("3 report") << 3 << true << 0 << 0;
}

void tst_ListView::viewModes()
{
    QFETCH(int, view);
    QFETCH(bool, report);
    QFETCH(int, listMode);
    QFETCH(int, iconSize);
    ListView list;
    fill(list, {"E1L1.MAP"});
    list.setView(view);
    QCOMPARE(list.View(), view);
    QAbstractItemView *shown = list.currentView();
    QCOMPARE(qobject_cast<QTreeView *>(shown) != nullptr, report);
    if (!report) {
        auto *icons = qobject_cast<QListView *>(shown);
        QCOMPARE(int(icons->viewMode()), listMode);
        QCOMPARE(icons->iconSize(), QSize(iconSize, iconSize));
        if (view == 1)
            QCOMPARE(icons->flow(), QListView::LeftToRight);
        if (view == 2)
            QCOMPARE(icons->flow(), QListView::TopToBottom);
    }
}

void tst_ListView::rejectedViewKeepsTheMode_data()
{
    QTest::addColumn<int>("value");
    QTest::newRow("negative") << -1;
    QTest::newRow("just past report") << 4;
    QTest::newRow("large") << 1000;
}

void tst_ListView::rejectedViewKeepsTheMode()
{
    QFETCH(int, value);
    ListView list;
    list.setView(2);
    QCOMPARE(failureOf([&] { list.setView(value); }), int(platform::InvalidPropertyValue));
    QCOMPARE(list.View(), 2);
}

void tst_ListView::columnWidthsInTwips_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<float>("twips");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<int>("failure");
    QTest::newRow("name column wider") << 1 << 2250.0f << 150 << 0;
    QTest::newRow("size column narrower") << 2 << 900.0f << 60 << 0;
    QTest::newRow("zero width") << 2 << 0.0f << 0 << 0;
    QTest::newRow("negative width") << 1 << -15.0f << 96 << int(platform::InvalidPropertyValue);
    QTest::newRow("no third column") << 3 << 1440.0f << -1 << int(platform::SubscriptOutOfRange);
}

void tst_ListView::columnWidthsInTwips()
{
    QFETCH(int, column);
    QFETCH(float, twips);
    QFETCH(int, pixels);
    QFETCH(int, failure);
    ListView list;
    QCOMPARE(list.ColumnWidth(1), 1440.0f);
    QCOMPARE(list.ColumnWidth(2), 1440.0f);
    QCOMPARE(failureOf([&] { list.setColumnWidth(column, twips); }), failure);
    if (pixels < 0)
        return;
    auto *report = list.findChild<QTreeView *>();
    QCOMPARE(report->header()->sectionSize(column - 1), pixels);
    QCOMPARE(list.ColumnWidth(column), float(pixels * 15));
}

void tst_ListView::itemsSortedByName_data()
{
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("case ignored") << QStringList{"b.map", "A.MAP", "c.Map"}
                                  << QStringList{"A.MAP", "b.map", "c.Map"};
    QTest::newRow("numbers by value") << QStringList{"E1L10.MAP", "E1L2.MAP", "E1L1.MAP"}
                                      << QStringList{"E1L1.MAP", "E1L2.MAP", "E1L10.MAP"};
    QTest::newRow("same letters, different case is stable")
        << QStringList{"map.MAP", "MAP.map"} << QStringList{"MAP.map", "map.MAP"};
}

void tst_ListView::itemsSortedByName()
{
    QFETCH(QStringList, added);
    QFETCH(QStringList, shown);
    ListView list;
    fill(list, added);
    QCOMPARE(shownNames(list), shown);
}

void tst_ListView::itemsAndSelectionSurviveModeSwitch()
{
    ListView list;
    fill(list, {"A.MAP", "B.MAP", "C.MAP"});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    auto *report = list.findChild<QTreeView *>();
    report->selectionModel()->setCurrentIndex(report->model()->index(1, 0),
                                              QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
    for (int view : {0, 1, 2, 3}) {
        list.setView(view);
        QCOMPARE(list.ListItemsRef().Count(), 3);
        QCOMPARE(list.SelectedItem().Text(), QStringLiteral("B.MAP"));
    }
}

void tst_ListView::noSelectionIsNoObject()
{
    ListView list;
    QVERIFY(list.SelectedItem().isNull());
    QCOMPARE(failureOf([&] { list.SelectedItem().Text(); }), int(platform::ObjectNotSet));
}

void tst_ListView::clearEmptiesListAndSelection()
{
    ListView list;
    fill(list, {"A.MAP", "B.MAP"});
    platform::ListItem kept = list.ListItemsRef().Item(0);
    QVERIFY(!list.SelectedItem().isNull()); // a filled list selects its first item
    list.ListItemsRef().Clear();
    QCOMPARE(list.ListItemsRef().Count(), 0);
    QVERIFY(list.SelectedItem().isNull());
    QCOMPARE(failureOf([&] { kept.Text(); }), int(platform::ObjectNotSet));
}

void tst_ListView::inPlaceEditAsksFirst_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("report, refused") << 3 << true;
    QTest::newRow("icons, refused") << 0 << true;
    QTest::newRow("report, allowed") << 3 << false;
}

void tst_ListView::inPlaceEditAsksFirst()
{
    QFETCH(int, view);
    QFETCH(bool, cancel);
    ListView list;
    list.setView(view);
    fill(list, {"E1L1.MAP"});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    int asked = 0;
    connect(&list, &ListView::BeforeLabelEdit, this, [&](bool &c) {
        ++asked;
        c = cancel;
    });
    list.ListItemsRef().flush();
    list.currentView()->setFocus();
    QTest::keyClick(list.currentView(), Qt::Key_F2);
    QCOMPARE(asked, 1);
    auto *editor = list.currentView()->findChild<QLineEdit *>();
    const bool editorOpen = editor && editor->isVisible();
    QCOMPARE(editorOpen, !cancel);
    QCOMPARE(list.ListItemsRef().Item(0).Text(), QStringLiteral("E1L1.MAP"));
}

void tst_ListView::keyPressReportsCharacterCodes()
{
    ListView list;
    fill(list, {"E1L1.MAP"});
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QList<int> codes;
    connect(&list, &ListView::KeyPress, this, [&](int &code) { codes << code; });
    QTest::keyClick(list.currentView(), Qt::Key_Return);
    QTest::keyClick(list.currentView(), Qt::Key_A);
    QTest::keyClick(list.currentView(), Qt::Key_Down); // no character: not reported
    QCOMPARE(codes, QList<int>({13, 'a'}));
}

void tst_ListView::mouseDownReportsButtonCodes_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("code");
    QTest::newRow("left") << int(Qt::LeftButton) << 1;
    QTest::newRow("right") << int(Qt::RightButton) << 2;
    QTest::newRow("middle") << int(Qt::MiddleButton) << 4;
}

void tst_ListView::mouseDownReportsButtonCodes()
{
    QFETCH(int, button);
    QFETCH(int, code);
    ListView list;
    list.resize(200, 150);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy down(&list, &ListView::MouseDown);
    QTest::mousePress(list.currentView()->viewport(), Qt::MouseButton(button), {}, QPoint(10, 20));
    QCOMPARE(down.size(), 1);
    QCOMPARE(down[0][0].toInt(), code);
    QCOMPARE(down[0][2].toInt(), 150); // twips
    QCOMPARE(down[0][3].toInt(), 300);
}

void tst_ListView::doubleClickAnywhere()
{
    ListView list;
    list.resize(200, 150);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QSignalSpy dbl(&list, &ListView::DblClick);
    // Over empty space: the list is empty.
    QTest::mouseDClick(list.currentView()->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(dbl.size(), 1);
}

QTEST_MAIN(tst_ListView)
#include "tst_listview.moc"
