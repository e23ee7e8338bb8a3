// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMainWindow>
#include <QPixmap>

#include <memory>

namespace Ui {
class frmMain;
}

// The main window: the map list, the five buttons, the game-folder box and the
// hidden View menu. The controls hold all of the program's state; every handler
// reads them afresh and guards each of its statements (see errlog/ErrLog.h).
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    // Creates the window and runs Form_Load; the caller shows it.
    frmMain();
    ~frmMain() override;

    // Shows the window centred on its screen, the map list focused.
    void showCentred();

    // The background tile that both windows paint.
    QPixmap backgroundTile() const;

    // Procedures that the handlers call.
    void LoadMaps();
    void LoadSettings();
    void SaveSettings();

    // Handlers, named after their control and event.
    void Form_Load();
    void Form_Paint();
    void Form_Unload(bool &cancel);
    void cmdAbout_Click();
    void cmdExit_Click();
    void cmdPlay_Click();
    void cmdRefresh_Click();
    void cmdSelectFolder_Click();
    void lvwMaps_BeforeLabelEdit(bool &cancel);
    void lvwMaps_DblClick();
    void lvwMaps_KeyPress(int &keyAscii);
    void lvwMaps_MouseDown(int button, int shift, int x, int y);
    void lvwMaps_MenuKey();
    void mnuViewIcons_Click();
    void mnuViewSmallIcons_Click();
    void mnuViewList_Click();
    void mnuViewReport_Click();
    void mnuViewRefresh_Click();

protected:
    void paintEvent(QPaintEvent *) override { Form_Paint(); }
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<Ui::frmMain> m_ui;
    bool m_unloaded = false;
};
