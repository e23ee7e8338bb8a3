// SPDX-License-Identifier: GPL-3.0-or-later
#include "Main.h"
#include "ui_Main.h"

#include "About.h"
#include "BrowseForFolder.h"
#include "WAVRes.h"
#include "errlog/ErrLog.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/SettingsStore.h"
#include "platform/Text.h"
#include "platform/Window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QStringBuilder>
#include <QStyle>

#include <utility>

using errlog::Guard;
using namespace platform;
using namespace Qt::StringLiterals;

// One of the program's pictures, where it has the given colour transparent.
static QPixmap maskedPicture(const char *name, const QColor &transparent)
{
    QPixmap picture(u":/pictures/%1.png"_s.arg(QLatin1String(name)));
    picture.setMask(picture.createMaskFromColor(transparent));
    return picture;
}

frmMain::frmMain()
    : m_ui(std::make_unique<Ui::frmMain>())
{
    m_ui->setupUi(this);
    // Fixed border, no maximize button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    const QPixmap icon = maskedPicture("levrun", Qt::magenta); // 255, 0, 255
    setWindowIcon(icon);
    m_ui->lvwMaps->items().setImages(icon, maskedPicture("smallicon", Qt::lightGray)); // 192 grey
    m_ui->cmdSelectFolder->setIcon(maskedPicture("folder", Qt::magenta));

    // The window's own font; no text is drawn on the window itself.
    setFont(designFont(u"Arial Black"_s, 9.75, false));
    const QFont controls = designFont(u"Arial"_s, 9.75, true);
    // Enter presses the focused button, as Space does (autoDefault in the form); no button
    // is the window's default.
    for (QPushButton *button : findChildren<QPushButton *>()) {
        button->setFont(controls);
        button->setCursor(handCursor());
    }
    m_ui->lblLabels->installEventFilter(this);
    for (QWidget *control : QWidgetList{m_ui->lvwMaps, m_ui->txtDukePath, m_ui->lblLabels})
        control->setFont(controls);

    // Handlers.
    connect(m_ui->cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(m_ui->cmdPlay, &QPushButton::clicked, this, &frmMain::cmdPlay_Click);
    connect(m_ui->cmdRefresh, &QPushButton::clicked, this, &frmMain::cmdRefresh_Click);
    connect(m_ui->cmdSelectFolder, &QPushButton::clicked, this, &frmMain::cmdSelectFolder_Click);
    connect(m_ui->lvwMaps, &ListView::BeforeLabelEdit, this, &frmMain::lvwMaps_BeforeLabelEdit);
    connect(m_ui->lvwMaps, &ListView::DblClick, this, &frmMain::lvwMaps_DblClick);
    connect(m_ui->lvwMaps, &ListView::KeyPress, this, &frmMain::lvwMaps_KeyPress);
    connect(m_ui->lvwMaps, &ListView::MouseDown, this, &frmMain::lvwMaps_MouseDown);
    connect(m_ui->lvwMaps, &ListView::menuKeyPressed, this, &frmMain::lvwMaps_MenuKey);
    connect(m_ui->mnuViewIcons, &QAction::triggered, this, &frmMain::mnuViewIcons_Click);
    connect(m_ui->mnuViewSmallIcons, &QAction::triggered, this, &frmMain::mnuViewSmallIcons_Click);
    connect(m_ui->mnuViewList, &QAction::triggered, this, &frmMain::mnuViewList_Click);
    connect(m_ui->mnuViewReport, &QAction::triggered, this, &frmMain::mnuViewReport_Click);
    connect(m_ui->mnuViewRefresh, &QAction::triggered, this, &frmMain::mnuViewRefresh_Click);
    // The session manager asks for the settings at a checkpoint and before a logout that
    // the user may still cancel: they are written and the window stays. The session's real
    // end closes the window as the close box does.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &frmMain::SaveSettings);

    closeOnSignals(this);
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::showCentred()
{
    centreOnScreen(this);
    show();
    m_ui->lvwMaps->setFocus();
}

QPixmap frmMain::backgroundTile() const
{
    return m_ui->imgBackground->pixmap();
}

// The close event comes accepted: the window always closes.
void frmMain::closeEvent(QCloseEvent *)
{
    bool cancel = false;
    Form_Unload(cancel);
}

// A label's access key clicks a buddy that is a button; the folder label's only moves
// the focus there.
bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_ui->lblLabels || event->type() != QEvent::Shortcut)
        return QMainWindow::eventFilter(watched, event);
    m_ui->lblLabels->buddy()->setFocus(Qt::ShortcutFocusReason);
    return true;
}

