// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

namespace platform {

// A label that reports a click: the left button pressed and released over it.
// A double click is one click.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace platform
