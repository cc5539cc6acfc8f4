#pragma once

// What the web build does differently from the desktop, in one place.

#include <QString>

namespace web {

// Every top-level window with its controls, as JSON: class, name, text,
// state and place on the page. The browser tests read the page through it.
QString StateJson();

} // namespace web