// Lifecycle

void frmMain::Form_Load()
{
    Guard guard(", Main, Form_Load, ");
    guard.attempt([&] { LoadSettings(); });
    guard.attempt([&] { LoadMaps(); });
    guard.attempt([&] { PlayWaveRes(u"WAV6"_s, 1); });
}

void frmMain::Form_Unload(bool &)
{
    Guard guard(", Main, Form_Unload, ");
    // A signal during the exit clip may close the window before the Exit button's
    // own unload: the settings are saved once.
    if (std::exchange(m_unloaded, true))
        return;
    guard.attempt([&] { SaveSettings(); });
    guard.attempt([&] { QCoreApplication::quit(); });
}

void frmMain::cmdAbout_Click()
{
    Guard guard(", Main, cmdAbout_Click, ");
    guard.attempt([&] { PlayWaveRes(u"WAV4"_s, 1); });
    guard.attempt([&] { frmAbout(this).exec(); });
}

void frmMain::cmdExit_Click()
{
    Guard guard(", Main, cmdExit_Click, ");
    guard.attempt([&] { PlayWaveRes(u"WAV2"_s); });
    guard.attempt([&] { close(); });
}

// Background

void frmMain::Form_Paint()
{
    Guard guard(", Main, Form_Paint, ");
    QPainter painter(this);
    const QPixmap tile = backgroundTile();
    for (const QPoint &at : tilePixels(tile.size(), frameGeometry().size()))
        guard.attempt([&] { paintPicture(painter, at, tile); });
}

// Map list

void frmMain::LoadMaps()
{
    Guard guard(", Main, LoadMaps, ");
    FolderScan scan; // closes the folder when the scan ends
    const GroupedFormat sizeText;
    QString name;
    guard.attempt([&] { m_ui->lvwMaps->items().Clear(); });
    guard.attempt([&] { name = scan.findFirst(m_ui->txtDukePath->text() + u"/*.MAP"_s, 0); });
    while (!name.isEmpty()) {
        ListItem item;
        guard.attempt([&] { item = m_ui->lvwMaps->items().Add(); });
        guard.attempt([&] { item.setText(name); });
        guard.attempt([&] {
            item.setSubItems(1, sizeText(scan.fileLength(m_ui->txtDukePath->text() % u'/' % name)));
        });
        guard.attempt([&] { item.setIcon(1); });
        guard.attempt([&] { item.setSmallIcon(1); });
        // A failed continuation ends the scan instead of adding this name again.
        name.clear();
        guard.attempt([&] { name = scan.findNext(); });
    }
}

void frmMain::cmdRefresh_Click()
{
    Guard guard(", Main, cmdRefresh_Click, ");
    guard.attempt([&] { PlayWaveRes(u"WAV1"_s, 1); });
    guard.attempt([&] { LoadMaps(); });
}

void frmMain::cmdPlay_Click()
{
    Guard guard(", Main, cmdPlay_Click, ");
    guard.attempt([&] { PlayWaveRes(u"WAV3"_s, 1); });
    guard.attempt([&] { changeDrive(m_ui->txtDukePath->text()); });
    guard.attempt([&] { changeDirectory(m_ui->txtDukePath->text()); });
    // The map name is one argument of its own, blanks and all; no shell sees it.
    guard.attempt([&] {
        startProgram(u"duke3d"_s, {u"-map"_s, m_ui->lvwMaps->SelectedItem().Text()});
    });
}

void frmMain::lvwMaps_BeforeLabelEdit(bool &cancel)
{
    Guard guard(", Main, lvwMaps_BeforeLabelEdit, ");
    // The item text is the file name that Play hands to the game: never edited.
    guard.attempt([&] { cancel = true; });
}

void frmMain::lvwMaps_DblClick()
{
    Guard guard(", Main, lvwMaps_DblClick, ");
    guard.attempt([&] { cmdPlay_Click(); });
}

void frmMain::lvwMaps_KeyPress(int &keyAscii)
{
    Guard guard(", Main, lvwMaps_KeyPress, ");
    guard.attempt([&] {
        if (keyAscii == 13)
            cmdPlay_Click();
    });
}

