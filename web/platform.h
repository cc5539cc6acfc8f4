// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QWidget>

namespace web {

// The visible windows, bottom first: in the order they were shown, each
// shown window on top of the others, as Qt's wasm platform stacks them.
const QList<QWidget*>& Windows();

} // namespace web
