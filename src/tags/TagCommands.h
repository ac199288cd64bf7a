// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
#include "TagTables.h"

namespace mx {
struct Editor;
}

namespace mx::tags {

// A wrapping command: the selection in its row's tags, or the empty pair.
void insertWrapTag(Editor& editor, const WrapTag& tag);
// A point command: the row's text in place of the selection.
void insertPointTag(Editor& editor, const PointTag& tag);

} // namespace mx::tags