// Marks the current view mode, and only it, then shows the View menu at a
// point; each step is logged under the caller's label. An entry without its
// mark is not checkable either, so that no style draws an empty box for it.
static void popUpViewMenu(Ui::frmMain &ui, Guard &guard, const QPoint &at)
{
    QAction *const marks[] = {ui.mnuViewIcons, ui.mnuViewSmallIcons, ui.mnuViewList,
                              ui.mnuViewReport};
    for (QAction *mark : marks)
        guard.attempt([&] { mark->setCheckable(false); });
    guard.attempt([&] {
        QAction *mark = marks[int(ui.lvwMaps->viewMode())];
        mark->setCheckable(true);
        mark->setChecked(true);
    });
    guard.attempt([&] { ui.mnuView->exec(at); });
}

void frmMain::lvwMaps_MouseDown(int button, int, int, int)
{
    Guard guard(", Main, lvwMaps_MouseDown, ");
    if (button == 2)
        popUpViewMenu(*m_ui, guard, QCursor::pos());
}

// The keyboard's way to the same menu: it opens beside the current item.
void frmMain::lvwMaps_MenuKey()
{
    Guard guard(", Main, lvwMaps_MenuKey, ");
    QPoint at;
    guard.attempt([&] {
        // Beside the current item, or at the list's corner when none is in sight.
        const QAbstractItemView *view = m_ui->lvwMaps->currentView();
        const QRect item = view->visualRect(view->currentIndex());
        const QRect shown = view->viewport()->rect();
        const QPoint beside(std::min(item.right(), shown.right()), item.center().y());
        at = view->viewport()->mapToGlobal(shown.intersects(item) ? beside : QPoint());
    });
    popUpViewMenu(*m_ui, guard, at);
}

void frmMain::mnuViewIcons_Click()
{
    Guard guard(", Main, mnuViewIcons_Click, ");
    guard.attempt([&] { m_ui->lvwMaps->setViewMode(ViewMode::Icons); });
}

void frmMain::mnuViewSmallIcons_Click()
{
    Guard guard(", Main, mnuViewSmallIcons_Click, ");
    guard.attempt([&] { m_ui->lvwMaps->setViewMode(ViewMode::SmallIcons); });
}

void frmMain::mnuViewList_Click()
{
    Guard guard(", Main, mnuViewList_Click, ");
    guard.attempt([&] { m_ui->lvwMaps->setViewMode(ViewMode::List); });
}

void frmMain::mnuViewReport_Click()
{
    Guard guard(", Main, mnuViewReport_Click, ");
    guard.attempt([&] { m_ui->lvwMaps->setViewMode(ViewMode::Report); });
}

void frmMain::mnuViewRefresh_Click()
{
    Guard guard(", Main, mnuViewRefresh_Click, ");
    guard.attempt([&] { LoadMaps(); });
}

// Game folder

void frmMain::cmdSelectFolder_Click()
{
    Guard guard(", Main, cmdSelectFolder_Click, ");
    QString folder;
    guard.attempt([&] { folder = sBrowseForFolder(this, u"Select Duke Nukem 3D folder:"_s); });
    if (folder.isEmpty())
        return;
    guard.attempt([&] { m_ui->txtDukePath->setText(folder); });
    guard.attempt([&] { LoadMaps(); });
}

// Settings

void frmMain::LoadSettings()
{
    Guard guard(", Main, LoadSettings, ");
    const auto read = [](const char *key, const QString &defaultValue) {
        return readSetting(QCoreApplication::applicationName(), u"Config"_s, QLatin1String(key),
                           defaultValue);
    };
    // A missing width or view leaves the control as it is: its value is the default.
    ListView *const list = m_ui->lvwMaps;
    guard.attempt(
        [&] { list->setColumnWidth(1, toSingle(read("Column1", toText(list->columnWidth(1))))); });
    guard.attempt(
        [&] { list->setColumnWidth(2, toSingle(read("Column2", toText(list->columnWidth(2))))); });
    guard.attempt([&] {
        list->setViewMode(ViewMode(toLong(read("View", toText(qint32(list->viewMode()))))));
    });
    guard.attempt([&] { m_ui->txtDukePath->setText(read("DukePath", QString())); });
}

void frmMain::SaveSettings()
{
    Guard guard(", Main, SaveSettings, ");
    const auto write = [](const char *key, const QString &value) {
        writeSetting(QCoreApplication::applicationName(), u"Config"_s, QLatin1String(key), value);
    };
    guard.attempt([&] { write("Column1", toText(m_ui->lvwMaps->columnWidth(1))); });
    guard.attempt([&] { write("Column2", toText(m_ui->lvwMaps->columnWidth(2))); });
    guard.attempt([&] { write("View", toText(qint32(m_ui->lvwMaps->viewMode()))); });
    guard.attempt([&] { write("DukePath", m_ui->txtDukePath->text()); });
}
