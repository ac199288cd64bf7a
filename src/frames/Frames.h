// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace mx {
struct Editor;
}

namespace mx::frames {

// The two frames one above the other, or side by side.
void splitFramesetRows(Editor& editor);
void splitFramesetColumns(Editor& editor);
// A frame entry for a file picked in the dialog, at the caret.
void insertFrameEntry(Editor& editor);
// The base-target line before the first "</HEAD>".
void insertBaseTarget(Editor& editor);

} // namespace mx::frames
