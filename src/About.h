// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class frmAbout;
}

class frmMain;

// The modal About box: name, version, credits and the two links, over the
// main window's background tile. Each opening is a new box.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    // Creates the box, centred on the screen, and runs Form_Load; the caller
    // shows it modally.
    explicit frmAbout(frmMain *main);
    ~frmAbout() override;

    void Form_Load();
    void Form_Paint();
    void Form_KeyPress(int keyAscii);
    void cmdOk_Click();
    void lblSite_Click();
    void lblEmail_Click();

protected:
    void paintEvent(QPaintEvent *) override { Form_Paint(); }
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::frmAbout> m_ui;
    frmMain *m_main;
};
