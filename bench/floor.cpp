// SPDX-License-Identifier: GPL-3.0-or-later
// The floor: what Qt itself costs for a Widgets program with one window, one
// menu and one label. bottinaro-bench starts it beside its own child mode and
// reports Bottinaro's start-up time and peak memory as a multiple of it.

#include "bench/probe.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QMainWindow window;
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("File"));
    menu->addAction(QStringLiteral("Esci"), &window, &QWidget::close);
    window.setCentralWidget(new QLabel(QStringLiteral("Scalpi")));
    window.show();
    bench::ReportFirstFrame(&window);
    return QApplication::exec();
}
