// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "core/Editor.h"
#include "core/MenuId.h"

#include <QString>
#include <optional>
#include <vector>

namespace mx {

// One row of the menu tree. Rows come in menu order; a row whose caption is
// "-" is a separator, a row that other rows name as parent is a submenu, and
// every other row is a command with its handler. The control name is the
// item's name in the design and its objectName; the code names the item by
// its id. Parents and captions are the design's, read from menu-tree.tsv;
// ids and handlers are the code's.
struct MenuEntry {
    MenuId id;
    QString control;
    std::optional<MenuId> parent; // none: on the menu bar
    QString caption;
    Handler handler;

    bool isSeparator() const { return caption == QLatin1String("-"); }
};

// The whole tree, by id (menuTree()[std::size_t(id)] is the row of id). It is
// checked when first asked for, in every build type: a control name that the
// design and the code do not both hold (a misspelling on either side), a row
// that names an unknown parent or repeats a control name, a command without
// its handler, or a tag table row without its menu row stops the program.
const std::vector<MenuEntry>& menuTree();

} // namespace mx
