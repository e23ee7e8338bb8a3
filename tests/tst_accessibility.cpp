#include "About.h"
#include "Main.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QMainWindow>
#include <QTest>

#include <memory>

using namespace testsupport;

// A screen reader announces a control by its accessible name: a button by its
// caption, a label by its text, and anything without text (the folder button,
// the pictures, the list, the text box) by a name given in its design.
class tst_Accessibility : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setUpApplication(); }
    void init() { clearLog(); }

    void everyControlHasAName_data();
    void everyControlHasAName();
};

namespace {

// The window under test: the main window, or the About box over it.
struct Windows
{
    explicit Windows(const QString &which)
        : main(std::make_unique<frmMain>())
    {
        if (which == QLatin1String("About"))
            about = std::make_unique<frmAbout>(main.get());
    }
    QWidget *window() const
    {
        return about ? static_cast<QWidget *>(about.get()) : static_cast<QWidget *>(main.get());
    }

    std::unique_ptr<frmMain> main;
    std::unique_ptr<frmAbout> about;
};

// The controls of a window are the widgets of its design: the named children
// of the window itself or of its central widget. Lines only draw a separator,
// and a hidden control is never met, so neither needs a name.
QStringList controlsOf(QWidget *window)
{
    QWidget *surface = window;
    if (auto *main = qobject_cast<QMainWindow *>(window))
        surface = main->centralWidget();
    QStringList names;
    const QList<QWidget *> children =
        window->findChildren<QWidget *>(Qt::FindDirectChildrenOnly) +
        (surface == window ? QList<QWidget *>()
                           : surface->findChildren<QWidget *>(Qt::FindDirectChildrenOnly));
    for (QWidget *child : children) {
        // A bare frame (the separator lines are drawn so) is decoration.
        const QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(child);
        const bool decoration = accessible && (accessible->role() == QAccessible::Border ||
                                               accessible->role() == QAccessible::Separator);
        if (child != surface && !child->objectName().isEmpty() &&
            !child->objectName().startsWith(QLatin1String("qt_")) && !decoration &&
            child->isVisibleTo(window))
            names << child->objectName();
    }
    names.sort();
    return names;
}

} // namespace

void tst_Accessibility::everyControlHasAName_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    for (const QString &which : {QStringLiteral("Main"), QStringLiteral("About")}) {
        const Windows windows(which);
        const QStringList controls = controlsOf(windows.window());
        QVERIFY2(!controls.isEmpty(), qPrintable(which));
        for (const QString &control : controls)
            QTest::addRow("%s %s", qPrintable(which), qPrintable(control)) << which << control;
    }
}

void tst_Accessibility::everyControlHasAName()
{
    QFETCH(QString, window);
    QFETCH(QString, control);
    const Windows windows(window);
    auto *widget = windows.window()->findChild<QWidget *>(control);
    QVERIFY(widget);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(accessible);
    const QString name = accessible->text(QAccessible::Name);
    QVERIFY2(!name.trimmed().isEmpty(),
             qPrintable(QStringLiteral("%1 (role %2) has no accessible name")
                            .arg(control)
                            .arg(int(accessible->role()))));
    // The access-key marker is no part of what is read out.
    QVERIFY2(!name.contains(QLatin1Char('&')), qPrintable(name));
}

QTEST_MAIN(tst_Accessibility)
#include "tst_accessibility.moc"
