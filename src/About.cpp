// SPDX-License-Identifier: GPL-3.0-or-later
#include "About.h"
#include "ui_About.h"

#include "Main.h"
#include "WAVRes.h"
#include "config.h"
#include "errlog/ErrLog.h"
#include "platform/Process.h"
#include "platform/Window.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QVersionNumber>

using errlog::Guard;

frmAbout::frmAbout(frmMain *main)
    : QDialog(main)
    , m_ui(std::make_unique<Ui::frmAbout>())
    , m_main(main)
{
    m_ui->setupUi(this);
    // Fixed dialog border: a close button and nothing else. Being a child of
    // the main window keeps the box out of the task bar.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    // Designer stores whole point sizes only.
    setFont(platform::designFont(QStringLiteral("Arial"), 9.75, true));

    // The engraved separator in the system's 3D colours (each line fills its background).
    m_ui->linLine_0->setBackgroundRole(QPalette::Dark);
    m_ui->linLine_1->setBackgroundRole(QPalette::Light);

    // The window icon of the main window, which the box inherits, stretched with hard pixel
    // edges as a stretched picture is, not smoothed: what scaled() does by default.
    m_ui->Image1->setPixmap(windowIcon().pixmap(QSize(32, 32)).scaled(m_ui->Image1->size()));

    for (QWidget *pointed : QWidgetList{m_ui->lblSite, m_ui->lblEmail, m_ui->cmdOk})
        pointed->setCursor(platform::handCursor());

    platform::centreOnScreen(this);

    connect(m_ui->cmdOk, &QPushButton::clicked, this, &frmAbout::cmdOk_Click);
    connect(m_ui->lblSite, &platform::LinkLabel::clicked, this, &frmAbout::lblSite_Click);
    connect(m_ui->lblEmail, &platform::LinkLabel::clicked, this, &frmAbout::lblEmail_Click);
    Form_Load();
}

frmAbout::~frmAbout() = default;

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    if (const QString text = event->text(); !text.isEmpty())
        Form_KeyPress(text.at(0).unicode());
    if (event->key() != Qt::Key_Escape)
        QDialog::keyPressEvent(event);
}

void frmAbout::Form_Load()
{
    Guard guard(", About, Form_Load, ");
    const auto add = [](QLabel *to, const QString &text) { to->setText(to->text() + text); };
    const QString name = QCoreApplication::applicationName();
    QLabel *const top = m_ui->lblTop, *const middle = m_ui->lblMiddle;
    guard.attempt([&] { setWindowTitle(QStringLiteral("About ") + name); });
    guard.attempt([&] { top->setText(QString()); });
    guard.attempt([&] {
        const auto v = QVersionNumber::fromString(QCoreApplication::applicationVersion());
        add(top, name + QStringLiteral(" v%1.%2\r\n").arg(v.majorVersion()).arg(v.minorVersion()));
    });
    guard.attempt([&] { add(top, QStringLiteral("A Windows front-end for Duke Nukem 3D maps")); });
    guard.attempt([&] { middle->setText(QString()); });
    guard.attempt([&] { add(middle, QStringLiteral("written by " LEVRUN_AUTHOR "\r\n")); });
    guard.attempt([&] { add(middle, QStringLiteral("\r\n")); });
    guard.attempt([&] { m_ui->lblSite->setText(QStringLiteral(LEVRUN_SITE)); });
    guard.attempt([&] { m_ui->lblEmail->setText(QStringLiteral("e-mail: " LEVRUN_EMAIL)); });
}

void frmAbout::Form_Paint()
{
    Guard guard(", About, Form_Paint, ");
    QPainter painter(this);
    QPixmap tile;
    guard.attempt([&] {
        if (!m_main)
            platform::fail(platform::ObjectNotSet);
        tile = m_main->backgroundTile();
    });
    for (const QPoint &at : platform::tilePixels(tile.size(), frameGeometry().size()))
        guard.attempt([&] { platform::paintPicture(painter, at, tile); });
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
    // Accepted, unlike Escape and the close box: the box is unloaded either way.
    guard.attempt([&] { accept(); });
}

void frmAbout::lblSite_Click()
{
    Guard guard(", About, lblSite_Click, ");
    guard.attempt([&] { platform::openAddress(m_ui->lblSite->text()); });
}

void frmAbout::lblEmail_Click()
{
    Guard guard(", About, lblEmail_Click, ");
    guard.attempt([&] {
        const QString caption = m_ui->lblEmail->text();
        platform::openAddress(QStringLiteral("mailto:") + caption.mid(caption.indexOf(u':') + 2));
    });
}
