// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/form.h"
#include "ui/main/form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    forms::InitApplication();
    forms::Runtime runtime;
    // Closing the main window, the last one left, ends the loop.
    forms::Untrapped([] { forms::Shared<Form1>().Show(); });
    return QApplication::exec();
}
