// SPDX-License-Identifier: GPL-3.0-or-later

#include "forms/message_box.h"

#include "app/app.h"
#include "forms/convert.h"
#include "forms/errors.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace forms {

namespace {
MessageBoxStandIn standIn;
} // namespace

MessageBoxStandIn SetMessageBoxStandIn(MessageBoxStandIn replacement)
{
    return std::exchange(standIn, std::move(replacement));
}

void MsgBox(const QString& prompt, int buttons, const QString& title)
{
    const QMessageBox::Icon icon
        = (buttons & vbCritical) ? QMessageBox::Critical : QMessageBox::NoIcon;
    if (standIn) {
        standIn(title, prompt, icon);
        return;
    }
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    QMessageBox box(icon, title, prompt, QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("MsgBox"));
    box.exec();
}

void Untrapped(const std::function<void()>& handler)
{
    const std::int32_t number = Trap(handler);
    if (number != 0)
        MsgBox(
            QStringLiteral("Errore di run-time '%1':\n\n%2").arg(CStr(number), Description(number)),
            vbCritical, QString::fromUtf8(App::Title));
}

} // namespace forms
