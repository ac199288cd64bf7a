// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "core/Editor.h"
#include "core/MenuId.h"

#include <vector>

namespace mx::tags {

// The command of a menu item that has a row in the tag tables: a wrapping
// command puts the selection in its row's tags (or inserts the empty pair), a
// point command puts its row's text in place of the selection. Empty for an
// item without a row.
Handler tagCommand(MenuId item);
// Every item with a row in the tag tables, in table order.
std::vector<MenuId> tagCommandItems();

} // namespace mx::tags
