// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>
#include <QIcon>

// The summary and reward windows: a small tool window of fixed size with a
// close button, and no icon of its own nor the owner's that Qt would
// otherwise inherit.
template <class Ui> QDialog* BuildToolWindow(Ui& ui)
{
    auto* window = new QDialog(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                            | Qt::WindowCloseButtonHint);
    ui.setupUi(window);
    window->setFixedSize(window->size());
    window->setWindowIcon(QIcon());
    return window;
}
