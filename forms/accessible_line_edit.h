// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class QAccessibleInterface;
class QObject;

namespace forms {

// The program's own text interface for a QLineEdit where the Qt it is built
// with needs one (see accessible_line_edit.cpp); null otherwise.
QAccessibleInterface* LineEditInterface(const QString& className, QObject* object);

} // namespace forms
