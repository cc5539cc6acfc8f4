// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QWidget>

namespace forms {

// Makes the forms layer's own widgets known to screen readers; once per
// program, before any window opens.
void InstallAccessibleFactory();

// Keeps a widget out of the accessible tree: decoration that only repeats
// what another control already tells (a scale number, a rule).
void HideFromAccessibility(QWidget* widget);
bool IsHiddenFromAccessibility(const QObject* object);

// Tells screen readers a message without moving the focus: an object of
// the notification role, showing the message as its name each time it is
// shown. It has no size and draws nothing.
class Announcer : public QWidget {
    Q_OBJECT

public:
    explicit Announcer(QWidget* parent = nullptr);

    void Announce(const QString& message);
    const QString& Message() const { return message_; }

private:
    QString message_;
};

} // namespace forms
