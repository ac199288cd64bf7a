// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "core/Document.h"

#include <QString>
#include <functional>
#include <vector>

namespace mx {

struct Editor;

using Handler = std::function<void(Editor&)>;

// One row of the menu tree. Rows come in menu order; a row whose caption is
// "-" is a separator, a row that other rows name as parent is a submenu, and
// every other row is a command with its handler. The control name is the
// item's name in the design and its objectName.
struct MenuEntry {
    QString control;
    QString parent; // empty: on the menu bar
    QString caption;
    Handler handler;

    bool isSeparator() const { return caption == QLatin1String("-"); }
};

const std::vector<MenuEntry>& menuTree();

// The control name of an item whose enabled state the commands change.
QString controlOf(MenuItem item);

} // namespace mx
