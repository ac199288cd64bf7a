// SPDX-FileCopyrightText: The Marquetrix developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace mx {

struct Editor;

// Exit: asks the window to close; the close request decides.
void exitProgram(Editor& editor);

// The close request, whatever its cause. True when the window may close:
// the text has not changed since it was saved, or the user answered Yes.
bool confirmClose(Editor& editor);

} // namespace mx
