#include "About.h"
#include "ui_About.h"

#include "Main.h"
#include "WAVRes.h"
#include "errlog/ErrLog.h"

#include <QKeyEvent>

using errlog::Guard;

frmAbout::frmAbout(frmMain *main)
    : QDialog(main)
    , m_ui(std::make_unique<Ui::frmAbout>())
    , m_main(main)
{
    m_ui->setupUi(this);
    connect(m_ui->cmdOk, &QPushButton::clicked, this, &frmAbout::cmdOk_Click);
    Form_Load();
}

frmAbout::~frmAbout() = default;

void frmAbout::paintEvent(QPaintEvent *)
{
    Form_Paint();
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (!text.isEmpty())
        Form_KeyPress(text.at(0).unicode());
    if (event->key() != Qt::Key_Escape)
        QDialog::keyPressEvent(event);
}

void frmAbout::Form_Load()
{
    Guard guard(", About, Form_Load, ");
}

void frmAbout::Form_Paint()
{
    Guard guard(", About, Form_Paint, ");
}

void frmAbout::Form_KeyPress(int keyAscii)
{
    Guard guard(", About, Form_KeyPress, ");
    guard.attempt([&] {
        if (keyAscii == 27)
            close();
    });
}

void frmAbout::cmdOk_Click()
{
    Guard guard(", About, cmdOk_Click, ");
    guard.attempt([&] { PlayWaveRes(QStringLiteral("WAV5"), 1); });
    guard.attempt([&] { close(); });
}

void frmAbout::lblSite_Click()
{
    Guard guard(", About, lblSite_Click, ");
}

void frmAbout::lblEmail_Click()
{
    Guard guard(", About, lblEmail_Click, ");
}
